#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/text/CanvasText.h"

#include "platform/text/CodePage.h"
#include "platform/text/FontCache.h"

namespace veskel {
namespace {

using text::FontInstance;
using text::Glyph;

int Advance(FontInstance& f, std::u32string_view s) {
    std::int64_t w = 0;
    for (char32_t c : s) w += f.Advance(c);
    return int(std::clamp<std::int64_t>(w, INT32_MIN, INT32_MAX));
}

// Paints a run of text with its cell's top-left at device (x, y), only inside clip (device).
// Returns the run's advance.
int PaintRun(Bitmap& bmp, const Rect& clip, FontInstance& f, std::int64_t x, std::int64_t y,
             std::u32string_view s, Color color, bool underline) {
    if (clip.IsEmpty()) return Advance(f, s);
    const std::int64_t baseline = y + f.Ascent();
    std::int64_t pen = x;
    for (char32_t c : s) {
        const Glyph& g = f.GlyphFor(c);
        const std::int64_t gx = pen + g.left, gy = baseline - g.top;
        pen += g.advance;
        if (gx >= clip.right || gy >= clip.bottom || gx + g.width <= clip.left || gy + g.height <= clip.top) continue;
        const int x0 = int(std::max<std::int64_t>(0, clip.left - gx));
        const int x1 = int(std::min<std::int64_t>(g.width, clip.right - gx));
        const int y0 = int(std::max<std::int64_t>(0, clip.top - gy));
        const int y1 = int(std::min<std::int64_t>(g.height, clip.bottom - gy));
        for (int row = y0; row < y1; ++row)
            for (int col = x0; col < x1; ++col)
                if (g.At(col, row)) bmp.SetPixel(int(gx + col), int(gy + row), color);
    }
    if (underline && pen > x) {
        const std::int64_t top = y + f.UnderlineTop();
        const int ux0 = int(std::max<std::int64_t>(x, clip.left));
        const int ux1 = int(std::min<std::int64_t>(pen, clip.right));
        const int uy0 = int(std::max<std::int64_t>(top, clip.top));
        const int uy1 = int(std::min<std::int64_t>(top + f.UnderlineThickness(), clip.bottom));
        for (int row = uy0; row < uy1; ++row)
            for (int col = ux0; col < ux1; ++col) bmp.SetPixel(col, row, color);
    }
    return int(std::clamp<std::int64_t>(pen - x, INT32_MIN, INT32_MAX));
}

Rect DeviceClip(const Canvas& canvas) { return canvas.ClipRect().Intersect(canvas.Target().Bounds()); }

struct Line {
    std::u32string_view text;
    int width = 0;
};

bool IsBreak(char32_t c) { return c == U'\r' || c == U'\n'; }

// Splits text into the lines DrawText draws: at line breaks (CR LF, CR or LF) unless singleLine,
// and, with wordBreak, greedily at spaces so that each line fits maxWidth. A word wider than
// maxWidth is kept whole on a line of its own; the spaces where a line is broken are dropped.
std::vector<Line> LayoutLines(FontInstance& f, std::u32string_view s, int maxWidth, bool singleLine, bool wordBreak) {
    std::vector<std::u32string_view> paragraphs;
    if (singleLine) {
        paragraphs.push_back(s);
    } else {
        std::size_t start = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (!IsBreak(s[i])) continue;
            paragraphs.push_back(s.substr(start, i - start));
            if (s[i] == U'\r' && i + 1 < s.size() && s[i + 1] == U'\n') ++i;
            start = i + 1;
        }
        if (start < s.size()) paragraphs.push_back(s.substr(start));
    }

    std::vector<Line> lines;
    for (std::u32string_view p : paragraphs) {
        if (!wordBreak || singleLine) {
            lines.push_back({p, Advance(f, p)});
            continue;
        }
        std::size_t lineStart = 0, lineEnd = 0, pos = 0;
        int width = 0;
        bool haveWord = false;
        while (pos < p.size()) {
            std::size_t wordStart = pos;
            while (wordStart < p.size() && p[wordStart] == U' ') ++wordStart;
            if (wordStart == p.size()) break;  // only spaces remain: they end the paragraph unseen
            std::size_t wordEnd = wordStart;
            while (wordEnd < p.size() && p[wordEnd] != U' ') ++wordEnd;
            const int gap = Advance(f, p.substr(pos, wordStart - pos));
            const int word = Advance(f, p.substr(wordStart, wordEnd - wordStart));
            if (haveWord && std::int64_t(width) + gap + word > maxWidth) {
                lines.push_back({p.substr(lineStart, lineEnd - lineStart), width});
                lineStart = wordStart;
                width = word;
            } else {
                width += gap + word;
            }
            lineEnd = wordEnd;
            haveWord = true;
            pos = wordEnd;
        }
        if (haveWord)
            lines.push_back({p.substr(lineStart, lineEnd - lineStart), width});
        else
            lines.push_back({p, Advance(f, p)});  // an empty or all-blank paragraph is one line
    }
    return lines;
}

}  // namespace

void TextOut(Canvas& canvas, int x, int y, std::string_view utf8) {
    auto lock = text::LockEngine();
    FontInstance& f = text::Instance(canvas.font);
    const std::u32string s = DecodeUtf8Lossy(utf8);
    const Point o = canvas.Origin();
    PaintRun(canvas.Target(), DeviceClip(canvas), f, std::int64_t(x) + o.x, std::int64_t(y) + o.y, s,
             canvas.font.color, canvas.font.underline);
}

Size TextExtent(const Canvas& canvas, std::string_view utf8) {
    auto lock = text::LockEngine();
    FontInstance& f = text::Instance(canvas.font);
    return {Advance(f, DecodeUtf8Lossy(utf8)), f.Height()};
}

int DrawText(Canvas& canvas, std::string_view utf8, Rect& r, unsigned flags) {
    auto lock = text::LockEngine();
    FontInstance& f = text::Instance(canvas.font);
    const std::u32string s = DecodeUtf8Lossy(utf8);
    if (s.empty()) {
        if (flags & kDtCalcRect) r.bottom = r.top;
        return 0;
    }
    const bool singleLine = (flags & kDtSingleLine) != 0;
    const bool wordBreak = (flags & kDtWordBreak) != 0;
    const std::vector<Line> lines = LayoutLines(f, s, r.Width(), singleLine, wordBreak);
    const int lineHeight = f.Height();
    const int height = int(std::min<std::int64_t>(std::int64_t(lineHeight) * std::int64_t(lines.size()), INT32_MAX));

    if (flags & kDtCalcRect) {
        int widest = 0;
        for (const Line& l : lines) widest = std::max(widest, l.width);
        r.bottom = r.top + height;
        if (!wordBreak || singleLine)
            r.right = r.left + widest;
        else
            r.right = std::max(r.right, r.left + widest);  // a word wider than the box widens it
        return height;
    }

    std::int64_t y = r.top;
    if (singleLine && (flags & kDtBottom))
        y = std::int64_t(r.bottom) - lineHeight;
    else if (singleLine && (flags & kDtVCenter))
        y = r.top + (std::int64_t(r.Height()) - lineHeight) / 2;

    const Point o = canvas.Origin();
    const Rect clip = DeviceClip(canvas).Intersect(r.Offset(o.x, o.y));
    for (const Line& l : lines) {
        std::int64_t x = r.left;
        if (flags & kDtRight)
            x = std::int64_t(r.right) - l.width;
        else if (flags & kDtCenter)
            x = r.left + (std::int64_t(r.Width()) - l.width) / 2;
        PaintRun(canvas.Target(), clip, f, x + o.x, y + o.y, l.text, canvas.font.color, canvas.font.underline);
        y += lineHeight;
    }
    return height;
}

}  // namespace veskel
