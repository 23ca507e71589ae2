#include "banner/Renderer.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "banner/BannerDocument.h"
#include "banner/Patterns.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Rounding.h"
#include "platform/text/CodePage.h"
#include "platform/text/FontEngine.h"

namespace veskel {

namespace {

// The real quotients of the blend formulas are taken as one exact integer numerator over one
// division: the result is the correctly rounded quotient, so whole values and exact halves stay
// exact and Round sees them as they are (summing separately rounded factors can land a hair
// below a whole value, which rounding downward would then turn into the integer below).
int RoundQuotient(std::int64_t numerator, std::int64_t denominator) {
    return Round(double(numerator) / double(denominator));
}

std::uint8_t ClampByte(std::int64_t v) { return std::uint8_t(std::clamp<std::int64_t>(v, 0, 255)); }

void CheckIndices(const BannerSettings& s) {
    if (s.Pattern() < 0 || s.Pattern() >= kPatternCount) {
        throw BannerError("The banner cannot be drawn: pattern number " + std::to_string(s.Pattern()) +
                          " is outside 0.." + std::to_string(kPatternCount - 1) + " (damaged project file?)");
    }
    if (s.MirrorPattern() < 0 || s.MirrorPattern() >= kMirrorLayerCount) {
        throw BannerError("The banner cannot be drawn: mirror pattern number " + std::to_string(s.MirrorPattern()) +
                          " is outside 0.." + std::to_string(kMirrorLayerCount - 1) + " (damaged project file?)");
    }
}

// Draws a picture at (x, y) unless it lies wholly outside the banner; positions near the 32-bit
// ends are handled here so the composite never sees a right edge that overflows.
void CompositeClipped(Bitmap& image, const Picture& pic, std::int32_t x, std::int32_t y) {
    if (pic.IsEmpty()) return;
    const std::int64_t right = std::int64_t(x) + pic.Width();
    const std::int64_t bottom = std::int64_t(y) + pic.Height();
    if (x >= image.Width() || y >= image.Height() || right <= 0 || bottom <= 0) return;
    LayerComposite(image, pic, x, y);
}

Font BannerFont(Color color) {
    Font f;
    f.family = kBannerFontFamily;
    f.size = 9;
    f.color = color;
    return f;
}

}  // namespace

void GradientFill(Bitmap& image, Color color1, Color color2, bool horizontal) {
    const int n = horizontal ? image.Width() : image.Height();
    if (n <= 0) return;
    const int c1[3] = {GetB(color1), GetG(color1), GetR(color1)};
    const int c2[3] = {GetB(color2), GetG(color2), GetR(color2)};
    // One line of values along the gradient, then spread across.
    std::vector<std::uint8_t> line(std::size_t(n) * 3);
    for (int t = 0; t < n; ++t) {
        for (int ch = 0; ch < 3; ++ch) {
            line[std::size_t(t) * 3 + ch] = ClampByte(RoundQuotient(std::int64_t(c1[ch]) * (n - t) + std::int64_t(c2[ch]) * t, n));
        }
    }
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) {
            const std::uint8_t* v = &line[std::size_t(horizontal ? x : y) * 3];
            row[3 * x] = v[0];
            row[3 * x + 1] = v[1];
            row[3 * x + 2] = v[2];
        }
    }
}

void PatternBlend(Bitmap& image, int patternIndex, std::int32_t strength) {
    const Bitmap& tile = PatternTile(patternIndex);
    // L = (100 - strength) as an unsigned byte: 1..100 for strengths 0..99.
    const int l = int(std::uint8_t(std::uint32_t(100) - std::uint32_t(strength)));
    // Every result depends only on (tile value, background value): two tables of 256.
    std::uint8_t table[2][256];
    for (int t = 0; t < 2; ++t) {
        const int tv = t ? 255 : 0;
        for (int b = 0; b < 256; ++b) {
            const std::int64_t m = (std::int64_t(tv) * b) / 256;
            // U = Round(M x (100 - L)/100 + B x L/100); value = Round(U x (255 - L)/255 + B x L/255)
            const std::int64_t u = RoundQuotient(m * (100 - l) + std::int64_t(b) * l, 100);
            table[t][b] = ClampByte(RoundQuotient(u * (255 - l) + std::int64_t(b) * l, 255));
        }
    }
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* row = image.Row(y);
        const std::uint8_t* tileRow = tile.Row(y % tile.Height());
        for (int x = 0; x < image.Width(); ++x) {
            const std::uint8_t* tp = tileRow + 3 * (x % tile.Width());
            for (int ch = 0; ch < 3; ++ch) row[3 * x + ch] = table[tp[ch] == 255 ? 1 : 0][row[3 * x + ch]];
        }
    }
}

void DrawMirrorLayer(Bitmap& image, int mirrorIndex, std::int32_t strength) {
    Picture layer = MirrorLayer(mirrorIndex);
    const std::int64_t offset = std::int64_t(strength) - 50;
    for (std::uint8_t& a : layer.alpha) a = ClampByte(a + offset);
    CompositeClipped(image, layer, 0, 0);
}

void OutlinedText(Bitmap& image, std::string_view cp1251, std::int32_t x0, std::int32_t y) {
    if (cp1251.empty()) return;
    // Glyph cells are 12 px high and a little wider than their advance; anything starting further
    // out than this cannot touch the banner.
    constexpr std::int64_t kReach = 64;
    if (std::int64_t(y) <= -kReach || std::int64_t(y) >= image.Height() + kReach) return;
    EnsureBannerFont();
    Canvas canvas(image);
    const Font black = BannerFont(kBlack);
    const Font white = BannerFont(kWhite);
    static const int kOutline[12][2] = {{-1, 0}, {1, 0},  {0, -1}, {0, 1},  {-1, 1}, {-1, 1},
                                        {1, -1}, {1, -1}, {1, 1},  {1, 1},  {-1, -1}, {-1, -1}};
    std::int64_t adv = 0;
    for (char byte : cp1251) {
        const std::string utf8 = Cp1251ToUtf8(std::string_view(&byte, 1));
        const char32_t ch = (*DecodeUtf8(utf8))[0];
        const std::int64_t x = std::int64_t(x0) + adv;
        if (x >= image.Width() + kReach) break;  // every later character starts further right
        if (x > -kReach) {
            const int xi = int(x);
            canvas.font = black;
            for (const auto& o : kOutline) canvas.TextOut(xi + o[0], y + o[1], utf8);
            canvas.font = white;
            canvas.TextOut(xi, y, utf8);
        }
        adv += CharAdvance(white, ch);
    }
}

void DrawBorder(Bitmap& image, Color color) {
    const int w = image.Width();
    const int h = image.Height();
    if (w == 0 || h == 0) return;
    for (int x = 0; x < w; ++x) {
        image.SetPixel(x, 0, color);
        image.SetPixel(x, h - 1, color);
    }
    for (int y = 0; y < h; ++y) {
        image.SetPixel(0, y, color);
        image.SetPixel(w - 1, y, color);
    }
}

void ComposeBanner(Bitmap& image, const BannerSettings& s, const Picture& preparedPicture) {
    CheckIndices(s);
    Bitmap out(kBannerWidth, kBannerHeight);
    GradientFill(out, s.Color1(), s.Color2(), s.Horizontal());
    PatternBlend(out, s.Pattern(), s.PatternStrength());
    if (s.Overlay()) CompositeClipped(out, preparedPicture, s.OverlayX(), s.OverlayY());
    if (s.Glow()) CompositeClipped(out, GlowLayer(), 0, 0);
    DrawMirrorLayer(out, s.MirrorPattern(), s.MirrorStrength());
    OutlinedText(out, s.Text(), s.TextX(), s.TextY());
    if (s.Border()) DrawBorder(out, s.BorderColor());
    image = std::move(out);
}

}  // namespace veskel
