// Whole banners compared with reviewed images in tests/golden/banner/: the default design, each
// tile pattern and each highlight layer. A mismatch leaves the actual image beside the build for
// review. Writing new golden images is deliberate: run with VESKEL_WRITE_GOLDEN=1, look at every
// file, and commit only what is right.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "banner/BannerDocument.h"
#include "banner/Patterns.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"

namespace veskel {
namespace {

const std::string kGoldenDir = std::string(VESKEL_SOURCE_DIR) + "/tests/golden/banner/";

void CheckGolden(const Bitmap& actual, const std::string& name) {
    const std::string path = kGoldenDir + name + ".png";
    if (const char* w = std::getenv("VESKEL_WRITE_GOLDEN"); w && std::string(w) == "1") {
        WriteFileAtomic(path, EncodePng(actual));
        GTEST_SKIP() << "wrote " << path;
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << "no golden image " << path;
    const Picture expected = DecodePng(ReadFileBytes(path));
    if (expected.color != actual) {
        const std::string out = (std::filesystem::current_path() / ("actual-" + name + ".png")).string();
        WriteFileAtomic(out, EncodePng(actual));
        FAIL() << name << " differs from " << path << "; the actual image is " << out;
    }
}

BannerDocument NewDesign() {
    BannerDocument doc;
    doc.NewDocument();
    return doc;
}

TEST(Golden, DefaultBanner) {
    ScopedRoundingModeForTesting nearest(RoundingMode::NearestEven);
    BannerDocument doc = NewDesign();
    CheckGolden(doc.RenderBanner(), "default");
}

TEST(Golden, DefaultBannerRoundingDownward) {
    BannerDocument doc = NewDesign();
    doc.SetRounding(RoundingMode::Downward);
    CheckGolden(doc.RenderBanner(), "default-downward");
}

TEST(Golden, EveryPattern) {
    ScopedRoundingModeForTesting nearest(RoundingMode::NearestEven);
    for (int i = 0; i < kPatternCount; ++i) {
        BannerDocument doc = NewDesign();
        doc.Set(Field("Pattern"), i);
        CheckGolden(doc.CurrentBanner(), "pattern" + std::to_string(i));
    }
}

TEST(Golden, EveryMirrorLayer) {
    ScopedRoundingModeForTesting nearest(RoundingMode::NearestEven);
    for (int i = 0; i < kMirrorLayerCount; ++i) {
        BannerDocument doc = NewDesign();
        doc.Set(Field("MirrorPattern"), i);
        CheckGolden(doc.CurrentBanner(), "mirror" + std::to_string(i));
    }
}

TEST(Golden, RussianTextVerticalGradientNoGlow) {
    ScopedRoundingModeForTesting nearest(RoundingMode::NearestEven);
    BannerDocument doc = NewDesign();
    ASSERT_TRUE(doc.SetText("Привет, баннер! Ёё 0123"));
    doc.ResetTextPosition();
    doc.Set(Field("Horizontal"), false);
    doc.Set(Field("Glow"), false);
    doc.Set(Field("BorderColor"), RGB(40, 40, 160));
    CheckGolden(doc.CurrentBanner(), "russian-vertical");
}

}  // namespace
}  // namespace veskel
