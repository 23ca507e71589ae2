#include <filesystem>

#include "ColourPickerFixture.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"

namespace veskel::testing {

void ExpectGolden(const Bitmap& pixels, const std::string& name) {
    const std::string golden = std::string(VESKEL_SOURCE_DIR) + "/tests/golden/components/" + name + ".png";
    if (std::filesystem::exists(golden) && DecodePng(ReadFileBytes(golden)).color == pixels) return;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "veskel-golden-components";
    std::filesystem::create_directories(dir);
    const std::string actual = (dir / (name + ".png")).string();
    WriteFileAtomic(actual, EncodePng(Picture(pixels)));
    ADD_FAILURE() << name << " differs from " << golden << " (or it is missing); this run's pixels are in " << actual;
}

}  // namespace veskel::testing
