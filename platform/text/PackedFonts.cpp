// The browser build's system-font lookup, until the fonts are packed into the site: every
// request by family name fails, so the controls' captions fall back as they do for a family the
// machine lacks, and the banner, which draws the embedded font, is unaffected.
#include <stdexcept>

#include "platform/text/FreeTypeFace.h"

namespace veskel::text {

std::unique_ptr<FontInstance> OpenSystemFont(const Font& font, int) {
    throw std::runtime_error("no font \"" + font.family + "\" in this build");
}

}  // namespace veskel::text
