// The main window with its history, clipboard and drops: undo and redo from the keyboard after
// typing, slider drags and buttons (the controls and the preview follow, the record comes back
// byte for byte), copy and paste outside the edit fields, files dropped onto the window.
#include <gtest/gtest.h>

#include <filesystem>

#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "app/MainWindow.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"
#include "platform/ui/StockControls.h"
#include "project/ProjectFile.h"
#include "tests/app/DesignerFixture.h"
#include "tests/project/TestFiles.h"

namespace veskel {
namespace {

// What a step must bring back: the record and the text field. (The preview is checked against
// the renderer instead: opening the effects page turns the process's rounding downward, so the
// same settings may render differently before and after.)
struct Seen {
    BannerSettings::Bytes record;
    std::string text;
    bool operator==(const Seen&) const = default;
};

struct MainWindowHistoryTest : testing::DesignerFixture {
    testing::ScratchDir dir;

    Seen Now() {
        return {form->Document().Settings().GetBytes(), form->GlassEdit1->Edit->Text()};
    }
    void ShowPage(int i) {
        backend.AdvanceClock(600);
        DesignerFixture::ShowPage(i);
    }
    void Key(int key, ShiftState shift) { backend.KeyDown(*form, key, shift); }
    // What the renderer makes of the window's settings and pictures.
    Bitmap Rendered() {
        BannerDocument fresh;
        fresh.Settings() = form->Document().Settings();
        fresh.RestorePictures(form->Document().Pictures());
        return fresh.RenderBanner();
    }
};

TEST_F(MainWindowHistoryTest, UndoAndRedoKeysWalkTypingDragsAndButtonsExactly) {
    std::vector<Seen> states{Now()};
    // The X field far to the right: a new text then pulls the text back (one step with it).
    form->GlassEdit2->Edit->SetFocus();
    form->GlassEdit2->Edit->SelectAll();
    backend.TypeText(*form, "3");
    backend.TypeText(*form, "40");
    EXPECT_EQ(form->Document().Settings().TextX(), 340);
    states.push_back(Now());
    // A run of typing in the text field.
    form->GlassEdit1->Edit->SetFocus();
    form->GlassEdit1->Edit->SelectAll();
    for (const char* key : {"П", "р", "и", "в", "е", "т"}) backend.TypeText(*form, key);
    EXPECT_EQ(form->Document().Settings().TextUtf8(), "Привет");
    EXPECT_LT(form->Document().Settings().TextX(), 340);
    states.push_back(Now());
    // A slider drag with two rests.
    ShowPage(1);
    const Point s = At("GlassSlider1", 10, 12);
    backend.MouseDown(*form, s.x, s.y);
    backend.MouseMove(*form, s.x + 60, s.y);
    backend.AdvanceClock(60);
    backend.MouseMove(*form, s.x + 120, s.y);
    backend.AdvanceClock(60);
    backend.MouseUp(*form, s.x + 120, s.y);
    states.push_back(Now());
    // Buttons: swap the colours, then a new design.
    ShowPage(0);
    ClickOn("GlassButton3");
    states.push_back(Now());
    ShowPage(3);
    backend.messageBoxAnswers.push_back(kIdNo);  // save changes? No
    ClickOn("GlassButton5");
    states.push_back(Now());
    ASSERT_EQ(form->History().UndoSteps(), states.size() - 1);
    for (std::size_t i = 1; i < states.size(); ++i) ASSERT_FALSE(states[i] == states[i - 1]) << i;

    // Undo from inside the edit field and outside it; Ctrl+Shift+Z and Ctrl+Y redo.
    form->GlassEdit1->Edit->SetFocus();
    for (std::size_t i = states.size() - 1; i-- > 0;) {
        Key('Z', kCtrl);
        EXPECT_TRUE(Now() == states[i]) << "after undo to state " << i;
        EXPECT_EQ(form->Image1->GetPicture().color, Rendered());
    }
    Key('Z', kCtrl);  // nothing left: nothing happens
    EXPECT_TRUE(Now() == states[0]);
    form->SetActiveControl(nullptr);
    for (std::size_t i = 1; i < states.size(); ++i) {
        Key(i % 2 ? 'Y' : 'Z', i % 2 ? kCtrl : kCtrl | kShift);
        EXPECT_TRUE(Now() == states[i]) << "after redo to state " << i;
        EXPECT_EQ(form->Image1->GetPicture().color, Rendered());
    }
    EXPECT_EQ(form->GlassSlider1->Value(), form->Document().Settings().PatternStrength());
    EXPECT_TRUE(errors.empty());
}

TEST_F(MainWindowHistoryTest, SavingMakesNoUndoStep) {
    ClickOn("GlassButton3");
    ShowPage(3);
    backend.fileDialogAnswers.push_back(FileDialogResult{dir / "saved", 1});
    ClickOn("GlassButton7");
    ASSERT_TRUE(std::filesystem::exists(dir / "saved.vzk"));
    EXPECT_EQ(form->History().UndoSteps(), 1u);
    Key('Z', kCtrl);
    EXPECT_EQ(form->History().UndoSteps(), 0u);
    EXPECT_EQ(form->History().RedoSteps(), 1u);
}

// Showing an opened design writes new texts into the three edit fields, whose change events
// set the document again: that must not sync and render the window again for each of them.
TEST_F(MainWindowHistoryTest, OpeningAProjectShowsItOnceAndTakesOneStep) {
    BannerDocument other;
    other.NewDocument();
    ASSERT_TRUE(other.SetText("Opened"));
    other.NudgeText(-1, 1);
    other.Set(Field("Pattern"), 4);
    const std::string path = SaveProject(other, dir / "opened");
    int shown = 0;
    form->Document().AddChangeListener([&] { ++shown; });
    form->Actions().OpenProjectFile(path);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(form->GlassEdit1->Edit->Text(), "Opened");
    EXPECT_EQ(form->Image1->GetPicture().color, Rendered());
    EXPECT_EQ(form->History().UndoSteps(), 1u);
    Key('Z', kCtrl);
    EXPECT_EQ(form->GlassEdit1->Edit->Text(), "Brannock veskel generator");
}

TEST_F(MainWindowHistoryTest, CopyAndPasteOutsideTheEditFields) {
    form->SetActiveControl(nullptr);
    Key('C', kCtrl);
    EXPECT_EQ(backend.clipboardPicture.color, form->Image1->GetPicture().color);

    // A picture pasted is the overlay picture, as a loaded one; the preview shows it.
    Picture photo(Bitmap(400, 100));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 400; ++x) photo.color.SetPixel(x, y, RGB(std::uint8_t(x), std::uint8_t(y * 2), 90));
    backend.SetClipboardPicture(photo.color);
    const Seen before = Now();
    Key('V', kCtrl);
    EXPECT_TRUE(form->Document().Settings().Overlay());
    EXPECT_EQ(form->Document().Settings().OverlayWidth(), 175);
    EXPECT_EQ(form->Document().Settings().OverlayHeight(), 44);
    EXPECT_EQ(form->Image1->GetPicture().color, Rendered());
    Key('Z', kCtrl);
    EXPECT_TRUE(Now() == before);

    // Text is refused with a message and changes nothing; in an edit field Ctrl+V pastes it.
    backend.SetClipboardText("Hello");
    Key('V', kCtrl);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("The clipboard holds no picture"), std::string::npos);
    EXPECT_TRUE(Now() == before);
    form->GlassEdit1->Edit->SetFocus();
    form->GlassEdit1->Edit->SelectAll();
    Key('V', kCtrl);
    EXPECT_EQ(form->Document().Settings().TextUtf8(), "Hello");
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(MainWindowHistoryTest, DroppedProjectsAndPicturesOpen) {
    BannerDocument other;
    other.NewDocument();
    other.Set(Field("Pattern"), 5);
    ASSERT_TRUE(other.SetText("Dropped"));
    const std::string project = SaveProject(other, dir / "dropped");
    const std::string picture = dir / "pic.png";
    WriteFileAtomic(picture, EncodePng(Bitmap(30, 12)));

    backend.DropFiles(*form, 200, 200, {project});
    EXPECT_EQ(form->GlassEdit1->Edit->Text(), "Dropped");
    EXPECT_EQ(form->Document().Settings().Pattern(), 5);
    EXPECT_EQ(form->Image1->GetPicture().color, Rendered());
    backend.DropFiles(*form, 200, 200, {picture});
    EXPECT_TRUE(form->Document().Settings().Overlay());
    EXPECT_EQ(form->Document().SourcePicture().Width(), 30);
    EXPECT_EQ(form->History().UndoSteps(), 2u);
    backend.DropFiles(*form, 200, 200, {picture, project});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(form->History().UndoSteps(), 2u);
}

}  // namespace
}  // namespace veskel
