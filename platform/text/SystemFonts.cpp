// The system-font path of the font engine: family names resolved through fontconfig, with the
// fonts-wine faces matched alongside the system's.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/text/FreeTypeFace.h"

namespace veskel::text {
namespace {

// Where Debian's fonts-wine puts its files (the first that exists is used).
constexpr const char* kWineFontDirs[] = {"/usr/share/wine/fonts", "/usr/share/fonts/truetype/wine",
                                         "/usr/lib/wine/fonts"};


std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

struct FontconfigState {
    bool ready = false;
    FcFontSet* appFonts = nullptr;  // the fonts-wine faces, matched alongside the system's
};

FontconfigState& State() {
    static FontconfigState state;
    return state;
}

// The application font set: every TrueType file of fonts-wine. Queried here rather than added
// through the system configuration, which rejects bitmap-only faces, and three of the classic
// families are bitmap-only.
void StartFontconfig() {
    FontconfigState& e = State();
    if (e.ready) return;
    e.ready = true;
    FcInit();
    // Released at exit: fontconfig keeps its pattern pointers as encoded offsets, so leak
    // checkers cannot see that the set is still reachable and would report every face.
    static struct Release {
        ~Release() {
            auto lock = LockEngine();
            FontconfigState& state = State();
            if (state.appFonts) FcFontSetDestroy(state.appFonts);
            state.appFonts = nullptr;
            state.ready = false;
            FcFini();
        }
    } release;
    e.appFonts = FcFontSetCreate();
    for (const char* dir : kWineFontDirs) {
        std::error_code ec;
        if (!std::filesystem::is_directory(dir, ec)) continue;
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
            if (entry.is_regular_file(ec) && Lower(entry.path().extension().string()) == ".ttf")
                files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        for (const std::string& file : files) {
            int count = 1;
            for (int id = 0; id < count; ++id) {
                FcPattern* p = FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(file.c_str()), id, nullptr, &count);
                if (!p) break;
                if (!FcFontSetAdd(e.appFonts, p)) FcPatternDestroy(p);
            }
        }
        break;
    }
}



}  // namespace

std::unique_ptr<FontInstance> OpenSystemFont(const Font& font, int em) {
    StartFontconfig();
    FontconfigState& e = State();
    std::string family = MappedFamily(font.family);
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pat, FC_WEIGHT, font.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcFontSet* sets[2];
    int nsets = 0;
    if (e.appFonts && e.appFonts->nfont > 0) sets[nsets++] = e.appFonts;
    if (FcFontSet* system = FcConfigGetFonts(nullptr, FcSetSystem)) sets[nsets++] = system;
    FcResult result = FcResultNoMatch;
    FcPattern* match = nsets ? FcFontSetMatch(nullptr, sets, nsets, pat, &result) : nullptr;
    FcPatternDestroy(pat);
    if (!match) throw std::runtime_error("no font is installed for the family \"" + font.family + "\"");

    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    int index = 0;
    FcPatternGetString(match, FC_FILE, 0, &file);
    FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    ResolvedFace r;
    r.file = file ? reinterpret_cast<const char*>(file) : "";
    r.family = matchedFamily ? reinterpret_cast<const char*>(matchedFamily) : "";
    r.faceIndex = index;
    FcPatternDestroy(match);

    FT_Face face = nullptr;
    if (r.file.empty() || FT_New_Face(FreeTypeLibrary(), r.file.c_str(), index, &face) != 0)
        throw std::runtime_error("the font file \"" + r.file + "\" for \"" + font.family + "\" could not be opened");
    return MakeFreeTypeInstance(face, nullptr, r, em, font.bold, font.italic, FreeTypeFaceIsBold(face),
                                FreeTypeFaceIsItalic(face));
}

}  // namespace veskel::text
