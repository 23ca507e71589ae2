#include <benchmark/benchmark.h>

#include "Components/SGlassButton/SGlassButton.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel {
namespace {

// A window the size of the designer's with twenty glass buttons in a 4 x 5 grid, every one with
// the designer's hover offsets.
class TwentyButtons : public Form {
public:
    TwentyButtons() {
        SetBounds(0, 0, 462, 480);
        SetColor(RGB(232, 232, 232));
        for (int i = 0; i < 20; ++i) {
            auto* b = CreateOwned<TGlassButton>();
            b->SetParent(this);
            b->SetBounds(12 + (i % 4) * 110, 20 + (i / 4) * 90, 91, 25);
            b->SetButtonText(i % 2 ? "Open..." : "Random");
            b->SetLightness(10);
            b->SetHUE(100);
            b->SetSaturation(200);
        }
    }
};

void BM_RepaintFormWithTwentyGlassButtons(benchmark::State& state) {
    HeadlessBackend backend;
    Application app(backend);
    auto* form = app.CreateForm<TwentyButtons>();
    form->FinishCreate();
    form->ShowForm();
    for (auto _ : state) {
        form->PaintAll();
        benchmark::DoNotOptimize(form->Surface().Data());
    }
}
BENCHMARK(BM_RepaintFormWithTwentyGlassButtons)->Unit(benchmark::kMillisecond);

// One button's hover change: the repaint of its rectangle (parent, then the button).
void BM_HoverOneGlassButton(benchmark::State& state) {
    HeadlessBackend backend;
    Application app(backend);
    auto* form = app.CreateForm<TwentyButtons>();
    form->FinishCreate();
    form->ShowForm();
    bool inside = false;
    for (auto _ : state) {
        inside = !inside;
        backend.MouseMove(*form, inside ? 50 : 5, inside ? 30 : 5);
    }
}
BENCHMARK(BM_HoverOneGlassButton)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace veskel
