// One line per glass control class; a new control adds its line here.
#include "Components/Registration/Registration.h"

#include "Components/AALabel/AALabel.h"
#include "Components/ColorBox/ColorBox.h"
#include "Components/GlassCheckBox/GlassCheckBox.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassHeader/GlassHeader.h"
#include "Components/GlassListBox/GlassListBox.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "Components/GroupPNGButtons/GroupPNGButtons.h"
#include "Components/HLSColorTable/HLSColorTable.h"
#include "Components/HLSSlider/HLSSlider.h"
#include "Components/PulseButton/PulseButton.h"
#include "Components/QorBackground/QorBackground.h"
#include "Components/SGlassButton/SGlassButton.h"
#include "Components/SmallGlassButton/SmallGlassButton.h"
#include "Components/StaticShadow/StaticShadow.h"
#include "Components/TestPanel/TestPanel.h"
#include "Components/GlassLook/GlassLook.h"
#include "platform/ui/FocusChain.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

void RegisterComponentClasses() {
    RegisterControlClass<TGlassButton>("TGlassButton");
    RegisterControlClass<TSmallGlassButton>("TSmallGlassButton");
    RegisterControlClass<TGlassCheckBox>("TGlassCheckBox");
    RegisterControlClass<TPulseButton>("TPulseButton");
    RegisterControlClass<TGroupPNGButtons>("TGroupPNGButtons");
    RegisterControlClass<TQorBackground>("TQorBackground");
    RegisterControlClass<TStaticShadow>("TStaticShadow");
    RegisterControlClass<TGlassEdit>("TGlassEdit");
    RegisterControlClass<TAALabel>("TAALabel");
    RegisterControlClass<TGlassSlider>("TGlassSlider");
    RegisterControlClass<TGlassListBox>("TGlassListBox");
    RegisterControlClass<THLSColorTable>("THLSColorTable");
    RegisterControlClass<THLSSlider>("THLSSlider");
    RegisterControlClass<TGlassHeader>("TGlassHeader");
    RegisterControlClass<TTestPanel>("TTestPanel");
    RegisterControlClass<TGLeaf>("TGLeaf");
    RegisterControlClass<TClrBox>("TClrBox");
    // The focus ring in the family's look.
    focus::SetRingPainter(DrawGlassFocusRing);
}

}  // namespace veskel
