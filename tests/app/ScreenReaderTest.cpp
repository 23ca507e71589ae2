// The main window as a screen reader is told of it (platform/ui/Accessibility.h), headless.
#include <gtest/gtest.h>

#include <array>
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
#include "platform/ui/StandardControls.h"
#include "platform/ui/StockControls.h"
#include "tests/app/DesignerFixture.h"

namespace veskel {
namespace {

using Role = AccessibleRole;

struct ScreenReaderTest : testing::DesignerFixture {};

TEST_F(ScreenReaderTest, EveryControlIsNamedByItsOwnLabel) {
    form->ClrBox1->OpenPalette();
    TPForm* palette = form->ClrBox1->Palette();
    ASSERT_NE(palette, nullptr);

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
        {form->FindComponent("SmallGlassButton1"), Role::PushButton, "Увеличить позицию текста X"},  // "+"
        {form->GlassSlider1, Role::Slider, "Сила узора"},                      // not its list's label
        {form->FindComponent("GlassCheckBox1"), Role::CheckBox, "Добавить рамку"},  // no colon
        {form->FindComponent("AALabel1"), Role::Link, "Подробная информация и обновления"},  // its purpose
        {palette, Role::Window, "Палитра: Цвет 1"},
        {palette->GlassEdits[0]->Edit, Role::EditableText, "Красный"},
        {form->GlassListBox2, Role::List, "Зеркальный узор"},                  // above, past its slider
        {form->Image1, Role::Image, "Просмотр"},
        {form->FindComponent("GLeaf2"), Role::PageTab, "Effects"},
        {palette->Shape1, Role::PushButton, "Изменить цвет переднего плана"},
        {palette->HLSColorTable1, Role::ColorChooser, "Яркость и насыщенность"},
    };
    for (const Row& row : rows) {
        ASSERT_NE(row.control, nullptr) << row.name;
        const AccessibleDescription d = DescribeControl(*row.control);
        EXPECT_EQ(d.role, row.role) << row.name;
        EXPECT_EQ(d.name, row.name);
    }
    // The arrows show their hints as tool-tips: naming them leaves their own.
    EXPECT_EQ(form->FindComponent("PulseButton2")->Hint(), "Вверх");
    // A name taken from a label says which; the link's address is read after its name.
    EXPECT_EQ(DescribeControl(*form->GlassEdit2->Edit).labelledBy, form->FindComponent("Label7"));
    EXPECT_EQ(LabelledControls(*form->FindComponent("Label7")), std::vector<Control*>{form->GlassEdit2->Edit});
    EXPECT_EQ(DescribeControl(*form->FindComponent("AALabel1")).description, "http://veskel.example.org/?veskel=1");
    // The preview tells what the banner says.
    EXPECT_EQ(DescribeControl(*form->Image1).description, form->Document().Settings().TextUtf8());
}

// A screen reader's text goes in as typing: what the field refuses from the keyboard it refuses
// from the screen reader too, and the design keeps its text.
TEST_F(ScreenReaderTest, TextFromAScreenReaderIsTyped) {
    Edit& field = *form->GlassEdit1->Edit;
    const struct {
        std::string text;
        bool taken;
    } rows[] = {{"Heard", true}, {std::string(200, 'W'), false}};
    for (const auto& row : rows) {
        const std::string before = form->Document().Settings().TextUtf8();
        const AccessibleDescription d = DescribeControl(field);
        ASSERT_TRUE(d.replaceText);
        d.replaceText(0, int(d.value.size()), row.text);
        EXPECT_EQ(form->Document().Settings().TextUtf8(), row.taken ? row.text : before) << row.text.size();
        EXPECT_EQ(field.Text(), form->Document().Settings().TextUtf8());
    }
}

// The designer started afresh, for one gesture.
struct Designer {
    ScopedRoundingModeForTesting rounding{RoundingMode::NearestEven};
    HeadlessBackend backend;
    Application app{backend};
    TForm1* form = StartDesigner();

    // What a gesture may change.
    std::vector<std::uint8_t> State() {
        const auto& bytes = form->Document().Settings().GetBytes();
        std::vector<std::uint8_t> state(bytes.begin(), bytes.end());
        for (std::size_t n : {form->History().UndoSteps(), std::size_t(form->TestPanel1->VisiblePage()),
                              std::size_t(form->ClrBox1->PaletteOpen())})
            state.push_back(std::uint8_t(n));
        return state;
    }
    void ShowPage(int page) { backend.Click(*form, 28 + std::array{38, 103, 177, 266}[std::size_t(page)], 62); }
};

TEST(ScreenReaderActions, DoWhatTheMouseDoes) {
    using Kind = AccessibleActionKind;
    struct Row {
        const char* name;
        int part;
        Kind kind;
        int page = 0;         // shown first, by a click on its tab
        Point at{-1, -1};     // where the mouse presses (the centre by default)
        bool rest = false;    // held 60 ms before the release
        const char* pressed = nullptr;  // the control the mouse presses, when not the same
    };
    const Row rows[] = {
        {"GlassButton3", -1, Kind::Press},
        {"PulseButton2", -1, Kind::Press},
        {"SmallGlassButton1", -1, Kind::Press},
        {"GlassCheckBox2", -1, Kind::Toggle},
        {"ClrBox1", -1, Kind::ShowMenu},
        {"GLeaf2", -1, Kind::Press, 0, {103, 10}, false, "TestPanel1"},
        {"GlassListBox1", 4, Kind::Press, 1, {20, 4 * 18 + 9}},  // the fifth entry
        // Up from 95: pressed where 96 lies (157 x 99 / 162 = 95.9), rested.
        {"GlassSlider1", -1, Kind::Increase, 1, {166, 12}, true},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> byMouse, byAction, before;
        {
            Designer d;
            d.ShowPage(row.page);
            before = d.State();
            const Control* c = d.form->FindComponent(row.pressed ? row.pressed : row.name);
            const Point o = c->OffsetInForm();
            const Point p{o.x + (row.at.x < 0 ? c->Width() / 2 : row.at.x), o.y + (row.at.y < 0 ? c->Height() / 2 : row.at.y)};
            d.backend.AdvanceClock(600);
            d.backend.MouseDown(*d.form, p.x, p.y);
            if (row.rest) d.backend.AdvanceClock(60);
            d.backend.MouseUp(*d.form, p.x, p.y);
            d.backend.AdvanceClock(400);  // past the pop-up's pointer watch
            byMouse = d.State();
        }
        {
            Designer d;
            d.ShowPage(row.page);
            AccessibleDescription desc = DescribeControl(*d.form->FindComponent(row.name));
            if (row.part >= 0) desc = desc.parts.at(std::size_t(row.part));
            for (const AccessibleAction& a : desc.actions)
                if (a.kind == row.kind) a.run();
            d.backend.AdvanceClock(400);
            byAction = d.State();
        }
        EXPECT_TRUE(byMouse != before) << row.name << ": the gesture changed nothing";
        EXPECT_TRUE(byAction == byMouse) << row.name << ": the action did otherwise than the mouse";
    }
}

}  // namespace
}  // namespace veskel
