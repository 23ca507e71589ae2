// The demo form's states against reviewed golden images. To regenerate after a deliberate change,
// run `veskel-demo --headless-png tests/golden/components`, look at every image, and commit them.
#include <gtest/gtest.h>

#include <filesystem>

#include "GlassDemoForm.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"

namespace veskel {
namespace {

const std::string kGoldenDir = std::string(VESKEL_SOURCE_DIR) + "/tests/golden/components";

TEST(GlassDemoGolden, EveryStateMatchesItsReviewedImage) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    HeadlessBackend backend;
    Application app(backend);
    auto* form = app.CreateForm<demo::GlassDemoForm>();
    form->FinishCreate();
    form->ShowForm();
    const std::filesystem::path actualDir = std::filesystem::temp_directory_path() / "veskel-golden-components";
    for (const auto& [name, pixels] : demo::DriveDemoStates(backend, *form)) {
        SCOPED_TRACE(name);
        const Picture golden = DecodePng(ReadFileBytes(kGoldenDir + "/" + name + ".png"));
        if (golden.color == pixels) continue;
        std::filesystem::create_directories(actualDir);
        const std::string actual = (actualDir / (name + ".png")).string();
        WriteFileAtomic(actual, EncodePng(pixels));
        ADD_FAILURE() << "the " << name << " state differs from " << kGoldenDir << "/" << name
                      << ".png; this run's rendering is in " << actual;
    }
}

}  // namespace
}  // namespace veskel
