#include "platform/graphics/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/graphics/Resample.h"

namespace veskel {
namespace {

using i64 = std::int64_t;
using i128 = __int128;

// A rectangle in device coordinates, wide enough that logical + origin never overflows.
struct DevRect {
    i64 left = 0, top = 0, right = 0, bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    DevRect Intersect(const DevRect& o) const {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
};

DevRect ToDev(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// Floor and ceiling of a / b for b > 0.
i128 FloorDiv(i128 a, i128 b) {
    i128 q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
i128 CeilDiv(i128 a, i128 b) { return -FloorDiv(-a, b); }

// Largest integer whose square is at most v (v >= 0).
i128 ISqrt(i128 v) {
    if (v <= 0) return 0;
    i128 s = i128(std::sqrt(static_cast<long double>(v)));
    while (s > 0 && s * s > v) --s;
    while ((s + 1) * (s + 1) <= v) ++s;
    return s;
}

// Half the width, in doubled coordinates, of row Y of an ellipse whose bounding box is
// ew x eh pixels. Doubled coordinates put the box's centre at 0 and pixel centres on every
// second integer: row Y runs from -(eh - 1) to eh - 1 in steps of 2, and the returned m has the
// parity of ew - 1, so the row covers the pixels at doubled x -m, -m + 2, ..., m. A pixel is
// inside when its centre is: (x / ew)^2 + (Y / eh)^2 <= 1 in doubled units. Every row keeps at
// least its middle pixel (or two), so a flat, wide ellipse never loses its top and bottom rows.
i64 EllipseHalfSpan(i64 ew, i64 eh, i64 Y) {
    const i64 parity = (ew - 1) & 1;
    i128 rest = i128(eh) * eh - i128(Y) * Y;
    if (rest <= 0) return parity;
    i128 m;
    if (ew < (i64(1) << 31) && eh < (i64(1) << 31)) {
        m = ISqrt(i128(ew) * ew * rest / (i128(eh) * eh));
    } else {
        long double f = static_cast<long double>(rest) / (static_cast<long double>(eh) * eh);
        m = i128(static_cast<long double>(ew) * std::sqrt(f));
    }
    if ((m & 1) != parity) --m;
    return m < parity ? parity : i64(m);
}

// Spans of a rounded rectangle over the device pixels [l, r) x [t, b) with corner ellipses
// of ew x eh pixels (a plain rectangle when either is below 2, an ellipse when they equal the
// rectangle's size).
struct RoundShape {
    i64 l, t, r, b, ew, eh;

    RoundShape(i64 l_, i64 t_, i64 r_, i64 b_, i64 ew_, i64 eh_) : l(l_), t(t_), r(r_), b(b_) {
        ew = std::clamp<i64>(ew_, 0, r - l);
        eh = std::clamp<i64>(eh_, 0, b - t);
        if (ew < 2 || eh < 2) ew = eh = 0;
    }

    // The pixels [x0, x1) of row y; empty outside the shape.
    void Span(i64 y, i64& x0, i64& x1) const {
        if (y < t || y >= b) {
            x0 = x1 = 0;
            return;
        }
        x0 = l;
        x1 = r;
        if (ew == 0) return;
        i64 Y;  // doubled row within the corner ellipse
        if (2 * y < 2 * t + eh - 1) {
            Y = 2 * (y - t) - (eh - 1);
        } else if (2 * y > 2 * (b - eh) + eh - 1) {
            Y = 2 * (y - (b - eh)) - (eh - 1);
        } else {
            return;
        }
        i64 m = EllipseHalfSpan(ew, eh, Y);
        i64 inset = (ew - 1 - m) / 2;  // pixels cut off at each side
        x0 = l + inset;
        x1 = r - inset;
    }
};

// Everything that paints goes through this: device coordinates already clipped. Bytes are
// stored blue, green, red.
struct Painter {
    Bitmap& bmp;

    void Put(i64 x, i64 y, Color c, bool xorMode) {
        std::uint8_t* p = bmp.Row(int(y)) + 3 * std::size_t(x);
        if (xorMode) {
            p[0] ^= GetB(c);
            p[1] ^= GetG(c);
            p[2] ^= GetR(c);
        } else {
            p[0] = GetB(c);
            p[1] = GetG(c);
            p[2] = GetR(c);
        }
    }

    // Pixels [x0, x1) of row y with a brush; x0 .. x1 inside the bitmap.
    void BrushSpan(i64 y, i64 x0, i64 x1, const Brush& brush, bool xorMode) {
        if (x1 <= x0) return;
        switch (brush.style) {
            case BrushStyle::Clear:
                return;
            case BrushStyle::Solid: {
                Color c = brush.color;
                std::uint8_t* p = bmp.Row(int(y)) + 3 * std::size_t(x0);
                std::uint8_t* e = bmp.Row(int(y)) + 3 * std::size_t(x1);
                if (xorMode) {
                    for (; p != e; p += 3) p[0] ^= GetB(c), p[1] ^= GetG(c), p[2] ^= GetR(c);
                } else if (GetB(c) == GetG(c) && GetG(c) == GetR(c)) {
                    std::memset(p, GetB(c), std::size_t(e - p));
                } else {
                    for (; p != e; p += 3) p[0] = GetB(c), p[1] = GetG(c), p[2] = GetR(c);
                }
                return;
            }
            case BrushStyle::Pattern: {
                const Bitmap* pat = brush.pattern.get();
                if (!pat || pat->IsEmpty()) return;
                // Tiled from the bitmap's own (0, 0), whatever the canvas origin.
                const std::uint8_t* prow = pat->Row(int(y % pat->Height()));
                std::uint8_t* p = bmp.Row(int(y)) + 3 * std::size_t(x0);
                i64 px = x0 % pat->Width();
                for (i64 x = x0; x < x1; ++x, p += 3) {
                    const std::uint8_t* s = prow + 3 * px;
                    if (xorMode) {
                        p[0] ^= s[0], p[1] ^= s[1], p[2] ^= s[2];
                    } else {
                        p[0] = s[0], p[1] = s[1], p[2] = s[2];
                    }
                    if (++px == pat->Width()) px = 0;
                }
                return;
            }
        }
    }
};

}  // namespace

Canvas::Canvas(Bitmap& target) : target_(&target), clip_(target.Bounds()) {}

void Canvas::SetClipRect(const Rect& deviceRect) { clip_ = deviceRect.Intersect(target_->Bounds()); }

void Canvas::ResetClip() { clip_ = target_->Bounds(); }

void Canvas::IntersectClip(const Rect& logicalRect) {
    DevRect r = ToDev(logicalRect);
    r.left += origin_.x, r.right += origin_.x;
    r.top += origin_.y, r.bottom += origin_.y;
    DevRect c = r.Intersect(ToDev(clip_));
    clip_ = c.IsEmpty() ? Rect{} : Rect{int(c.left), int(c.top), int(c.right), int(c.bottom)};
}

// The clip as it applies now: the target may have been resized since the clip was set.
static DevRect EffectiveClip(const Rect& clip, const Bitmap& bmp) { return ToDev(clip).Intersect(ToDev(bmp.Bounds())); }

Rect Canvas::VisibleRect() const {
    const DevRect c = EffectiveClip(clip_, *target_);
    if (c.IsEmpty()) return {};
    // Device minus origin may leave the int range for an extreme origin; what lies beyond it is
    // no control's pixel, so clamping loses nothing.
    auto logical = [](i64 v) { return int(std::clamp<i64>(v, INT32_MIN, INT32_MAX)); };
    const Rect r{logical(c.left - origin_.x), logical(c.top - origin_.y), logical(c.right - origin_.x),
                 logical(c.bottom - origin_.y)};
    return r.IsEmpty() ? Rect{} : r;
}

Color Canvas::Pixel(int x, int y) const {
    i64 dx = i64(x) + origin_.x, dy = i64(y) + origin_.y;
    if (dx < 0 || dy < 0 || dx >= target_->Width() || dy >= target_->Height()) return kBlack;
    return target_->Pixel(int(dx), int(dy));
}

void Canvas::SetPixel(int x, int y, Color c) {
    i64 dx = i64(x) + origin_.x, dy = i64(y) + origin_.y;
    DevRect clip = EffectiveClip(clip_, *target_);
    if (dx < clip.left || dx >= clip.right || dy < clip.top || dy >= clip.bottom) return;
    Painter{*target_}.Put(dx, dy, c, false);
}

void Canvas::FillRect(const Rect& r) {
    DevRect d{i64(r.left) + origin_.x, i64(r.top) + origin_.y, i64(r.right) + origin_.x, i64(r.bottom) + origin_.y};
    d = d.Intersect(EffectiveClip(clip_, *target_));
    if (d.IsEmpty()) return;
    Painter p{*target_};
    for (i64 y = d.top; y < d.bottom; ++y) p.BrushSpan(y, d.left, d.right, brush, false);
}

void Canvas::FrameRect(const Rect& r, Color c) {
    if (r.IsEmpty()) return;
    const i64 w = i64(r.right) - r.left, h = i64(r.bottom) - r.top;
    Brush saved = brush;
    brush = Brush{c, BrushStyle::Solid, nullptr};
    FillRect({r.left, r.top, r.right, r.top + 1});
    if (h > 1) FillRect({r.left, r.bottom - 1, r.right, r.bottom});
    if (h > 2) {
        FillRect({r.left, r.top + 1, r.left + 1, r.bottom - 1});
        if (w > 1) FillRect({r.right - 1, r.top + 1, r.right, r.bottom - 1});
    }
    brush = saved;
}

// Draws the shape's one-pixel outline with the pen and its inside with the brush. With a clear
// pen the shape loses its right column and bottom row, as on the classic platform: the pen
// path runs through the centres of the last column and row, and a fill alone stops short of
// the path's right and bottom edges.
static void PaintRoundShape(Bitmap& bmp, const DevRect& clip, const Pen& pen, const Brush& brush, i64 l, i64 t,
                            i64 r, i64 b, i64 ew, i64 eh, bool ellipse) {
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    const bool outline = pen.style != PenStyle::Clear;
    if (!outline) {
        --r;
        --b;
    }
    if (r <= l || b <= t) return;
    if (ellipse) {
        ew = r - l;
        eh = b - t;
    }
    RoundShape shape(l, t, r, b, ew, eh);
    const bool xorMode = pen.mode == PenMode::Xor;
    Painter p{bmp};
    const i64 y0 = std::max(t, clip.top), y1 = std::min(b, clip.bottom);
    auto clippedBrush = [&](i64 y, i64 a, i64 e) {
        a = std::max(a, clip.left);
        e = std::min(e, clip.right);
        p.BrushSpan(y, a, e, brush, xorMode);
    };
    auto clippedPen = [&](i64 y, i64 a, i64 e) {
        a = std::max(a, clip.left);
        e = std::min(e, clip.right);
        for (i64 x = a; x < e; ++x) p.Put(x, y, pen.color, xorMode);
    };
    for (i64 y = y0; y < y1; ++y) {
        i64 a, e;
        shape.Span(y, a, e);
        if (!outline) {
            clippedBrush(y, a, e);
            continue;
        }
        // The outline is every shape pixel with a 4-neighbour outside the shape; the rows
        // above and below are intervals too, so the inside of this row is one interval.
        i64 ua, ue, da, de;
        shape.Span(y - 1, ua, ue);
        shape.Span(y + 1, da, de);
        i64 ia = std::max({a + 1, ua, da});
        i64 ie = std::min({e - 1, ue, de});
        if (ie <= ia) {
            clippedPen(y, a, e);
            continue;
        }
        clippedPen(y, a, ia);
        clippedBrush(y, ia, ie);
        clippedPen(y, ie, e);
    }
}

void Canvas::Rectangle(const Rect& r) {
    PaintRoundShape(*target_, EffectiveClip(clip_, *target_), pen, brush, i64(r.left) + origin_.x,
                    i64(r.top) + origin_.y, i64(r.right) + origin_.x, i64(r.bottom) + origin_.y, 0, 0, false);
}

void Canvas::RoundRect(const Rect& r, int ellipseWidth, int ellipseHeight) {
    PaintRoundShape(*target_, EffectiveClip(clip_, *target_), pen, brush, i64(r.left) + origin_.x,
                    i64(r.top) + origin_.y, i64(r.right) + origin_.x, i64(r.bottom) + origin_.y, ellipseWidth,
                    ellipseHeight, false);
}

void Canvas::Ellipse(const Rect& r) {
    PaintRoundShape(*target_, EffectiveClip(clip_, *target_), pen, brush, i64(r.left) + origin_.x,
                    i64(r.top) + origin_.y, i64(r.right) + origin_.x, i64(r.bottom) + origin_.y, 0, 0, true);
}

// A one-pixel line from (x0, y0) towards (x1, y1), the end point left out. Each step along the
// major axis lights the pixel nearest to the exact line; where the line passes exactly between
// two pixels, the upper one (for flat lines) or the left one (for steep lines) is lit, so the
// same pixels light whichever way the line is drawn. Only the part inside the clip is walked.
static void PaintLine(Bitmap& bmp, const DevRect& clip, const Pen& pen, i64 x0, i64 y0, i64 x1, i64 y1) {
    if (pen.style == PenStyle::Clear || clip.IsEmpty()) return;
    const i64 dx = x1 - x0, dy = y1 - y0;
    const i64 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    if (adx == 0 && ady == 0) return;
    const bool xorMode = pen.mode == PenMode::Xor;
    Painter p{bmp};
    // Walk the major axis: u along it, v across it.
    const bool xMajor = adx >= ady;
    const i64 u0 = xMajor ? x0 : y0, v0 = xMajor ? y0 : x0;
    const i64 du = xMajor ? dx : dy, dv = xMajor ? dy : dx;
    const i64 n = xMajor ? adx : ady;
    const i64 su = du < 0 ? -1 : 1;
    const i64 uLo = xMajor ? clip.left : clip.top, uHi = xMajor ? clip.right : clip.bottom;
    const i64 vLo = xMajor ? clip.top : clip.left, vHi = xMajor ? clip.bottom : clip.right;
    // Steps i in [0, n) whose major coordinate u0 + su * i lies in [uLo, uHi).
    i64 iBegin, iEnd;
    if (su > 0) {
        iBegin = std::max<i64>(0, uLo - u0);
        iEnd = std::min<i64>(n, uHi - u0);
    } else {
        iBegin = std::max<i64>(0, u0 - uHi + 1);
        iEnd = std::min<i64>(n, u0 - uLo + 1);
    }
    if (iBegin >= iEnd) return;
    // v(i) = v0 + ceil((2 * i * dv - n) / (2 * n)), stepped with an error term: q is the
    // ceiling and r = q * 2n - (2 * i * dv - n) stays in [0, 2n). One exact division to start.
    const i64 twoN = 2 * n, twoDv = 2 * dv;
    i128 q0 = CeilDiv(i128(2) * iBegin * dv - n, twoN);
    i64 q = i64(q0);
    i64 r = i64(q0 * twoN - (i128(2) * iBegin * dv - n));
    for (i64 i = iBegin; i < iEnd; ++i) {
        const i64 v = v0 + q;
        if (v >= vLo && v < vHi) {
            const i64 u = u0 + su * i;
            if (xMajor)
                p.Put(u, v, pen.color, xorMode);
            else
                p.Put(v, u, pen.color, xorMode);
        }
        r -= twoDv;  // |dv| <= n, so one correction at most
        if (r < 0) {
            r += twoN;
            ++q;
        } else if (r >= twoN) {
            r -= twoN;
            --q;
        }
    }
}

void Canvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

void Canvas::LineTo(int x, int y) {
    PaintLine(*target_, EffectiveClip(clip_, *target_), pen, i64(penPos_.x) + origin_.x, i64(penPos_.y) + origin_.y,
              i64(x) + origin_.x, i64(y) + origin_.y);
    penPos_ = {x, y};
}

void Canvas::Polygon(const std::vector<Point>& points) {
    if (points.size() < 2) return;
    const DevRect clip = EffectiveClip(clip_, *target_);
    if (clip.IsEmpty()) return;
    std::vector<std::pair<i64, i64>> pts;
    pts.reserve(points.size());
    i64 ymin = INT64_MAX, ymax = INT64_MIN;
    for (const Point& q : points) {
        pts.emplace_back(i64(q.x) + origin_.x, i64(q.y) + origin_.y);
        ymin = std::min(ymin, pts.back().second);
        ymax = std::max(ymax, pts.back().second);
    }
    const bool xorMode = pen.mode == PenMode::Xor;
    // Fill, alternate rule: a pixel is inside when its centre is, a centre on a left or top
    // edge counting as inside and one on a right or bottom edge as outside. Each edge covers
    // the rows from its upper end up to, not including, its lower end.
    if (brush.style != BrushStyle::Clear) {
        Painter p{*target_};
        std::vector<i64> xs;
        const i64 y0 = std::max(ymin, clip.top), y1 = std::min(ymax, clip.bottom);
        for (i64 y = y0; y < y1; ++y) {
            xs.clear();
            for (std::size_t k = 0; k < pts.size(); ++k) {
                auto a = pts[k], b = pts[(k + 1) % pts.size()];
                if (a.second == b.second) continue;
                if (a.second > b.second) std::swap(a, b);
                if (y < a.second || y >= b.second) continue;
                // First pixel centre at or right of the crossing.
                i128 num = i128(a.first) * (b.second - a.second) + i128(y - a.second) * (b.first - a.first);
                xs.push_back(i64(CeilDiv(num, b.second - a.second)));
            }
            std::sort(xs.begin(), xs.end());
            for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
                i64 a = std::max(xs[k], clip.left), e = std::min(xs[k + 1], clip.right);
                p.BrushSpan(y, a, e, brush, xorMode);
            }
        }
    }
    // Outline: every edge as a line, the closing edge included, so each vertex is lit once.
    for (std::size_t k = 0; k < pts.size(); ++k) {
        auto a = pts[k], b = pts[(k + 1) % pts.size()];
        PaintLine(*target_, clip, pen, a.first, a.second, b.first, b.second);
    }
}

// ---------------------------------------------------------------- images

void Canvas::CopyFrom(int x, int y, const Bitmap& src, const Rect& srcRect) {
    Rect s = srcRect.Intersect(src.Bounds());
    if (s.IsEmpty()) return;
    // Where the visible source part lands, in device coordinates.
    i64 dx = i64(x) + origin_.x + (i64(s.left) - srcRect.left);
    i64 dy = i64(y) + origin_.y + (i64(s.top) - srcRect.top);
    DevRect d{dx, dy, dx + s.Width(), dy + s.Height()};
    DevRect c = d.Intersect(EffectiveClip(clip_, *target_));
    if (c.IsEmpty()) return;
    const int sx = int(s.left + (c.left - d.left));
    const int sy = int(s.top + (c.top - d.top));
    const std::size_t bytes = std::size_t(c.right - c.left) * 3;
    // memmove per row, and rows in an order that never reads a row already overwritten, so a
    // copy within the same bitmap works whichever way it moves.
    const int rows = int(c.bottom - c.top);
    const bool upward = &src == target_ && c.top > sy;
    for (int k = 0; k < rows; ++k) {
        int r = upward ? rows - 1 - k : k;
        std::memmove(target_->Row(int(c.top) + r) + std::size_t(c.left) * 3, src.Row(sy + r) + std::size_t(sx) * 3,
                     bytes);
    }
}

void Canvas::DrawTiledRow(int x, int y, const Bitmap& tile, long long count) {
    const i64 w = tile.Width();
    if (count <= 0 || tile.IsEmpty()) return;
    const DevRect c = EffectiveClip(clip_, *target_);
    if (c.IsEmpty()) return;
    // Copy k covers device columns x0 + k w .. x0 + (k + 1) w - 1.
    const i64 x0 = i64(x) + origin_.x;
    const i64 first = std::max<i64>(0, i64(FloorDiv(c.left - x0, w)));
    const i64 end = std::min<i64>(count, i64(FloorDiv(c.right - 1 - x0, w)) + 1);
    // The copies are placed in device coordinates, where the visible ones always fit an int.
    const Point savedOrigin = origin_;
    origin_ = {0, savedOrigin.y};
    for (i64 k = first; k < end; ++k) CopyFrom(int(x0 + k * w), y, tile, tile.Bounds());
    origin_ = savedOrigin;
}

void Canvas::Draw(int x, int y, const Picture& pic) {
    const std::size_t expected = std::size_t(pic.Width()) * std::size_t(pic.Height());
    if (!pic.HasAlpha() || pic.alpha.size() != expected) {
        Draw(x, y, pic.color);
        return;
    }
    i64 dx = i64(x) + origin_.x, dy = i64(y) + origin_.y;
    DevRect d{dx, dy, dx + pic.Width(), dy + pic.Height()};
    DevRect c = d.Intersect(EffectiveClip(clip_, *target_));
    if (c.IsEmpty()) return;
    for (i64 ty = c.top; ty < c.bottom; ++ty) {
        const int py = int(ty - dy);
        const std::uint8_t* s = pic.color.Row(py) + std::size_t(c.left - dx) * 3;
        const std::uint8_t* a = pic.AlphaRow(py) + std::size_t(c.left - dx);
        std::uint8_t* p = target_->Row(int(ty)) + std::size_t(c.left) * 3;
        for (i64 tx = c.left; tx < c.right; ++tx, s += 3, ++a, p += 3) {
            const unsigned al = *a, inv = 255 - al;
            p[0] = std::uint8_t((s[0] * al + 255 + inv * p[0]) >> 8);
            p[1] = std::uint8_t((s[1] * al + 255 + inv * p[1]) >> 8);
            p[2] = std::uint8_t((s[2] * al + 255 + inv * p[2]) >> 8);
        }
    }
}

void Canvas::StretchDraw(const Rect& dst, const Bitmap& src, const Rect& srcRect) {
    if (dst.IsEmpty() || srcRect.IsEmpty() || src.IsEmpty()) return;
    const i64 dw = i64(dst.right) - dst.left, dh = i64(dst.bottom) - dst.top;
    const i64 sw = i64(srcRect.right) - srcRect.left, sh = i64(srcRect.bottom) - srcRect.top;
    if (dw > INT32_MAX || dh > INT32_MAX || sw > INT32_MAX || sh > INT32_MAX) return;
    i64 dl = i64(dst.left) + origin_.x, dt = i64(dst.top) + origin_.y;
    DevRect d{dl, dt, dl + dw, dt + dh};
    DevRect c = d.Intersect(EffectiveClip(clip_, *target_));
    if (c.IsEmpty()) return;
    // Only the visible part of the destination is computed.
    Rect window{int(c.left - dl), int(c.top - dt), int(c.right - dl), int(c.bottom - dt)};
    Bitmap part;
    if (srcRect.Intersect(src.Bounds()) == srcRect) {
        part = StretchHalftoneWindow(src, srcRect, int(dw), int(dh), window);
    } else {
        // A source rectangle reaching past the bitmap reads black there.
        if (sw * sh > (i64(1) << 26)) return;
        Bitmap padded{int(sw), int(sh)};
        Canvas pc(padded);
        pc.CopyFrom(0, 0, src, srcRect);
        part = StretchHalftoneWindow(padded, padded.Bounds(), int(dw), int(dh), window);
    }
    if (part.IsEmpty()) return;
    // The window is already clipped; copy it in device coordinates.
    Point savedOrigin = origin_;
    origin_ = {0, 0};
    CopyFrom(int(c.left), int(c.top), part, part.Bounds());
    origin_ = savedOrigin;
}

void LayerComposite(Bitmap& dst, const Picture& pic, int x, int y) {
    Canvas c(dst);
    c.Draw(x, y, pic);
}

}  // namespace veskel
