// Renders the pictures whose float work follows the process rounding mode, in both modes, and
// prints a digest of each: skins of every colour tinted at several offsets, the HLS table for
// every hue, the pulse recolouring at every phase, the palette's 254-scale conversions and the
// float32 narrowing. rounding-smoke.sh builds it natively and for WebAssembly and compares the
// printouts; each line also says how many values the downward mode changed, so an equal
// printout cannot come from a mode that was never applied.
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "Components/GlassTint/GlassTint.h"
#include "Components/HLSColorTable/HlsTableImage.h"
#include "Components/PulseButton/PulseImage.h"
#include "platform/graphics/Rounding.h"

using namespace veskel;

namespace {

struct Digest {
    std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
    std::vector<std::uint8_t> bytes;
    void Add(const void* data, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < n; ++i) hash = (hash ^ p[i]) * 1099511628211ULL;
        bytes.insert(bytes.end(), p, p + n);
    }
    void Add(const Bitmap& b) {
        for (int y = 0; y < b.Height(); ++y) Add(b.Row(y), std::size_t(b.Width()) * 3);
    }
};

// Every 8-bit colour on a grid of step 3 (86 x 86 x 86 pixels), as a 7396 x 86 picture.
Picture ColourCube() {
    constexpr int n = 86;
    Picture p(Bitmap(n * n, n));
    for (int y = 0; y < n; ++y) {
        std::uint8_t* px = p.color.Row(y);
        for (int x = 0; x < n * n; ++x, px += 3) {
            px[0] = std::uint8_t(3 * (x % n));
            px[1] = std::uint8_t(3 * (x / n));
            px[2] = std::uint8_t(3 * y);
        }
    }
    return p;
}

Digest Tints() {
    Digest d;
    const Picture cube = ColourCube();
    const int offsets[][3] = {{0, 0, 0}, {100, 10, 200}, {-30, -50, 20}, {250, 300, -400}, {7, 0, 0}, {0, 0, 60}};
    for (const auto& o : offsets) {
        Picture p = cube;
        TintSkin(p, o[0], o[1], o[2]);
        d.Add(p.color);
    }
    return d;
}

Digest HlsTables() {
    Digest d;
    Bitmap image;
    for (int hue = -20; hue <= 260; ++hue) {
        DrawHlsTableImage(image, hue);
        d.Add(image);
    }
    return d;
}

Digest Pulses() {
    Digest d;
    const Picture cube = ColourCube();
    for (int phase = 0; phase <= 150; phase += 15) {
        Picture p = cube;
        PulseRecolour(p, phase);
        d.Add(p.color);
    }
    return d;
}

Digest Palette() {
    Digest d;
    for (int c = 0; c < 256 * 256 * 256; c += 97) {
        const Hls h = RgbToHls(c & 255, (c >> 8) & 255, c >> 16, kHls254);
        const Channels back = HlsToRgb(h.h, h.l, h.s, kHls254);
        d.Add(&h, sizeof h);
        d.Add(&back, sizeof back);
    }
    for (int h = -10; h <= 264; h += 3) {
        const float v = HueToRgb(12.3f, 200.7f, float(h) + 0.3f, kHls254);
        d.Add(&v, sizeof v);
    }
    return d;
}

Digest Narrowing() {
    Digest d;
    std::uint64_t x = 88172645463325252ULL;  // xorshift: doubles of every size and sign
    for (int i = 0; i < 200000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        double v;
        static_assert(sizeof v == sizeof x);
        __builtin_memcpy(&v, &x, sizeof v);
        if (i % 2) v = double(std::int64_t(x >> 11)) / 1024.0;
        const float f = AsFloat32(v);
        d.Add(&f, sizeof f);
    }
    return d;
}

std::size_t Changed(const Digest& a, const Digest& b) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.bytes.size() && i < b.bytes.size(); ++i) n += a.bytes[i] != b.bytes[i];
    return n;
}

}  // namespace

int main() {
    struct Work {
        const char* name;
        Digest (*run)();
    };
    const Work works[] = {{"tinted skins", Tints},      {"HLS tables", HlsTables},      {"pulse images", Pulses},
                          {"palette 254 scale", Palette}, {"float32 narrowing", Narrowing}};
    for (const Work& w : works) {
        using Clock = std::chrono::steady_clock;
        Digest nearest, down;
        const auto t0 = Clock::now();
        {
            ScopedRoundingModeForTesting mode(RoundingMode::NearestEven);
            nearest = w.run();
        }
        const auto t1 = Clock::now();
        {
            ScopedRoundingModeForTesting mode(RoundingMode::Downward);
            down = w.run();
        }
        const auto t2 = Clock::now();
        // Times go to standard error: they differ between runs, the digests must not.
        std::fprintf(stderr, "%-18s nearest %6.0f ms  downward %6.0f ms\n", w.name,
                     std::chrono::duration<double, std::milli>(t1 - t0).count(),
                     std::chrono::duration<double, std::milli>(t2 - t1).count());
        std::printf("%-18s nearest %016" PRIx64 "  downward %016" PRIx64 "  (%zu of %zu bytes differ between modes)\n",
                    w.name, nearest.hash, down.hash, Changed(nearest, down), down.bytes.size());
    }
    return 0;
}
