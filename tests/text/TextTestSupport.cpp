#include "tests/text/TextTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/Resources.h"
#include "platform/text/CodePage.h"
#include "platform/text/FontEngine.h"

namespace veskel::testing {

void EnsureBannerFontRegistered() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterPrivateFont(Resource(kBannerFontResource)); });
}

Font BannerFont(Color color) {
    EnsureBannerFontRegistered();
    Font f;
    f.family = kBannerFontFamily;
    f.size = 9;
    f.color = color;
    return f;
}

GlyphArt LoadGlyphArt() {
    GlyphArt art;
    std::ifstream in(std::string(VESKEL_SOURCE_DIR) + "/resources/fonts/source/VisitorTT2BRK.txt");
    EXPECT_TRUE(in.good()) << "glyph art not found";
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::map<char32_t, char32_t> aliases;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& h = lines[i];
        if (h.empty() || h[0] == '#') continue;
        Art block(lines.begin() + std::ptrdiff_t(i + 1),
                  lines.begin() + std::ptrdiff_t(std::min(lines.size(), i + 8)));
        if (h == ".notdef") {
            art.notdef = block;
            i += 7;
            continue;
        }
        EXPECT_EQ(h.rfind("U+", 0), 0u) << "bad header: " << h;
        char32_t cp = char32_t(std::stoul(h.substr(2, h.find(' ') == std::string::npos ? h.npos : h.find(' ') - 2), nullptr, 16));
        std::size_t eq = h.find("= U+");
        if (eq != std::string::npos) {
            aliases[cp] = char32_t(std::stoul(h.substr(eq + 4), nullptr, 16));
            continue;
        }
        art.glyphs[cp] = block;
        i += 7;
    }
    for (auto [cp, target] : aliases) {
        while (aliases.count(target)) target = aliases[target];
        EXPECT_TRUE(art.glyphs.count(target)) << "alias without art";
        art.glyphs[cp] = art.glyphs[target];
    }
    return art;
}

Bounds InkBounds(const Bitmap& bmp, Color background) {
    Bounds b;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            if (bmp.Pixel(x, y) == background) continue;
            if (b.empty) b = {x, y, x + 1, y + 1, false};
            b.left = std::min(b.left, x);
            b.top = std::min(b.top, y);
            b.right = std::max(b.right, x + 1);
            b.bottom = std::max(b.bottom, y + 1);
        }
    return b;
}

int CountPixels(const Bitmap& bmp, Color color) {
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) n += bmp.Pixel(x, y) == color;
    return n;
}

}  // namespace veskel::testing
