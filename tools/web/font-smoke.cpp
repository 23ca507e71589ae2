// Draws every glyph the program's texts use, in every font the program asks for, at every em size
// its controls use, and prints what the font engine made of each: the face chosen, the metrics
// and each glyph's placement and pixels. Built natively (fontconfig and the desktop's FreeType)
// and with em++ (the packed fonts and the browser build's FreeType); the outputs must match.
// The banner's own font, registered from memory, is drawn too.
//   font-smoke REQUESTS BANNER_FONT TEXTS...
//   (tools/web/font-requests.list, resources/fonts/..., po/*.po for the characters)
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/text/FontCache.h"
#include "platform/text/FontEngine.h"

namespace {

// The code points of a UTF-8 file.
void AddCharacters(const std::string& file, std::set<char32_t>& out) {
    std::ifstream in(file, std::ios::binary);
    const std::string s{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + std::size_t(k) < s.size(); ++k) cp = cp << 6 | (s[i + std::size_t(k)] & 0x3F);
        i += std::size_t(extra) + 1;
        if (cp >= 0x20) out.insert(cp);
    }
}

std::uint64_t Hash(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    std::set<char32_t> characters;
    for (int i = 3; i < argc; ++i) AddCharacters(argv[i], characters);
    if (characters.size() < 100) return 1;
    // Every em the controls ask for: 6, 8, 9 and 11 points, pixel heights 10, 11, 13 and 16, and
    // three times each (the captions drawn large and scaled down).
    const int ems[] = {8, 10, 11, 12, 13, 15, 16, 24, 30, 32, 33, 36, 39, 44, 48};
    std::ifstream in(argv[1]);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    lines.push_back(std::string("regular\t") + veskel::kBannerFontFamily);
    std::size_t glyphs = 0;
    try {
        std::ifstream banner(argv[2], std::ios::binary);
        const std::vector<std::uint8_t> bannerFont{std::istreambuf_iterator<char>(banner), std::istreambuf_iterator<char>()};
        veskel::RegisterPrivateFont(bannerFont);
        for (const std::string& line : lines) {
            const std::size_t tab = line.find('\t');
            if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
            veskel::Font font;
            font.family = line.substr(tab + 1) == "*" ? "No Such Family Anywhere" : line.substr(tab + 1);
            font.bold = line.starts_with("bold");
            font.italic = line.substr(0, tab).ends_with("italic");
            for (int em : ems) {
                font.pixelHeight = em;
                auto lock = veskel::text::LockEngine();
                veskel::text::FontInstance& f = veskel::text::Instance(font);
                const veskel::text::ResolvedFace& r = f.Resolved();
                std::printf("%s %s %d px: %s index %d strike %d size %d synthetic %d%d ascent %d descent %d underline %d+%d\n",
                            line.substr(0, tab).c_str(), font.family.c_str(), em, r.family.c_str(), r.faceIndex,
                            int(r.bitmapStrike), r.pixelSize, int(r.syntheticBold), int(r.syntheticItalic), f.Ascent(),
                            f.Descent(), f.UnderlineTop(), f.UnderlineThickness());
                for (char32_t ch : characters) {
                    const veskel::text::Glyph& g = f.GlyphFor(ch);
                    std::printf("  U+%04X %d %d %dx%d %d %016llx\n", unsigned(ch), g.left, g.top, g.width, g.height, g.advance,
                                static_cast<unsigned long long>(Hash(g.mask)));
                    ++glyphs;
                }
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "font-smoke: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "%zu glyphs of %zu characters\n", glyphs, characters.size());
    return 0;
}
