// Pointer and keyboard routing: topmost target, capture, enter/leave, click, double click,
// press-and-release controls, disabled controls, focus, cursors, caption drags.
#include "tests/ui/UiTestSupport.h"

#include "platform/ui/Edit.h"
#include "platform/ui/HintWindow.h"

namespace veskel::testing {
namespace {

// Records every notification it gets, in its own coordinates.
class Recorder : public GraphicControl {
public:
    explicit Recorder(Log* log) : log_(log) {}

protected:
    void Note(const std::string& s) { log_->push_back(Name() + ":" + s); }
    void MouseDown(MouseButton b, ShiftState s, int x, int y) override {
        Note("down" + Btn(b) + At(x, y) + ((s & kDoubleClick) ? "dbl" : ""));
        Control::MouseDown(b, s, x, y);
    }
    void MouseMove(ShiftState, int x, int y) override { Note("move" + At(x, y)); }
    void MouseUp(MouseButton b, ShiftState s, int x, int y) override {
        Note("up" + Btn(b) + At(x, y));
        Control::MouseUp(b, s, x, y);
    }
    void MouseEnter() override { Note("enter"); }
    void MouseLeave() override { Note("leave"); }
    void Click() override {
        Note("click");
        Control::Click();
    }
    void DblClick() override {
        Note("dblclick");
        Control::DblClick();
    }

private:
    static std::string Btn(MouseButton b) { return b == MouseButton::Left ? "L" : b == MouseButton::Right ? "R" : "M"; }
    static std::string At(int x, int y) { return "(" + std::to_string(x) + "," + std::to_string(y) + ")"; }
    Log* log_;
};

struct InputTest : UiTest {
    Log log;
    TestForm form;
    Recorder* a = Add<Recorder>(form, "A", Rect::FromSize(10, 10, 30, 20), &log);
    Recorder* b = Add<Recorder>(form, "B", Rect::FromSize(60, 10, 30, 20), &log);
    InputTest() { form.ShowForm(); }
};

TEST_F(InputTest, EnterAndLeaveFollowThePointer) {
    backend.MouseMove(form, 15, 15);
    backend.MouseMove(form, 16, 15);
    backend.MouseMove(form, 65, 15);
    backend.MouseMove(form, 50, 50);
    backend.MouseMove(form, 20, 20);
    backend.MouseExit(form);
    EXPECT_EQ(log, (Log{"A:enter", "A:move(5,5)", "A:move(6,5)", "A:leave", "B:enter", "B:move(5,5)", "B:leave",
                        "A:enter", "A:move(10,10)", "A:leave"}));
}

TEST_F(InputTest, PressCapturesThePointerUntilRelease) {
    backend.MouseMove(form, 15, 15);
    backend.MouseDown(form, 15, 15);
    backend.MouseMove(form, 65, 15);  // over B, but A holds the pointer
    backend.MouseUp(form, 65, 15);
    backend.MouseMove(form, 66, 15);
    EXPECT_EQ(log, (Log{"A:enter", "A:move(5,5)", "A:downL(5,5)", "A:leave", "B:enter", "A:move(55,5)",
                        "A:upL(55,5)", "B:move(6,5)"}));
    EXPECT_EQ(app.Input().Capture(), nullptr);
}

// The wheel goes to the control under the pointer (or the one holding it) and climbs the parents
// until one uses the turn.
TEST_F(InputTest, WheelGoesUnderThePointerThenUpTheParents) {
    auto* panel = Add<WinProbe>(form, "P", Rect::FromSize(100, 10, 80, 60), nullptr, RGB(1, 2, 3));
    auto* inner = Add<Recorder>(*panel, "I", Rect::FromSize(5, 5, 20, 20), &log);
    auto note = [&](bool use) {
        return [&, use](Control& c, ShiftState s, int delta, int x, int y, bool& handled) {
            log.push_back(c.Name() + ":wheel" + std::to_string(delta) + "(" + std::to_string(x) + "," +
                          std::to_string(y) + ")" + ((s & kCtrl) ? "ctrl" : ""));
            handled = use;
        };
    };
    inner->OnMouseWheel = note(false);
    panel->OnMouseWheel = note(true);
    form.OnMouseWheel = note(true);
    a->OnMouseWheel = note(true);

    backend.MouseWheel(form, 110, 20, -120, kCtrl);  // over I, which passes it on to P
    backend.MouseWheel(form, 150, 50, 240);          // over P alone
    backend.MouseWheel(form, 15, 15, 120);           // over A, which uses it
    backend.MouseWheel(form, 195, 95, 120);          // over the form's own surface
    EXPECT_EQ(log, (Log{"I:enter", "I:wheel-120(5,5)ctrl", "P:wheel-120(10,10)ctrl", "I:leave",
                        "P:wheel240(50,40)", "A:enter", "A:wheel120(5,5)", "A:leave", "Form:wheel120(195,95)"}));

    // While A holds the pointer, the wheel goes to A wherever the pointer is.
    log.clear();
    backend.MouseDown(form, 15, 15);
    backend.MouseWheel(form, 150, 50, -120);
    backend.MouseUp(form, 150, 50);
    EXPECT_EQ(log, (Log{"A:enter", "A:downL(5,5)", "A:leave", "A:wheel-120(140,40)", "A:upL(140,40)"}));
}

TEST_F(InputTest, ClickNeedsLeftPressAndReleaseOverTheSameControl) {
    int clicks = 0;
    a->OnClick = [&](Control&) { ++clicks; };
    backend.Click(form, 15, 15);
    EXPECT_EQ(clicks, 1);
    backend.Click(form, 15, 15, MouseButton::Right);
    EXPECT_EQ(clicks, 1);
    backend.AdvanceClock(1000);
    backend.MouseDown(form, 15, 15);
    backend.MouseUp(form, 65, 15);
    EXPECT_EQ(clicks, 1) << "released over another control";
    // The click comes before the release notice, as on the classic platform.
    log.clear();
    backend.AdvanceClock(1000);
    backend.MouseDown(form, 20, 20);
    backend.MouseUp(form, 20, 20);
    EXPECT_EQ(log, (Log{"B:leave", "A:enter", "A:downL(10,10)", "A:click", "A:upL(10,10)"}));
}

TEST_F(InputTest, DoubleClickWithinTheTimeOnly) {
    int clicks = 0, doubles = 0;
    a->OnClick = [&](Control&) { ++clicks; };
    a->OnDblClick = [&](Control&) { ++doubles; };
    backend.DoubleClick(form, 15, 15);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 1);
    backend.AdvanceClock(1000);
    backend.Click(form, 15, 15);
    backend.AdvanceClock(600);
    backend.Click(form, 15, 15);
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(doubles, 1);
    // A control that takes no double clicks gets two ordinary clicks.
    a->SetAcceptsDoubleClicks(false);
    backend.AdvanceClock(1000);
    backend.DoubleClick(form, 15, 15);
    EXPECT_EQ(clicks, 5);
    EXPECT_EQ(doubles, 1);
    // A control without a use for double clicks (a button that steps a value) counts every one
    // of six quick clicks.
    int steps = 0;
    b->OnClick = [&](Control&) { ++steps; };
    for (int i = 0; i < 6; ++i) {
        backend.AdvanceClock(80);
        backend.Click(form, 65, 15);
    }
    EXPECT_EQ(steps, 6);
}

TEST_F(InputTest, PressReleaseControlsGetEveryButtonWithoutTheEvents) {
    int events = 0;
    a->OnMouseDown = [&](Control&, MouseButton, ShiftState, int, int) { ++events; };
    a->OnMouseUp = [&](Control&, MouseButton, ShiftState, int, int) { ++events; };
    backend.Click(form, 15, 15, MouseButton::Right);
    EXPECT_EQ(events, 2);
    a->SetHandlesPressRelease(true);
    log.clear();
    backend.Click(form, 15, 15, MouseButton::Right);
    EXPECT_EQ(events, 2);
    EXPECT_EQ(log, (Log{"A:move(5,5)", "A:downR(5,5)", "A:upR(5,5)"}));
}

TEST_F(InputTest, DisabledControlsPassPressesToTheirParentButStillSeeEnter) {
    a->SetEnabled(false);
    int formClicks = 0;
    form.OnClick = [&](Control&) { ++formClicks; };
    backend.Click(form, 15, 15);
    EXPECT_EQ(formClicks, 1);
    EXPECT_EQ(log, (Log{"A:enter"}));
}

TEST_F(InputTest, KeysGoToTheFocusedControlElseTheForm) {
    auto* edit = Add<Edit>(form, "E", Rect::FromSize(10, 50, 80, 20));
    std::vector<int> formKeys, editKeys;
    form.OnKeyDown = [&](Control&, int& k, ShiftState) { formKeys.push_back(k); };
    edit->OnKeyDown = [&](Control&, int& k, ShiftState) { editKeys.push_back(k); };
    backend.KeyDown(form, kKeyReturn);
    backend.Click(form, 20, 55);
    EXPECT_TRUE(edit->Focused());
    backend.KeyDown(form, kKeyEscape);
    backend.TypeText(form, "x");
    EXPECT_EQ(formKeys, (std::vector<int>{kKeyReturn}));
    EXPECT_EQ(editKeys, (std::vector<int>{kKeyEscape}));
    EXPECT_EQ(edit->Text(), "x");
    // A key handed to a window reaches its key handler.
    form.PressKey(kKeyReturn);
    EXPECT_EQ(formKeys, (std::vector<int>{kKeyReturn, kKeyReturn}));
}

TEST_F(InputTest, CursorComesFromTheControlUnderThePointerUnlessTheScreenCursorIsSet) {
    a->SetCursor(kCrHandPoint);
    backend.MouseMove(form, 15, 15);
    EXPECT_EQ(backend.CursorOf(form).id, kCrHandPoint);
    backend.MouseMove(form, 65, 15);
    EXPECT_EQ(backend.CursorOf(form).id, kCrDefault);
    Picture pura(Bitmap(16, 16));
    app.RegisterCursor(1, pura, {3, 4});
    app.SetScreenCursor(1);
    CursorShape shape = backend.CursorOf(form);
    EXPECT_EQ(shape.id, 1);
    ASSERT_NE(shape.image, nullptr);
    EXPECT_EQ(shape.image->Width(), 16);
    EXPECT_EQ(shape.hotSpot, (Point{3, 4}));
    app.SetScreenCursor(kCrDefault);
    backend.MouseMove(form, 15, 15);
    EXPECT_EQ(backend.CursorOf(form).id, kCrHandPoint);
}

TEST_F(InputTest, CaptionHitTestTurnsAPressIntoAWindowDrag) {
    Connection hook = form.HitTest.Connect([](Point, HitArea& area) {
        if (area == HitArea::Client) area = HitArea::Caption;
    });
    int presses = 0;
    form.OnMouseDown = [&](Control&, MouseButton, ShiftState, int, int) { ++presses; };
    backend.MouseDown(form, 150, 80);
    backend.MouseUp(form, 150, 80);
    EXPECT_EQ(backend.systemMoves, 1);
    EXPECT_EQ(presses, 0);
    hook.Disconnect();
    backend.MouseDown(form, 150, 80);
    EXPECT_EQ(backend.systemMoves, 1);
    EXPECT_EQ(presses, 1);
    // The title bar's way: a drag started while its press holds the pointer.
    EXPECT_NE(app.Input().Capture(), nullptr);
    form.StartWindowDrag();
    EXPECT_EQ(backend.systemMoves, 2);
    // The window manager's move loop swallows the release: nothing may stay captured or held.
    EXPECT_EQ(app.Input().Capture(), nullptr);
    ShiftState seen = 0;
    form.OnMouseMove = [&](Control&, ShiftState s, int, int) { seen = s; };
    backend.MouseMove(form, 160, 90);
    EXPECT_EQ(seen & kLeftHeld, 0u);
}

TEST_F(InputTest, ControlDestroyedWhileHoldingThePointerIsForgotten) {
    backend.MouseMove(form, 15, 15);
    backend.MouseDown(form, 15, 15);
    EXPECT_EQ(app.Input().Capture(), a);
    delete a;  // e.g. from a timer tick while the button is held
    EXPECT_EQ(app.Input().Capture(), nullptr);
    EXPECT_EQ(app.Input().Hovered(), nullptr);
    backend.MouseMove(form, 65, 15);
    backend.MouseUp(form, 65, 15);
    EXPECT_EQ(log.back(), "B:upL(5,5)");
    EXPECT_TRUE(backend.messageBoxes.empty());
}

// A hint shows after the rest, below the pointer on the pointer's monitor, in a window of the
// control's form that takes no focus; leaving, a press or a key hides it (the last two until the
// pointer moves on to another control).
TEST_F(InputTest, AHintShowsAfterTheRestBelowThePointerAndHidesOnLeavePressOrKey) {
    a->SetShowHint(true);
    a->SetHint("Вверх");
    backend.otherMonitors.push_back({1024, 0, 2048, 768});
    const auto rest = [&](Point formAt) {
        form.SetBounds(formAt.x, formAt.y, form.Width(), form.Height());
        backend.MouseMove(form, 50, 50);
        backend.MouseMove(form, 15, 15);
        backend.AdvanceClock(499);
        EXPECT_EQ(app.Input().ShownHint(), nullptr);
        backend.AdvanceClock(1);
        return app.Input().ShownHint();
    };
    // Below the pointer; at a monitor's bottom right corner, above it and inside that monitor.
    for (const Rect monitor : {Rect{0, 0, 1024, 768}, Rect{1024, 0, 2048, 768}}) {
        HintWindow* hint = rest({monitor.right - 24, 740});
        ASSERT_NE(hint, nullptr);
        EXPECT_EQ(hint->ScreenRect().Intersect(monitor), hint->ScreenRect());
        EXPECT_EQ(hint->ScreenRect().bottom, 753);
    }
    HintWindow* hint = rest({100, 50});
    EXPECT_EQ(hint->Left(), 115);
    EXPECT_EQ(hint->Top(), 65 + HintWindow::kBelowPointer);
    EXPECT_EQ(hint->Text(), "Вверх");
    EXPECT_EQ(hint->Owner(), &form);
    EXPECT_TRUE(form.Active()) << "the hint takes no focus";
    EXPECT_EQ(hint->Surface().Pixel(0, 0), HintWindow::kBorder);
    for (const auto& [hider, comesBack] : std::vector<std::pair<std::function<void()>, bool>>{
             {[&] { backend.MouseMove(form, 65, 15); }, true},
             {[&] { backend.Click(form, 15, 15); }, false},
             {[&] { backend.KeyDown(form, 'A'); }, false}}) {
        ASSERT_NE(rest({100, 50}), nullptr);
        hider();
        EXPECT_FALSE(backend.IsWindowShown(*hint));
        backend.MouseMove(form, 16, 16);
        backend.AdvanceClock(1000);
        EXPECT_EQ(app.Input().ShownHint() != nullptr, comesBack);
    }
}

}  // namespace
}  // namespace veskel::testing
