#pragma once
// Inside the font engine: the FreeType pieces shared by the registered-font path (FontEngine.cpp)
// and the system-font path (SystemFonts.cpp). Every function here is called with LockEngine() held.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Font.h"
#include "platform/text/FontCache.h"

namespace veskel::text {

FT_Library FreeTypeLibrary();
bool FreeTypeFaceIsBold(FT_Face face);
bool FreeTypeFaceIsItalic(FT_Face face);

// An instance drawing `face` (which it takes over) at `em` pixels; `data` keeps a memory font's
// bytes alive.
std::unique_ptr<FontInstance> MakeFreeTypeInstance(FT_Face face, std::shared_ptr<const std::vector<std::uint8_t>> data,
                                                   ResolvedFace resolved, int em, bool wantBold, bool wantItalic,
                                                   bool faceBold, bool faceItalic);

// Opens the installed font that a family no registered font provides resolves to. Defined in
// SystemFonts.cpp (fontconfig); a program that draws only registered fonts may define its own
// and so leave fontconfig out of its link.
std::unique_ptr<FontInstance> OpenSystemFont(const Font& font, int em);

// Opens the font that a family no registered font provides resolves to among the files that
// tools/web/pack-data.sh packed into `folder` (listed in its fonts.list). Defined in
// PackedFonts.cpp, whose OpenSystemFont in the browser build is this on /veskel/fonts.
std::unique_ptr<FontInstance> OpenPackedFont(const std::string& folder, const Font& font, int em);

}  // namespace veskel::text
