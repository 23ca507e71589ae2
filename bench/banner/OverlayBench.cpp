// The overlay picture's steps on a 12 MP photo (4000 x 3000, fitted to 175 x 131): what one press
// of a size or position arrow costs, render included, and what the document holds once the photo
// is loaded and has been stepped.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "banner/BannerDocument.h"
#include "banner/History.h"
#include "bench/PhotoPicture.h"

namespace veskel {
namespace {

const Picture& Photo(bool withAlpha) {
    static const Picture opaque = bench::PhotoPicture(4000, 3000, false);
    static const Picture translucent = bench::PhotoPicture(4000, 3000, true);
    return withAlpha ? translucent : opaque;
}

std::size_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// Alternately one pixel wider and one narrower, as a held arrow and its opposite would.
void BM_OverlaySizeStep12MP(benchmark::State& state) {
    BannerDocument doc;
    doc.NewDocument();
    doc.TakeOverlayPicture(Photo(state.range(0) != 0));
    bool wider = true;
    for (auto _ : state) {
        if (wider) doc.WidenOverlay(); else doc.NarrowOverlay();
        wider = !wider;
    }
    state.SetLabel(state.range(0) ? "with alpha" : "opaque");
}
BENCHMARK(BM_OverlaySizeStep12MP)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same photo enlarged far past the banner (1200 x 900, most of it off the banner).
void BM_OverlaySizeStep12MPEnlarged(benchmark::State& state) {
    BannerDocument doc;
    doc.NewDocument();
    doc.TakeOverlayPicture(Photo(false));
    doc.Settings().SetOverlayWidth(1200);
    doc.Settings().SetOverlayHeight(900);
    doc.PreparePictureFromRecord();
    bool wider = true;
    for (auto _ : state) {
        if (wider) doc.WidenOverlay(); else doc.NarrowOverlay();
        wider = !wider;
    }
}
BENCHMARK(BM_OverlaySizeStep12MPEnlarged)->Unit(benchmark::kMillisecond);

void BM_OverlayPositionStep12MP(benchmark::State& state) {
    BannerDocument doc;
    doc.NewDocument();
    doc.TakeOverlayPicture(Photo(false));
    bool right = true;
    for (auto _ : state) {
        if (right) doc.MoveOverlayRight(); else doc.MoveOverlayLeft();
        right = !right;
    }
}
BENCHMARK(BM_OverlayPositionStep12MP)->Unit(benchmark::kMillisecond);

// Heap held by a document and its undo history, as the window keeps them, with the photo loaded
// and stepped a few times, against the photo's own bytes: the goal is the source once plus at most
// a third.
void BM_OverlayHeldMemory12MP(benchmark::State& state) {
    const Picture& photo = Photo(state.range(0) != 0);
    const double sourceBytes = double(photo.color.ByteSize() + photo.alpha.size());
    double held = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        {
            BannerDocument doc;
            doc.NewDocument();
            DocumentHistory history(doc);
            doc.TakeOverlayPicture(photo);
            history.Commit();
            for (int i = 0; i < 3; ++i) doc.WidenOverlay(), history.Commit();
            doc.MoveOverlayRight();
            history.Commit();
            held = double(HeapInUse() - before);
        }
    }
    state.counters["held_MB"] = held / double(1 << 20);
    state.counters["held_per_source"] = held / sourceBytes;
    state.SetLabel(state.range(0) ? "with alpha" : "opaque");
}
BENCHMARK(BM_OverlayHeldMemory12MP)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veskel
