// How fast the decoders refuse the crafted files of tests/data/hostile: tiny files whose headers
// declare huge images. Each refusal should cost about as much as reading the few bytes there are.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"

namespace veskel {
namespace {

void Refuse(benchmark::State& state, const char* file, Picture (*decode)(std::span<const std::uint8_t>)) {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(std::string(VESKEL_SOURCE_DIR) + "/tests/data/hostile/" + file);
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(decode(bytes));
        } catch (const CodecError&) {
        }
    }
}

BENCHMARK_CAPTURE(Refuse, bmp_24bit, "huge_frame.bmp", DecodeBmp);
BENCHMARK_CAPTURE(Refuse, bmp_rle8_end, "huge_rle8_eob.bmp", DecodeBmp);
BENCHMARK_CAPTURE(Refuse, jpeg_baseline, "huge_frame_baseline.jpg", DecodeJpeg);
BENCHMARK_CAPTURE(Refuse, jpeg_progressive, "huge_frame_progressive.jpg", DecodeJpeg);
BENCHMARK_CAPTURE(Refuse, gif_screen, "huge_screen.gif", DecodeGif);
// Canvases that the data hardly paints.
BENCHMARK_CAPTURE(Refuse, gif_screen_one_pixel, "screen_one_pixel.gif", DecodeGif);
BENCHMARK_CAPTURE(Refuse, bmp_rle4_jumps, "rle4_jumps.bmp", DecodeBmp);
BENCHMARK_CAPTURE(Refuse, bmp_rle8_jumps, "rle8_jumps_no_end.bmp", DecodeBmp);
BENCHMARK_CAPTURE(Refuse, jpeg_arithmetic, "arithmetic.jpg", DecodeJpeg);
BENCHMARK_CAPTURE(Refuse, jpeg_arithmetic_progressive, "arithmetic_progressive.jpg", DecodeJpeg);

}  // namespace
}  // namespace veskel
