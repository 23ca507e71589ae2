#pragma once
// What a screen reader calls the controls of the main window whose captions do not say what they
// do: the arrow buttons and the "+" and "-" beside the fields (a picture or a sign), the buttons
// that share a caption on one page ("Random", "Reset", "Save..."), the strength sliders (which
// stand under their lists' labels) and the border's colour box (which has no label).
#include "platform/ui/Form.h"

namespace veskel {

void GiveScreenReaderNames(Form& window);

}  // namespace veskel
