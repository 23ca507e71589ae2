// The designer by keyboard alone: the order Tab visits each page in, what the keys do to each
// kind of control, and that a key's change is the same history step as the mouse's.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Components/ColorBox/ColorBox.h"
#include "Components/ColorBox/PaletteForm.h"
#include "Components/GlassCheckBox/GlassCheckBox.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassListBox/GlassListBox.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "Components/HLSColorTable/HLSColorTable.h"
#include "Components/HLSSlider/HLSSlider.h"
#include "Components/TestPanel/TestPanel.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FocusChain.h"
#include "tests/app/DesignerFixture.h"

namespace veskel {
namespace {

struct KeyboardTest : testing::DesignerFixture {
    // The name Tab stops at: a field's inner edit box answers for its field.
    std::string FocusName() {
        Control* c = form->ActiveControl();
        if (!c) return "-";
        if (c->Name().empty() && c->Parent()) return c->Parent()->Name();
        return c->Name();
    }
    std::vector<std::string> TabWalk(int count, ShiftState shift = 0) {
        std::vector<std::string> seen;
        for (int i = 0; i < count; ++i) {
            backend.KeyDown(*form, kKeyTab, shift);
            seen.push_back(FocusName());
        }
        return seen;
    }
};

TEST_F(KeyboardTest, TabVisitsEachPageInReadingOrderThenTheTabs) {
    using Names = std::vector<std::string>;
    struct Case {
        int page;
        ShiftState shift;
        Names order;
    };
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
        EXPECT_EQ(TabWalk(int(c.order.size()), c.shift), c.order);
    }
}


// What a key does to each kind of control, read off the design (or the page shown): the same
// operation as the mouse's press. The cases run in order, each from where the last one left off.
TEST_F(KeyboardTest, KeysOperateEachKindOfControl) {
    const auto& s = [this]() -> const BannerSettings& { return form->Document().Settings(); };
    const int page2 = form->GlassSlider2->Max() / 10;
    struct Case {
        int page;
        const char* control;
        int key;
        std::function<int()> read;
        std::function<int(int before)> expect;
    };
    const auto plus = [](int d) { return [d](int before) { return before + d; }; };
    const auto is = [](int v) { return [v](int) { return v; }; };
    const auto flip = [](int before) { return 1 - before; };
    const Case cases[] = {
        {0, "SmallGlassButton1", kKeySpace, [&] { return s().TextX(); }, plus(1)},
        {0, "PulseButton1", kKeyReturn, [&] { return s().TextX(); }, plus(-1)},
        {0, "PulseButton3", kKeySpace, [&] { return s().TextY(); }, plus(1)},
        {0, "GlassCheckBox2", kKeySpace, [&] { return int(s().Horizontal()); }, flip},
        {0, "GlassCheckBox2", kKeyReturn, [&] { return int(s().Horizontal()); }, flip},
        {1, "GlassSlider1", kKeyHome, [&] { return s().PatternStrength(); }, is(0)},
        {1, "GlassSlider1", kKeyRight, [&] { return s().PatternStrength(); }, plus(1)},
        {1, "GlassSlider1", kKeyUp, [&] { return s().PatternStrength(); }, plus(1)},
        {1, "GlassSlider1", kKeyDown, [&] { return s().PatternStrength(); }, plus(-1)},
        {1, "GlassSlider1", kKeyEnd, [&] { return s().PatternStrength(); }, is(form->GlassSlider1->Max())},
        {1, "GlassSlider2", kKeyHome, [&] { return s().MirrorStrength(); }, is(0)},
        {1, "GlassSlider2", kKeyPrior, [&] { return s().MirrorStrength(); }, plus(page2)},
        {1, "GlassListBox1", kKeyHome, [&] { return s().Pattern(); }, is(0)},
        {1, "GlassListBox1", kKeyDown, [&] { return s().Pattern(); }, plus(1)},
        {1, "GlassListBox1", kKeyEnd, [&] { return s().Pattern(); }, is(5)},
        {1, "GlassListBox1", kKeyPrior, [&] { return s().Pattern(); }, is(0)},  // a boxful: all six rows
        {1, "GlassListBox2", kKeyEnd, [&] { return s().MirrorPattern(); }, is(5)},
        {1, "GlassListBox2", kKeyUp, [&] { return s().MirrorPattern(); }, is(4)},
        {1, "GlassCheckBox1", kKeySpace, [&] { return int(s().Border()); }, flip},
        {1, "TestPanel1", kKeyRight, [&] { return form->TestPanel1->ActivePage(); }, is(2)},
        {2, "TestPanel1", kKeyLeft, [&] { return form->TestPanel1->ActivePage(); }, is(1)},
        {0, "TestPanel1", kKeyLeft, [&] { return form->TestPanel1->ActivePage(); }, is(3)},
        {2, "PulseButton8", kKeySpace, [&] { return s().OverlayX(); }, plus(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " key " + std::to_string(c.key));
        form->TestPanel1->SetVisiblePage(c.page);
        focus::FocusByKeyboard(*form->FindComponent(c.control));
        const int before = c.read();
        backend.PressKey(*form, c.key);
        EXPECT_EQ(c.read(), c.expect(before));
    }
    EXPECT_TRUE(errors.empty());
}


// A held key is a drag: a slider's run of steps is one step of the history, and an arrow button
// repeats on the mouse's timing, so holding either gives what holding the mouse gives.
TEST_F(KeyboardTest, HeldKeysActAsAHeldMouseButton) {
    form->TestPanel1->SetVisiblePage(1);
    focus::FocusByKeyboard(*form->GlassSlider1);
    const int strength = form->Document().Settings().PatternStrength();
    const std::size_t steps = form->History().UndoSteps();
    for (int i = 0; i < 5; ++i) {
        backend.KeyDown(*form, kKeyLeft);
        backend.AdvanceClock(60);  // each repeat rests long enough to be heard
    }
    backend.KeyUp(*form, kKeyLeft);
    backend.KeyDown(*form, kKeyLeft);  // a second press is a step of its own
    backend.KeyUp(*form, kKeyLeft);
    EXPECT_EQ(form->Document().Settings().PatternStrength(), strength - 6);
    EXPECT_EQ(form->History().UndoSteps(), steps + 2);
    form->Actions().Undo();
    EXPECT_EQ(form->Document().Settings().PatternStrength(), strength - 5);

    form->TestPanel1->SetVisiblePage(0);
    const auto hold = [&](auto press, auto release) {
        const int x = form->Document().Settings().TextX();
        press();
        backend.AdvanceClock(500);
        release();
        return form->Document().Settings().TextX() - x;
    };
    const Point arrow = At("PulseButton4");
    const int byMouse = hold([&] { backend.MouseDown(*form, arrow.x, arrow.y); },
                             [&] { backend.MouseUp(*form, arrow.x, arrow.y); });
    focus::FocusByKeyboard(*form->FindComponent("PulseButton4"));
    const int byKey = hold([&] { backend.KeyDown(*form, kKeySpace); }, [&] { backend.KeyUp(*form, kKeySpace); });
    EXPECT_GT(byMouse, 2);
    EXPECT_EQ(byKey, byMouse);
    EXPECT_TRUE(errors.empty());
}


// The colour box by keyboard: Enter opens the palette with the R field focused (its six fields
// are the pop-up's first stops), the table and the hue bar pick with the arrows, the colours
// reach the design as the mouse's do (one step for the session), and Escape closes it.
TEST_F(KeyboardTest, PaletteByKeyboard) {
    focus::FocusByKeyboard(*form->ClrBox1);
    const Color before = form->Document().Settings().Color1();
    const std::size_t steps = form->History().UndoSteps();
    backend.PressKey(*form, kKeyReturn);
    TPForm* palette = form->ClrBox1->Palette();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->ActiveControl(), palette->GlassEdits[0]->Edit);
    backend.AdvanceClock(1000);  // the pointer is far away: the pop-up stays for the keyboard
    ASSERT_EQ(form->ClrBox1->Palette(), palette);

    std::vector<std::string> order;
    for (int i = 0; i < 12; ++i) {
        backend.PressKey(*palette, kKeyTab);
        Control* c = palette->ActiveControl();
        order.push_back(c->Name().empty() ? c->Parent()->Name() : c->Name());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"GlassEdit2", "GlassEdit3", "GlassEdit4", "GlassEdit5", "GlassEdit6",
                                               "HLSSlider1", "Shape1", "GroupPNGButtons13", "HLSColorTable1", "Shape2",
                                               "GroupPNGButtons1", "GlassEdit1"}));

    focus::FocusByKeyboard(*palette->HLSColorTable1);
    backend.PressKey(*palette, kKeyHome);  // no saturation: a grey
    backend.PressKey(*palette, kKeyNext);
    const Color grey = form->ClrBox1->ForeColor();
    EXPECT_EQ(GetR(grey), GetG(grey));
    EXPECT_EQ(GetG(grey), GetB(grey));
    EXPECT_EQ(form->Document().Settings().Color1(), grey);
    focus::FocusByKeyboard(*palette->HLSSlider1);
    backend.PressKey(*palette, kKeyEnd);
    EXPECT_EQ(palette->HLSSlider1->Positopn(), 255);

    backend.KeyDown(*palette, kKeyEscape);  // the pop-up goes: its release reaches nothing
    EXPECT_FALSE(form->ClrBox1->PaletteOpen());
    EXPECT_EQ(form->History().UndoSteps(), steps + 1);
    form->Actions().Undo();
    EXPECT_EQ(form->Document().Settings().Color1(), before);
    EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace veskel
