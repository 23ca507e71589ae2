#pragma once
// The text form of a stored layout: a tree of objects with their properties in stored order,
// parsed from and written to text. Knows nothing of controls (StoredLayout.h creates those).
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/LayoutValue.h"

namespace veskel {

struct LayoutObject {
    std::string name;
    std::string className;
    std::vector<LayoutProperty> properties;
    std::vector<LayoutObject> children;
    int line = 0;  // where the object started in the text (for messages)

    const LayoutProperty* FindProperty(std::string_view name) const;
    friend bool operator==(const LayoutObject& a, const LayoutObject& b) {
        return a.name == b.name && a.className == b.className && a.properties == b.properties &&
               a.children == b.children;
    }
};

// ---- text form
// Parses one object (with its children). Throws LayoutError with the line number on bad input.
LayoutObject ParseLayout(std::string_view text);
// Writes the text form: two spaces of indent per level, binary values 32 bytes a line.
std::string WriteLayout(const LayoutObject& object);

}  // namespace veskel
