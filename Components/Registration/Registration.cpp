// One line per glass control class; a new control adds its line here.
#include "Components/Registration/Registration.h"

#include "Components/GlassHeader/GlassHeader.h"
#include "Components/SGlassButton/SGlassButton.h"
#include "Components/TestPanel/TestPanel.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

void RegisterComponentClasses() {
    RegisterControlClass<TGlassButton>("TGlassButton");
    RegisterControlClass<TGlassHeader>("TGlassHeader");
    RegisterControlClass<TTestPanel>("TTestPanel");
    RegisterControlClass<TGLeaf>("TGLeaf");
}

}  // namespace veskel
