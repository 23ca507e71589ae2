// Paint dispatch: order, clipping, what a windowless control reads back, invalidation.
#include "tests/ui/UiTestSupport.h"

namespace veskel::testing {
namespace {

constexpr Color kFormColor = RGB(10, 20, 30);

TEST_F(UiTest, PaintsParentThenWindowlessThenWindowedChildren) {
    Log log;
    TestForm form(&log);
    auto* a = Add<Probe>(form, "A", Rect::FromSize(10, 10, 40, 40), &log, RGB(200, 0, 0));
    auto* w = Add<WinProbe>(form, "W", Rect::FromSize(30, 30, 40, 40), &log, RGB(0, 200, 0));
    // Added after the windowed control, yet still beneath it.
    auto* b = Add<Probe>(form, "B", Rect::FromSize(40, 40, 40, 40), &log, RGB(0, 0, 200));
    auto* inner = Add<Probe>(*w, "Inner", Rect::FromSize(30, 30, 40, 40), &log, RGB(255, 255, 0));
    log.clear();
    form.PaintAll();
    EXPECT_EQ(log, (Log{"Form", "A", "B", "W", "Inner"}));

    const Bitmap& s = form.Surface();
    EXPECT_EQ(s.Pixel(0, 0), kFormColor);
    EXPECT_EQ(s.Pixel(15, 15), RGB(200, 0, 0));
    EXPECT_EQ(s.Pixel(45, 45), RGB(0, 200, 0)) << "a windowed control covers a later windowless sibling";
    EXPECT_EQ(s.Pixel(75, 75), RGB(0, 0, 200));
    EXPECT_EQ(s.Pixel(65, 65), RGB(255, 255, 0));
    EXPECT_EQ(s.Pixel(69, 69), RGB(255, 255, 0));
    EXPECT_EQ(s.Pixel(72, 65), RGB(0, 0, 200)) << "a child is clipped to its windowed parent";
    // The probes' stray pixels outside their rectangles never land.
    EXPECT_EQ(s.Pixel(9, 9), kFormColor);
    EXPECT_EQ(s.Pixel(80, 80), kFormColor);
    (void)a;
    (void)b;
    (void)inner;
}

TEST_F(UiTest, WindowlessControlReadsBackWhatLiesBeneath) {
    TestForm form;
    auto* under = Add<Probe>(form, "Under", Rect::FromSize(0, 0, 50, 50), nullptr, RGB(100, 100, 100));
    auto* over = Add<Probe>(form, "Over", Rect::FromSize(20, 20, 10, 10), nullptr, RGB(0, 0, 0));
    auto* onForm = Add<Probe>(form, "OnForm", Rect::FromSize(60, 60, 10, 10), nullptr, RGB(0, 0, 0));
    form.PaintAll();
    EXPECT_EQ(over->seenBeneath, RGB(100, 100, 100));
    EXPECT_EQ(onForm->seenBeneath, kFormColor);
    (void)under;
}

TEST_F(UiTest, RepaintingABlendedControlNeverAccumulates) {
    Log log;
    TestForm form(&log);
    auto* glass = Add<Probe>(form, "Glass", Rect::FromSize(10, 10, 20, 20), &log, RGB(250, 250, 250), true);
    auto* far = Add<Probe>(form, "Far", Rect::FromSize(150, 60, 20, 20), &log, RGB(1, 2, 3));
    form.PaintAll();
    Color first = form.Surface().Pixel(15, 15);
    EXPECT_EQ(first, RGB((10 + 250) / 2, (20 + 250) / 2, (30 + 250) / 2));
    for (int i = 0; i < 5; ++i) {
        log.clear();
        glass->Repaint();
        // The parent's rectangle under the control is repainted first; far-away siblings are not.
        EXPECT_EQ(log, (Log{"Form", "Glass"}));
        EXPECT_EQ(form.Surface().Pixel(15, 15), first);
    }
    (void)far;
}

TEST_F(UiTest, InvalidationsCoalesceIntoOnePaint) {
    Log log;
    TestForm form(&log);
    auto* a = Add<Probe>(form, "A", Rect::FromSize(10, 10, 10, 10), &log, RGB(1, 1, 1));
    auto* b = Add<Probe>(form, "B", Rect::FromSize(50, 50, 10, 10), &log, RGB(2, 2, 2));
    form.PaintAll();
    log.clear();
    a->Invalidate();
    b->Invalidate();
    a->Invalidate();
    EXPECT_EQ(form.DirtyRect(), (Rect{10, 10, 60, 60}));
    EXPECT_TRUE(log.empty()) << "nothing paints before the idle pass";
    app.ProcessMessages();
    EXPECT_EQ(log, (Log{"Form", "A", "B"}));
    EXPECT_TRUE(form.DirtyRect().IsEmpty());
    log.clear();
    app.ProcessMessages();
    EXPECT_TRUE(log.empty());
}

TEST_F(UiTest, HidingMovingAndReorderingRepaintTheParent) {
    TestForm form;
    auto* a = Add<Probe>(form, "A", Rect::FromSize(10, 10, 10, 10), nullptr, RGB(200, 0, 0));
    auto* b = Add<Probe>(form, "B", Rect::FromSize(15, 15, 10, 10), nullptr, RGB(0, 0, 200));
    form.PaintAll();
    EXPECT_EQ(form.Surface().Pixel(17, 17), RGB(0, 0, 200));
    a->BringToFront();
    app.ProcessMessages();
    EXPECT_EQ(form.Surface().Pixel(17, 17), RGB(200, 0, 0));
    a->Hide();
    app.ProcessMessages();
    EXPECT_EQ(form.Surface().Pixel(12, 12), kFormColor);
    EXPECT_EQ(form.Surface().Pixel(17, 17), RGB(0, 0, 200));
    b->SetBounds(100, 50, 10, 10);
    app.ProcessMessages();
    EXPECT_EQ(form.Surface().Pixel(17, 17), kFormColor);
    EXPECT_EQ(form.Surface().Pixel(105, 55), RGB(0, 0, 200));
    // A hidden control is not painted at all.
    int before = a->paints;
    form.PaintAll();
    EXPECT_EQ(a->paints, before);
}

TEST_F(UiTest, ShownFormPresentsItsSurface) {
    TestForm form;
    Add<Probe>(form, "A", Rect::FromSize(0, 0, 10, 10), nullptr, RGB(200, 0, 0));
    EXPECT_EQ(backend.Presented(form), nullptr);
    form.ShowForm();
    ASSERT_NE(backend.Presented(form), nullptr);
    EXPECT_EQ(*backend.Presented(form), form.Surface());
    EXPECT_EQ(backend.Presented(form)->Pixel(5, 5), RGB(200, 0, 0));
    EXPECT_TRUE(form.Active());
}

TEST_F(UiTest, AlignedChildrenFollowTheirParent) {
    TestForm form;
    auto* top = Add<WinProbe>(form, "Top", Rect::FromSize(0, 0, 10, 23), nullptr, RGB(1, 1, 1));
    auto* fill = Add<WinProbe>(form, "Fill", Rect::FromSize(0, 0, 10, 10), nullptr, RGB(2, 2, 2));
    top->SetAlign(Align::Top);
    fill->SetAlign(Align::Client);
    EXPECT_EQ(top->BoundsRect(), (Rect{0, 0, 200, 23}));
    EXPECT_EQ(fill->BoundsRect(), (Rect{0, 23, 200, 100}));
    form.SetClientSize(300, 120);
    EXPECT_EQ(fill->BoundsRect(), (Rect{0, 23, 300, 120}));
}

}  // namespace
}  // namespace veskel::testing
