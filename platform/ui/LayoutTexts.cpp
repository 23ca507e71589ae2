#include "platform/ui/LayoutTexts.h"

#include "platform/lang/Translate.h"
#include "platform/ui/NoCase.h"

namespace veskel {

bool IsShownTextProperty(std::string_view name) {
    // Kept equal to SHOWN_TEXT_PROPERTIES in tools/i18n/extract_layout_texts.py.
    for (std::string_view shown : {"Caption", "Hint", "ButtonText", "Filter", "Descriptions.Strings", "Items.Strings"})
        if (detail::EqualsNoCase(name, shown)) return true;
    return false;
}

LayoutValue ShownLayoutValue(std::string_view name, const LayoutValue& value) {
    if (!ChosenLanguage() || !IsShownTextProperty(name)) return value;
    LayoutValue shown = value;
    if (shown.kind == LayoutValue::Kind::String) shown.text = Tr(shown.text);
    for (LayoutValue& line : shown.list)
        if (line.kind == LayoutValue::Kind::String) line.text = Tr(line.text);
    return shown;
}

}  // namespace veskel
