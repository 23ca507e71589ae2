// The framework's own control classes, one line each (the glass controls have their own list in
// Components/Registration).
#include "platform/ui/Edit.h"
#include "platform/ui/StandardControls.h"
#include "platform/ui/StockControls.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

void RegisterFrameworkClasses() {
    RegisterControlClass<Edit>("TEdit");
    RegisterControlClass<Panel>("TPanel");
    RegisterControlClass<Shape>("TShape");
    RegisterControlClass<Label>("TLabel");
    RegisterControlClass<TImage>("TImage");
    RegisterControlClass<TBevel>("TBevel");
    RegisterControlClass<TSpinEdit>("TSpinEdit");
    RegisterControlClass("TOpenDialog", MakeOpenDialog);
    RegisterControlClass("TSaveDialog", MakeSaveDialog);
    RegisterControlClass("TOpenPictureDialog", MakeOpenPictureDialog);
    RegisterControlClass("TSavePictureDialog", MakeSavePictureDialog);
}

}  // namespace veskel
