#pragma once
// TForm2: the small auxiliary window created hidden at start-up beside the main window. It draws a
// square grid whose number of cells per side comes from a spin field; nothing in the program
// shows it, and it lives until the program ends.
#include "platform/ui/Form.h"
#include "platform/ui/StockControls.h"

namespace veskel {

class TForm2 : public Form {
public:
    // Builds the form from its stored layout (the embedded "app/res/Form2.layout").
    TForm2();
    std::string ClassName() const override { return "TForm2"; }

    TSpinEdit* SpinEdit1 = nullptr;
    TImage* Image1 = nullptr;

    // The spin field's change: the picture becomes 19 N x 19 N (keeping what still fits, new area
    // white) and gets N vertical and N horizontal grid lines 15 pixels apart, each 15 N long.
    void SpinEdit1Change(Control& sender);
};

}  // namespace veskel
