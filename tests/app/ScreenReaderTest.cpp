// The main window as a screen reader is told of it (platform/ui/Accessibility.h), headless.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Components/ColorBox/ColorBox.h"
#include "Components/ColorBox/PaletteForm.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassListBox/GlassListBox.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "Components/HLSColorTable/HLSColorTable.h"
#include "Components/TestPanel/TestPanel.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Edit.h"
#include "platform/ui/StockControls.h"
#include "tests/app/DesignerFixture.h"

namespace veskel {
namespace {

using Role = AccessibleRole;

// Every described control and part under root, each with a name a screen reader can say.
void ExpectAllNamed(Control& root, const std::string& where) {
    for (Control* c : AccessibleChildren(root)) {
        const AccessibleDescription d = DescribeControl(*c);
        EXPECT_NE(d.role, Role::None) << where << ": " << c->Name();
        // A tab list is read through its tabs.
        EXPECT_TRUE(!d.name.empty() || d.role == Role::PageTabList) << where << ": " << c->Name();
        for (const AccessibleDescription& part : d.parts) EXPECT_FALSE(part.name.empty()) << where << ": " << c->Name();
        ExpectAllNamed(*c, where);
    }
}

struct ScreenReaderTest : testing::DesignerFixture {};

TEST_F(ScreenReaderTest, EveryControlIsNamedByItsOwnLabel) {
    ExpectAllNamed(*form, "main window");
    form->ClrBox1->OpenPalette();
    TPForm* palette = form->ClrBox1->Palette();
    ASSERT_NE(palette, nullptr);
    ExpectAllNamed(*palette, "palette");

    struct Row {
        Control* control;
        Role role;
        const char* name;
    };
    const Row rows[] = {
        {form->GlassEdit1->Edit, Role::EditableText, "Текст"},                 // label above
        {form->GlassEdit2->Edit, Role::EditableText, "Позиция текста X"},      // label on the left, "=" dropped
        {form->ClrBox1, Role::PushButton, "Цвет 1"},
        {form->ClrBox3, Role::PushButton, "Цвет рамки"},                       // no label: its hint
        {form->FindComponent("PulseButton2"), Role::PushButton, "Текст выше"},
        {form->GlassSlider1, Role::Slider, "Образец узора"},
        {form->GlassListBox2, Role::List, "Зеркальный узор"},                  // above, past its slider
        {form->Image1, Role::Image, "Просмотр"},
        {form->FindComponent("GLeaf2"), Role::PageTab, "Effects"},
        {palette->GlassEdits[0]->Edit, Role::EditableText, "R"},
        // Tall: named by the label above, not by "B:" level with its middle.
        {palette->HLSColorTable1, Role::ColorChooser, "Выберите цвет"},
    };
    for (const Row& row : rows) {
        ASSERT_NE(row.control, nullptr) << row.name;
        const AccessibleDescription d = DescribeControl(*row.control);
        EXPECT_EQ(d.role, row.role) << row.name;
        EXPECT_EQ(d.name, row.name);
    }
    // The arrows show their hints as tool-tips: naming them leaves their own.
    EXPECT_EQ(form->FindComponent("PulseButton2")->Hint(), "Вверх");
    // The preview tells what the banner says.
    EXPECT_EQ(DescribeControl(*form->Image1).description, form->Document().Settings().TextUtf8());
}

// The designer started afresh, for one gesture.
struct Designer {
    ScopedRoundingModeForTesting rounding{RoundingMode::NearestEven};
    HeadlessBackend backend;
    Application app{backend};
    TForm1* form = StartDesigner();

    void Click(const char* name, int dx = -1, int dy = -1) {
        const Control* c = form->FindComponent(name);
        const Point o = c->OffsetInForm();
        backend.AdvanceClock(600);
        backend.Click(*form, o.x + (dx < 0 ? c->Width() / 2 : dx), o.y + (dy < 0 ? c->Height() / 2 : dy));
    }
    void Act(const char* name, int part, AccessibleActionKind kind) {
        AccessibleDescription d = DescribeControl(*form->FindComponent(name));
        if (part >= 0) d = d.parts.at(std::size_t(part));
        for (const AccessibleAction& a : d.actions)
            if (a.kind == kind) a.run();
        app.ProcessMessages();
    }
    // What a gesture may change.
    std::vector<std::uint8_t> State() {
        const auto& bytes = form->Document().Settings().GetBytes();
        std::vector<std::uint8_t> state(bytes.begin(), bytes.end());
        for (std::size_t n : {form->History().UndoSteps(), std::size_t(form->TestPanel1->VisiblePage()),
                              std::size_t(form->ClrBox1->PaletteOpen())})
            state.push_back(std::uint8_t(n));
        return state;
    }
    void ShowPage(int page) { backend.Click(*form, 28 + kTabCentres[page], 62); }
    static constexpr int kTabCentres[] = {38, 103, 177, 266};
};

TEST(ScreenReaderActions, DoWhatTheMouseDoes) {
    using Kind = AccessibleActionKind;
    struct Row {
        const char* name;
        int part;
        Kind kind;
        std::function<void(Designer&)> mouse;
        int page = 0;  // shown first, by a click on its tab
    };
    const Row rows[] = {
        {"GlassButton3", -1, Kind::Press, [](Designer& d) { d.Click("GlassButton3"); }},
        {"PulseButton2", -1, Kind::Press, [](Designer& d) { d.Click("PulseButton2"); }},
        {"SmallGlassButton1", -1, Kind::Press, [](Designer& d) { d.Click("SmallGlassButton1"); }},
        {"GlassCheckBox2", -1, Kind::Toggle, [](Designer& d) { d.Click("GlassCheckBox2"); }},
        {"ClrBox1", -1, Kind::ShowMenu, [](Designer& d) { d.Click("ClrBox1"); }},
        {"GLeaf2", -1, Kind::Press, [](Designer& d) { d.ShowPage(1); }},
        // The fifth entry (rows of 18 pixels).
        {"GlassListBox1", 4, Kind::Press, [](Designer& d) { d.Click("GlassListBox1", 20, 4 * 18 + 9); }, 1},
        // One step up from 95: the thumb pressed where 96 lies (rounding down, as after the list
        // boxes' first paint), rested, released.
        {"GlassSlider1", -1, Kind::Increase, [](Designer& d) {
             const Point o = d.form->GlassSlider1->OffsetInForm();
             d.backend.MouseDown(*d.form, o.x + 167, o.y + 12);
             d.backend.AdvanceClock(60);
             d.backend.MouseUp(*d.form, o.x + 167, o.y + 12);
         }, 1},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> byMouse, byAction, before;
        {
            Designer mouse;
            mouse.ShowPage(row.page);
            before = mouse.State();
            row.mouse(mouse);
            byMouse = mouse.State();
        }
        {
            Designer action;
            action.ShowPage(row.page);
            action.Act(row.name, row.part, row.kind);
            byAction = action.State();
        }
        EXPECT_TRUE(byMouse != before) << row.name << ": the gesture changed nothing";
        EXPECT_TRUE(byAction == byMouse) << row.name << ": the action did otherwise than the mouse";
    }
}

}  // namespace
}  // namespace veskel
