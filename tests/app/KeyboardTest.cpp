// The designer by keyboard alone: the order Tab visits each page in, what the keys do to each
// kind of control, and that a key's change is the same history step as the mouse's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Components/ColorBox/ColorBox.h"
#include "Components/ColorBox/PaletteForm.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "Components/HLSColorTable/HLSColorTable.h"
#include "Components/HLSSlider/HLSSlider.h"
#include "Components/TestPanel/TestPanel.h"
#include "platform/ui/FocusChain.h"
#include "tests/app/DesignerFixture.h"

namespace veskel {
namespace {

struct KeyboardTest : testing::DesignerFixture {
    // The stops Tab visits in a window (a field's inner edit box answers for its field).
    std::vector<std::string> TabWalk(Form& window, int count, ShiftState shift = 0) {
        std::vector<std::string> seen;
        for (int i = 0; i < count; ++i) {
            backend.PressKey(window, kKeyTab, shift);
            const Control* c = window.ActiveControl();
            seen.push_back(c->Name().empty() ? c->Parent()->Name() : c->Name());
        }
        return seen;
    }
};

TEST_F(KeyboardTest, TabVisitsEachPageInReadingOrderThenTheTabs) {
    struct Case { int page; ShiftState shift; std::vector<std::string> order; };
    // Each walk starts with no focus and ends back at its first stop.
    const Case cases[] = {
        {0, 0, {"GlassEdit1", "PulseButton2", "GlassEdit2", "SmallGlassButton1", "SmallGlassButton2", "PulseButton1",
                "PulseButton4", "GlassEdit3", "SmallGlassButton3", "SmallGlassButton4", "PulseButton3", "GlassButton4",
                "ClrBox1", "GlassButton1", "GlassCheckBox2", "GlassButton3", "ClrBox2", "GlassButton2", "TestPanel1",
                "AALabel1", "AALabel4", "GlassEdit1"}},
        {1, 0, {"GlassSlider1", "GlassSlider2", "GlassListBox1", "GlassListBox2", "GlassCheckBox1", "ClrBox3",
                "GlassCheckBox3", "TestPanel1", "AALabel1", "AALabel4", "GlassSlider1"}},
        {2, 0, {"GlassButton8", "GlassSlider4", "GlassCheckBox4", "PulseButton5", "PulseButton15", "PulseButton9",
                "PulseButton13", "PulseButton6", "PulseButton8", "PulseButton10", "PulseButton12", "PulseButton7",
                "PulseButton16", "PulseButton11", "PulseButton14", "GlassButton11", "GlassButton9", "TestPanel1",
                "AALabel1", "AALabel4", "GlassButton8"}},
        {3, 0, {"GlassButton5", "GlassButton6", "GlassButton7", "GlassButton10", "TestPanel1", "AALabel1", "AALabel4",
                "GlassButton5"}},
        {3, kShift, {"AALabel4", "AALabel1", "TestPanel1", "GlassButton10", "GlassButton7", "GlassButton6",
                     "GlassButton5", "AALabel4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        form->TestPanel1->SetVisiblePage(c.page);
        form->SetActiveControl(nullptr);
        EXPECT_EQ(TabWalk(*form, int(c.order.size()), c.shift), c.order);
    }
    // The ring shows once the keyboard has moved the focus, and goes at the next press.
    EXPECT_TRUE(focus::RingVisible());
    ClickOn("Label1");
    EXPECT_FALSE(focus::RingVisible());
}

// What a key does to each kind of control, read off the design (or the page shown): the same
// operation as the mouse's press. The cases run in order, each from where the last one left off.
TEST_F(KeyboardTest, KeysOperateEachKindOfControl) {
    struct Case { int page; const char* control; int key; const char* field /* "page": the page shown */; const char* value; };
    const Case cases[] = {
        {0, "SmallGlassButton1", kKeySpace, "TextX", "224"}, {0, "PulseButton1", kKeyReturn, "TextX", "223"},
        {0, "PulseButton3", kKeySpace, "TextY", "6"},        {0, "GlassCheckBox2", kKeySpace, "Horizontal", "0"},
        {0, "GlassCheckBox2", kKeyReturn, "Horizontal", "1"}, {1, "GlassSlider1", kKeyHome, "PatternStrength", "0"},
        {1, "GlassSlider1", kKeyRight, "PatternStrength", "1"}, {1, "GlassSlider1", kKeyUp, "PatternStrength", "2"},
        {1, "GlassSlider1", kKeyDown, "PatternStrength", "1"}, {1, "GlassSlider1", kKeyEnd, "PatternStrength", "99"},
        {1, "GlassSlider2", kKeyHome, "MirrorStrength", "0"}, {1, "GlassSlider2", kKeyPrior, "MirrorStrength", "9"},
        {1, "GlassListBox1", kKeyHome, "Pattern", "0"},       {1, "GlassListBox1", kKeyDown, "Pattern", "1"},
        {1, "GlassListBox1", kKeyEnd, "Pattern", "5"},        {1, "GlassListBox1", kKeyPrior, "Pattern", "0"},
        {1, "GlassListBox2", kKeyUp, "MirrorPattern", "4"},   {1, "GlassCheckBox1", kKeySpace, "Border", "0"},
        {1, "TestPanel1", kKeyRight, "page", "2"},            {2, "TestPanel1", kKeyLeft, "page", "1"},
        {0, "TestPanel1", kKeyLeft, "page", "3"},             {2, "PulseButton8", kKeySpace, "OverlayX", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " key " + std::to_string(c.key));
        form->TestPanel1->SetVisiblePage(c.page);
        focus::FocusByKeyboard(*form->FindComponent(c.control));
        backend.PressKey(*form, c.key);
        EXPECT_EQ(std::string(c.field) == "page" ? std::to_string(form->TestPanel1->ActivePage())
                                                 : form->Document().Settings().FieldToString(c.field),
                  c.value);
    }
    EXPECT_TRUE(errors.empty());
}

// A held key is a drag: a slider's run of steps is one step of the history, and an arrow button
// repeats on the mouse's timing, so holding either gives what holding the mouse gives.
TEST_F(KeyboardTest, HeldKeysActAsAHeldMouseButton) {
    const BannerSettings& s = form->Document().Settings();
    focus::FocusByKeyboard(*form->GlassSlider1);
    const std::size_t steps = form->History().UndoSteps();
    for (int i = 0; i < 5; ++i) {
        backend.KeyDown(*form, kKeyLeft);
        backend.AdvanceClock(60);  // each repeat rests long enough to be heard
    }
    backend.KeyUp(*form, kKeyLeft);
    backend.PressKey(*form, kKeyLeft);  // a second press is a step of its own
    EXPECT_EQ(s.PatternStrength(), 95 - 6);
    EXPECT_EQ(form->History().UndoSteps(), steps + 2);
    form->Actions().Undo();
    EXPECT_EQ(s.PatternStrength(), 95 - 5);

    const Point arrow = At("PulseButton4");
    backend.MouseDown(*form, arrow.x, arrow.y);
    backend.AdvanceClock(500);
    backend.MouseUp(*form, arrow.x, arrow.y);
    const int byMouse = s.TextX();
    focus::FocusByKeyboard(*form->FindComponent("PulseButton4"));
    backend.KeyDown(*form, kKeySpace);
    backend.AdvanceClock(500);
    backend.KeyUp(*form, kKeySpace);
    EXPECT_GT(byMouse - 223, 2);
    EXPECT_EQ(s.TextX() - byMouse, byMouse - 223);
    EXPECT_TRUE(errors.empty());
}

// The colour box by keyboard: Enter opens the palette with the R field focused (its six fields
// are the pop-up's first stops), the table and the hue bar pick with the arrows, the colours
// reach the design as the mouse's do (one step for the session), and Enter closes it.
TEST_F(KeyboardTest, PaletteByKeyboard) {
    focus::FocusByKeyboard(*form->ClrBox1);
    const Color before = form->Document().Settings().Color1();
    const std::size_t steps = form->History().UndoSteps();
    backend.PressKey(*form, kKeyReturn);
    TPForm* palette = form->ClrBox1->Palette();
    ASSERT_NE(palette, nullptr);
    backend.AdvanceClock(1000);  // the pointer is far away: the pop-up stays for the keyboard
    ASSERT_EQ(form->ClrBox1->Palette(), palette);
    EXPECT_EQ(palette->ActiveControl(), palette->GlassEdits[0]->Edit);

    EXPECT_EQ(TabWalk(*palette, 12), (std::vector<std::string>{"GlassEdit2", "GlassEdit3", "GlassEdit4", "GlassEdit5",
                                                               "GlassEdit6", "HLSSlider1", "Shape1", "GroupPNGButtons13",
                                                               "HLSColorTable1", "Shape2", "GroupPNGButtons1", "GlassEdit1"}));
    focus::FocusByKeyboard(*palette->HLSColorTable1);
    backend.PressKey(*palette, kKeyHome);  // no saturation: a grey
    backend.PressKey(*palette, kKeyNext);
    const Color grey = form->ClrBox1->ForeColor();
    EXPECT_TRUE(GetR(grey) == GetG(grey) && GetG(grey) == GetB(grey));
    EXPECT_EQ(form->Document().Settings().Color1(), grey);
    focus::FocusByKeyboard(*palette->HLSSlider1);
    backend.PressKey(*palette, kKeyEnd);
    EXPECT_EQ(palette->HLSSlider1->Positopn(), 255);

    backend.KeyDown(*palette, kKeyReturn);  // the pop-up goes: its release reaches nothing
    EXPECT_FALSE(form->ClrBox1->PaletteOpen());
    EXPECT_EQ(form->History().UndoSteps(), steps + 1);
    form->Actions().Undo();
    EXPECT_EQ(form->Document().Settings().Color1(), before);
    EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace veskel
