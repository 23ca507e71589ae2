#pragma once
// The glass control classes the stored-layout reader can create, registered in one list.
namespace veskel {

// Registers every glass control class by its stored class name ("TGlassButton"). The program
// calls it once at start, beside RegisterFrameworkClasses (StoredLayout.h); calling again is harmless.
void RegisterComponentClasses();

}  // namespace veskel
