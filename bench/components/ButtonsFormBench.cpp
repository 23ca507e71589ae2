#include <benchmark/benchmark.h>

#include "Components/GlassCheckBox/GlassCheckBox.h"
#include "Components/GroupPNGButtons/GroupPNGButtons.h"
#include "Components/PulseButton/PulseButton.h"
#include "Components/QorBackground/QorBackground.h"
#include "Components/SmallGlassButton/SmallGlassButton.h"
#include "platform/Resources.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel {
namespace {

std::vector<std::uint8_t> Bytes(const char* name) {
    const auto b = Resource(name);
    return {b.begin(), b.end()};
}

// A window the size of the designer's with twenty of these controls: the striped background,
// five small glass buttons, five check boxes, six arrow pulse buttons and three image groups.
class TwentyControls : public Form {
public:
    TwentyControls() {
        SetBounds(0, 0, 462, 480);
        SetColor(RGB(232, 232, 232));
        auto* bg = CreateOwned<TQorBackground>();
        bg->SetParent(this);
        bg->SetAlign(Align::Client);
        bg->SetColor1(RGB(224, 224, 224));
        bg->SetColor2(RGB(224, 224, 224));
        bg->SetSpace(2);
        bg->SetSpaceWidth(2);
        for (int i = 0; i < 5; ++i) {
            auto* b = CreateOwned<TSmallGlassButton>();
            b->SetParent(this);
            b->SetBounds(20 + i * 40, 20, 29, 18);
            b->SetCaption(i % 2 ? "-" : "+");
            auto* c = CreateOwned<TGlassCheckBox>();
            c->SetParent(this);
            c->SetBounds(20, 60 + i * 24, 160, 17);
            c->SetCaption("Добавить рамку:");
            c->SetGlassColor(0);
            c->SetChecked(i % 2 == 0);
        }
        for (int i = 0; i < 6; ++i) {
            auto* p = CreateOwned<TPulseButton>();
            p->SetParent(this);
            p->SetBounds(220 + (i % 3) * 50, 60 + (i / 3) * 50, 41, 25);
            p->SetDescriptions({"arrow"});
            p->SetItemsCount(1);
            p->ReadImageValue(Bytes(i % 2 ? "Components/PulseButton/res/ArrowLeft.png" : "Components/PulseButton/res/ArrowRight.png"));
            p->SetCurrentItem(1);
            pulses.push_back(p);
        }
        for (int i = 0; i < 3; ++i) {
            auto* g = CreateOwned<TGroupPNGButtons>();
            g->SetParent(this);
            g->SetBounds(220 + i * 24, 200, 16, 16);
            g->SetDescriptions({"flip"});
            g->SetItemsCount(1);
            g->ReadImageValue(Bytes("Components/GroupPNGButtons/res/flip.png"));
            g->SetCurrentItem(1);
        }
    }
    std::vector<TPulseButton*> pulses;
};

void BM_RepaintFormWithTwentyButtonControls(benchmark::State& state) {
    HeadlessBackend backend;
    Application app(backend);
    auto* form = app.CreateForm<TwentyControls>();
    form->FinishCreate();
    form->ShowForm();
    for (auto _ : state) {
        form->PaintAll();
        benchmark::DoNotOptimize(form->Surface().Data());
    }
}
BENCHMARK(BM_RepaintFormWithTwentyButtonControls)->Unit(benchmark::kMillisecond);

// One tick of the pulse timer of a hovered arrow button: the repaint of its rectangle (the
// background beneath, then the button decoding and recolouring its image).
void BM_PulseTickOfAHoveredArrow(benchmark::State& state) {
    HeadlessBackend backend;
    Application app(backend);
    auto* form = app.CreateForm<TwentyControls>();
    form->FinishCreate();
    form->ShowForm();
    const TPulseButton* p = form->pulses[0];
    backend.MouseMove(*form, p->Left() + 20, p->Top() + 12);
    for (auto _ : state) {
        backend.AdvanceClock(TPulseButton::kPulseInterval);
        benchmark::DoNotOptimize(form->Surface().Data());
    }
}
BENCHMARK(BM_PulseTickOfAHoveredArrow)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace veskel
