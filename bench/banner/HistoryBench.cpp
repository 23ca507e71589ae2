// The cost of one undo step: a commit compares the pictures with the previous state's to share
// unchanged pixels, so it grows with the picture; a render follows every change anyway.
#include <benchmark/benchmark.h>

#include "banner/BannerDocument.h"
#include "banner/History.h"

namespace veskel {
namespace {

// A text nudge and its commit, over a source picture of side x side pixels.
void BM_CommitTextStepOverPicture(benchmark::State& state) {
    const int side = int(state.range(0));
    BannerDocument doc;
    doc.NewDocument();
    Picture pic(Bitmap(side, side));
    pic.color.Fill(RGB(10, 200, 30));
    doc.AdoptProjectPicture(pic);
    DocumentHistory history(doc);
    for (auto _ : state) {
        doc.NudgeText(1, 0);
        benchmark::DoNotOptimize(history.Commit());
    }
}
BENCHMARK(BM_CommitTextStepOverPicture)->Arg(0)->Arg(175)->Arg(1000)->Arg(3000);

// Undo and redo of one opacity step (record and PreparedPicture put back, banner rendered).
void BM_UndoRedoOpacityStep(benchmark::State& state) {
    BannerDocument doc;
    doc.NewDocument();
    Picture pic(Bitmap(400, 100));
    pic.color.Fill(RGB(10, 200, 30));
    doc.AdoptProjectPicture(pic);
    doc.Set(Field("Overlay"), true);
    doc.ResetOverlaySize();
    DocumentHistory history(doc);
    doc.Set(Field("OverlayOpacity"), 120);
    history.Commit();
    for (auto _ : state) {
        history.Undo();
        history.Redo();
    }
}
BENCHMARK(BM_UndoRedoOpacityStep);

}  // namespace
}  // namespace veskel
