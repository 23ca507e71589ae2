#pragma once
// Shared helpers of the codec tests: the pixel patterns that tests/data/codecs/make_samples.py
// also draws, sample loading and small byte-level tools.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"

namespace veskel::codec_test {

constexpr int kW = 13, kH = 7;
// What a picture over the decoders' limits is refused with after its size.
inline const std::string kSizeLimits = ": a picture may have at most 16384 pixels a side and 64 million pixels in all";

inline std::array<std::uint8_t, 3> PatternRgb(int x, int y) {
    return {std::uint8_t(x * 37 + y * 11), std::uint8_t(x * 5 + y * 71 + 9), std::uint8_t(x * x * 3 + y * 29)};
}
inline std::uint8_t PatternAlpha(int x, int y) { return std::uint8_t(x * 19 + y * 40); }
inline std::uint8_t PatternGrey(int x, int y) { return std::uint8_t(x * 19 + y * 31); }
inline int PatternIndex(int x, int y) { return (x + 3 * y) % 16; }
inline std::array<std::uint8_t, 3> PaletteRgb(int i) {
    return {std::uint8_t(i * 16), std::uint8_t(255 - i * 15), std::uint8_t(i * 53)};
}

template <class F>
Bitmap MakeBitmap(int w, int h, F rgbAt) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto c = rgbAt(x, y);
            b.SetPixel(x, y, RGB(c[0], c[1], c[2]));
        }
    return b;
}
inline Bitmap PatternBitmap(int w = kW, int h = kH) { return MakeBitmap(w, h, PatternRgb); }

inline std::vector<std::uint8_t> Sample(const std::string& name) {
    return ReadFileBytes(std::string(VESKEL_TEST_DATA_DIR) + "/codecs/" + name);
}

// Compares every pixel with the expected colour; reports the first mismatch only.
template <class F>
::testing::AssertionResult PixelsAre(const Bitmap& b, int w, int h, F rgbAt) {
    if (b.Width() != w || b.Height() != h)
        return ::testing::AssertionFailure() << "size " << b.Width() << "x" << b.Height() << ", expected " << w << "x"
                                             << h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto c = rgbAt(x, y);
            const Color got = b.Pixel(x, y), want = RGB(c[0], c[1], c[2]);
            if (got != want)
                return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << std::hex << got
                                                     << ", expected " << want;
        }
    return ::testing::AssertionSuccess();
}

// Mean absolute difference over all channels (for the lossy format).
inline double MeanError(const Bitmap& a, const Bitmap& b) {
    if (a.ByteSize() != b.ByteSize() || a.ByteSize() == 0) return 1e9;
    double sum = 0;
    for (std::size_t i = 0; i < a.ByteSize(); ++i) sum += std::abs(int(a.Data()[i]) - int(b.Data()[i]));
    return sum / double(a.ByteSize());
}

inline void Put16(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    v[at] = std::uint8_t(x);
    v[at + 1] = std::uint8_t(x >> 8);
}
inline void Put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    Put16(v, at, x & 0xFFFF);
    Put16(v, at + 2, x >> 16);
}
inline void Append16(std::vector<std::uint8_t>& v, std::uint32_t x) {
    v.resize(v.size() + 2);
    Put16(v, v.size() - 2, x);
}
inline void Append32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    v.resize(v.size() + 4);
    Put32(v, v.size() - 4, x);
}

// Runs a decoder over bytes that may be broken: it must return a picture or throw CodecError.
template <class Decoder>
::testing::AssertionResult DecodesOrRefuses(Decoder decode, const std::vector<std::uint8_t>& bytes) {
    try {
        const Picture p = decode(bytes);
        if (p.IsEmpty()) return ::testing::AssertionFailure() << "empty picture returned";
        if (p.HasAlpha() && p.alpha.size() != std::size_t(p.Width()) * std::size_t(p.Height()))
            return ::testing::AssertionFailure() << "alpha plane of the wrong size";
    } catch (const CodecError&) {
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "unexpected exception: " << e.what();
    }
    return ::testing::AssertionSuccess();
}

}  // namespace veskel::codec_test
