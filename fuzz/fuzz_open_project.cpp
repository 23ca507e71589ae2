// Fuzzes the project reader: any bytes must open cleanly or fail with a ProjectError, and a
// design that opened must render or refuse to render with a BannerError.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "banner/BannerDocument.h"
#include "project/ProjectFile.h"
#include "fuzz/FuzzLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    veskel::BannerDocument document;
    int changes = 0;
    document.AddChangeListener([&] { ++changes; });
    const std::vector<std::uint8_t> bytes(data, data + size);
    // Read from a stream, the same bytes end where ProjectBytesNeeded says: that part must open
    // or fail as cleanly as the whole.
    if (const std::size_t streamed = veskel::ProjectBytesNeeded(bytes); streamed < bytes.size()) {
        veskel::BannerDocument fromStream;
        try {
            veskel::OpenProjectBytes(fromStream, {bytes.begin(), bytes.begin() + long(streamed)}, "fuzz.vzk");
        } catch (const veskel::ProjectError&) {
        }
    }
    try {
        veskel::OpenProjectBytes(document, bytes, "fuzz.vzk");
    } catch (const veskel::ProjectError&) {
        return 0;
    }
    // Exercise what an opened design is used for: rendering with every stored position, and the
    // size steps that resample the picture to the stored size (kept small here so that one input
    // cannot take the run's memory).
    try {
        document.RenderBanner();
        const std::int64_t area =
            std::int64_t(document.Settings().OverlayWidth()) * std::int64_t(document.Settings().OverlayHeight());
        if (area > 0 && area <= 1'000'000) {
            document.ResetOverlayPosition();
            document.WidenOverlay();
            document.RenderBanner();
        }
    } catch (const veskel::BannerError&) {
    }
    return 0;
}
