#include <benchmark/benchmark.h>

#include "Components/GlassTint/GlassTint.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"

namespace veskel {
namespace {

// The hover tint of a full-size glass button skin (91 x 25), as every colour setter runs it:
// a fresh decode each time, then the tint.
void BM_TintSkin91x25(benchmark::State& state) {
    const Picture skin = DecodePng(Resource("Components/SGlassButton/res/GlassButtonNormal.png"));
    for (auto _ : state) {
        Picture copy = skin;
        TintSkin(copy, 100, 10, 200);
        benchmark::DoNotOptimize(copy.color.Data());
    }
    state.SetItemsProcessed(state.iterations() * skin.Width() * skin.Height());
}
BENCHMARK(BM_TintSkin91x25);

void BM_DecodeAndTintSkin91x25(benchmark::State& state) {
    for (auto _ : state) {
        Picture skin = DecodePng(Resource("Components/SGlassButton/res/GlassButtonNormal.png"));
        TintSkin(skin, 100, 10, 200);
        benchmark::DoNotOptimize(skin.color.Data());
    }
}
BENCHMARK(BM_DecodeAndTintSkin91x25);

}  // namespace
}  // namespace veskel
