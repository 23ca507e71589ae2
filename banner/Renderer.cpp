#include "banner/Renderer.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "banner/BannerText.h"
#include "banner/Patterns.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Rounding.h"
#include "platform/lang/Translate.h"
#include "platform/text/CodePage.h"
#include "platform/text/FontCache.h"
#include "platform/text/FontEngine.h"

namespace veskel {

namespace {

// The real quotients of the blend formulas are taken as one exact integer numerator over a
// positive denominator and rounded in integer arithmetic: the result is what rounding the exact
// quotient in the process mode gives, so whole values and exact halves stay exact (summing
// separately rounded factors can land a hair below a whole value, which rounding downward would
// then turn into the integer below), and no floating point is needed.
std::int64_t RoundQuotient(std::int64_t numerator, std::int64_t denominator, RoundingMode mode) {
    std::int64_t q = numerator / denominator;
    std::int64_t r = numerator % denominator;
    if (r < 0) {  // floor division
        q -= 1;
        r += denominator;
    }
    if (mode == RoundingMode::Downward) return q;
    if (2 * r > denominator || (2 * r == denominator && (q & 1))) return q + 1;
    return q;
}

std::uint8_t ClampByte(std::int64_t v) { return std::uint8_t(std::clamp<std::int64_t>(v, 0, 255)); }

void CheckIndices(const BannerSettings& s) {
    if (const FieldInfo* f = s.UndrawableField()) {
        throw BannerError(Tr("The banner cannot be drawn: the {1} number {2} is outside {3}..{4} (damaged project file?)",
                             {Tr(std::string(f->drawnAs)), std::to_string(s.GetInt(f->offset)),
                              std::to_string(f->min), std::to_string(f->max)}));
    }
}

// Draws a picture at (x, y) unless it lies wholly outside the banner; positions near the 32-bit
// ends are handled here so the composite never sees a right edge that overflows.
void CompositeClipped(Bitmap& image, const Picture& pic, std::int64_t x, std::int64_t y) {
    if (pic.IsEmpty()) return;
    const std::int64_t right = x + pic.Width();
    const std::int64_t bottom = y + pic.Height();
    if (x >= image.Width() || y >= image.Height() || right <= 0 || bottom <= 0) return;
    LayerComposite(image, pic, int(x), int(y));
}

Font BannerFont(Color color) {
    Font f;
    f.family = kBannerFontFamily;
    f.size = 9;
    f.color = color;
    return f;
}

// ---- gradient and pattern

// The gradient's values along its direction, n entries of blue, green, red.
std::vector<std::uint8_t> GradientLine(Color color1, Color color2, int n, RoundingMode mode) {
    const int c1[3] = {GetB(color1), GetG(color1), GetR(color1)};
    const int c2[3] = {GetB(color2), GetG(color2), GetR(color2)};
    std::vector<std::uint8_t> line(std::size_t(n) * 3);
    for (int t = 0; t < n; ++t)
        for (int ch = 0; ch < 3; ++ch)
            line[std::size_t(t) * 3 + ch] =
                ClampByte(RoundQuotient(std::int64_t(c1[ch]) * (n - t) + std::int64_t(c2[ch]) * t, n, mode));
    return line;
}

// The pattern blend of every background value under a black (0) and a white (1) tile pixel.
struct BlendTable {
    std::uint8_t value[2][256];
};

BlendTable MakeBlendTable(std::int32_t strength, RoundingMode mode) {
    // L = (100 - strength) as an unsigned byte: 1..100 for strengths 0..99.
    const int l = int(std::uint8_t(std::uint32_t(100) - std::uint32_t(strength)));
    BlendTable table;
    for (int t = 0; t < 2; ++t) {
        const int tv = t ? 255 : 0;
        for (int b = 0; b < 256; ++b) {
            const std::int64_t m = (std::int64_t(tv) * b) / 256;
            // U = Round(M x (100 - L)/100 + B x L/100); value = Round(U x (255 - L)/255 + B x L/255)
            const std::int64_t u = RoundQuotient(m * (100 - l) + std::int64_t(b) * l, 100, mode);
            table.value[t][b] = ClampByte(RoundQuotient(u * (255 - l) + std::int64_t(b) * l, 255, mode));
        }
    }
    return table;
}

// Gradient and pattern of a whole banner. The result depends on nothing but these inputs, so each
// thread keeps the last one it made: a change of any later step (text, layers, border) reuses it.
struct BaseKey {
    Color color1 = 0;
    Color color2 = 0;
    bool horizontal = false;
    int pattern = -1;
    std::int32_t strength = 0;
    RoundingMode mode = RoundingMode::NearestEven;
    friend bool operator==(const BaseKey&, const BaseKey&) = default;
};

void MakeBase(Bitmap& out, const BaseKey& key) {
    const int w = out.Width(), h = out.Height();
    const int n = key.horizontal ? w : h;
    const std::vector<std::uint8_t> line = GradientLine(key.color1, key.color2, n, key.mode);
    const BlendTable table = MakeBlendTable(key.strength, key.mode);
    // The two possible results along the gradient: under a black and under a white tile pixel.
    std::vector<std::uint8_t> dark(line.size()), light(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        dark[i] = table.value[0][line[i]];
        light[i] = table.value[1][line[i]];
    }
    const Bitmap& tile = PatternTile(key.pattern);
    const int tileWidth = tile.Width();
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = out.Row(y);
        // Along a horizontal gradient a row repeats the one a tile height above it.
        if (key.horizontal && y >= tile.Height()) {
            std::memcpy(row, out.Row(y - tile.Height()), std::size_t(w) * 3);
            continue;
        }
        const std::uint8_t* tileRow = tile.Row(y % tile.Height());
        for (int x = 0, tx = 0; x < w; ++x) {
            const std::size_t t = std::size_t(key.horizontal ? x : y) * 3;
            const bool white = tileRow[3 * tx] == 255;
            if (++tx == tileWidth) tx = 0;
            const std::uint8_t* v = white ? &light[t] : &dark[t];
            row[3 * x] = v[0];
            row[3 * x + 1] = v[1];
            row[3 * x + 2] = v[2];
        }
    }
}

void DrawBase(Bitmap& out, const BannerSettings& s, RoundingMode mode) {
    const BaseKey key{s.Color1(), s.Color2(), s.Horizontal(), s.Pattern(), s.PatternStrength(), mode};
    thread_local BaseKey lastKey;
    thread_local Bitmap last;
    if (!(key == lastKey) || last.Width() != out.Width() || last.Height() != out.Height()) {
        last.Reset(out.Width(), out.Height());
        MakeBase(last, key);
        lastKey = key;
    }
    std::memcpy(out.Data(), last.Data(), out.ByteSize());
}

// ---- built-in layers

// A banner-wide layer ready to blend: per byte of the covered rows, s x a + 255 and 255 - a, so
// that a blend is (prepared + inverse x d) div 256. Every intermediate value fits 16 bits.
struct PreparedLayer {
    std::unique_ptr<std::uint16_t[]> scaled;
    std::unique_ptr<std::uint8_t[]> inverse;
    std::size_t bytes = 0;
};

PreparedLayer PrepareLayer(const Picture& layer, std::int64_t alphaOffset) {
    const std::size_t pixels = std::size_t(layer.Width()) * std::size_t(layer.Height());
    PreparedLayer out;
    out.bytes = pixels * 3;
    // Every element is written below, so neither array is cleared first.
    out.scaled.reset(new std::uint16_t[out.bytes]);
    out.inverse.reset(new std::uint8_t[out.bytes]);
    // 255 - a for every byte, then one flat pass the compiler can vectorise.
    std::uint8_t* inverse = out.inverse.get();
    const int offset = int(std::clamp<std::int64_t>(alphaOffset, -255, 255));  // beyond, every alpha clamps alike
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t a = std::uint8_t(std::clamp(layer.alpha[i] + offset, 0, 255));
        inverse[3 * i] = inverse[3 * i + 1] = inverse[3 * i + 2] = std::uint8_t(255 - a);
    }
    const std::uint8_t* colour = layer.color.Data();
    std::uint16_t* scaled = out.scaled.get();
    for (std::size_t i = 0; i < out.bytes; ++i) scaled[i] = std::uint16_t(colour[i] * (255 - inverse[i]) + 255);
    return out;
}

// Blends a prepared layer onto the top rows of a banner of the same width; the same arithmetic as
// LayerComposite, in 16-bit lanes the compiler can run several at a time.
void BlendPrepared(Bitmap& image, const PreparedLayer& layer) {
    std::uint8_t* d = image.Data();
    const std::uint16_t* sa = layer.scaled.get();
    const std::uint8_t* ia = layer.inverse.get();
    const std::size_t n = std::min(layer.bytes, image.ByteSize());
    for (std::size_t i = 0; i < n; ++i) d[i] = std::uint8_t(std::uint16_t(sa[i] + std::uint16_t(ia[i]) * d[i]) >> 8);
}

void BlendRow(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* a, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t alpha = a[i];
        d[i] = std::uint8_t(std::uint16_t(s[i] * alpha + 255 + std::uint16_t(255 - alpha) * d[i]) >> 8);
    }
}

// Blends a banner-wide layer straight from its picture, each alpha moved by `offset` and clamped:
// the same arithmetic as the prepared blend, a row at a time, without preparing anything.
void BlendDirect(Bitmap& image, const Picture& layer, int offset) {
    const int w = std::min(layer.Width(), image.Width());
    const int h = std::min(layer.Height(), image.Height());
    std::vector<std::uint8_t> spread(std::size_t(w) * 3);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* a = layer.AlphaRow(y);
        for (int x = 0; x < w; ++x)
            spread[3 * x] = spread[3 * x + 1] = spread[3 * x + 2] = std::uint8_t(std::clamp(a[x] + offset, 0, 255));
        BlendRow(image.Row(y), layer.color.Row(y), spread.data(), spread.size());
    }
}

// A layer is prepared only when it is drawn a second time with the same strength: a run that
// draws one banner blends it straight from its picture, while a window or a batch that draws
// many gets the faster prepared blend from the second banner on.
void BlendGlow(Bitmap& image) {
    static std::atomic<bool> drawnBefore{false};
    if (!drawnBefore.exchange(true, std::memory_order_relaxed)) {
        // Straight from the glow's tables, a row at a time; the lower half mirrors the upper.
        constexpr int kHalf = (kLayerHeight + 1) / 2;
        std::uint8_t colour[kHalf][3 * kLayerWidth], spread[kHalf][3 * kLayerWidth], alpha[kLayerWidth];
        const int w = std::min(kLayerWidth, image.Width());
        for (int y = 0; y < std::min(kLayerHeight, image.Height()); ++y) {
            const int row = std::min(y, kLayerHeight - 1 - y);
            if (row == y) {
                GlowRow(y, colour[row], alpha);
                for (int x = 0; x < w; ++x) spread[row][3 * x] = spread[row][3 * x + 1] = spread[row][3 * x + 2] = alpha[x];
            }
            BlendRow(image.Row(y), colour[row], spread[row], std::size_t(w) * 3);
        }
        return;
    }
    static const PreparedLayer glow = PrepareLayer(GlowLayer(), 0);
    BlendPrepared(image, glow);
}

// The selected highlight layer with its strength applied; each thread keeps the last one.
void BlendMirror(Bitmap& image, int index, std::int32_t strength) {
    // Offsets beyond +-255 clamp every alpha alike.
    const int offset = int(std::clamp<std::int64_t>(std::int64_t(strength) - 50, -255, 255));
    thread_local int lastIndex = -1;
    thread_local int lastOffset = 0;
    thread_local PreparedLayer last;
    if (index != lastIndex || offset != lastOffset) {
        lastIndex = index;
        lastOffset = offset;
        last = PreparedLayer{};
        BlendDirect(image, MirrorLayer(index), offset);
        return;
    }
    if (!last.scaled) last = PrepareLayer(MirrorLayer(index), offset);
    BlendPrepared(image, last);
}


// The overlay picture: the same blend as LayerComposite, clipped to the banner, one row at a time
// with each alpha spread over its pixel's three bytes so that the blend runs in flat 16-bit passes.
void BlendOverlay(Bitmap& image, const Picture& pic, std::int64_t x, std::int64_t y) {
    const std::size_t pixels = std::size_t(pic.Width()) * std::size_t(pic.Height());
    if (pic.IsEmpty() || !pic.HasAlpha() || pic.alpha.size() != pixels) {
        CompositeClipped(image, pic, x, y);  // pictures without alpha are copied
        return;
    }
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t right = std::min<std::int64_t>(x + pic.Width(), image.Width());
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t bottom = std::min<std::int64_t>(y + pic.Height(), image.Height());
    if (left >= right || top >= bottom) return;
    const std::size_t n = std::size_t(right - left);
    thread_local std::vector<std::uint8_t> alpha;
    alpha.resize(n * 3);
    for (std::int64_t row = top; row < bottom; ++row) {
        const int py = int(row - y);
        const std::uint8_t* src = pic.color.Row(py) + std::size_t(left - x) * 3;
        const std::uint8_t* a = pic.AlphaRow(py) + std::size_t(left - x);
        std::uint8_t* d = image.Row(int(row)) + std::size_t(left) * 3;
        std::uint8_t* spread = alpha.data();
        for (std::size_t i = 0; i < n; ++i) spread[3 * i] = spread[3 * i + 1] = spread[3 * i + 2] = a[i];
        BlendRow(d, src, spread, 3 * n);
    }
}

// ---- text

// One character of outlined text as the pixels it paints, relative to its cell's top-left corner:
// first the black outline (the glyph moved by one pixel in each of the eight directions), then
// the white glyph over it.
struct TextStamp {
    std::vector<std::pair<int, int>> outline;
    std::vector<std::pair<int, int>> glyph;
    int advance = 0;
};

TextStamp MakeStamp(text::FontInstance& font, char32_t ch) {
    const text::Glyph& g = font.GlyphFor(ch);
    TextStamp st;
    st.advance = g.advance;
    const int left = g.left, top = font.Ascent() - g.top;
    // The outline covers the glyph grown by one pixel all round.
    const int ow = g.width + 2, oh = g.height + 2;
    std::vector<std::uint8_t> grown(std::size_t(std::max(ow, 0)) * std::size_t(std::max(oh, 0)), 0);
    for (int row = 0; row < g.height; ++row) {
        for (int col = 0; col < g.width; ++col) {
            if (!g.At(col, row)) continue;
            st.glyph.emplace_back(left + col, top + row);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (dx || dy) grown[std::size_t(row + 1 + dy) * std::size_t(ow) + std::size_t(col + 1 + dx)] = 1;
        }
    }
    for (int row = 0; row < oh; ++row)
        for (int col = 0; col < ow; ++col)
            if (grown[std::size_t(row) * std::size_t(ow) + std::size_t(col)])
                st.outline.emplace_back(left + col - 1, top + row - 1);
    return st;
}

// The stamps of the 256 Windows-1251 bytes, made on first use and then shared by every thread.
const TextStamp& StampFor(unsigned char byte) {
    static std::atomic<const TextStamp*> stamps[256];
    if (const TextStamp* st = stamps[byte].load(std::memory_order_acquire)) return *st;
    const std::string utf8 = Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(&byte), 1));
    const char32_t ch = (*DecodeUtf8(utf8))[0];
    auto lock = text::LockEngine();
    if (const TextStamp* st = stamps[byte].load(std::memory_order_acquire)) return *st;
    // Kept for the life of the process, like the font engine's own glyph cache.
    const TextStamp* made = new TextStamp(MakeStamp(text::Instance(BannerFont(kWhite)), ch));
    stamps[byte].store(made, std::memory_order_release);
    return *made;
}

void Stamp(Bitmap& image, const std::vector<std::pair<int, int>>& pixels, int x, int y, std::uint8_t value) {
    const int w = image.Width(), h = image.Height();
    for (const auto& [dx, dy] : pixels) {
        const int px = x + dx, py = y + dy;
        if (px < 0 || py < 0 || px >= w || py >= h) continue;
        std::uint8_t* p = image.Row(py) + 3 * std::size_t(px);
        p[0] = p[1] = p[2] = value;
    }
}

}  // namespace

void GradientFill(Bitmap& image, Color color1, Color color2, bool horizontal, RoundingMode mode) {
    const int n = horizontal ? image.Width() : image.Height();
    if (n <= 0) return;
    // One line of values along the gradient, then spread across.
    const std::vector<std::uint8_t> line = GradientLine(color1, color2, n, mode);
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

void PatternBlend(Bitmap& image, int patternIndex, std::int32_t strength, RoundingMode mode) {
    const Bitmap& tile = PatternTile(patternIndex);
    // Every result depends only on (tile value, background value): two tables of 256.
    const BlendTable table = MakeBlendTable(strength, mode);
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* row = image.Row(y);
        const std::uint8_t* tileRow = tile.Row(y % tile.Height());
        for (int x = 0; x < image.Width(); ++x) {
            const std::uint8_t* tp = tileRow + 3 * (x % tile.Width());
            for (int ch = 0; ch < 3; ++ch) row[3 * x + ch] = table.value[tp[ch] == 255 ? 1 : 0][row[3 * x + ch]];
        }
    }
}

void DrawMirrorLayer(Bitmap& image, int mirrorIndex, std::int32_t strength) {
    if (image.Width() == kLayerWidth && image.Height() >= kLayerHeight) {
        BlendMirror(image, mirrorIndex, strength);
        return;
    }
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
    std::int64_t adv = 0;
    for (char byte : cp1251) {
        const TextStamp& st = StampFor(static_cast<unsigned char>(byte));
        const std::int64_t x = std::int64_t(x0) + adv;
        if (x >= image.Width() + kReach) break;  // every later character starts further right
        if (x > -kReach) {
            Stamp(image, st.outline, int(x), y, 0);
            Stamp(image, st.glyph, int(x), y, 255);
        }
        adv += st.advance;
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

void ComposeBanner(Bitmap& image, const BannerSettings& s, const Picture& preparedPicture, Point partOffset,
                   RoundingMode mode) {
    CheckIndices(s);
    // Each thread composes into its own buffer and trades it with `image`, so that a banner
    // re-rendered again and again allocates nothing.
    thread_local Bitmap out;
    if (out.Width() != kBannerWidth || out.Height() != kBannerHeight) out.Reset(kBannerWidth, kBannerHeight);
    DrawBase(out, s, mode);
    if (s.Overlay())
        BlendOverlay(out, preparedPicture, std::int64_t(s.OverlayX()) + partOffset.x,
                     std::int64_t(s.OverlayY()) + partOffset.y);
    if (s.Glow()) BlendGlow(out);
    DrawMirrorLayer(out, s.MirrorPattern(), s.MirrorStrength());
    OutlinedText(out, s.Text(), s.TextX(), s.TextY());
    if (s.Border()) DrawBorder(out, s.BorderColor());
    std::swap(image, out);
}

}  // namespace veskel
