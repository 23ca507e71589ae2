// The Application: timers on the virtual clock, sent and posted messages, window hooks, the
// exception boundary, form life cycle, and the calls that go to the backend.
#include "tests/ui/UiTestSupport.h"

#include "platform/ui/Dialogs.h"

namespace veskel::testing {
namespace {

TEST_F(UiTest, TimersTickOnTheVirtualClock) {
    std::vector<std::int64_t> ticks;
    Timer t;
    t.SetInterval(100);
    t.OnTimer = [&] { ticks.push_back(backend.Now()); };
    t.SetEnabled(true);
    backend.AdvanceClock(250);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{100, 200}));
    // Enabling a running timer does not restart its period.
    t.SetEnabled(true);
    backend.AdvanceClock(50);
    EXPECT_EQ(ticks.back(), 300);
    // Disabling and enabling does.
    t.SetEnabled(false);
    backend.AdvanceClock(10);  // now 310
    t.SetEnabled(true);
    backend.AdvanceClock(99);
    EXPECT_EQ(ticks.back(), 300);
    backend.AdvanceClock(1);
    EXPECT_EQ(ticks.back(), 410);
    // A new interval restarts the period too.
    backend.AdvanceClock(50);  // 460
    t.SetInterval(30);
    backend.AdvanceClock(30);
    EXPECT_EQ(ticks.back(), 490);
}

TEST_F(UiTest, AutoRepeatStyleTimersHandOverExactly) {
    // A 400 ms delay that switches itself off and a 20 ms repeat on, as a repeating button does.
    Timer delay, repeat;
    delay.SetInterval(400);
    repeat.SetInterval(20);
    std::vector<std::int64_t> repeats;
    delay.OnTimer = [&] {
        delay.SetEnabled(false);
        repeat.SetEnabled(true);
    };
    repeat.OnTimer = [&] { repeats.push_back(backend.Now()); };
    delay.SetEnabled(true);
    backend.AdvanceClock(399);
    EXPECT_TRUE(repeats.empty());
    backend.AdvanceClock(61);  // 460
    EXPECT_EQ(repeats, (std::vector<std::int64_t>{420, 440, 460}));
    repeat.SetEnabled(false);
    backend.AdvanceClock(1000);
    EXPECT_EQ(repeats.size(), 3u);
}

// A late timer ticks once per pass of the loop, so input is read between its ticks.
TEST_F(UiTest, ALateTimerTicksOncePerPassAndItsMissedTicksFold) {
    TestForm form;
    form.ShowForm();
    Timer repeat;
    repeat.SetInterval(20);
    int ticks = 0;
    std::int64_t cost = 50;
    repeat.OnTimer = [&] {
        backend.Spend(cost);
        if (++ticks == 100) repeat.SetEnabled(false);  // ends a pass that would never end
    };
    form.OnMouseUp = [&](Control&, MouseButton, ShiftState, int, int) { repeat.SetEnabled(false); };
    // A handler that outlasts its interval: the release made meanwhile is read after one tick.
    repeat.SetEnabled(true);
    backend.AdvanceClock(20);
    backend.MouseUp(form, 5, 5);
    backend.AdvanceClock(1000);
    EXPECT_EQ(ticks, 1);
    // Reached ten intervals late: one tick, and the next one interval after it.
    cost = ticks = 0;
    repeat.SetEnabled(true);
    backend.Spend(220);
    backend.AdvanceClock(19);
    EXPECT_EQ(ticks, 1);
    backend.AdvanceClock(1);
    EXPECT_EQ(ticks, 2);
}

TEST_F(UiTest, TimerDestroyedOrStoppedInsideATickStopsCleanly) {
    auto t = std::make_unique<Timer>();
    Timer other;
    int otherTicks = 0;
    t->SetInterval(10);
    other.SetInterval(10);
    t->OnTimer = [&] { t.reset(); };
    other.OnTimer = [&] { ++otherTicks; };
    t->SetEnabled(true);
    other.SetEnabled(true);
    backend.AdvanceClock(35);
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(otherTicks, 3);
}

TEST_F(UiTest, FormSignalsRunAfterTheFormAndSeeItsAnswer) {
    TestForm form;
    std::vector<std::string> seen;
    Connection moved = form.Moved.Connect(
        [&](Point p) { seen.push_back("move " + std::to_string(p.x) + "," + std::to_string(p.y)); });
    Connection activated = form.Activated.Connect([&](bool a) { seen.push_back(a ? "active" : "inactive"); });
    form.OnActivate = [&](Control&) { seen.push_back("OnActivate"); };
    Connection hit = form.HitTest.Connect([&](Point, HitArea& area) {
        seen.push_back(area == HitArea::Client ? "hit client" : "hit caption");
        area = HitArea::Caption;
    });
    form.SetBounds(-5, 7, 200, 100);
    form.ShowForm();
    backend.UserMove(form, {40000, 200});  // past the 16 bits a packed point would keep
    EXPECT_EQ(form.HitTestAt({310, 210}), HitArea::Caption);
    TestForm other;
    other.ShowForm();  // takes the activation away
    EXPECT_EQ(seen, (std::vector<std::string>{"move -5,7", "OnActivate", "active", "move 40000,200", "hit client",
                                              "inactive"}));
    moved.Disconnect();
    form.SetBounds(0, 0, 200, 100);
    EXPECT_EQ(seen.size(), 6u);
}

// Listeners may leave, join or end the sender while a signal runs; nothing runs on a dead one.
TEST_F(UiTest, SignalSurvivesListenersChangingItWhileItRuns) {
    auto sender = std::make_unique<Signal<int>>();
    std::vector<std::string> seen;
    Connection second;
    Connection late;
    Connection first = sender->Connect([&](int v) {
        seen.push_back("first " + std::to_string(v));
        second.Disconnect();  // skipped for the rest of this run
        if (!late.Connected()) late = sender->Connect([&](int) { seen.push_back("late"); });
    });
    second = sender->Connect([&](int) { seen.push_back("second"); });
    (*sender)(1);
    EXPECT_EQ(seen, (std::vector<std::string>{"first 1"}));
    Connection killer = sender->Connect([&](int) { sender.reset(); });
    Connection after = sender->Connect([&](int) { seen.push_back("after the end"); });
    (*sender)(2);
    EXPECT_EQ(seen, (std::vector<std::string>{"first 1", "first 2", "late"}));
    EXPECT_EQ(sender, nullptr);
    // Connections outliving their signal disconnect harmlessly.
    first.Disconnect();
    after.Disconnect();
}

TEST_F(UiTest, ActivationEventsFollowTheActiveWindow) {
    TestForm one, two;
    std::vector<std::string> log;
    one.OnActivate = [&](Control&) { log.push_back("one+"); };
    one.OnDeactivate = [&](Control&) { log.push_back("one-"); };
    two.OnActivate = [&](Control&) { log.push_back("two+"); };
    two.OnDeactivate = [&](Control&) { log.push_back("two-"); };
    one.ShowForm();
    two.ShowForm();
    backend.MouseDown(one, 5, 5);
    backend.MouseUp(one, 5, 5);
    two.HideForm();  // not active: nothing to report
    one.HideForm();
    EXPECT_EQ(log, (std::vector<std::string>{"one+", "one-", "two+", "two-", "one+", "one-"}));
    EXPECT_EQ(app.ActiveForm(), nullptr);
}

TEST_F(UiTest, WindowStateGoesToTheWindowAndFollowsTheUser) {
    TestForm form;
    // Set before the form is shown, the state waits for the window.
    form.SetWindowState(WindowState::Maximized);
    EXPECT_EQ(backend.WindowStateOf(form), WindowState::Normal);
    form.ShowForm();
    EXPECT_EQ(backend.WindowStateOf(form), WindowState::Maximized);
    form.SetWindowState(WindowState::Minimized);
    EXPECT_EQ(backend.WindowStateOf(form), WindowState::Minimized);
    // The user restores it from the task bar: the form hears of it.
    backend.UserSetWindowState(form, WindowState::Normal);
    EXPECT_EQ(form.GetWindowState(), WindowState::Normal);
    form.SetWindowState(WindowState::Maximized);
    EXPECT_EQ(backend.WindowStateOf(form), WindowState::Maximized);
}

TEST_F(UiTest, AnExceptionInAHandlerIsShownAndTheProgramGoesOn) {
    TestForm form;
    form.ShowForm();
    int clicks = 0;
    form.OnClick = [&](Control&) {
        ++clicks;
        if (clicks == 1) throw std::runtime_error("Cannot open file \"x.vzk\"");
    };
    backend.Click(form, 5, 5);
    ASSERT_EQ(backend.messageBoxes.size(), 1u);
    EXPECT_EQ(backend.messageBoxes[0].text, "Cannot open file \"x.vzk\"");
    EXPECT_EQ(backend.messageBoxes[0].caption, app.Title);
    backend.AdvanceClock(1000);
    backend.Click(form, 5, 5);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(backend.messageBoxes.size(), 1u);
    // Timer ticks are inside the boundary too.
    Timer t;
    t.SetInterval(10);
    t.OnTimer = [&] {
        t.SetEnabled(false);
        throw std::runtime_error("tick failed");
    };
    t.SetEnabled(true);
    backend.AdvanceClock(10);
    EXPECT_EQ(backend.messageBoxes.back().text, "tick failed");
}

TEST_F(UiTest, ReleasedFormDiesAfterTheCurrentMessage) {
    auto* main = app.CreateForm<TestForm>();
    auto* popup = app.CreateForm<TestForm>();
    bool destroyed = false;
    popup->OnDestroy = [&](Control&) { destroyed = true; };
    popup->ShowForm();
    popup->OnClick = [&](Control& c) {
        static_cast<Form&>(c).Release();
        EXPECT_FALSE(destroyed) << "still alive while its own handler runs";
    };
    backend.Click(*popup, 5, 5);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(app.Forms(), (std::vector<Form*>{main}));
    EXPECT_FALSE(app.Terminated());
    main->ShowForm();
    backend.UserClose(*main);
    EXPECT_TRUE(app.Terminated()) << "closing the main form ends the program";
}

TEST_F(UiTest, OwnedPopupFormIsDestroyedWithItsOwner) {
    TestForm form;
    auto* box = Add<CustomControl>(form, "Box", Rect::FromSize(0, 0, 10, 10));
    bool destroyed = false;
    auto* popup = box->CreateOwned<TestForm>();
    popup->OnDestroy = [&](Control&) { destroyed = true; };
    popup->ShowForm();
    delete box;
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(app.Forms(), (std::vector<Form*>{&form}));
}

TEST_F(UiTest, APopupKnowsItsOwnerOnlyWhileTheOwnerLives) {
    auto* owner = new TestForm;
    owner->SetBounds(100, 50, 200, 100);
    TestForm popup;
    popup.SetBounds(130, 140, 40, 30);
    popup.SetPopupOf(owner, PopupRole::ToolTip);
    EXPECT_EQ(popup.PopupOwner(), owner);
    EXPECT_EQ(popup.GetPopupRole(), PopupRole::ToolTip);
    EXPECT_EQ(popup.PlaceInOwner(), Rect::FromSize(30, 90, 40, 30));
    delete owner;
    EXPECT_EQ(popup.PopupOwner(), nullptr) << "no dangling owner";
    EXPECT_EQ(popup.GetPopupRole(), PopupRole::None);
    EXPECT_EQ(popup.PlaceInOwner(), popup.ScreenRect());
}

TEST_F(UiTest, FileDialogsKeepNameAndFilterBetweenUses) {
    EXPECT_EQ(ParseFileFilter("All supported images|*.gif;*.bmp;*.png|Bitmaps (*.bmp)|*.bmp").size(), 2u);
    EXPECT_EQ(ParseFileFilter("All|*.gif; *.png")[0].patterns, (std::vector<std::string>{"*.gif", "*.png"}));
    EXPECT_TRUE(ParseFileFilter("").empty());

    SaveDialog dlg;
    dlg.Filter = "Проект Veskel (*.vzk)|*.vzk|PNG|*.png";
    dlg.OverwritePrompt = true;
    dlg.PicturePreview = true;
    dlg.FilterIndex = 7;  // out of range: the first entry is offered
    backend.fileDialogAnswers.push_back(FileDialogResult{"/tmp/a.png", 2});
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName, "/tmp/a.png");
    EXPECT_EQ(dlg.FilterIndex, 2);
    EXPECT_EQ(backend.fileDialogs[0].filterIndex, 1);
    EXPECT_TRUE(backend.fileDialogs[0].save);
    EXPECT_TRUE(backend.fileDialogs[0].overwritePrompt);
    EXPECT_TRUE(backend.fileDialogs[0].picturePreview);
    // Cancelled: nothing changes, and the next use proposes the last choice.
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(dlg.FileName, "/tmp/a.png");
    EXPECT_EQ(backend.fileDialogs[1].fileName, "/tmp/a.png");
    EXPECT_EQ(backend.fileDialogs[1].filterIndex, 2);
}

TEST_F(UiTest, MenusMessageBoxesUrlsAndScreenCaptureGoToTheBackend) {
    std::vector<MenuItem> items(2);
    items[0].command = 1;
    items[0].bitmap = Bitmap(30, 14);
    items[1].command = 2;
    backend.menuAnswers.push_back(2);
    EXPECT_EQ(app.GetBackend().PopupMenu(items, {40, 50}), 2);
    EXPECT_EQ(app.GetBackend().PopupMenu(items, {40, 50}), 0) << "dismissed";
    EXPECT_EQ(backend.menus[0].items[0].bitmap.Width(), 30);

    EXPECT_EQ(app.MessageBox("Sure?", "Q", kMbYesNo), kIdNo);
    backend.messageBoxAnswers.push_back(kIdYes);
    EXPECT_EQ(app.MessageBox("Sure?", "Q", kMbYesNo), kIdYes);

    EXPECT_TRUE(app.GetBackend().OpenUrl("http://example.org/?veskel=1"));
    EXPECT_EQ(backend.openedUrls, (std::vector<std::string>{"http://example.org/?veskel=1"}));

    TestForm form;  // at 100, 50, 200 x 100, colour (10, 20, 30)
    form.ShowForm();
    Bitmap shot = app.GetBackend().CaptureScreen({90, 40, 110, 60});
    EXPECT_EQ(shot.Pixel(0, 0), backend.desktopColor);
    EXPECT_EQ(shot.Pixel(15, 15), RGB(10, 20, 30));
    form.HideForm();
    EXPECT_EQ(app.GetBackend().CaptureScreen({90, 40, 110, 60}).Pixel(15, 15), backend.desktopColor);

    backend.monitorSize = {800, 600};
    EXPECT_EQ(app.GetBackend().MonitorSize(form.ScreenRect()), (Size{800, 600}));
    TestForm centred;
    centred.SetPosition(FormPosition::ScreenCenter);
    centred.ShowForm();
    EXPECT_EQ(centred.Left(), 300);
    EXPECT_EQ(centred.Top(), 250);
}

}  // namespace
}  // namespace veskel::testing
