// The designer's main window on the headless backend: start-up to the first painted frame, a full
// repaint, and one setting change from the control's event to the repainted preview. Peak memory
// of the whole process is reported as a counter of the start-up benchmark.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include "Components/GlassCheckBox/GlassCheckBox.h"
#include "app/MainWindow.h"
#include "bench/PhotoPicture.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Application.h"

namespace veskel {
namespace {

double PeakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void BM_StartToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        HeadlessBackend backend;
        Application app(backend);
        TForm1* form = StartDesigner();
        form->UpdateSurface();
        benchmark::DoNotOptimize(form->Surface().Data());
    }
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond);

void BM_FullRepaint(benchmark::State& state) {
    HeadlessBackend backend;
    Application app(backend);
    TForm1* form = StartDesigner();
    for (auto _ : state) {
        form->PaintAll();
        benchmark::DoNotOptimize(form->Surface().Data());
    }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

// Toggling the glow check box as a user would: the box's event, the operation, SyncControls, the
// render into the preview and the repaint of what changed.
void BM_SettingChange(benchmark::State& state) {
    HeadlessBackend backend;
    Application app(backend);
    TForm1* form = StartDesigner();
    form->PaintAll();
    TGlassCheckBox* box = form->GlassCheckBox3;
    for (auto _ : state) {
        box->SetChecked(!box->Checked());  // what a press does: toggle, then the change event
        box->OnChange(*box);
        form->UpdateSurface();
        benchmark::DoNotOptimize(form->Surface().Data());
    }
}
BENCHMARK(BM_SettingChange)->Unit(benchmark::kMicrosecond);

// One press of the size arrow with a 12 MP photo on the banner, as the window runs it: the step,
// SyncControls, the render into the preview and the repaint of what changed.
void BM_OverlaySizeStep12MP(benchmark::State& state) {
    HeadlessBackend backend;
    Application app(backend);
    TForm1* form = StartDesigner();
    form->Document().TakeOverlayPicture(bench::PhotoPicture(4000, 3000, false));
    form->PaintAll();
    bool wider = true;
    for (auto _ : state) {
        if (wider) form->Document().WidenOverlay(); else form->Document().NarrowOverlay();
        wider = !wider;
        form->UpdateSurface();
        benchmark::DoNotOptimize(form->Surface().Data());
    }
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_OverlaySizeStep12MP)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veskel
