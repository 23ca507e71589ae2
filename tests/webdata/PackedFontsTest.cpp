// The browser build opens, for every font request, the same face that fontconfig gives the
// desktop: the same family, face index, file contents, metrics and glyphs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/text/FontCache.h"
#include "platform/text/FreeTypeFace.h"

namespace veskel::text {
namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every request the program makes (the list the data folder was packed from), then requests it
// does not make that fall back among the packed faces as fontconfig falls back. (A style packed
// for no face of the family, such as an italic unknown family, gets the nearest packed face.)
std::vector<Font> Requests() {
    std::vector<Font> fonts;
    std::ifstream in(std::string(VESKEL_SOURCE_DIR) + "/tools/web/font-requests.list");
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
        Font f;
        f.family = line.substr(tab + 1) == "*" ? "No Such Family Anywhere" : line.substr(tab + 1);
        f.bold = line.starts_with("bold");
        f.italic = line.substr(0, tab).ends_with("italic");
        fonts.push_back(f);
    }
    const struct { const char* family; bool bold, italic; } others[] = {
        {"TAHOMA", false, false},       {"times new roman", false, false}, {"Tahoma", false, true},
        {"Tahoma", true, true},         {"Courier", true, false},          {"MS Sans Serif", true, true},
    };
    for (const auto& o : others) {
        Font f;
        f.family = o.family, f.bold = o.bold, f.italic = o.italic;
        fonts.push_back(f);
    }
    return fonts;
}

TEST(PackedFonts, EveryRequestOpensTheFaceFontconfigGives) {
    const std::vector<Font> requests = Requests();
    ASSERT_GE(requests.size(), 12u);
    auto lock = LockEngine();
    for (const Font& font : requests) {
        for (int em : {11, 33}) {
            SCOPED_TRACE(font.family + (font.bold ? " bold" : "") + (font.italic ? " italic" : "") + " at " +
                         std::to_string(em) + " px");
            const auto desktop = OpenSystemFont(font, em);
            const auto packed = OpenPackedFont(VESKEL_PACKED_DATA_DIR "/fonts", font, em);
            const ResolvedFace &d = desktop->Resolved(), &p = packed->Resolved();
            EXPECT_EQ(p.family, d.family);
            EXPECT_EQ(p.faceIndex, d.faceIndex);
            EXPECT_TRUE(FileBytes(p.file) == FileBytes(d.file)) << p.file << " against " << d.file;
            EXPECT_EQ(p.syntheticBold, d.syntheticBold);
            EXPECT_EQ(p.syntheticItalic, d.syntheticItalic);
            EXPECT_EQ(p.pixelSize, d.pixelSize);
            EXPECT_EQ(packed->Ascent(), desktop->Ascent());
            EXPECT_EQ(packed->Descent(), desktop->Descent());
            for (char32_t ch : {U'A', U'g', U'Ж', U'щ', U'?'}) {
                const Glyph &a = packed->GlyphFor(ch), &b = desktop->GlyphFor(ch);
                EXPECT_EQ(a.mask, b.mask) << "U+" << std::hex << unsigned(ch);
                EXPECT_EQ(a.advance, b.advance);
            }
        }
    }
}

// A damaged manifest is refused with its path named, not read past.
TEST(PackedFonts, DamagedListIsRefused) {
    const std::string folder = std::string(VESKEL_PACKED_DATA_DIR) + "/damaged";
    const char* lines[] = {"Tahoma\tregular\ttahoma.ttf\t0", "Tahoma\twide\ttahoma.ttf\t0\tTahoma",
                           "Tahoma\tregular\t../../etc/passwd\t0\tTahoma", "Tahoma\tregular\ttahoma.ttf\t-1\tTahoma"};
    Font font;
    font.family = "Tahoma";
    auto lock = LockEngine();
    int n = 0;
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        const std::string dir = folder + std::to_string(n++);
        std::filesystem::create_directories(dir);
        std::ofstream(dir + "/fonts.list") << line << "\n";
        EXPECT_THROW(OpenPackedFont(dir, font, 11), std::runtime_error);
    }
}

}  // namespace
}  // namespace veskel::text
