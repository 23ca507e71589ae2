#include "Components/StaticShadow/StaticShadow.h"

#include <gtest/gtest.h>

#include "ButtonsDemoForm.h"
#include "platform/ui/Application.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {
namespace {

constexpr Color kDesk = RGB(200, 200, 200);
constexpr Color kBehind = RGB(120, 180, 240);

Color Burnt(Color s, int piece) {
    const int d = 255 - piece;
    return RGB(std::max(0, GetR(s) - d), std::max(0, GetG(s) - d), std::max(0, GetB(s) - d));
}

struct ShadowPopup : ::testing::Test {
    ShadowPopup() {
        backend.desktopColor = kDesk;
        behind = app.CreateForm<Form>();
        behind->SetBounds(100, 100, 300, 200);
        behind->SetColor(kBehind);
        behind->FinishCreate();
        behind->ShowForm();
        popup = app.CreateForm<demo::ShadowPopupForm>();
        popup->FinishCreate();
    }
    HeadlessBackend backend;
    Application app{backend};
    Form* behind;
    demo::ShadowPopupForm* popup;
};

TEST_F(ShadowPopup, InactiveEmuLoadedHidesAndComposesNothing) {
    popup->ShowForm();
    popup->shadow->EmuLoaded();
    EXPECT_FALSE(popup->IsShown());
    EXPECT_TRUE(popup->shadow->ShadowCapture().IsEmpty());
}

TEST_F(ShadowPopup, ShownItDarkensWhatLiesBehindIt) {
    // Half over the form behind, half over the desktop.
    popup->Popup({300, 150});
    ASSERT_TRUE(popup->IsShown());
    const TStaticShadow& s = *popup->shadow;
    const int w = popup->Width(), h = popup->Height();
    ASSERT_EQ(s.ShadowCapture().GetSize(), (Size{w, h}));
    ASSERT_EQ(s.ShadowComposite().GetSize(), (Size{w, h}));
    // The capture is the screen without the pop-up itself.
    EXPECT_EQ(s.ShadowCapture().Pixel(50, h / 2), kBehind);
    EXPECT_EQ(s.ShadowCapture().Pixel(w - 10, h / 2), kDesk);
    const Bitmap& shown = popup->Surface();
    EXPECT_EQ(shown.Pixel(17, h / 2), Burnt(kBehind, 167));       // left edge, over the form
    EXPECT_EQ(shown.Pixel(w - 18, h / 2), Burnt(kDesk, 167));     // right edge, over the desktop
    EXPECT_EQ(shown.Pixel(60, h - 18), Burnt(kBehind, 95));       // bottom edge, darkest
    EXPECT_EQ(shown.Pixel(60, 0), kBehind);                       // the top rows stay clear
    EXPECT_EQ(shown.Pixel(w / 2, h / 2), RGB(235, 235, 235));     // the inner panel's stripes
    // The border keeps the inner panel clear of the 18-pixel margin.
    EXPECT_EQ(popup->panel->BoundsRect(), (Rect{18, 18, w - 18, h - 18}));
}

TEST_F(ShadowPopup, MovingCapturesAgain) {
    popup->Popup({300, 150});
    backend.UserMove(*popup, {600, 500});  // entirely over the desktop now
    const int h = popup->Height();
    EXPECT_EQ(popup->shadow->ShadowCapture().Pixel(50, h / 2), kDesk);
    EXPECT_EQ(popup->Surface().Pixel(17, h / 2), Burnt(kDesk, 167));
}

TEST_F(ShadowPopup, ActivationRecomposesOnlyAfterAPaint) {
    popup->Popup({600, 500});
    EXPECT_FALSE(popup->shadow->RecomposePending());
    backend.desktopColor = RGB(10, 20, 30);
    backend.UserActivate(*popup, false);
    backend.UserActivate(*popup, true);
    EXPECT_EQ(popup->shadow->ShadowCapture().Pixel(5, 5), kDesk);
    popup->PaintAll();
    EXPECT_TRUE(popup->shadow->RecomposePending());
    backend.UserActivate(*popup, false);
    backend.UserActivate(*popup, true);
    EXPECT_EQ(popup->shadow->ShadowCapture().Pixel(5, 5), RGB(10, 20, 30));
    EXPECT_FALSE(popup->shadow->RecomposePending());
}

TEST_F(ShadowPopup, PressesOnTheOwnersSurfaceDragWhenMoveable) {
    popup->Popup({600, 500});
    EXPECT_EQ(popup->HitTestAt({610, 510}), HitArea::Caption);
    popup->shadow->SetMoveable(false);
    EXPECT_EQ(popup->HitTestAt({610, 510}), HitArea::Client);
}

TEST_F(ShadowPopup, DestroyedPanelStopsListening) {
    popup->Popup({600, 500});
    delete popup->shadow;  // stops listening to the owner
    popup->shadow = nullptr;
    backend.UserMove(*popup, {10, 10});
    EXPECT_EQ(popup->HitTestAt({12, 12}), HitArea::Client);
}

TEST_F(ShadowPopup, StoredSettingsCaptureAgainAndRefuseNonsense) {
    popup->Popup({600, 500});
    backend.desktopColor = RGB(1, 2, 3);
    popup->shadow->SetTransparency(61);
    EXPECT_EQ(popup->shadow->ShadowCapture().Pixel(5, 5), RGB(1, 2, 3));
    EXPECT_THROW(popup->shadow->SetTransparency(101), LayoutError);
    EXPECT_THROW(popup->shadow->SetBorderWidth(-1), LayoutError);
    EXPECT_EQ(popup->shadow->Transparency(), 61);
}

TEST_F(ShadowPopup, TooSmallForItsCornersStillComposes) {
    popup->SetBounds(0, 0, 40, 30);
    popup->Popup({600, 500});
    EXPECT_EQ(popup->shadow->ShadowComposite().GetSize(), (Size{40, 30}));
    // Only the corners fit (they overlap); the later ones win, as in the order of composition.
    EXPECT_LT(GetR(popup->Surface().Pixel(17, 20)), GetR(kDesk));
    EXPECT_EQ(popup->Surface().Pixel(20, 0), kDesk);
}

// A desktop that composites windows: nothing is captured, the pop-up becomes translucent and its
// margin black at the pieces' opacity, so that the desktop itself shows through, darkened.
struct CompositingDesktop : HeadlessBackend {
    bool ComposesTranslucentWindows() override { return true; }
};

TEST(ShadowOnCompositingDesktop, MarginIsSeeThroughAtThePiecesOpacity) {
    CompositingDesktop backend;
    Application app{backend};
    auto* popup = app.CreateForm<demo::ShadowPopupForm>();
    popup->FinishCreate();
    popup->Popup({300, 150});
    ASSERT_TRUE(popup->Translucent());
    const int w = popup->Width(), h = popup->Height();
    const std::vector<std::uint8_t>& opacity = popup->SurfaceOpacity();
    ASSERT_EQ(opacity.size(), std::size_t(w) * std::size_t(h));
    const struct {
        int x, y, opacity;
        Color shown;
    } cases[] = {
        {17, h / 2, 255 - 167, RGB(0, 0, 0)},                  // left edge beside the panel
        {60, h - 18, 255 - 95, RGB(0, 0, 0)},                  // bottom edge, darkest
        {60, 0, 0, RGB(0, 0, 0)},                              // the clear top rows
        {w / 2, h / 2, 255, RGB(235, 235, 235)},               // the inner panel, opaque
    };
    for (const auto& c : cases) {
        EXPECT_EQ(opacity[std::size_t(c.y) * std::size_t(w) + std::size_t(c.x)], c.opacity) << c.x << "," << c.y;
        EXPECT_EQ(popup->Surface().Pixel(c.x, c.y), c.shown) << c.x << "," << c.y;
    }
    // Nothing of the screen was taken.
    EXPECT_EQ(popup->shadow->ShadowCapture().Pixel(50, h / 2), RGB(0, 0, 0));
}

}  // namespace
}  // namespace veskel
