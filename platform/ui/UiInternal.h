#pragma once
// Framework-private helpers shared by the ui sources (not for controls).
#include <string_view>

#include "platform/ui/Control.h"
#include "platform/ui/NoCase.h"

namespace veskel::detail {

WindowHandle AllocateHandle(Control* control);
void FreeHandle(WindowHandle handle);

}  // namespace veskel::detail
