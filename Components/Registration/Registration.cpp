// One line per glass control class; a new control adds its line here.
#include "Components/Registration/Registration.h"

#include "Components/SGlassButton/SGlassButton.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

void RegisterComponentClasses() {
    RegisterControlClass<TGlassButton>("TGlassButton");
}

}  // namespace veskel
