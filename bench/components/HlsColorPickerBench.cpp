#include <benchmark/benchmark.h>

#include "Components/GlassTint/GlassTint.h"
#include "Components/HLSColorTable/HlsTableImage.h"

namespace veskel {
namespace {

// The table's picture for a new hue, as every hue change redraws it (65 025 pixels).
void BM_HlsTableImage(benchmark::State& state) {
    Bitmap image;
    int hue = 0;
    for (auto _ : state) {
        DrawHlsTableImage(image, hue);
        hue = (hue + 37) & 255;
        benchmark::DoNotOptimize(image.Data());
    }
    state.SetItemsProcessed(state.iterations() * 255 * 255);
}
BENCHMARK(BM_HlsTableImage)->Unit(benchmark::kMicrosecond);

// The same picture by one HlsToRgb call per pixel, for comparison.
void BM_HlsTableImagePerPixel(benchmark::State& state) {
    Bitmap image(255, 255);
    int hue = 0;
    for (auto _ : state) {
        for (int i = 0; i < 255; ++i) {
            for (int j = 0; j < 255; ++j) {
                const Channels c = HlsToRgb(hue, 254 - i, j);
                image.SetPixel(j, i, RGB(c.c1, c.c2, c.c3));
            }
        }
        hue = (hue + 37) & 255;
        benchmark::DoNotOptimize(image.Data());
    }
    state.SetItemsProcessed(state.iterations() * 255 * 255);
}
BENCHMARK(BM_HlsTableImagePerPixel)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace veskel
