#pragma once
// Names for the controls of the main window that show no text of their own and have no label
// beside them (the arrow buttons, the border's colour box), and descriptions that tell apart the
// buttons of the same caption. A screen reader reads them. The arrow buttons get a spoken name
// (they show hints as tool-tips); the others, which show no hints, get them as hints.
#include "platform/ui/Form.h"

namespace veskel {

void GiveScreenReaderNames(Form& window);

}  // namespace veskel
