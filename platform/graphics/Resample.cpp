#include "platform/graphics/Resample.h"

#include <algorithm>
#include <cstring>

namespace veskel {
namespace {

// The source pixels that one axis of the destination reads, with their coverage weights.
// Destination pixel i reads source pixels first[i] .. first[i] + count[i] - 1 with the weights
// weights[offset[i] ..]; the weights of every destination pixel add up to the source length.
struct AxisTaps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<std::size_t> offset;
    std::vector<std::uint32_t> weights;  // each at most the source length
    int maxCount = 0;
};

// Taps for destination pixels d0 .. d1 - 1 of dstLen when srcLen source pixels are spread
// over dstLen destination pixels. Positions are measured in units of 1 / dstLen source pixel
// (so destination pixel i spans [i * srcLen, (i + 1) * srcLen) and source pixel j spans
// [j * dstLen, (j + 1) * dstLen)), which makes every overlap an exact integer.
//
// The plane read may be a reduced copy whose pixel j stands for source pixels [j * block,
// min((j + 1) * block, srcLen)); its weights are then the overlaps with those spans, so the result
// averages the same source area (block 1: the source itself).
AxisTaps BuildAxis(std::int64_t srcLen, std::int64_t dstLen, std::int64_t d0, std::int64_t d1, std::int64_t block = 1) {
    AxisTaps taps;
    std::size_t n = std::size_t(d1 - d0);
    taps.first.reserve(n);
    taps.count.reserve(n);
    taps.offset.reserve(n);
    for (std::int64_t i = d0; i < d1; ++i) {
        std::int64_t lo = i * srcLen;
        std::int64_t hi = lo + srcLen;
        const std::int64_t span = block * dstLen;
        std::int64_t j0 = lo / span;
        std::int64_t j1 = (hi - 1) / span;
        taps.first.push_back(int(j0));
        taps.count.push_back(int(j1 - j0 + 1));
        taps.offset.push_back(taps.weights.size());
        for (std::int64_t j = j0; j <= j1; ++j) {
            std::int64_t w = std::min(std::min((j + 1) * block, srcLen) * dstLen, hi) - std::max(j * span, lo);
            taps.weights.push_back(std::uint32_t(w));
        }
        taps.maxCount = std::max(taps.maxCount, int(j1 - j0 + 1));
    }
    return taps;
}

// (2 * num + den) div (2 * den): num / den rounded half up, for num <= 255 * den. The quotient
// is estimated in floating point and corrected to the exact integer result, which is much
// cheaper than a 64-bit division per channel.
inline std::uint8_t DivideHalfUp(std::uint64_t num, std::uint64_t den, double invTwoDen) {
    const std::uint64_t x = 2 * num + den, d = 2 * den;
    std::uint64_t q = std::uint64_t(double(x) * invTwoDen);
    while (q > 0 && q * d > x) --q;
    while ((q + 1) * d <= x) ++q;
    return std::uint8_t(q);
}

// A plane of C interleaved 8-bit channels: `rows` gives the start of a row, already offset to
// the first column of the area being resampled.
template <int C>
struct Plane {
    const std::uint8_t* base;
    std::size_t stride;
    int x0, y0;  // top-left of the area inside the plane
    const std::uint8_t* Row(int y) const { return base + std::size_t(y0 + y) * stride + std::size_t(x0) * C; }
};

// Resamples a srcW x srcH area to dstW x dstH, writing only destination pixels [dx0, dx1) x
// [dy0, dy1) into `out` (rows of (dx1 - dx0) * C bytes, top first). Row sums are kept in Acc,
// which must hold 255 x srcW. `block` > 1: the plane is the area reduced by that factor (see
// BuildAxis).
template <int C, typename Acc>
void ResampleArea(const Plane<C>& src, int srcW, int srcH, std::int64_t dstW, std::int64_t dstH, std::int64_t dx0,
                  std::int64_t dy0, std::int64_t dx1, std::int64_t dy1, std::uint8_t* out, int block = 1) {
    AxisTaps hx = BuildAxis(srcW, dstW, dx0, dx1, block);
    AxisTaps vy = BuildAxis(srcH, dstH, dy0, dy1, block);
    const std::size_t outW = std::size_t(dx1 - dx0);
    const std::uint64_t den = std::uint64_t(srcW) * std::uint64_t(srcH);
    const double invDen = 1.0 / double(2 * den);

    // Horizontally reduced source rows, computed once each and kept in a small ring: the
    // source rows that consecutive destination rows read only move forward.
    const int ringSize = std::max(vy.maxCount, 1);
    std::vector<Acc> ring(std::size_t(ringSize) * outW * C);
    std::vector<int> ringRow(std::size_t(ringSize), -1);
    auto reducedRow = [&](int sy) -> const Acc* {
        std::size_t slot = std::size_t(sy % ringSize);
        Acc* dst = ring.data() + slot * outW * C;
        if (ringRow[slot] == sy) return dst;
        ringRow[slot] = sy;
        const std::uint8_t* row = src.Row(sy);
        for (std::size_t i = 0; i < outW; ++i) {
            const std::uint32_t* w = hx.weights.data() + hx.offset[i];
            const std::uint8_t* p = row + std::size_t(hx.first[i]) * C;
            Acc acc[C] = {};
            for (int k = 0; k < hx.count[i]; ++k, p += C)
                for (int c = 0; c < C; ++c) acc[c] += Acc(w[k]) * p[c];
            for (int c = 0; c < C; ++c) dst[i * C + c] = acc[c];
        }
        return dst;
    };

    std::vector<std::uint64_t> acc(outW * C);
    for (std::size_t oy = 0; oy < vy.first.size(); ++oy) {
        std::fill(acc.begin(), acc.end(), 0);
        const std::uint32_t* w = vy.weights.data() + vy.offset[oy];
        for (int k = 0; k < vy.count[oy]; ++k) {
            const Acc* r = reducedRow(vy.first[oy] + k);
            const std::uint64_t wk = w[k];
            for (std::size_t i = 0; i < outW * C; ++i) acc[i] += wk * r[i];
        }
        std::uint8_t* o = out + oy * outW * C;
        for (std::size_t i = 0; i < outW * C; ++i) o[i] = DivideHalfUp(acc[i], den, invDen);
    }
}

// ResampleArea of the destination pixels in `window`, with 32-bit row sums where 255 x srcW fits
// them (any source narrower than 16 million pixels) and 64-bit ones otherwise.
template <int C>
void Resample(const Plane<C>& src, int srcW, int srcH, int dstW, int dstH, const Rect& window, std::uint8_t* out,
              int block = 1) {
    if (std::uint64_t(srcW) * 255 <= 0xFFFFFFFFu)
        ResampleArea<C, std::uint32_t>(src, srcW, srcH, dstW, dstH, window.left, window.top, window.right,
                                       window.bottom, out, block);
    else
        ResampleArea<C, std::uint64_t>(src, srcW, srcH, dstW, dstH, window.left, window.top, window.right,
                                       window.bottom, out, block);
}

}  // namespace

Bitmap StretchHalftoneWindow(const Bitmap& src, const Rect& srcRect, int width, int height, const Rect& window) {
    if (width < 1 || height < 1 || srcRect.IsEmpty()) return Bitmap();
    if (srcRect.left < 0 || srcRect.top < 0 || srcRect.right > src.Width() || srcRect.bottom > src.Height())
        return Bitmap();
    Rect w = window.Intersect({0, 0, width, height});
    if (w.IsEmpty()) return Bitmap();
    Bitmap out(w.Width(), w.Height());
    if (srcRect.Width() == width && srcRect.Height() == height) {
        for (int y = 0; y < w.Height(); ++y)
            std::memcpy(out.Row(y), src.Row(srcRect.top + w.top + y) + std::size_t(srcRect.left + w.left) * 3,
                        out.RowBytes());
        return out;
    }
    Plane<3> plane{src.Data(), src.RowBytes(), srcRect.left, srcRect.top};
    Resample<3>(plane, srcRect.Width(), srcRect.Height(), width, height, w, out.Data());
    return out;
}

Bitmap StretchHalftone(const Bitmap& src, int width, int height) {
    if (src.IsEmpty()) return Bitmap();
    return StretchHalftoneWindow(src, src.Bounds(), width, height, {0, 0, width, height});
}

std::vector<std::uint8_t> StretchHalftoneGreyWindow(const std::vector<std::uint8_t>& src, int srcWidth, int srcHeight,
                                                    int width, int height, const Rect& window) {
    if (srcWidth < 1 || srcHeight < 1 || width < 1 || height < 1) return {};
    if (src.size() != std::size_t(srcWidth) * std::size_t(srcHeight)) return {};
    const Rect w = window.Intersect({0, 0, width, height});
    if (w.IsEmpty()) return {};
    std::vector<std::uint8_t> out(std::size_t(w.Width()) * std::size_t(w.Height()));
    if (srcWidth == width && srcHeight == height) {
        for (int y = 0; y < w.Height(); ++y)
            std::memcpy(out.data() + std::size_t(y) * std::size_t(w.Width()),
                        src.data() + std::size_t(w.top + y) * std::size_t(srcWidth) + std::size_t(w.left),
                        std::size_t(w.Width()));
        return out;
    }
    Plane<1> plane{src.data(), std::size_t(srcWidth), 0, 0};
    Resample<1>(plane, srcWidth, srcHeight, width, height, w, out.data());
    return out;
}

namespace {

// Reduces C interleaved channels by `factor`: out is ceil(srcW / factor) x ceil(srcH / factor)
// pixels, each the mean of its block (the last blocks of a row or column may be partial).
template <int C>
void ReducePlane(const std::uint8_t* src, int srcW, int srcH, int factor, std::uint8_t* out) {
    const int outW = (srcW + factor - 1) / factor, outH = (srcH + factor - 1) / factor;
    std::vector<std::uint64_t> sums(std::size_t(outW) * C);
    for (int oy = 0; oy < outH; ++oy) {
        const int y0 = oy * factor, y1 = std::min(srcH, y0 + factor);
        std::fill(sums.begin(), sums.end(), 0);
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* row = src + std::size_t(y) * std::size_t(srcW) * C;
            for (int ox = 0; ox < outW; ++ox) {
                const int x0 = ox * factor, x1 = std::min(srcW, x0 + factor);
                std::uint64_t* s = sums.data() + std::size_t(ox) * C;
                for (int x = x0; x < x1; ++x)
                    for (int c = 0; c < C; ++c) s[c] += row[std::size_t(x) * C + c];
            }
        }
        std::uint8_t* o = out + std::size_t(oy) * std::size_t(outW) * C;
        for (int ox = 0; ox < outW; ++ox) {
            const std::uint64_t cols = std::uint64_t(std::min(srcW, (ox + 1) * factor) - ox * factor);
            const std::uint64_t n = std::uint64_t(y1 - y0) * cols;
            for (int c = 0; c < C; ++c)
                o[std::size_t(ox) * C + c] = std::uint8_t((2 * sums[std::size_t(ox) * C + c] + n) / (2 * n));
        }
    }
}

}  // namespace

Picture ReducePicture(const Picture& src, int factor) {
    if (factor < 1 || src.IsEmpty()) return Picture();
    const int w = (src.Width() + factor - 1) / factor, h = (src.Height() + factor - 1) / factor;
    Picture out(Bitmap(w, h));
    ReducePlane<3>(src.color.Data(), src.Width(), src.Height(), factor, out.color.Data());
    if (src.HasAlpha() && src.alpha.size() == std::size_t(src.Width()) * std::size_t(src.Height())) {
        out.alpha.resize(std::size_t(w) * std::size_t(h));
        ReducePlane<1>(src.alpha.data(), src.Width(), src.Height(), factor, out.alpha.data());
    }
    out.hasTransparency = src.hasTransparency;
    return out;
}

Picture StretchReduced(const Picture& reduced, int factor, int srcWidth, int srcHeight, int width, int height,
                       const Rect& window) {
    const Rect w = window.Intersect({0, 0, width, height});
    if (factor < 1 || srcWidth < 1 || srcHeight < 1 || w.IsEmpty()) return Picture();
    if (reduced.Width() != (srcWidth + factor - 1) / factor || reduced.Height() != (srcHeight + factor - 1) / factor)
        return Picture();
    Picture out(Bitmap(w.Width(), w.Height()));
    const Plane<3> colour{reduced.color.Data(), reduced.color.RowBytes(), 0, 0};
    // Row sums reach 255 x srcWidth (the source's, which the weights add up to).
    Resample<3>(colour, srcWidth, srcHeight, width, height, w, out.color.Data(), factor);
    if (reduced.HasAlpha() && reduced.alpha.size() == std::size_t(reduced.Width()) * std::size_t(reduced.Height())) {
        out.alpha.resize(std::size_t(w.Width()) * std::size_t(w.Height()));
        const Plane<1> alpha{reduced.alpha.data(), std::size_t(reduced.Width()), 0, 0};
        Resample<1>(alpha, srcWidth, srcHeight, width, height, w, out.alpha.data(), factor);
        out.hasTransparency = true;
    }
    return out;
}

std::vector<std::uint8_t> StretchHalftoneGrey(const std::vector<std::uint8_t>& src, int srcWidth, int srcHeight,
                                              int width, int height) {
    if (srcWidth < 1 || srcHeight < 1 || width < 1 || height < 1) return {};
    if (src.size() != std::size_t(srcWidth) * std::size_t(srcHeight)) return {};
    if (srcWidth == width && srcHeight == height) return src;
    std::vector<std::uint8_t> out(std::size_t(width) * std::size_t(height));
    Plane<1> plane{src.data(), std::size_t(srcWidth), 0, 0};
    Resample<1>(plane, srcWidth, srcHeight, width, height, {0, 0, width, height}, out.data());
    return out;
}

}  // namespace veskel
