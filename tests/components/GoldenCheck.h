#pragma once
// Compares a rendering with a reviewed golden image in tests/golden/<folder>/<name>.png. On a
// difference (or a missing golden) the rendering is written to the temporary folder and the test
// fails naming both files; a new golden is made by looking at that file and copying it in.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/codecs/Codecs.h"
#include "platform/graphics/Bitmap.h"
#include "platform/io/Files.h"

namespace veskel::testing {

inline void ExpectGolden(const Bitmap& pixels, const std::string& folder, const std::string& name) {
    const std::string golden = std::string(VESKEL_SOURCE_DIR) + "/tests/golden/" + folder + "/" + name + ".png";
    if (std::filesystem::exists(golden) && DecodePng(ReadFileBytes(golden)).color == pixels) return;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("veskel-golden-" + folder);
    std::filesystem::create_directories(dir);
    const std::string actual = (dir / (name + ".png")).string();
    WriteFileAtomic(actual, EncodePng(pixels));
    ADD_FAILURE() << name << " differs from " << golden << " (or it is missing); this run's rendering is in "
                  << actual;
}

// The part of a form's surface covered by a control.
inline Bitmap Snapshot(const Bitmap& surface, const Rect& r) {
    Bitmap out(r.Width(), r.Height());
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x) out.SetPixel(x, y, surface.Pixel(r.left + x, r.top + y));
    return out;
}

}  // namespace veskel::testing
