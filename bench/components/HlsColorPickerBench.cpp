#include <benchmark/benchmark.h>

#include "Components/ColorBox/ColorBox.h"
#include "Components/ColorBox/PaletteForm.h"
#include "Components/GlassTint/GlassTint.h"
#include "Components/HLSColorTable/HLSColorTable.h"
#include "Components/HLSColorTable/HlsTableImage.h"
#include "Components/HLSSlider/HLSSlider.h"
#include "Components/Registration/Registration.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

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

// A shown headless form with the table and the hue slider where the pop-up has them.
struct PickerForm {
    HeadlessBackend backend;
    Application app{backend};
    Form* form = nullptr;
    THLSColorTable* table = nullptr;
    THLSSlider* slider = nullptr;

    PickerForm() {
        form = app.CreateForm<Form>();
        form->SetBounds(0, 0, 344, 332);
        table = form->CreateOwned<THLSColorTable>();
        table->SetBounds(72, 24, 257, 257);
        table->SetParent(form);
        slider = form->CreateOwned<THLSSlider>();
        slider->SetBounds(68, 288, 266, 25);
        slider->SetParent(form);
        form->ShowForm();
    }
};

// A hue change as the user sees it: the picture recomputed, the table painted into the form's
// surface and presented.
void BM_HlsTableHueChange(benchmark::State& state) {
    PickerForm f;
    int hue = 0;
    for (auto _ : state) {
        hue = (hue + 37) & 255;
        f.table->SetHUE(hue);
    }
}
BENCHMARK(BM_HlsTableHueChange)->Unit(benchmark::kMicrosecond);

// One pointer movement while dragging in the table: the pick, OnChange and the repaint.
void BM_HlsTableDragFrame(benchmark::State& state) {
    PickerForm f;
    f.backend.MouseMove(*f.form, 100, 100);
    f.backend.MouseDown(*f.form, 100, 100);
    int step = 0;
    for (auto _ : state) {
        step = (step + 7) % 200;
        f.backend.MouseMove(*f.form, 80 + step, 30 + step);
    }
    f.backend.MouseUp(*f.form, 100, 100);
}
BENCHMARK(BM_HlsTableDragFrame)->Unit(benchmark::kMicrosecond);

// One pointer movement while dragging the hue slider alone (its bar is recomputed every paint).
void BM_HlsSliderDragFrame(benchmark::State& state) {
    PickerForm f;
    f.backend.MouseMove(*f.form, 100, 295);
    f.backend.MouseDown(*f.form, 100, 295);
    int step = 0;
    for (auto _ : state) {
        step = (step + 7) % 250;
        f.backend.MouseMove(*f.form, 70 + step, 295);
    }
    f.backend.MouseUp(*f.form, 100, 295);
}
BENCHMARK(BM_HlsSliderDragFrame)->Unit(benchmark::kMicrosecond);

// A main window with one colour box, as the designer has it.
struct BoxForm {
    HeadlessBackend backend;
    Application app{backend};
    Form* form = nullptr;
    TClrBox* box = nullptr;

    BoxForm() {
        RegisterComponentClasses();
        form = app.CreateForm<Form>();
        form->SetBounds(100, 100, 300, 200);
        box = form->CreateOwned<TClrBox>();
        box->SetParent(form);
        box->SetBounds(144, 20, 19, 18);
        box->SetSingleColor(true);
        box->OnPreChange = [](Control&) {};
        form->ShowForm();
    }
    // Opens the pop-up with a click on the box.
    TPForm* OpenPalette() {
        backend.MouseMove(*form, 150, 25);
        backend.MouseDown(*form, 150, 25);
        backend.MouseUp(*form, 150, 25);
        return box->Palette();
    }
};

// From the press on the box to the pop-up's first frame presented: the stored layout read and
// every control made, the colour loaded (table picture included), the shadow captured and
// composed, the whole window painted. Closing is left out of the timing.
void BM_PaletteOpenToFirstFrame(benchmark::State& state) {
    BoxForm f;
    for (auto _ : state) {
        f.backend.MouseMove(*f.form, 150, 25);
        f.backend.MouseDown(*f.form, 150, 25);
        benchmark::DoNotOptimize(f.box->Palette());
        state.PauseTiming();
        f.backend.MouseUp(*f.form, 150, 25);
        f.backend.UserActivate(*f.form, true);  // closes the pop-up
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PaletteOpenToFirstFrame)->Unit(benchmark::kMicrosecond);

// One pointer movement while dragging in the open pop-up's table: the pick, the conversion, the
// colour notice (the box repaints), the swatch, the six fields and the table's repaint.
void BM_PaletteTableDragFrame(benchmark::State& state) {
    BoxForm f;
    TPForm* p = f.OpenPalette();
    const Point o = p->HLSColorTable1->OffsetInForm();
    f.backend.MouseMove(*p, o.x + 100, o.y + 100);
    f.backend.MouseDown(*p, o.x + 100, o.y + 100);
    int step = 0;
    for (auto _ : state) {
        step = (step + 7) % 200;
        f.backend.MouseMove(*p, o.x + 20 + step, o.y + 30 + step);
    }
    f.backend.MouseUp(*p, o.x + 100, o.y + 100);
}
BENCHMARK(BM_PaletteTableDragFrame)->Unit(benchmark::kMicrosecond);

// One pointer movement while dragging the pop-up's hue slider: a hue change in full (the table's
// picture recomputed and painted) plus the conversion, notice, swatch and fields.
void BM_PaletteHueDragFrame(benchmark::State& state) {
    BoxForm f;
    TPForm* p = f.OpenPalette();
    const Point o = p->HLSSlider1->OffsetInForm();
    f.backend.MouseMove(*p, o.x + 100, o.y + 8);
    f.backend.MouseDown(*p, o.x + 100, o.y + 8);
    int step = 0;
    for (auto _ : state) {
        step = (step + 7) % 250;
        f.backend.MouseMove(*p, o.x + 6 + step, o.y + 8);
    }
    f.backend.MouseUp(*p, o.x + 100, o.y + 8);
}
BENCHMARK(BM_PaletteHueDragFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace veskel
