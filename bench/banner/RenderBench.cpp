// The cost of one full banner render (every setting change re-renders from scratch), and of its
// heavier parts.
#include <benchmark/benchmark.h>

#include "banner/BannerDocument.h"
#include "banner/Renderer.h"

namespace veskel {
namespace {

void BM_RenderBannerDefault(benchmark::State& state) {
    BannerDocument doc;
    doc.NewDocument();
    for (auto _ : state) benchmark::DoNotOptimize(doc.RenderBanner().Data());
}
BENCHMARK(BM_RenderBannerDefault);

void BM_RenderBannerWithOverlay(benchmark::State& state) {
    BannerDocument doc;
    doc.NewDocument();
    Picture pic(Bitmap(175, 44));
    pic.color.Fill(RGB(10, 200, 30));
    doc.AdoptProjectPicture(pic);
    doc.Settings().SetOverlay(true);
    for (auto _ : state) benchmark::DoNotOptimize(doc.RenderBanner().Data());
}
BENCHMARK(BM_RenderBannerWithOverlay);

// Every iteration changes the highlight layer's strength, so the layer is prepared again each time.
void BM_RenderBannerNewMirrorStrength(benchmark::State& state) {
    BannerDocument doc;
    doc.NewDocument();
    int strength = 0;
    for (auto _ : state) {
        doc.Settings().SetMirrorStrength(strength = (strength + 1) % 100);
        benchmark::DoNotOptimize(doc.RenderBanner().Data());
    }
}
BENCHMARK(BM_RenderBannerNewMirrorStrength);

// Every iteration changes a gradient colour, so gradient and pattern are computed again each time.
void BM_RenderBannerNewColour(benchmark::State& state) {
    BannerDocument doc;
    doc.NewDocument();
    std::uint32_t c = 0;
    for (auto _ : state) {
        doc.Settings().SetColor1(Color(c = (c + 0x010203) & 0xFFFFFF));
        benchmark::DoNotOptimize(doc.RenderBanner().Data());
    }
}
BENCHMARK(BM_RenderBannerNewColour);

void BM_RenderBannerNoText(benchmark::State& state) {
    BannerDocument doc;
    doc.NewDocument();
    doc.Settings().SetText("");
    for (auto _ : state) benchmark::DoNotOptimize(doc.RenderBanner().Data());
}
BENCHMARK(BM_RenderBannerNoText);

void BM_OutlinedText(benchmark::State& state) {
    BannerDocument doc;
    doc.NewDocument();
    Bitmap img(kBannerWidth, kBannerHeight);
    const std::string text = doc.Settings().Text();
    for (auto _ : state) {
        OutlinedText(img, text, doc.Settings().TextX(), doc.Settings().TextY());
        benchmark::DoNotOptimize(img.Data());
    }
}
BENCHMARK(BM_OutlinedText);

void BM_ResizeOverlay(benchmark::State& state) {
    BannerDocument doc;
    Picture pic(Bitmap(1600, 400));
    pic.EnsureAlpha(128);
    doc.AdoptProjectPicture(pic);
    for (auto _ : state) benchmark::DoNotOptimize(doc.ResizeOverlay(175, 44).color.Data());
}
BENCHMARK(BM_ResizeOverlay);

}  // namespace
}  // namespace veskel
