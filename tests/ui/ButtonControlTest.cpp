// The shared button behaviour: hover and press, their reset on leave and disable, the click, and
// auto-repeat on the virtual clock.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/ButtonControl.h"

namespace veskel {
namespace {

using testing::Add;

class CountingButton : public ButtonControl {
public:
    int stateChanges = 0;

protected:
    void ButtonStateChanged() override {
        ++stateChanges;
        ButtonControl::ButtonStateChanged();
    }
};

struct ButtonControlTest : testing::UiTest {
    ButtonControlTest() {
        form = app.CreateForm<testing::TestForm>();
        button = Add<CountingButton>(*form, "Button1", {10, 10, 60, 30});
        button->OnClick = [this](Control&) { ++clicks; };
        form->FinishCreate();
        form->ShowForm();
    }
    testing::TestForm* form;
    CountingButton* button;
    int clicks = 0;
};

TEST_F(ButtonControlTest, HoverPressClickAndResetOnLeave) {
    int mouseDowns = 0;
    button->OnMouseDown = [&](Control&, MouseButton, ShiftState, int, int) { ++mouseDowns; };
    backend.MouseMove(*form, 20, 20);
    EXPECT_TRUE(button->IsHovered());
    backend.MouseDown(*form, 20, 20, MouseButton::Right);
    EXPECT_TRUE(button->IsPressed());
    // The press captured the pointer: the release off the button still ends the press.
    backend.MouseMove(*form, 100, 80);
    backend.MouseUp(*form, 100, 80, MouseButton::Right);
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(mouseDowns, 0);  // press and release are the button's own business

    backend.Click(*form, 20, 20);
    EXPECT_EQ(clicks, 1);
    backend.MouseDown(*form, 20, 20);
    backend.MouseExit(*form);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_FALSE(button->IsPressed());
}

TEST_F(ButtonControlTest, DisablingResetsAndADisabledButtonIgnoresThePointer) {
    backend.MouseMove(*form, 20, 20);
    backend.MouseDown(*form, 20, 20);
    button->SetEnabled(false);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_FALSE(button->IsPressed());
    backend.MouseUp(*form, 20, 20);
    backend.MouseExit(*form);
    const int changes = button->stateChanges;
    backend.MouseMove(*form, 20, 20);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_EQ(button->stateChanges, changes);
}

TEST_F(ButtonControlTest, AutoRepeatClicksAfterTheDelayThenEveryIntervalUntilRelease) {
    button->SetAutoRepeat(400, 20);
    backend.MouseMove(*form, 20, 20);
    backend.MouseDown(*form, 20, 20, MouseButton::Right);  // any button starts it
    backend.AdvanceClock(400);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(button->Repeating());
    backend.AdvanceClock(20);
    EXPECT_EQ(clicks, 1);
    backend.AdvanceClock(100);
    EXPECT_EQ(clicks, 6);
    backend.MouseUp(*form, 20, 20, MouseButton::Right);
    EXPECT_FALSE(button->Repeating());
    backend.AdvanceClock(1000);
    EXPECT_EQ(clicks, 6);

    // Released before the delay: only the ordinary click.
    backend.MouseDown(*form, 20, 20);
    backend.AdvanceClock(399);
    backend.MouseUp(*form, 20, 20);
    backend.AdvanceClock(1000);
    EXPECT_EQ(clicks, 7);

    // Disabling stops a running repeat.
    backend.MouseDown(*form, 20, 20);
    backend.AdvanceClock(440);
    EXPECT_EQ(clicks, 9);
    button->SetEnabled(false);
    backend.AdvanceClock(1000);
    EXPECT_EQ(clicks, 9);
}

}  // namespace
}  // namespace veskel
