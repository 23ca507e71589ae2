// The single-line edit box: typing in any script, selection by keys and mouse, clipboard,
// change events on every change and only on a change.
#include "tests/ui/UiTestSupport.h"

#include "platform/ui/Edit.h"

namespace veskel::testing {
namespace {

struct EditTest : UiTest {
    TestForm form;
    Edit* edit = Add<Edit>(form, "E", Rect::FromSize(10, 10, 150, 20));
    std::vector<std::string> changes;
    EditTest() {
        edit->OnChange = [this](Control&) { changes.push_back(edit->Text()); };
        form.ShowForm();
        edit->SetFocus();
    }
    void Key(int key, ShiftState shift = 0) { backend.KeyDown(form, key, shift); }
};

TEST_F(EditTest, TypingInAnyScriptRaisesAChangeEachTime) {
    backend.TypeText(form, "ab");
    backend.TypeText(form, "Жё");
    backend.TypeText(form, "😀");
    EXPECT_EQ(edit->Text(), "abЖё😀");
    EXPECT_EQ(edit->CharCount(), 5);
    EXPECT_EQ(changes, (std::vector<std::string>{"ab", "abЖё", "abЖё😀"}));
    // Control characters and malformed UTF-8 are not inserted.
    backend.TypeText(form, "\x01");
    backend.TypeText(form, "\xC3");
    EXPECT_EQ(changes.size(), 3u);
}

TEST_F(EditTest, SettingTheTextRaisesAChangeOnlyWhenItDiffers) {
    edit->SetText("346");
    edit->SetText("346");
    edit->SetText("");
    EXPECT_EQ(changes, (std::vector<std::string>{"346", ""}));
    EXPECT_THROW(edit->SetText("\xFF"), std::invalid_argument);
    EXPECT_EQ(edit->Text(), "");
}

TEST_F(EditTest, KeysMoveTheCaretAndSelect) {
    edit->SetText("hello wörld");
    EXPECT_EQ(edit->CaretPosition(), 0);
    Key(kKeyEnd);
    Key(kKeyLeft, kShift);
    Key(kKeyLeft, kShift);
    EXPECT_EQ(edit->SelText(), "ld");
    Key(kKeyLeft, kShift | kCtrl);
    EXPECT_EQ(edit->SelText(), "wörld");
    Key(kKeyHome, kShift);
    EXPECT_EQ(edit->SelText(), "hello wörld");
    Key(kKeyRight);  // collapses to the selection's end
    EXPECT_EQ(edit->SelLength(), 0);
    EXPECT_EQ(edit->CaretPosition(), 11);
    Key(kKeyBack);
    Key(kKeyHome);
    Key(kKeyDelete);
    EXPECT_EQ(edit->Text(), "ello wörl");
    Key(kKeyEnd);
    Key(kKeyBack, kCtrl);
    EXPECT_EQ(edit->Text(), "ello ");
    edit->SetSelection(1, 2);
    backend.TypeText(form, "Я");
    EXPECT_EQ(edit->Text(), "eЯo ");
    EXPECT_EQ(changes.back(), "eЯo ");
}

TEST_F(EditTest, ClipboardCutCopyPasteAndSelectAll) {
    edit->SetText("one two");
    Key('A', kCtrl);
    EXPECT_EQ(edit->SelLength(), 7);
    edit->SetSelection(4, 3);
    Key('C', kCtrl);
    EXPECT_EQ(backend.clipboard, "two");
    Key('X', kCtrl);
    EXPECT_EQ(edit->Text(), "one ");
    Key(kKeyHome);
    Key('V', kCtrl);
    EXPECT_EQ(edit->Text(), "twoone ");
    // A pasted line break ends what a single-line box takes.
    backend.clipboard = "Текст\r\nmore";
    Key(kKeyInsert, kShift);
    EXPECT_EQ(edit->Text(), "twoТекстone ");
    edit->SetSelection(0, 3);
    Key(kKeyDelete, kShift);  // cut
    EXPECT_EQ(backend.clipboard, "two");
    EXPECT_EQ(edit->Text(), "Текстone ");
    edit->SetReadOnly(true);
    Key('V', kCtrl);
    backend.TypeText(form, "x");
    EXPECT_EQ(edit->Text(), "Текстone ");
}

TEST_F(EditTest, MaxLengthLimitsTypingAndPasting) {
    edit->SetMaxLength(4);
    backend.TypeText(form, "12");
    backend.clipboard = "3456";
    Key('V', kCtrl);
    EXPECT_EQ(edit->Text(), "1234");
    backend.TypeText(form, "5");
    EXPECT_EQ(edit->Text(), "1234");
}

TEST_F(EditTest, KeyDownEventComesFirstAndCanSwallowTheKey) {
    edit->SetText("abc");
    std::vector<int> keys;
    edit->OnKeyDown = [&](Control&, int& key, ShiftState) {
        keys.push_back(key);
        if (key == kKeyDelete) key = 0;
    };
    Key(kKeyDelete);
    Key(kKeyReturn);
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(keys, (std::vector<int>{kKeyDelete, kKeyReturn}));
}

TEST_F(EditTest, MouseDragSelectsAndDoubleClickSelectsAWord) {
    edit->SetText("alpha beta");
    int left = edit->Left() + edit->TextMargin;
    backend.MouseMove(form, left, 15);
    backend.MouseDown(form, left, 15);
    backend.MouseMove(form, edit->Left() + 149, 15);
    backend.MouseUp(form, edit->Left() + 149, 15);
    EXPECT_EQ(edit->SelText(), "alpha beta");
    backend.AdvanceClock(1000);
    backend.DoubleClick(form, edit->Left() + 149, 15);
    EXPECT_EQ(edit->SelText(), "beta");
    // What is painted: the focused box shows its text on white.
    app.ProcessMessages();
    const Bitmap& s = form.Surface();
    bool ink = false;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 60; ++x) ink = ink || s.Pixel(x, y) == kBlack;
    EXPECT_TRUE(ink);
    EXPECT_EQ(s.Pixel(158, 28), kWhite);
}

}  // namespace
}  // namespace veskel::testing
