#include "Components/QorBackground/QorBackground.h"

#include <gtest/gtest.h>

#include "Components/Registration/Registration.h"
#include "ControlTestSupport.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {
namespace {

using testing::ControlStage;

constexpr Color kPage = RGB(232, 232, 232);

TQorBackground* Stripes(ControlStage& stage, int height, int space, int spaceWidth, Color c1, Color c2) {
    auto* bg = stage.Add<TQorBackground>(0, 0);
    bg->SetBounds(0, 0, 40, height);
    bg->SetColor1(c1);
    bg->SetColor2(c2);
    bg->SetSpace(space);
    bg->SetSpaceWidth(spaceWidth);
    return bg;
}

TEST(QorBackground, PairsOfPaintedRowsOverThePage) {
    ControlStage stage({60, 300}, kPage);
    auto* bg = Stripes(stage, 280, 2, 2, RGB(224, 224, 224), RGB(224, 224, 224));
    const Bitmap shot = stage.Shot(*bg);
    for (int y = 0; y < 280; ++y) {
        const bool painted = y % 4 < 2;  // 70 bands of 2 rows, every 4 rows
        EXPECT_EQ(shot.Pixel(7, y), painted ? RGB(224, 224, 224) : kPage) << "row " << y;
        EXPECT_EQ(shot.Pixel(39, y), shot.Pixel(0, y));
    }
}

TEST(QorBackground, BandsApproachTheSecondColourInTheProcessMode) {
    struct Case {
        RoundingMode mode;
        std::vector<int> greys;
    };
    for (const Case& c : {Case{RoundingMode::NearestEven, {0, 64, 128, 191}}, Case{RoundingMode::Downward, {0, 63, 127, 191}}}) {
        ScopedRoundingModeForTesting r(c.mode);
        ControlStage stage({60, 20}, kPage);
        auto* bg = Stripes(stage, 4, 1, 1, kBlack, kWhite);
        const Bitmap shot = stage.Shot(*bg);
        for (int y = 0; y < 4; ++y) EXPECT_EQ(shot.Pixel(3, y), RGB(c.greys[y], c.greys[y], c.greys[y])) << y;
    }
    // Colours are per channel and plain bytes.
    ControlStage stage({60, 20}, kPage);
    auto* bg = Stripes(stage, 2, 1, 1, RGB(200, 0, 100), RGB(0, 200, 100));
    EXPECT_EQ(stage.Shot(*bg).Pixel(0, 1), RGB(100, 100, 100));
}

TEST(QorBackground, SpaceZeroPaintsEveryRowAndBecomesOne) {
    ControlStage stage({60, 40}, kPage);
    auto* bg = Stripes(stage, 10, 0, 2, RGB(100, 100, 100), RGB(200, 200, 200));
    const Bitmap shot = stage.Shot(*bg);
    EXPECT_EQ(bg->Space(), 1);
    for (int y = 0; y < 10; ++y) EXPECT_NE(shot.Pixel(5, y), kPage) << y;
    EXPECT_EQ(shot.Pixel(5, 0), shot.Pixel(5, 1));  // bands of two rows
    EXPECT_NE(shot.Pixel(5, 1), shot.Pixel(5, 2));
}

TEST(QorBackground, NoRowsPerBandPaintsNothing) {
    ControlStage stage({60, 40}, kPage);
    auto* bg = Stripes(stage, 30, 2, 0, kBlack, kBlack);
    const Bitmap shot = stage.Shot(*bg);
    for (int y = 0; y < 30; ++y) EXPECT_EQ(shot.Pixel(5, y), kPage);
    // A band larger than the control still paints its first rows.
    bg->SetSpace(200);
    bg->SetSpaceWidth(200);
    EXPECT_EQ(stage.Shot(*bg).Pixel(5, 29), kBlack);
}

TEST(QorBackground, StoredValuesOutsideAByteAreRefused) {
    RegisterComponentClasses();
    for (const char* bad : {"Space = 256", "SpaceWidth = -1", "Color1 = 'grey'"}) {
        ControlStage stage;
        const std::string text = std::string("object Form1: TForm\n  object QorBackground1: TQorBackground\n    ") + bad +
                                 "\n  end\nend\n";
        try {
            LoadLayout(*stage.form, std::string_view(text));
            ADD_FAILURE() << bad << " was accepted";
        } catch (const LayoutError& e) {
            EXPECT_NE(std::string(e.what()).find("QorBackground1."), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace veskel
