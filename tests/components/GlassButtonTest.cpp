#include "Components/SGlassButton/SGlassButton.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Components/GlassTint/GlassTint.h"
#include "Components/Registration/Registration.h"
#include "ControlTestSupport.h"
#include "GlassDemoForm.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Application.h"
#include "platform/ui/StoredLayout.h"
#include "platform/text/CanvasText.h"

namespace veskel {
namespace {

Picture Tinted(GlassButtonSkin skin, int h, int l, int s) {
    Picture p = LoadGlassButtonSkin(skin);
    TintSkin(p, h, l, s);
    return p;
}

// ---------------------------------------------------------------- skins

TEST(GlassButtonSkins, SizesAndFadingEdges) {
    struct Case {
        GlassButtonSkin skin;
        int w, h;
    };
    for (Case c : {Case{GlassButtonSkin::Normal, 91, 25}, Case{GlassButtonSkin::Blue, 91, 25},
                   Case{GlassButtonSkin::Small, 36, 29}}) {
        Picture p = LoadGlassButtonSkin(c.skin);
        ASSERT_EQ(p.Width(), c.w);
        ASSERT_EQ(p.Height(), c.h);
        ASSERT_TRUE(p.HasAlpha());
        // Rounded or bevelled corners are see-through; the body is opaque.
        EXPECT_EQ(p.AlphaRow(0)[0], 0);
        EXPECT_EQ(p.AlphaRow(0)[c.w - 1], 0);
        EXPECT_EQ(p.AlphaRow(c.h / 2)[c.w / 2], 255);
        // The shadow along the bottom edge stays faint.
        for (int x = 0; x < c.w; ++x) EXPECT_LE(p.AlphaRow(c.h - 1)[x], 28) << "column " << x;
    }
}

// ---------------------------------------------------------------- setters

TEST(GlassButtonProperties, NewButtonDefaults) {
    TGlassButton b;
    EXPECT_EQ(b.Width(), 91);
    EXPECT_EQ(b.Height(), 25);
    EXPECT_EQ(b.ButtonText(), "Button");
    EXPECT_EQ(b.GetFont().family, "Tahoma");
    EXPECT_EQ(b.GetFont().color, RGB(20, 20, 20));
    EXPECT_EQ(b.ClassName(), "TGlassButton");
    EXPECT_TRUE(b.HandlesPressRelease());
    // No colour property set yet: the hover skin is the untinted normal skin.
    EXPECT_EQ(b.HoverSkin(), LoadGlassButtonSkin(GlassButtonSkin::Normal));
    EXPECT_EQ(b.NormalSkin(), b.HoverSkin());
}

// A tint with all offsets 0 is not an identity: mid-tones move one step, lighter while the
// process rounds to nearest, darker once it rounds down.
TEST(GlassButtonProperties, ZeroOffsetsStillTintTheHoverSkin) {
    const Picture normal = LoadGlassButtonSkin(GlassButtonSkin::Normal);
    int lighter = 0, darker = 0;
    {
        ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
        TGlassButton b;
        b.SetHUE(0);
        for (std::size_t i = 0; i < normal.color.ByteSize(); ++i)
            lighter += b.HoverSkin().color.Data()[i] > normal.color.Data()[i];
        EXPECT_EQ(b.HoverSkin().alpha, normal.alpha);
    }
    {
        ScopedRoundingModeForTesting rounding(RoundingMode::Downward);
        TGlassButton b;
        b.SetSaturation(0);
        for (std::size_t i = 0; i < normal.color.ByteSize(); ++i)
            darker += b.HoverSkin().color.Data()[i] < normal.color.Data()[i];
    }
    EXPECT_GT(lighter, 0);
    EXPECT_GT(darker, 0);
}

TEST(GlassButtonProperties, ColourSettersTintAFreshSkinEachTime) {
    TGlassButton b;
    b.SetLightness(10);
    b.SetHUE(100);
    b.SetSaturation(200);
    // Offsets never accumulate: the result is one tint of the stored skin.
    EXPECT_EQ(b.HoverSkin(), Tinted(GlassButtonSkin::Normal, 100, 10, 200));
    b.SetHUE(100);
    EXPECT_EQ(b.HoverSkin(), Tinted(GlassButtonSkin::Normal, 100, 10, 200));
    // The grey skin turns light blue: in the upper half, blue clearly leads red.
    const Color c = b.HoverSkin().color.Pixel(45, 6);
    EXPECT_GT(int(GetB(c)) - int(GetR(c)), 20);
    EXPECT_EQ(b.NormalSkin(), LoadGlassButtonSkin(GlassButtonSkin::Normal));
}

TEST(GlassButtonProperties, DefaultButtonPresetsTheColourShift) {
    TGlassButton b;
    b.SetHUE(100);
    b.SetLightness(10);
    b.SetSaturation(200);
    b.SetDefaultButton(true);
    EXPECT_EQ(b.HUE(), 0);
    EXPECT_EQ(b.Lightness(), 10);
    EXPECT_EQ(b.Saturation(), -20);
    EXPECT_EQ(b.NormalSkin(), LoadGlassButtonSkin(GlassButtonSkin::Blue));
    EXPECT_EQ(b.HoverSkin(), Tinted(GlassButtonSkin::Blue, 0, 10, -20));
}

TEST(GlassButtonProperties, SmallButtonUsesTheTileUntilAColourIsSet) {
    TGlassButton b;
    b.SetHUE(100);
    b.SetSmallButton(true);
    EXPECT_EQ(b.NormalSkin(), LoadGlassButtonSkin(GlassButtonSkin::Small));
    EXPECT_EQ(b.HoverSkin(), Tinted(GlassButtonSkin::Small, 100, 0, 0));
    // The colour setters look only at DefaultButton and reload a full-size skin.
    b.SetLightness(5);
    EXPECT_EQ(b.HoverSkin().Width(), 91);
    EXPECT_EQ(b.NormalSkin().Width(), 36);
}

TEST(GlassButtonProperties, BlueButtonLoadsBlueForBothStates) {
    TGlassButton b;
    b.SetBlueButton(true);
    EXPECT_EQ(b.NormalSkin(), LoadGlassButtonSkin(GlassButtonSkin::Blue));
    EXPECT_EQ(b.HUE(), 0);
    EXPECT_EQ(b.Lightness(), 10);
    EXPECT_EQ(b.Saturation(), -20);
}

// ---------------------------------------------------------------- stored layout

// The designer's export button: DefaultButton first, then stored colours override its preset,
// so the hover skin ends as the blue skin lightened by 30.
TEST(GlassButtonLayout, StoredOrderLetsColoursOverrideTheDefaultPreset) {
    RegisterComponentClasses();
    auto control = CreateControl("TGlassButton");
    auto* b = dynamic_cast<TGlassButton*>(control.get());
    ASSERT_NE(b, nullptr);
    for (auto [name, value] : std::vector<std::pair<const char*, LayoutValue>>{
             {"DefaultButton", LayoutValue::Bool(true)},
             {"Lightness", LayoutValue::Int(30)},
             {"HUE", LayoutValue::Int(0)},
             {"Saturation", LayoutValue::Int(0)},
             {"ButtonText", LayoutValue::Str("Save...")}}) {
        ASSERT_TRUE(b->SetProperty(name, value)) << name;
    }
    EXPECT_EQ(b->HoverSkin(), Tinted(GlassButtonSkin::Blue, 0, 30, 0));
    EXPECT_EQ(b->ButtonText(), "Save...");
    EXPECT_THROW(b->SetProperty("HUE", LayoutValue::Str("blue")), LayoutError);
    EXPECT_FALSE(b->SetProperty("NoSuchProperty", LayoutValue::Int(1)));
}

TEST(GlassButtonLayout, WritesItsPropertiesInDeclarationOrderAndReadsThemBack) {
    RegisterComponentClasses();
    HeadlessBackend backend;
    Application app(backend);
    Form form;
    auto* b = form.CreateOwned<TGlassButton>();
    b->SetName("GlassButton10");
    b->SetParent(&form);
    b->SetDefaultButton(true);
    b->SetLightness(30);
    b->SetHUE(0);
    b->SetSaturation(0);
    b->SetButtonText("Save...");

    LayoutObject saved = SaveLayout(form);
    ASSERT_EQ(saved.children.size(), 1u);
    std::vector<std::string> names;
    for (const LayoutProperty& p : saved.children[0].properties) names.push_back(p.name);
    EXPECT_THAT(names, ::testing::IsSupersetOf({"DefaultButton", "Lightness", "HUE", "Saturation", "ButtonText"}));
    auto pos = [&](const char* n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
    EXPECT_LT(pos("DefaultButton"), pos("Lightness"));
    EXPECT_LT(pos("Lightness"), pos("HUE"));
    EXPECT_LT(pos("HUE"), pos("Saturation"));
    EXPECT_LT(pos("Saturation"), pos("ButtonText"));

    Form copy;
    LoadLayout(copy, WriteLayout(saved));
    auto* back = copy.Find<TGlassButton>("GlassButton10");
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->DefaultButton());
    EXPECT_EQ(back->Lightness(), 30);
    EXPECT_EQ(back->Saturation(), 0);
    EXPECT_EQ(back->ButtonText(), "Save...");
    EXPECT_EQ(back->HoverSkin(), b->HoverSkin());
    EXPECT_EQ(back->GetFont(), b->GetFont());
}

// ---------------------------------------------------------------- interaction

class GlassButtonInteraction : public ::testing::Test {
protected:
    GlassButtonInteraction() : app(backend) {
        form = app.CreateForm<demo::GlassDemoForm>();
        form->onClicked = [this](const std::string& name) { clicks.push_back(name); };
        form->FinishCreate();
        form->ShowForm();
    }
    // The button's pixels on the form.
    static Bitmap Shot(const Control& c) { return testing::Snapshot(c); }

    HeadlessBackend backend;
    Application app;
    demo::GlassDemoForm* form;
    std::vector<std::string> clicks;
};

TEST_F(GlassButtonInteraction, HoverPressAndClick) {
    TGlassButton& b = *form->tinted;
    const Bitmap normal = Shot(b);
    const Point at = demo::CentreOf(b);

    backend.MouseMove(*form, at.x, at.y);
    EXPECT_TRUE(b.IsHovered());
    const Bitmap hover = Shot(b);
    // The skin's upper half away from the caption turned blue.
    EXPECT_NE(hover.Pixel(8, 5), normal.Pixel(8, 5));
    EXPECT_GT(GetB(hover.Pixel(8, 5)), GetR(hover.Pixel(8, 5)));

    backend.MouseDown(*form, at.x, at.y);
    EXPECT_TRUE(b.IsPressed());
    const Bitmap pressed = Shot(b);
    EXPECT_NE(pressed, hover);  // the caption sank and greyed
    EXPECT_TRUE(clicks.empty());

    backend.MouseUp(*form, at.x, at.y);
    EXPECT_FALSE(b.IsPressed());
    EXPECT_EQ(Shot(b), hover);
    EXPECT_THAT(clicks, ::testing::ElementsAre("GlassButton2"));

    backend.MouseExit(*form);
    EXPECT_FALSE(b.IsHovered());
    EXPECT_EQ(Shot(b), normal);  // repainted over the parent: no alpha accumulates
}

TEST_F(GlassButtonInteraction, AnyButtonPressesButOnlyLeftClicks) {
    TGlassButton& b = *form->plain;
    int downs = 0;
    b.OnMouseDown = [&](Control&, MouseButton, ShiftState, int, int) { ++downs; };
    b.OnMouseUp = [&](Control&, MouseButton, ShiftState, int, int) { ++downs; };
    const Point at = demo::CentreOf(b);
    backend.MouseMove(*form, at.x, at.y);
    backend.MouseDown(*form, at.x, at.y, MouseButton::Right);
    EXPECT_TRUE(b.IsPressed());
    backend.MouseUp(*form, at.x, at.y, MouseButton::Right);
    EXPECT_FALSE(b.IsPressed());
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(downs, 0);  // the button handles press and release itself

    // Leaving while pressed ends the press; releasing elsewhere is no click.
    backend.MouseDown(*form, at.x, at.y);
    backend.MouseMove(*form, 2, 2);
    EXPECT_FALSE(b.IsPressed());
    backend.MouseUp(*form, 2, 2);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(GlassButtonInteraction, PlainButtonHoverShowsTheUntintedSkin) {
    TGlassButton& b = *form->plain;
    const Bitmap normal = Shot(b);
    const Point at = demo::CentreOf(b);
    backend.MouseMove(*form, at.x, at.y);
    EXPECT_TRUE(b.IsHovered());
    EXPECT_EQ(Shot(b), normal);
}

TEST_F(GlassButtonInteraction, BlueButtonReactsOnlyWithItsCaption) {
    TGlassButton& b = *form->blue;
    const Bitmap normal = Shot(b);
    const Point at = demo::CentreOf(b);
    backend.MouseMove(*form, at.x, at.y);
    EXPECT_EQ(Shot(b), normal);
    backend.MouseDown(*form, at.x, at.y);
    const Bitmap pressed = Shot(b);
    EXPECT_NE(pressed, normal);
    // Away from the caption the skin is the same.
    EXPECT_EQ(pressed.Pixel(4, 12), normal.Pixel(4, 12));
    backend.MouseUp(*form, at.x, at.y);
}

TEST_F(GlassButtonInteraction, DisabledButtonIgnoresThePointer) {
    TGlassButton& b = *form->disabled;
    const Bitmap before = Shot(b);
    const Point at = demo::CentreOf(b);
    backend.MouseMove(*form, at.x, at.y);
    EXPECT_FALSE(b.IsHovered());
    backend.Click(*form, at.x, at.y);
    EXPECT_FALSE(b.IsPressed());
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(Shot(b), before);

    // Enabled again it works; disabled under the pointer it drops its hover look at once.
    b.SetEnabled(true);
    backend.MouseExit(*form);
    backend.MouseMove(*form, at.x, at.y);
    EXPECT_TRUE(b.IsHovered());
    b.SetEnabled(false);
    form->UpdateSurface();
    EXPECT_FALSE(b.IsHovered());
    EXPECT_EQ(Shot(b), before);
}

// A caption wider than the button is centred (negative x) and clipped at both sides; nothing is
// drawn outside the button.
TEST_F(GlassButtonInteraction, WideCaptionIsClippedAtBothSides) {
    TGlassButton& b = *form->wide;
    const Bitmap& surface = form->Surface();
    const Point o = b.OffsetInForm();
    auto darkest = [&](int x) {
        int m = 255;
        for (int y = o.y + 6; y < o.y + 18; ++y) m = std::min<int>(m, GetG(surface.Pixel(x, y)));
        return m;
    };
    // Ink reaches the first and last columns of the button...
    EXPECT_LT(std::min(darkest(o.x + 1), darkest(o.x + 2)), 120);
    EXPECT_LT(std::min(darkest(o.x + b.Width() - 2), darkest(o.x + b.Width() - 3)), 120);
    // ...and stops there: the stripes beside it are untouched.
    EXPECT_GE(darkest(o.x - 1), 224);
    EXPECT_GE(darkest(o.x + b.Width()), 224);
}

TEST_F(GlassButtonInteraction, EmptyAndHugeCaptionsPaint) {
    TGlassButton& b = *form->plain;
    b.SetButtonText("");
    form->PaintAll();
    b.SetButtonText(std::string(200000, 'W'));  // far wider than any surface
    form->PaintAll();
    EXPECT_EQ(b.ButtonText().size(), 200000u);
}

// ---------------------------------------------------------------- caption placement

// One button on a plain form, away from every edge.
class GlassButtonCaption : public ::testing::Test {
protected:
    GlassButtonCaption() : backend(stage.backend), form(stage.form), button(stage.Add<TGlassButton>(10, 10)) {}
    Bitmap Shot() { return stage.Shot(*button); }
    // The box of the pixels that the caption darkened clearly (by more than 40 levels of green)
    // against the bare skin, which an empty caption leaves untouched.
    Rect Ink() {
        const std::string text = button->ButtonText();
        button->SetButtonText("");
        const Bitmap bare = Shot();
        button->SetButtonText(text);
        const Bitmap shot = Shot();
        Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (int y = 0; y < shot.Height(); ++y)
            for (int x = 0; x < shot.Width(); ++x) {
                if (int(GetG(bare.Pixel(x, y))) - int(GetG(shot.Pixel(x, y))) <= 40) continue;
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
            }
        return box;
    }

    testing::ControlStage stage;
    HeadlessBackend& backend;
    Form* form;
    TGlassButton* button;
};

// The caption is centred with round(Width / 2 - (tw + 4) / 2) in the process mode: on a tie
// with an odd lower neighbour, nearest-even goes one pixel right of rounding down. Pressing
// sinks the caption by exactly one row and leaves it where it was across.
TEST_F(GlassButtonCaption, CentringRoundsInTheProcessModeAndPressingSinksOneRow) {
    button->SetButtonText("Save...");
    Bitmap scratch(1, 1);
    Canvas measure(scratch);
    measure.font.family = "Verdana";
    measure.font.size = 9;
    const int cacheW = TextExtent(measure, "Save...").width + 4;
    // A width that makes Width / 2 - cacheW / 2 = k + 0.5 with k odd.
    int width = cacheW + 3;
    while ((width - cacheW) % 4 != 3) ++width;
    button->SetWidth(width);

    Rect nearest, downward;
    {
        ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
        nearest = Ink();
    }
    {
        ScopedRoundingModeForTesting rounding(RoundingMode::Downward);
        downward = Ink();
    }
    ASSERT_FALSE(nearest.IsEmpty());
    EXPECT_EQ(nearest.left, downward.left + 1);
    EXPECT_EQ(nearest.right, downward.right + 1);
    EXPECT_EQ(nearest.top, downward.top);

    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    const Point at{10 + width / 2, 10 + 12};
    backend.MouseMove(*form, at.x, at.y);
    backend.MouseDown(*form, at.x, at.y, MouseButton::Right);
    const Rect pressed = Ink();
    backend.MouseUp(*form, at.x, at.y, MouseButton::Right);
    EXPECT_EQ(pressed.top, nearest.top + 1);
    EXPECT_EQ(pressed.bottom, nearest.bottom + 1);
    EXPECT_EQ(pressed.left, nearest.left);
    EXPECT_EQ(pressed.right, nearest.right);
}

// The caption is blended over what lies beneath it, so a repaint of any part of the button (or of
// the form across it) must give the very pixels of a full repaint: nothing accumulates and no
// stale pixel outside the repainted area leaks in.
TEST_F(GlassButtonCaption, PartialRepaintsGiveTheFullRepaintPixels) {
    button->SetButtonText("Choose...");
    button->SetHUE(100);
    form->PaintAll();
    const Bitmap full = form->Surface();
    for (int left = -3; left < 95; left += 7) {
        for (int top = -2; top < 26; top += 5) {
            SCOPED_TRACE(::testing::Message() << "at " << left << ", " << top);
            button->InvalidateRect({left, top, left + 13, top + 6});
            button->Update();
            EXPECT_EQ(form->Surface(), full);
            form->InvalidateRect({10 + left, 10 + top, 10 + left + 9, 10 + top + 30});
            form->Update();
            EXPECT_EQ(form->Surface(), full);
        }
    }
}

}  // namespace
}  // namespace veskel
