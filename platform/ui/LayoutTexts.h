#pragma once
// The texts of a stored layout that the user reads (captions, hints, button texts, dialog
// filters, image-button descriptions) are looked up in the chosen language as the layout loads,
// so one stored layout serves every language; the rest of the layout (names, fonts, numbers) is
// taken as stored. tools/i18n/extract_layout_texts.py collects the same properties for the
// catalogs.
#include <string_view>

#include "platform/ui/LayoutValue.h"

namespace veskel {

// Whether the property with this stored name holds text the user reads.
bool IsShownTextProperty(std::string_view name);

// The value of the property `name` as the chosen language shows it: strings and the lines of
// lists of a shown-text property through Tr, any other value as stored.
LayoutValue ShownLayoutValue(std::string_view name, const LayoutValue& value);

}  // namespace veskel
