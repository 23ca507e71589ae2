#include "app/Form2.h"

#include <gtest/gtest.h>

#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"

namespace veskel {
namespace {

struct Form2Test : ::testing::Test {
    HeadlessBackend backend;
    Application app{backend};
    TForm2* form = nullptr;
    void SetUp() override { form = app.CreateForm<TForm2>(); }

    // Black pixels of the grid picture along one row or column.
    int BlackInRow(int y) const {
        const Bitmap& b = form->Image1->GetPicture().color;
        int n = 0;
        for (int x = 0; x < b.Width(); ++x) n += b.Pixel(x, y) == kBlack;
        return n;
    }
    int BlackInColumn(int x) const {
        const Bitmap& b = form->Image1->GetPicture().color;
        int n = 0;
        for (int y = 0; y < b.Height(); ++y) n += b.Pixel(x, y) == kBlack;
        return n;
    }
};

TEST_F(Form2Test, StoredLayout) {
    EXPECT_EQ(form->Caption(), "Form2");
    EXPECT_TRUE(form->ToolWindow());
    EXPECT_EQ(form->BoundsRect(), (Rect{794, 320, 794 + 310, 320 + 341}));
    EXPECT_EQ(form->GetColor(), kClBtnFace);
    EXPECT_EQ(form->GetFont().family, "MS Sans Serif");
    EXPECT_EQ(form->SpinEdit1->BoundsRect(), (Rect{12, 12, 297, 34}));
    EXPECT_EQ(form->SpinEdit1->MinValue(), 2);
    EXPECT_EQ(form->SpinEdit1->MaxValue(), 19);
    EXPECT_EQ(form->SpinEdit1->Value(), 3);
    EXPECT_EQ(form->Image1->BoundsRect(), (Rect{12, 44, 297, 329}));
    EXPECT_EQ(form->Image1->Cursor(), kCrCross);
    // Created hidden; nothing shows it.
    EXPECT_FALSE(form->IsShown());
    EXPECT_TRUE(form->Image1->GetPicture().IsEmpty());
}

TEST_F(Form2Test, GridFollowsTheSpinField) {
    form->SpinEdit1->SetValue(2);
    const Bitmap* b = &form->Image1->GetPicture().color;
    ASSERT_EQ(b->GetSize(), (Size{38, 38}));
    EXPECT_EQ(form->Image1->BoundsRect(), (Rect{12, 44, 50, 82}));
    // Lines at 0 and 15, each 30 pixels long; the rest white.
    EXPECT_EQ(BlackInRow(0), 30);
    EXPECT_EQ(BlackInRow(15), 30);
    EXPECT_EQ(BlackInColumn(0), 30);
    EXPECT_EQ(BlackInColumn(15), 30);
    EXPECT_EQ(BlackInRow(30), 0);  // the lines stop short of 30, and the border line at 30 is not drawn
    EXPECT_EQ(b->Pixel(37, 37), kWhite);

    // Larger than the client area: the picture is 361 x 361 anyway.
    form->SpinEdit1->SetValue(19);
    EXPECT_EQ(form->Image1->GetPicture().color.GetSize(), (Size{361, 361}));

    // From 5 down to 3 the picture is cut, and the earlier lines stay, now to the picture's edge.
    form->SpinEdit1->SetValue(5);
    form->SpinEdit1->SetValue(3);
    ASSERT_EQ(form->Image1->GetPicture().color.GetSize(), (Size{57, 57}));
    EXPECT_EQ(BlackInRow(45), 57);  // from the value 19: lines at 0..270 ran the whole width
    EXPECT_EQ(BlackInRow(15), 57);
    EXPECT_EQ(BlackInColumn(30), 57);
}

TEST_F(Form2Test, SpinFieldHoldsItsRange) {
    TSpinEdit& spin = *form->SpinEdit1;
    spin.SetValue(40);
    EXPECT_EQ(spin.Value(), 19);
    spin.SetText("1");
    EXPECT_EQ(spin.Value(), 2);
    spin.SetText("abc");
    EXPECT_EQ(spin.Value(), 2);
    spin.SetText(" 7");
    EXPECT_EQ(spin.Value(), 7);
    form->ShowForm();
    spin.SetFocus();
    backend.KeyDown(*form, kKeyUp);
    EXPECT_EQ(spin.Value(), 8);
    backend.KeyDown(*form, kKeyDown);
    backend.KeyDown(*form, kKeyDown);
    EXPECT_EQ(spin.Value(), 6);
    // The arrows at the right end step it too.
    backend.Click(*form, 12 + 280, 12 + 3);
    EXPECT_EQ(spin.Value(), 7);
    backend.Click(*form, 12 + 280, 12 + 18);
    EXPECT_EQ(spin.Value(), 6);
    EXPECT_EQ(form->Image1->GetPicture().color.GetSize(), (Size{114, 114}));
}

}  // namespace
}  // namespace veskel
