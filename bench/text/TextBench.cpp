// The banner's text costs: the outlined text step draws the line nine times, and every keystroke
// in the text field measures it by the per-character advance sum.
#include <benchmark/benchmark.h>

#include "platform/Resources.h"
#include "platform/graphics/Canvas.h"
#include "platform/text/CodePage.h"
#include "platform/text/FontEngine.h"
#include "platform/text/CanvasText.h"

namespace veskel {
namespace {

const std::string kLine = "Brannock veskel generator";

Font BannerFont() {
    static const FontHandle handle = RegisterPrivateFont(Resource(kBannerFontResource));
    (void)handle;
    Font f;
    f.family = kBannerFontFamily;
    f.size = 9;
    f.color = kWhite;
    return f;
}

void BM_TextOutBannerLine(benchmark::State& state) {
    Bitmap banner(350, 20);
    Canvas c(banner);
    c.font = BannerFont();
    for (auto _ : state) {
        TextOut(c, 223, 5, kLine);
        benchmark::DoNotOptimize(banner.Data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(kLine.size()));
}
BENCHMARK(BM_TextOutBannerLine);

// The whole outlined text: eight black copies and one white.
void BM_OutlinedBannerLine(benchmark::State& state) {
    Bitmap banner(350, 20);
    Canvas c(banner);
    c.font = BannerFont();
    for (auto _ : state) {
        for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, 1}, {1, -1}, {1, 1}, {-1, -1}}) {
            c.font.color = kBlack;
            TextOut(c, 223 + dx, 5 + dy, kLine);
        }
        c.font.color = kWhite;
        TextOut(c, 223, 5, kLine);
        benchmark::DoNotOptimize(banner.Data());
    }
}
BENCHMARK(BM_OutlinedBannerLine);

// Measuring as the banner settings do: one advance per character, summed.
void BM_MeasureTextAdvanceSum(benchmark::State& state) {
    const Font f = BannerFont();
    for (auto _ : state) {
        int w = 0;
        for (char32_t ch : DecodeUtf8Lossy(kLine)) w += CharAdvance(f, ch);
        benchmark::DoNotOptimize(w);
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(kLine.size()));
}
BENCHMARK(BM_MeasureTextAdvanceSum);

void BM_TextExtentBannerLine(benchmark::State& state) {
    Bitmap banner(1, 1);
    Canvas c(banner);
    c.font = BannerFont();
    for (auto _ : state) benchmark::DoNotOptimize(TextWidth(c, kLine));
}
BENCHMARK(BM_TextExtentBannerLine);

void BM_DrawTextWrappedCaption(benchmark::State& state) {
    Bitmap bmp(300, 120);
    Canvas c(bmp);
    c.font.family = "Tahoma";
    c.font.pixelHeight = 11;
    const std::string caption = "Программа для создания баннеров: выберите цвет, узор и текст";
    for (auto _ : state) {
        Rect r{0, 0, 150, 120};
        benchmark::DoNotOptimize(DrawText(c, caption, r, kDtWordBreak));
    }
}
BENCHMARK(BM_DrawTextWrappedCaption);

}  // namespace
}  // namespace veskel
