// veskel-render draws nothing but the embedded banner font, which is registered from memory. This
// stands in for the font engine's system-font lookup so that the program links without
// fontconfig, whose start-up would only cost time here.
#include <stdexcept>

#include "platform/text/FreeTypeFace.h"

namespace veskel::text {

std::unique_ptr<FontInstance> OpenSystemFont(const Font& font, int) {
    throw std::runtime_error("veskel-render has only its embedded font, not \"" + font.family + "\"");
}

}  // namespace veskel::text
