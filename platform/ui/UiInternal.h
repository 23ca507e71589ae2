#pragma once
// Framework-private helpers shared by the ui sources (not for controls).
#include <string_view>

#include "platform/ui/Control.h"

namespace veskel::detail {

WindowHandle AllocateHandle(Control* control);
void FreeHandle(WindowHandle handle);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);

}  // namespace veskel::detail
