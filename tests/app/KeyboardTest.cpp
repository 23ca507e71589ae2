// The designer by keyboard alone: the order Tab visits each page in, what the keys do to each
// kind of control, and that a key's change is the same history step as the mouse's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Components/ColorBox/ColorBox.h"
#include "Components/ColorBox/PaletteForm.h"
#include "Components/GlassCheckBox/GlassCheckBox.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassListBox/GlassListBox.h"
#include "Components/GlassSlider/GlassSlider.h"
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

}  // namespace
}  // namespace veskel
