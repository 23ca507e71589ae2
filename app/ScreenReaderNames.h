#pragma once
// Names for the controls of the main window that show no text of their own and have no label
// beside them (the arrow buttons, the border's colour box), and descriptions that tell apart the
// buttons of the same caption. A screen reader reads them; they are the controls' hints, which
// the window never shows as tool-tips (no control of it shows hints).
#include "platform/ui/Form.h"

namespace veskel {

void GiveScreenReaderNames(Form& window);

}  // namespace veskel
