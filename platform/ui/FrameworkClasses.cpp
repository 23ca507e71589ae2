// The framework's own control classes, one line each (the glass controls have their own list in
// Components/Registration).
#include "platform/ui/Edit.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

void RegisterFrameworkClasses() {
    RegisterControlClass<Edit>("TEdit");
}

}  // namespace veskel
