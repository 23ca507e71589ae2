// A form's own shortcut keys come before its focused control; dropped files reach the form's
// handler; the clipboard holds either text or a picture.
#include "tests/ui/UiTestSupport.h"

#include "platform/ui/Edit.h"

namespace veskel::testing {
namespace {

struct WindowLevelTest : UiTest {
    TestForm form;
    Edit* edit = Add<Edit>(form, "E", Rect::FromSize(10, 10, 150, 20));
    WindowLevelTest() {
        form.ShowForm();
        edit->SetFocus();
    }
};

TEST_F(WindowLevelTest, ShortcutKeysComeFirstAndTakeOnlyWhatTheyClaim) {
    std::vector<std::pair<int, ShiftState>> seen;
    form.OnShortcutKey = [&](Form&, int key, ShiftState shift) {
        seen.emplace_back(key, shift);
        return key == 'Q';
    };
    backend.TypeText(form, "ab");
    backend.KeyDown(form, kKeyBack, kLeftHeld);  // held buttons are no modifiers
    backend.KeyDown(form, 'Q', kCtrl);
    EXPECT_EQ(edit->Text(), "a") << "an unclaimed key still reaches the edit field";
    EXPECT_EQ(seen, (std::vector<std::pair<int, ShiftState>>{{kKeyBack, 0}, {'Q', kCtrl}}));

    // A claimed key never reaches the control: Ctrl+A would have selected all.
    form.OnShortcutKey = [](Form&, int, ShiftState) { return true; };
    backend.KeyDown(form, 'A', kCtrl);
    EXPECT_EQ(edit->SelLength(), 0);
}

TEST_F(WindowLevelTest, DropsReachTheFormsHandlerAndItsExceptionsTheBoundary) {
    backend.DropFiles(form, 5, 5, {"/tmp/a.png"});  // no handler: nothing happens
    std::vector<std::string> dropped;
    form.OnDropFiles = [&](Form&, const std::vector<std::string>& paths) {
        dropped = paths;
        throw std::runtime_error("refused");
    };
    backend.DropFiles(form, 5, 5, {"/tmp/a.png", "/tmp/b.vzk"});
    EXPECT_EQ(dropped, (std::vector<std::string>{"/tmp/a.png", "/tmp/b.vzk"}));
    ASSERT_EQ(backend.messageBoxes.size(), 1u);
    EXPECT_EQ(backend.messageBoxes[0].text, "refused");
}

TEST_F(WindowLevelTest, TheClipboardHoldsTextOrAPicture) {
    app.SetClipboardText("words");
    EXPECT_TRUE(app.ClipboardPicture().IsEmpty());
    Bitmap image(3, 2);
    image.Fill(RGB(9, 8, 7));
    app.SetClipboardPicture(image);
    EXPECT_EQ(app.ClipboardPicture().color, image);
    EXPECT_EQ(app.ClipboardText(), "");
    app.SetClipboardText("again");
    EXPECT_TRUE(app.ClipboardPicture().IsEmpty());
}

}  // namespace
}  // namespace veskel::testing
