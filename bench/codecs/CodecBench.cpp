// Decode and encode speed of every format, for a banner-sized and a large picture.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/codecs/Codecs.h"

namespace veskel {
namespace {

// Smooth gradients with a little noise: compresses like a photograph rather than like a flat fill.
Bitmap TestImage(int w, int h) {
    Bitmap b(w, h);
    std::uint32_t seed = 7;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 29);
            b.SetPixel(x, y, RGB(std::uint8_t(x * 255 / w + noise), std::uint8_t(y * 255 / h + noise),
                                 std::uint8_t((x + y) * 127 / (w + h) + 64 + noise)));
        }
    return b;
}

IndexedImage TestIndexed(int w, int h) {
    IndexedImage img;
    img.width = w;
    img.height = h;
    for (int i = 0; i < 256; ++i) img.palette[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)};
    img.pixels.resize(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.pixels[std::size_t(y) * w + x] = std::uint8_t((x / 3 + y / 5) & 255);
    return img;
}

const int kSizes[2][2] = {{350, 20}, {2000, 1500}};

void SetPixels(benchmark::State& state, int w, int h) {
    state.SetItemsProcessed(std::int64_t(state.iterations()) * w * h);
    state.counters["pixels"] = double(w) * h;
}

void BM_EncodePng(benchmark::State& state) {
    const auto [w, h] = kSizes[state.range(0)];
    const Picture picture(TestImage(w, h));
    for (auto _ : state) benchmark::DoNotOptimize(EncodePng(picture));
    SetPixels(state, w, h);
}
void BM_DecodePng(benchmark::State& state) {
    const auto [w, h] = kSizes[state.range(0)];
    const auto bytes = EncodePng(TestImage(w, h));
    for (auto _ : state) benchmark::DoNotOptimize(DecodePng(bytes));
    SetPixels(state, w, h);
}
void BM_EncodeJpeg(benchmark::State& state) {
    const auto [w, h] = kSizes[state.range(0)];
    const Bitmap bitmap = TestImage(w, h);
    for (auto _ : state) benchmark::DoNotOptimize(EncodeJpeg(bitmap));
    SetPixels(state, w, h);
}
void BM_DecodeJpeg(benchmark::State& state) {
    const auto [w, h] = kSizes[state.range(0)];
    const auto bytes = EncodeJpeg(TestImage(w, h));
    for (auto _ : state) benchmark::DoNotOptimize(DecodeJpeg(bytes));
    SetPixels(state, w, h);
}
void BM_EncodeGif(benchmark::State& state) {
    const auto [w, h] = kSizes[state.range(0)];
    const IndexedImage img = TestIndexed(w, h);
    for (auto _ : state) benchmark::DoNotOptimize(EncodeGif(img));
    SetPixels(state, w, h);
}
void BM_DecodeGif(benchmark::State& state) {
    const auto [w, h] = kSizes[state.range(0)];
    const auto bytes = EncodeGif(TestIndexed(w, h));
    for (auto _ : state) benchmark::DoNotOptimize(DecodeGif(bytes));
    SetPixels(state, w, h);
}
void BM_EncodeBmp(benchmark::State& state) {
    const auto [w, h] = kSizes[state.range(0)];
    const Bitmap bitmap = TestImage(w, h);
    for (auto _ : state) benchmark::DoNotOptimize(EncodeBmp(bitmap));
    SetPixels(state, w, h);
}
void BM_DecodeBmp(benchmark::State& state) {
    const auto [w, h] = kSizes[state.range(0)];
    const auto bytes = EncodeBmp(TestImage(w, h));
    for (auto _ : state) benchmark::DoNotOptimize(DecodeBmp(bytes));
    SetPixels(state, w, h);
}

// Argument 0: the 350 x 20 banner; 1: a 2000 x 1500 picture.
BENCHMARK(BM_EncodePng)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJpeg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeGif)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGif)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeBmp)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBmp)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veskel
