#include <benchmark/benchmark.h>

#include "Components/PulseButton/PulseImage.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Canvas.h"

namespace veskel {
namespace {

// One pulse frame of an arrow button of the designer (a 39 x 23 image in a 41 x 25 button): the
// image decoded from its stored bytes, recoloured at one phase and blended onto the button's area,
// as every tick of the 80 ms pulse timer does it.
void BM_PulseFrameArrow39x23(benchmark::State& state) {
    const auto bytes = Resource("Components/PulseButton/res/ArrowRight.png");
    Bitmap surface(41, 25);
    int phase = 0;
    for (auto _ : state) {
        Picture image = DecodePng(bytes);
        PulseRecolour(image, phase);
        surface.Fill(RGB(232, 232, 232));
        Canvas canvas(surface);
        canvas.Draw(1, 1, image);
        benchmark::DoNotOptimize(surface.Data());
        phase = (phase + 30) % 180;
    }
}
BENCHMARK(BM_PulseFrameArrow39x23)->Unit(benchmark::kMicrosecond);

// The recolouring alone (two HLS conversions per pixel).
void BM_PulseRecolourOnly39x23(benchmark::State& state) {
    const Picture decoded = DecodePng(Resource("Components/PulseButton/res/ArrowRight.png"));
    for (auto _ : state) {
        Picture image = decoded;
        PulseRecolour(image, 90);
        benchmark::DoNotOptimize(image.color.Data());
    }
    state.SetItemsProcessed(state.iterations() * decoded.Width() * decoded.Height());
}
BENCHMARK(BM_PulseRecolourOnly39x23)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace veskel
