// The values-and-lists controls at the main window's sizes: a list box repaint, one frame of a
// slider drag (pointer move, thumb repaint, OnChange), and an anti-aliased label's paint.
#include <benchmark/benchmark.h>

#include "Components/AALabel/AALabel.h"
#include "Components/GlassListBox/GlassListBox.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel {
namespace {

struct Stage {
    HeadlessBackend backend;
    Application app{backend};
    Form* form;
    Stage() {
        form = app.CreateForm<Form>();
        form->SetBounds(0, 0, 420, 140);
        form->SetColor(RGB(232, 232, 232));
        form->FinishCreate();
        form->ShowForm();
    }
    template <class T>
    T* Add(Rect r) {
        T* c = form->CreateOwned<T>();
        c->SetParent(form);
        c->SetBounds(r.left, r.top, r.Width(), r.Height());
        return c;
    }
};

// GlassListBox1: 169 x 108, item height 18, six entries in Tahoma 16 pixels, one hovered.
void BM_ListBoxRepaint(benchmark::State& state) {
    Stage s;
    auto* list = s.Add<TGlassListBox>(Rect::FromSize(1, 1, 169, 108));
    list->SetItemHeight(18);
    Font f = list->GetFont();
    f.pixelHeight = 16;
    f.color = RGB(100, 100, 100);
    list->SetFont(f);
    for (const char* name : {"4x4 LR diagonal", "4x4 RL diagonal", "3x3 LR diagonal", "3x3 RL diagonal",
                             "Diagonal cross", "Dots pattern"})
        list->AddItem(name, "");
    s.backend.MouseMove(*s.form, 50, 40);
    for (auto _ : state) {
        list->Repaint();
        benchmark::DoNotOptimize(s.form->Surface().Data());
    }
}
BENCHMARK(BM_ListBoxRepaint)->Unit(benchmark::kMicrosecond);

// GlassSlider1 (180 x 25, Max 99) held and dragged one pixel per frame, back and forth.
void BM_SliderDragFrame(benchmark::State& state) {
    Stage s;
    auto* slider = s.Add<TGlassSlider>(Rect::FromSize(5, 32, 180, 25));
    slider->SetMax(99);
    int changes = 0;
    slider->OnChange = [&](Control&) { ++changes; };
    s.backend.MouseDown(*s.form, 60, 40);
    int x = 60, dx = 1;
    for (auto _ : state) {
        x += dx;
        if (x == 170 || x == 20) dx = -dx;
        s.backend.MouseMove(*s.form, x, 40);
    }
    s.backend.MouseUp(*s.form, x, 40);
    state.counters["changes"] = changes;
}
BENCHMARK(BM_SliderDragFrame)->Unit(benchmark::kMicrosecond);

// The credits line (Tahoma 11 pixels, one line, 396 wide) and a window-font caption with a link.
void BM_LabelPaint(benchmark::State& state) {
    Stage s;
    auto* label = s.Add<TAALabel>(Rect::FromSize(8, 20, 396, 0));
    if (state.range(0) == 0) {
        Font f = label->GetFont();
        f.family = "Tahoma";
        f.pixelHeight = 11;
        label->SetFont(f);
        label->SetCaption("Banner designer: баннер 350 × 20 из узора, картинки и текста (v1.0)");
    } else {
        label->SetIsURL(true);
        label->SetCaption("www.example.com/?veskel=1");
    }
    for (auto _ : state) {
        label->Repaint();
        benchmark::DoNotOptimize(s.form->Surface().Data());
    }
    state.SetLabel(state.range(0) == 0 ? "Tahoma 11 px" : "MS Sans Serif 8 pt link");
}
BENCHMARK(BM_LabelPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace veskel
