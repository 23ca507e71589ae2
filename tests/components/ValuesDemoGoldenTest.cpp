// The values demo form's states against reviewed golden images. To regenerate after a deliberate
// change, run `veskel-values-demo --headless-png tests/golden/values`, look at every image, and
// commit them.
#include <gtest/gtest.h>

#include <filesystem>

#include "ValuesDemoForm.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"

namespace veskel {
namespace {

const std::string kGoldenDir = std::string(VESKEL_SOURCE_DIR) + "/tests/golden/values";

TEST(ValuesDemoGolden, EveryStateMatchesItsReviewedImage) {
    // A fresh process: the first paint still rounds to nearest until the lists switch the mode.
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    HeadlessBackend backend;
    Application app(backend);
    auto* form = app.CreateForm<demo::ValuesDemoForm>();
    std::vector<std::string> events;
    form->onEvent = [&](const std::string& line) { events.push_back(line); };
    form->FinishCreate();
    form->ShowForm();
    const std::filesystem::path actualDir = std::filesystem::temp_directory_path() / "veskel-golden-values";
    const demo::ValuesStates states = demo::DriveValuesStates(backend, *form);
    EXPECT_EQ(states.size(), 10u);
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
    // The slider is released on 99 before it rests there: the release reports it. Its values round
    // to nearest, after the lists' first paint as before it.
    EXPECT_EQ(events, (std::vector<std::string>{"change GlassEdit1 Veskel Hi Привет", "prechange GlassSlider1 53",
                                                "prechange GlassSlider1 99", "finalchange GlassSlider1 99",
                                                "select GlassListBox1 2"}));
}

}  // namespace
}  // namespace veskel
