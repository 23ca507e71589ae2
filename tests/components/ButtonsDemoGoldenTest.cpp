// The buttons demo's states against reviewed golden images: the whole form at rest, with "+"
// hovered and pressed and after the pointer left; every pulse phase of one cycle, grey mode, the
// image menu's item bitmaps, the frames of the image buttons, a toggled check box and the shadow
// pop-up. To regenerate after a deliberate change, run
// `veskel-buttons-demo --headless-png tests/golden/buttons`, look at every image, and commit them.
#include <gtest/gtest.h>

#include <filesystem>

#include "ButtonsDemoForm.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"

namespace veskel {
namespace {

const std::string kGoldenDir = std::string(VESKEL_SOURCE_DIR) + "/tests/golden/buttons";

void ExpectGolden(const demo::DemoStates& states) {
    const std::filesystem::path actualDir = std::filesystem::temp_directory_path() / "veskel-golden-buttons";
    for (const auto& [name, pixels] : states) {
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

TEST(ButtonsDemoGolden, EveryStateMatchesItsReviewedImage) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    HeadlessBackend backend;
    Application app(backend);
    auto* form = app.CreateForm<demo::ButtonsDemoForm>();
    form->FinishCreate();
    form->ShowForm();
    const demo::DemoStates formStates = demo::DriveFormStates(backend, *form);
    ASSERT_EQ(formStates.size(), 4u);
    ExpectGolden(formStates);
    const demo::DemoStates controlStates = demo::DriveControlStates(backend, *form);
    // 12 distinct phases of the cycle, grey, the corner button twice, 4 menu items, the swatch
    // frame, the toggled box and the pop-up over the form and beside it.
    EXPECT_EQ(controlStates.size(), 23u);
    ExpectGolden(controlStates);
}

}  // namespace
}  // namespace veskel
