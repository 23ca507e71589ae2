// One line per glass control class; a new control adds its line here.
#include "Components/Registration/Registration.h"

#include "Components/AALabel/AALabel.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassListBox/GlassListBox.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "Components/SGlassButton/SGlassButton.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

void RegisterComponentClasses() {
    RegisterControlClass<TGlassButton>("TGlassButton");
    RegisterControlClass<TGlassEdit>("TGlassEdit");
    RegisterControlClass<TAALabel>("TAALabel");
    RegisterControlClass<TGlassSlider>("TGlassSlider");
    RegisterControlClass<TGlassListBox>("TGlassListBox");
}

}  // namespace veskel
