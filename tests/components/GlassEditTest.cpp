// The glass edit field: its frame bitmaps, the fixed height, the inner edit box, OnChange on
// every real change of text, Enter and Escape passed on to the window round the container.
#include "Components/GlassEdit/GlassEdit.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"

namespace veskel {
namespace {

using testing::ControlStage;

// ---------------------------------------------------------------- frame bitmaps

TEST(GlassEditSkins, GreyLevelsRowByRowAndTheMirroredRightCap) {
    const Picture left = DecodeBmp(Resource("Components/GlassEdit/res/GlassEditLeft.bmp"));
    const Picture right = DecodeBmp(Resource("Components/GlassEdit/res/GlassEditRight.bmp"));
    const Picture middle = DecodeBmp(Resource("Components/GlassEdit/res/GlassEditMiddle.bmp"));
    ASSERT_EQ(left.Width(), 2);
    ASSERT_EQ(right.Width(), 2);
    ASSERT_EQ(middle.Width(), 1);
    for (const Picture* p : {&left, &right, &middle}) ASSERT_EQ(p->Height(), 18);
    struct Row {
        int outer, inner, mid;
    };
    auto expected = [](int y) {
        if (y == 0) return Row{39, 62, 69};
        if (y == 1) return Row{92, 151, 170};
        if (y == 2) return Row{123, 201, 227};
        if (y == 17) return Row{102, 164, 185};
        return Row{139, 227, 255};
    };
    auto grey = [](int v) { return RGB(v, v, v); };
    for (int y = 0; y < 18; ++y) {
        SCOPED_TRACE(y);
        const Row r = expected(y);
        EXPECT_EQ(left.color.Pixel(0, y), grey(r.outer));
        EXPECT_EQ(left.color.Pixel(1, y), grey(r.inner));
        EXPECT_EQ(right.color.Pixel(0, y), grey(r.inner));
        EXPECT_EQ(right.color.Pixel(1, y), grey(r.outer));
        EXPECT_EQ(middle.color.Pixel(0, y), grey(r.mid));
    }
}

// ---------------------------------------------------------------- construction and size

TEST(GlassEditField, NewFieldAndItsInnerEdit) {
    ControlStage stage;
    auto* f = stage.Add<TGlassEdit>(10, 10);
    EXPECT_EQ(f->ClassName(), "TGlassEdit");
    EXPECT_TRUE(f->IsWindowed());
    EXPECT_EQ(f->Width(), 45);
    EXPECT_EQ(f->Height(), 18);
    ASSERT_NE(f->Edit, nullptr);
    EXPECT_EQ(f->Edit->Parent(), f);
    EXPECT_EQ(f->Edit->Owner(), f);
    EXPECT_EQ(f->Edit->BoundsRect(), Rect::FromSize(3, 3, f->Edit->Width(), 12));
    EXPECT_EQ(f->Edit->GetFont().family, "Verdana");
    EXPECT_EQ(f->Edit->GetFont().size, 9);
    EXPECT_EQ(f->Edit->GetFont().color, kBlack);
    EXPECT_EQ(f->Edit->Text(), "Edit");
}

TEST(GlassEditField, HeightIsAlways18AndTheInnerEditFollowsTheWidthAtTheNextPaint) {
    ControlStage stage;
    auto* f = stage.Add<TGlassEdit>(10, 10);
    f->SetHeight(30);
    EXPECT_EQ(f->Height(), 18);
    f->SetBounds(5, 6, 100, 4);
    EXPECT_EQ(f->BoundsRect(), Rect::FromSize(5, 6, 100, 18));
    stage.form->UpdateSurface();
    EXPECT_EQ(f->Edit->Width(), 94);

    f->SetWidth(60);
    EXPECT_EQ(f->Edit->Width(), 94) << "the inner edit is resized by painting only";
    stage.form->UpdateSurface();
    EXPECT_EQ(f->Edit->Width(), 54);
}

// ---------------------------------------------------------------- OnChange

TEST(GlassEditField, OnChangeFollowsEveryRealChangeTypedOrWritten) {
    ControlStage stage;
    auto* f = stage.Add<TGlassEdit>(10, 10);
    f->SetWidth(100);
    std::vector<std::string> seen;
    f->OnChange = [&](Control& sender) {
        EXPECT_EQ(&sender, f);
        seen.push_back(f->Edit->Text());  // the new text is already in place
    };
    f->Edit->SetText("abc");
    f->Edit->SetText("abc");  // the same text: no event
    stage.backend.Click(*stage.form, 100, 15);  // caret to the end
    stage.backend.TypeText(*stage.form, "д");
    stage.backend.KeyDown(*stage.form, kKeyBack);
    stage.backend.KeyDown(*stage.form, kKeyBack, kCtrl);  // deletes the word
    stage.backend.KeyDown(*stage.form, kKeyBack);        // nothing left to delete: no event
    EXPECT_EQ(seen, (std::vector<std::string>{"abc", "abcд", "abc", ""}));
}

// ---------------------------------------------------------------- Enter and Escape

struct KeyRecorder : CustomControl {
    std::vector<int> keys;
    void KeyDown(int& key, ShiftState) override { keys.push_back(key); }
};

TEST(GlassEditField, EnterAndEscapeGoToTheWindowRoundTheContainerAndStillReachTheEdit) {
    ControlStage stage({300, 100});
    auto* outer = stage.Add<KeyRecorder>(0, 0);
    outer->SetBounds(0, 0, 300, 100);
    auto* container = stage.form->CreateOwned<KeyRecorder>();
    container->SetParent(outer);
    container->SetBounds(10, 10, 200, 50);
    auto* f = stage.form->CreateOwned<TGlassEdit>();
    f->SetParent(container);
    f->SetBounds(5, 5, 150, 18);
    f->Edit->SetText("text");
    int changes = 0;
    f->OnChange = [&](Control&) { ++changes; };
    std::vector<int> formKeys;
    stage.form->OnKeyDown = [&](Control&, int& key, ShiftState) { formKeys.push_back(key); };

    stage.backend.Click(*stage.form, 40, 22);
    for (int key : {int(kKeyReturn), int('A'), int(kKeyEscape), int(kKeyHome)}) stage.backend.KeyDown(*stage.form, key);
    EXPECT_EQ(outer->keys, (std::vector<int>{kKeyReturn, kKeyEscape}));
    EXPECT_TRUE(container->keys.empty());
    EXPECT_TRUE(formKeys.empty());
    EXPECT_EQ(f->Edit->Text(), "text");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(f->Edit->CaretPosition(), 0) << "Home still reached the edit after the forwarded keys";
}

TEST(GlassEditField, AFieldStraightOnAFormHasNoOuterWindowToTell) {
    ControlStage stage;
    auto* f = stage.Add<TGlassEdit>(10, 10);
    std::vector<int> formKeys;
    stage.form->OnKeyDown = [&](Control&, int& key, ShiftState) { formKeys.push_back(key); };
    stage.backend.Click(*stage.form, 20, 15);
    stage.backend.KeyDown(*stage.form, kKeyReturn);
    EXPECT_TRUE(formKeys.empty());
}

// ---------------------------------------------------------------- painting

TEST(GlassEditPaint, CapsAtTheEndsMiddleStretchedBetweenAndTheWhiteEditInside) {
    ControlStage stage;
    auto* f = stage.Add<TGlassEdit>(10, 10);
    f->SetWidth(60);
    f->Edit->SetText("");
    const Bitmap shot = stage.Shot(*f);
    auto grey = [](int v) { return RGB(v, v, v); };
    // Row 0 (dark top edge) and row 17 (bottom line) across the whole field.
    const int top[] = {39, 62, 69, 62, 39};
    const int bottom[] = {102, 164, 185, 164, 102};
    const int xs[] = {0, 1, 2, 58, 59};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(xs[i]);
        EXPECT_EQ(shot.Pixel(xs[i], 0), grey(top[i]));
        EXPECT_EQ(shot.Pixel(xs[i], 17), grey(bottom[i]));
    }
    EXPECT_EQ(shot.Pixel(30, 2), grey(227));
    EXPECT_EQ(shot.Pixel(1, 10), grey(227));
    EXPECT_EQ(shot.Pixel(2, 10), kWhite);  // the strip's body, beside the edit
    EXPECT_EQ(shot.Pixel(30, 10), kWhite);  // the edit box
}

}  // namespace
}  // namespace veskel
