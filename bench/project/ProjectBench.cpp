// GIF reduction, each export format, and saving and opening a project, on the default banner.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "banner/BannerDocument.h"
#include "bench/PhotoPicture.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "project/Export.h"
#include "project/GifReduction.h"
#include "project/ProjectFile.h"

namespace veskel {
namespace {

BannerDocument& DefaultDocument() {
    static BannerDocument* doc = [] {
        auto* d = new BannerDocument();
        d->NewDocument();
        d->RenderBanner();
        return d;
    }();
    return *doc;
}

// The default document with a 400 x 100 picture (fitted to 175 x 44) on it.
BannerDocument& DocumentWithPicture() {
    static BannerDocument* doc = [] {
        auto* d = new BannerDocument();
        d->NewDocument();
        Picture pic(Bitmap(400, 100));
        pic.alpha.resize(400 * 100);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 400; ++x) {
                pic.color.SetPixel(x, y, RGB(std::uint8_t(x), std::uint8_t(y * 2), std::uint8_t(x ^ y)));
                pic.alpha[std::size_t(y) * 400 + std::size_t(x)] = std::uint8_t(x * 255 / 399);
            }
        pic.hasTransparency = true;
        d->LoadOverlayPictureFromBytes("bench.png", EncodePng(pic));
        d->RenderBanner();
        return d;
    }();
    return *doc;
}

std::string TempPath(const char* name) { return "/tmp/veskel-bench-" + std::to_string(::getpid()) + "-" + name; }

void BM_GifReduction(benchmark::State& state) {
    const Bitmap& image = DefaultDocument().BannerImage();
    for (auto _ : state) benchmark::DoNotOptimize(ReduceToGifPalette(image));
}
BENCHMARK(BM_GifReduction)->Unit(benchmark::kMicrosecond);

void BM_EncodeExport(benchmark::State& state) {
    const Bitmap& image = DefaultDocument().BannerImage();
    const ExportFormat format = ExportFormat(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) bytes = EncodeExport(image, format).size();
    state.SetLabel(std::string(ExportExtension(format)) + " " + std::to_string(bytes) + " bytes");
}
BENCHMARK(BM_EncodeExport)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

// Encoding plus the atomic write (temporary file, fsync, rename).
void BM_ExportToFile(benchmark::State& state) {
    const Bitmap& image = DefaultDocument().BannerImage();
    const ExportFormat format = ExportFormat(state.range(0));
    const std::string path = TempPath("export") + ExportExtension(format);
    for (auto _ : state) WriteExport(image, format, path);
    std::remove(path.c_str());
    state.SetLabel(ExportExtension(format));
}
BENCHMARK(BM_ExportToFile)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

void BM_SaveProject(benchmark::State& state) {
    BannerDocument& doc = state.range(0) ? DocumentWithPicture() : DefaultDocument();
    const std::string path = TempPath("save.vzk");
    for (auto _ : state) SaveProject(doc, path);
    std::remove(path.c_str());
    state.SetLabel(state.range(0) ? "with 400x100 picture" : "record only");
}
BENCHMARK(BM_SaveProject)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_OpenProject(benchmark::State& state) {
    BannerDocument& source = state.range(0) ? DocumentWithPicture() : DefaultDocument();
    const std::string path = TempPath("open.vzk");
    SaveProject(source, path);
    BannerDocument doc;  // the file work alone: nothing listens, so nothing renders
    for (auto _ : state) OpenProject(doc, path);
    std::remove(path.c_str());
    state.SetLabel(state.range(0) ? "with 400x100 picture" : "record only");
}
BENCHMARK(BM_OpenProject)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A design carrying a 12 MP photo (4000 x 3000), with or without an alpha plane.
BannerDocument& DocumentWithPhoto(bool withAlpha) {
    static BannerDocument* docs[2] = {};
    BannerDocument*& doc = docs[withAlpha];
    if (!doc) {
        doc = new BannerDocument();
        doc->NewDocument();
        doc->TakeOverlayPicture(bench::PhotoPicture(4000, 3000, withAlpha));
    }
    return *doc;
}

void BM_SaveProject12MP(benchmark::State& state) {
    BannerDocument& doc = DocumentWithPhoto(state.range(0) != 0);
    const std::string path = TempPath("save12.vzk");
    for (auto _ : state) SaveProject(doc, path);
    state.counters["file_MB"] = double(ReadFileBytes(path).size()) / double(1 << 20);
    std::remove(path.c_str());
    state.SetLabel(state.range(0) ? "with alpha" : "opaque");
}
BENCHMARK(BM_SaveProject12MP)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenProject12MP(benchmark::State& state) {
    const std::string path = TempPath("open12.vzk");
    SaveProject(DocumentWithPhoto(state.range(0) != 0), path);
    BannerDocument doc;
    doc.AddChangeListener([&doc] { doc.RenderBanner(); });  // render included, as the window does
    doc.NewDocument();
    for (auto _ : state) OpenProject(doc, path);
    std::remove(path.c_str());
    state.SetLabel(state.range(0) ? "with alpha" : "opaque");
}
BENCHMARK(BM_OpenProject12MP)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace veskel
