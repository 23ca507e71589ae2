// Speed of the graphics core: resampling, the banner's layer composite and the canvas
// primitives at window size. BM_DemoScene also writes its picture as a PPM file when
// VESKEL_CANVAS_DEMO names one, so every primitive can be looked at.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Resample.h"

namespace veskel {
namespace {

Bitmap Gradient(int w, int h) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, RGB(x * 255 / w, y * 255 / h, (x ^ y) & 255));
    return b;
}

void BM_StretchHalftone(benchmark::State& state) {
    const Bitmap src = Gradient(1600, 1200);
    for (auto _ : state) benchmark::DoNotOptimize(StretchHalftone(src, 175, 131));
    state.SetItemsProcessed(state.iterations() * 1600 * 1200);
}
BENCHMARK(BM_StretchHalftone)->Unit(benchmark::kMillisecond);

void BM_StretchHalftoneEnlarge(benchmark::State& state) {
    const Bitmap src = Gradient(91, 25);
    for (auto _ : state) benchmark::DoNotOptimize(StretchHalftone(src, 462, 120));
}
BENCHMARK(BM_StretchHalftoneEnlarge)->Unit(benchmark::kMicrosecond);

void BM_LayerComposite(benchmark::State& state) {
    Bitmap banner = Gradient(350, 20);
    Picture layer(Gradient(350, 19));
    layer.alpha.resize(350 * 19);
    for (std::size_t i = 0; i < layer.alpha.size(); ++i) layer.alpha[i] = std::uint8_t(i * 7);
    for (auto _ : state) {
        LayerComposite(banner, layer, 0, 0);
        benchmark::DoNotOptimize(banner.Data());
    }
    state.SetItemsProcessed(state.iterations() * 350 * 19);
}
BENCHMARK(BM_LayerComposite)->Unit(benchmark::kMicrosecond);

void BM_FillRect(benchmark::State& state) {
    Bitmap window(462, 480);
    Canvas c(window);
    c.brush.color = RGB(240, 240, 240);
    for (auto _ : state) {
        c.FillRect({0, 0, 462, 480});
        benchmark::DoNotOptimize(window.Data());
    }
    state.SetItemsProcessed(state.iterations() * 462 * 480);
}
BENCHMARK(BM_FillRect)->Unit(benchmark::kMicrosecond);

void BM_LineTo(benchmark::State& state) {
    Bitmap window(462, 480);
    Canvas c(window);
    c.pen.color = RGB(176, 176, 176);
    c.pen.mode = state.range(0) ? PenMode::Xor : PenMode::Copy;
    for (auto _ : state) {
        // A fan of 64 lines across the whole window, every slope represented.
        for (int i = 0; i < 32; ++i) {
            c.MoveTo(0, i * 15);
            c.LineTo(461, 479 - i * 15);
            c.MoveTo(i * 14, 0);
            c.LineTo(461 - i * 14, 479);
        }
        benchmark::DoNotOptimize(window.Data());
    }
}
BENCHMARK(BM_LineTo)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Every primitive once, on a 240 x 160 bitmap.
Bitmap DemoScene() {
    Bitmap bmp(240, 160);
    Canvas c(bmp);
    c.brush.color = RGB(240, 240, 240);
    c.FillRect(bmp.Bounds());

    // Row 1: rectangles, rounded rectangles, ellipses.
    c.pen.color = RGB(30, 30, 120);
    c.brush.color = RGB(181, 213, 254);
    c.Rectangle({4, 4, 40, 30});
    c.RoundRect({44, 4, 84, 30}, 10, 10);
    c.RoundRect({88, 4, 128, 30}, 20, 26);
    c.Ellipse({132, 4, 172, 30});
    c.pen.style = PenStyle::Clear;
    c.Ellipse({176, 4, 200, 28});
    c.pen.style = PenStyle::Solid;
    c.brush.style = BrushStyle::Clear;
    c.Ellipse({204, 4, 236, 30});
    c.FrameRect({204, 32, 236, 36}, RGB(200, 0, 0));

    // Row 2: a fan of lines, a polygon with the alternate rule, a marker triangle.
    c.pen.color = RGB(0, 0, 0);
    for (int i = 0; i <= 8; ++i) {
        c.MoveTo(24, 64);
        c.LineTo(4 + i * 5, 40);
        c.MoveTo(24, 64);
        c.LineTo(44, 44 + i * 5);
    }
    c.brush.style = BrushStyle::Solid;
    c.brush.color = RGB(255, 200, 0);
    c.pen.color = RGB(120, 60, 0);
    c.Polygon({{60, 40}, {100, 40}, {100, 80}, {80, 80}, {80, 50}, {120, 50}, {120, 70}, {60, 70}});
    c.pen.style = PenStyle::Clear;
    c.brush.color = RGB(0, 0, 0);
    c.Polygon({{124, 79}, {139, 79}, {139, 64}});
    c.pen.style = PenStyle::Solid;

    // Pattern brush, tiled from the bitmap's corner.
    auto pattern = std::make_shared<Bitmap>(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) pattern->SetPixel(x, y, (x + y) % 4 == 0 ? RGB(0, 120, 0) : RGB(220, 255, 220));
    c.brush.style = BrushStyle::Pattern;
    c.brush.pattern = pattern;
    c.Rectangle({146, 40, 186, 80});
    c.brush.style = BrushStyle::Solid;

    // Exclusive-or cross-hair over the pattern: drawn twice on the left half, once on the right.
    c.pen.mode = PenMode::Xor;
    c.pen.color = RGB(176, 176, 176);
    for (int k = 0; k < 2; ++k) {
        c.MoveTo(190, 60);
        c.LineTo(236, 60);
        c.MoveTo(213, 40);
        c.LineTo(213, 80);
    }
    c.MoveTo(190, 70);
    c.LineTo(236, 70);
    c.pen.mode = PenMode::Copy;

    // Row 3: copy, halftone shrink and enlarge, alpha picture.
    Bitmap grad = Gradient(64, 64);
    c.Draw(4, 90, grad);
    c.StretchDraw({72, 90, 88, 106}, grad);
    c.StretchDraw({92, 90, 156, 154}, grad, {0, 0, 8, 8});
    Picture glow(Bitmap(64, 40));
    glow.color.Fill(RGB(255, 255, 255));
    glow.alpha.resize(64 * 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) glow.alpha[std::size_t(y * 64 + x)] = std::uint8_t(255 - y * 6);
    c.Draw(164, 100, grad);
    c.Draw(164, 100, glow);

    // Clip plus origin: a "control" at (164, 142) painting in its own coordinates.
    c.SetOrigin({164, 142});
    c.IntersectClip({0, 0, 72, 16});
    c.pen.color = RGB(200, 0, 0);
    c.brush.color = RGB(255, 230, 230);
    c.RoundRect({-10, 2, 82, 30}, 12, 12);
    return bmp;
}

void WritePpm(const Bitmap& bmp, const char* path) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", bmp.Width(), bmp.Height());
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            Color c = bmp.Pixel(x, y);
            unsigned char rgb[3] = {GetR(c), GetG(c), GetB(c)};
            std::fwrite(rgb, 1, 3, f);
        }
    std::fclose(f);
}

void BM_DemoScene(benchmark::State& state) {
    if (const char* out = std::getenv("VESKEL_CANVAS_DEMO")) WritePpm(DemoScene(), out);
    for (auto _ : state) benchmark::DoNotOptimize(DemoScene());
}
BENCHMARK(BM_DemoScene)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace veskel
