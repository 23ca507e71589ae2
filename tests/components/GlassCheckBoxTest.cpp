#include "Components/GlassCheckBox/GlassCheckBox.h"

#include <gtest/gtest.h>

#include "Components/GlassLook/GlassLook.h"
#include "Components/GlassTint/GlassTint.h"
#include "Components/Registration/Registration.h"
#include "ControlTestSupport.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/ChangeNotice.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {
namespace {

using testing::CentreInForm;
using testing::ControlStage;

constexpr const char* kChecked = "Components/GlassCheckBox/res/GlassCheckChecked.png";
constexpr const char* kUnchecked = "Components/GlassCheckBox/res/GlassCheckUnchecked.png";

TEST(GlassCheckBoxSkins, TransparentSidesAndAFaintShadowRow) {
    for (const char* name : {kChecked, kUnchecked}) {
        SCOPED_TRACE(name);
        const Picture& p = GlassSkin(name);
        ASSERT_EQ(p.Width(), 20);
        ASSERT_EQ(p.Height(), 20);
        ASSERT_TRUE(p.HasAlpha());
        for (int y = 0; y < 20; ++y) {
            EXPECT_EQ(p.AlphaRow(y)[0], 0);
            EXPECT_EQ(p.AlphaRow(y)[19], 0);
        }
        for (int x = 0; x < 20; ++x) EXPECT_LE(p.AlphaRow(19)[x], 40);
        EXPECT_EQ(p.AlphaRow(9)[10], 255);
    }
    // The check mark reaches out over the checked box's top-right corner.
    EXPECT_GT(GlassSkin(kChecked).AlphaRow(0)[18], 200);
    EXPECT_LT(GlassSkin(kUnchecked).AlphaRow(0)[18], 200);
}

// The skin's top is round(Height / 2 - 10): -2 / -3 for 15 rows (the tie), -2 for 17 in both modes.
TEST(GlassCheckBoxPainting, SkinTopRoundsInTheProcessMode) {
    auto shot = [](int height, RoundingMode mode) {
        ScopedRoundingModeForTesting r(mode);
        ControlStage stage;
        auto* box = stage.Add<TGlassCheckBox>(5, 5);
        box->SetHeight(height);
        return stage.Shot(*box);
    };
    auto rows = [](const Bitmap& b, int from, int count) {
        std::vector<Color> out;
        for (int y = from; y < from + count; ++y)
            for (int x = 0; x < 20; ++x) out.push_back(b.Pixel(x, y));
        return out;
    };
    const Bitmap nearest15 = shot(15, RoundingMode::NearestEven);
    const Bitmap down15 = shot(15, RoundingMode::Downward);
    EXPECT_EQ(rows(down15, 0, 12), rows(nearest15, 1, 12));  // one row higher once rounding is downward
    EXPECT_NE(rows(down15, 0, 12), rows(nearest15, 0, 12));
    EXPECT_EQ(shot(17, RoundingMode::NearestEven), shot(17, RoundingMode::Downward));
}

struct CheckBoxEvents : ::testing::Test {
    CheckBoxEvents() {
        box = stage.Add<TGlassCheckBox>(5, 5);
        box->SetCaption("Добавить рамку:");
        box->OnClick = [this](Control&) { log.push_back("click"); };
        notices = stage.form->ChildChanged.Connect([this](Control&) { log.push_back("notice"); });
        at = CentreInForm(*box);
    }
    void ListenToChanges() {
        box->OnChange = [this](Control& c) {
            log.push_back(static_cast<TGlassCheckBox&>(c).Checked() ? "change:on" : "change:off");
        };
    }
    ControlStage stage;
    TGlassCheckBox* box;
    std::vector<std::string> log;
    Connection notices;
    Point at;
};

TEST_F(CheckBoxEvents, PressTogglesThenChangeThenNoticeThenClick) {
    ListenToChanges();
    stage.backend.MouseDown(*stage.form, at.x, at.y);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(log, (std::vector<std::string>{"change:on", "notice"}));
    stage.backend.MouseUp(*stage.form, at.x, at.y);
    EXPECT_EQ(log, (std::vector<std::string>{"change:on", "notice", "click"}));
    // A right press toggles and reports the change like a left one, but it is no click.
    log.clear();
    stage.backend.MouseDown(*stage.form, at.x, at.y, MouseButton::Right);
    stage.backend.MouseUp(*stage.form, at.x, at.y, MouseButton::Right);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(log, (std::vector<std::string>{"change:off", "notice"}));
}

TEST_F(CheckBoxEvents, WithoutAHandlerAPressTogglesQuietly) {
    const Bitmap before = stage.Shot(*box);
    stage.backend.MouseDown(*stage.form, at.x, at.y);
    stage.backend.MouseUp(*stage.form, at.x, at.y);
    EXPECT_TRUE(box->Checked());
    EXPECT_NE(testing::Snapshot(*box), before);
    EXPECT_EQ(log, (std::vector<std::string>{"click"}));
}

TEST_F(CheckBoxEvents, SettingCheckedFromCodeOnlyRepaints) {
    ListenToChanges();
    const Bitmap before = stage.Shot(*box);
    box->SetChecked(true);
    EXPECT_TRUE(log.empty());
    const Bitmap shown = testing::Snapshot(*box);  // repainted at once, without a full repaint
    EXPECT_NE(shown, before);
    EXPECT_EQ(stage.Shot(*box), shown);
}

TEST(GlassCheckBoxTint, EveryChangeStartsFromTheStockSkin) {
    TGlassCheckBox twice, once;
    twice.SetGlassColor(100);
    twice.SetGlassColor(0);
    once.SetGlassColor(0);
    EXPECT_EQ(twice.CheckedSkin(), once.CheckedSkin());
    // Offsets of 0 still tint (the round trip is not an identity), as a stored layout leaves it.
    Picture expected = GlassSkin(kChecked);
    TintSkin(expected, 0, 0, 0);
    EXPECT_EQ(once.CheckedSkin(), expected);
    EXPECT_NE(once.CheckedSkin(), GlassSkin(kChecked));
    TGlassCheckBox fresh;
    EXPECT_EQ(fresh.CheckedSkin(), GlassSkin(kChecked));
    // The unchecked skin is never tinted.
    EXPECT_EQ(&once.UncheckedSkin(), &GlassSkin(kUnchecked));
}

TEST(GlassCheckBoxLayout, StoredFormAsTheDesignerWritesIt) {
    RegisterComponentClasses();
    ControlStage stage;
    LoadLayout(*stage.form, std::string_view("object Form1: TForm\n"
                                             "  object GlassCheckBox1: TGlassCheckBox\n"
                                             "    Left = 28\n    Top = 20\n    Width = 125\n    Height = 17\n"
                                             "    Checked = True\n    GlassColor = 0\n    GlassLightness = 0\n"
                                             "    GlassSaturation = 0\n    Caption = 'Добавить рамку:'\n"
                                             "  end\nend\n"));
    auto* box = stage.form->Find<TGlassCheckBox>("GlassCheckBox1");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(box->Caption(), "Добавить рамку:");
    EXPECT_NE(box->CheckedSkin(), GlassSkin(kChecked));  // tinted by the stored zero offsets
    EXPECT_EQ(box->Cursor(), kCrHandPoint);
}

}  // namespace
}  // namespace veskel
