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
