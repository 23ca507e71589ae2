#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../components/GoldenCheck.h"
#include "tests/app/DesignerFixture.h"
#include "Components/ColorBox/ColorBox.h"
#include "Components/GlassCheckBox/GlassCheckBox.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassHeader/GlassHeader.h"
#include "Components/GlassListBox/GlassListBox.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "Components/TestPanel/TestPanel.h"
#include "app/Form2.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"
#include "platform/ui/Edit.h"
#include "platform/ui/HintWindow.h"
#include "platform/ui/StockControls.h"
#include "project/Export.h"
#include "project/ProjectFile.h"

namespace veskel {
namespace {

struct MainWindowTest : testing::DesignerFixture {
    // The preview must always show what the renderer makes of the window's settings.
    void ExpectPreviewFollowsSettings() {
        BannerDocument fresh;
        fresh.Settings() = form->Document().Settings();
        if (!form->Document().SourcePicture().IsEmpty()) {
            // The overlay pictures are the window's own; compare with its latest render instead.
            EXPECT_EQ(form->Image1->GetPicture().color, form->Document().BannerImage());
            return;
        }
        EXPECT_EQ(form->Image1->GetPicture().color, fresh.RenderBanner());
    }
    std::string Temp(const std::string& name) {
        const auto dir = std::filesystem::temp_directory_path() / "veskel-mainwindow-test";
        std::filesystem::create_directories(dir);
        return (dir / name).string();
    }
};

// ---------------------------------------------------------------- the stored layout

TEST_F(MainWindowTest, EveryControlAtItsPlace) {
    EXPECT_EQ(form->Caption(), "Без имени — Veskel");  // the task bar title of a design without a file
    EXPECT_TRUE(form->Frameless());
    EXPECT_EQ(form->Width(), 462);
    EXPECT_EQ(form->Height(), 480);
    EXPECT_EQ(form->Position(), FormPosition::ScreenCenter);
    struct Place {
        const char* name;
        const char* cls;
        const char* parent;
        Rect r;  // left, top, right, bottom in the parent; right < 0: size not checked
    };
    const Place places[] = {
        {"Image2", "TImage", "Form1", {0, 0, 462, 480}},
        {"GlassHeader1", "TGlassHeader", "Form1", {12, 13, 457, 36}},
        {"TestPanel1", "TTestPanel", "Form1", {28, 52, 428, 352}},
        {"Label6", "TLabel", "Form1", {36, 364, -1, -1}},
        {"Image3", "TImage", "Form1", {28, 384, 428, 432}},
        {"Image1", "TImage", "Form1", {53, 398, 403, 418}},
        {"AALabel2", "TAALabel", "Form1", {50, 436, -1, -1}},
        {"AALabel1", "TAALabel", "Form1", {245, 436, -1, -1}},
        {"AALabel5", "TAALabel", "Form1", {70, 452, -1, -1}},
        {"AALabel4", "TAALabel", "Form1", {245, 452, -1, -1}},
        {"GLeaf1", "TGLeaf", "TestPanel1", {0, 20, 400, 300}},
        {"Label1", "TLabel", "GLeaf1", {8, 12, -1, -1}},
        {"GlassEdit1", "TGlassEdit", "GLeaf1", {8, 28, 397, 46}},
        {"PulseButton2", "TPulseButton", "GLeaf1", {58, 78, 83, 119}},
        {"PulseButton1", "TPulseButton", "GLeaf1", {20, 116, 61, 141}},
        {"PulseButton4", "TPulseButton", "GLeaf1", {79, 116, 120, 141}},
        {"PulseButton3", "TPulseButton", "GLeaf1", {58, 136, 83, 177}},
        {"GlassEdit2", "TGlassEdit", "GLeaf1", {250, 84, 330, 102}},
        {"SmallGlassButton1", "TSmallGlassButton", "GLeaf1", {334, 84, 363, 102}},
        {"SmallGlassButton2", "TSmallGlassButton", "GLeaf1", {362, 84, 391, 102}},
        {"GlassEdit3", "TGlassEdit", "GLeaf1", {250, 112, 330, 130}},
        {"SmallGlassButton3", "TSmallGlassButton", "GLeaf1", {334, 112, 363, 130}},
        {"SmallGlassButton4", "TSmallGlassButton", "GLeaf1", {362, 112, 391, 130}},
        {"GlassButton4", "TGlassButton", "GLeaf1", {300, 144, 391, 169}},
        {"ClrBox1", "TClrBox", "GLeaf1", {144, 220, 163, 238}},
        {"GlassButton1", "TGlassButton", "GLeaf1", {176, 216, 267, 241}},
        {"ClrBox2", "TClrBox", "GLeaf1", {144, 255, 163, 273}},
        {"GlassButton2", "TGlassButton", "GLeaf1", {176, 252, 267, 277}},
        {"GlassButton3", "TGlassButton", "GLeaf1", {300, 236, 391, 261}},
        {"GlassCheckBox2", "TGlassCheckBox", "GLeaf1", {12, 240, 132, 255}},
        {"GLeaf2", "TGLeaf", "TestPanel1", {0, 20, 400, 300}},
        {"GlassSlider1", "TGlassSlider", "GLeaf2", {5, 32, 185, 57}},
        {"Panel2", "TPanel", "GLeaf2", {12, 68, 183, 178}},
        {"GlassListBox1", "TGlassListBox", "Panel2", {1, 1, 170, 109}},
        {"GlassSlider2", "TGlassSlider", "GLeaf2", {209, 32, 389, 61}},
        {"Panel1", "TPanel", "GLeaf2", {216, 68, 387, 178}},
        {"GlassListBox2", "TGlassListBox", "Panel1", {1, 1, 170, 109}},
        {"GlassCheckBox1", "TGlassCheckBox", "GLeaf2", {28, 220, 153, 237}},
        {"ClrBox3", "TClrBox", "GLeaf2", {153, 220, 173, 238}},
        {"GlassCheckBox3", "TGlassCheckBox", "GLeaf2", {28, 248, 208, 263}},
        {"GLeaf3", "TGLeaf", "TestPanel1", {0, 20, 400, 300}},
        {"GlassButton8", "TGlassButton", "GLeaf3", {16, 32, -1, -1}},
        {"GlassSlider4", "TGlassSlider", "GLeaf3", {160, 40, 373, 65}},
        {"GlassCheckBox4", "TGlassCheckBox", "GLeaf3", {16, 72, -1, -1}},
        {"PulseButton5", "TPulseButton", "GLeaf3", {82, 126, -1, -1}},
        {"PulseButton6", "TPulseButton", "GLeaf3", {44, 164, -1, -1}},
        {"PulseButton8", "TPulseButton", "GLeaf3", {103, 164, -1, -1}},
        {"PulseButton7", "TPulseButton", "GLeaf3", {82, 184, -1, -1}},
        {"GlassButton11", "TGlassButton", "GLeaf3", {100, 240, -1, -1}},
        {"PulseButton9", "TPulseButton", "GLeaf3", {282, 126, -1, -1}},
        {"PulseButton10", "TPulseButton", "GLeaf3", {244, 164, -1, -1}},
        {"PulseButton12", "TPulseButton", "GLeaf3", {303, 164, -1, -1}},
        {"PulseButton11", "TPulseButton", "GLeaf3", {282, 184, -1, -1}},
        {"PulseButton15", "TPulseButton", "GLeaf3", {250, 132, 282, 164}},
        {"PulseButton13", "TPulseButton", "GLeaf3", {304, 132, 336, 164}},
        {"PulseButton16", "TPulseButton", "GLeaf3", {250, 186, 282, 218}},
        {"PulseButton14", "TPulseButton", "GLeaf3", {304, 186, 336, 218}},
        {"GlassButton9", "TGlassButton", "GLeaf3", {300, 240, -1, -1}},
        {"GLeaf4", "TGLeaf", "TestPanel1", {0, 20, 400, 300}},
        {"GlassButton5", "TGlassButton", "GLeaf4", {32, 36, 123, 61}},
        {"GlassButton6", "TGlassButton", "GLeaf4", {32, 76, 123, 101}},
        {"GlassButton7", "TGlassButton", "GLeaf4", {32, 116, 123, 141}},
        {"GlassButton10", "TGlassButton", "GLeaf4", {32, 180, 123, 205}},
        {"Label15", "TLabel", "GLeaf4", {144, 188, -1, -1}},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        const Control* c = form->FindComponent(p.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->ClassName(), p.cls);
        ASSERT_NE(c->Parent(), nullptr);
        EXPECT_EQ(c->Parent()->Name(), p.parent);
        EXPECT_EQ(c->Left(), p.r.left);
        EXPECT_EQ(c->Top(), p.r.top);
        if (p.r.right >= 0) {
            EXPECT_EQ(c->BoundsRect(), p.r);
        }
    }
    // Pages in order with their tabs; every page grey 232 under a grey-224 striped background.
    const char* captions[] = {"Text & Colors", "Effects", "Overlay Image", "Save & Open"};
    const int widths[] = {76, 54, 94, 84};
    ASSERT_EQ(form->TestPanel1->PageCount(), 4);
    for (int i = 0; i < 4; ++i) {
        TGLeaf* page = form->TestPanel1->Page(i);
        EXPECT_EQ(page->Caption(), captions[i]);
        EXPECT_EQ(page->LeafWidth(), widths[i]);
        EXPECT_EQ(page->GetColor(), RGB(232, 232, 232));
        EXPECT_TRUE(page->LeafImage().IsEmpty());
        EXPECT_EQ(page->Children().front()->ClassName(), "TQorBackground");
        EXPECT_EQ(page->Visible(), i == 0);
    }
    EXPECT_EQ(form->TestPanel1->LeafHeight(), 20);
    EXPECT_EQ(form->TestPanel1->Cursor(), kCrHandPoint);
    EXPECT_EQ(form->TestPanel1->GetFont().family, "Tahoma");
    EXPECT_EQ(form->TestPanel1->GetFont().color, kBlack);
    EXPECT_FALSE(form->TestPanel1->GetFont().bold);
    EXPECT_EQ(form->GlassHeader1->Caption(), "Brannock Veskel generator v2.2 (free)");
    EXPECT_TRUE(form->GlassHeader1->ShowClose());
    EXPECT_FALSE(form->GlassHeader1->ShowMax());
    EXPECT_FALSE(form->GlassHeader1->ShowMin());
    EXPECT_EQ(form->GlassHeader1->GetAlign(), Align::None);
    EXPECT_EQ(form->GlassSlider1->Max(), 99);
    EXPECT_EQ(form->GlassSlider2->Max(), 99);
    EXPECT_EQ(form->GlassSlider4->Max(), 200);
    EXPECT_EQ(form->GlassListBox1->ItemHeight(), 18);
    EXPECT_TRUE(form->ClrBox1->SingleColor());
    EXPECT_FALSE(form->ClrBox1->OpenAtClick());
    // Links end in the query the hosts count visits by.
    for (const char* link : {"AALabel1", "AALabel4"}) EXPECT_TRUE(form->FindComponent(link)->Caption().ends_with("?veskel=1"));
    // The dialogs.
    EXPECT_EQ(form->OpenDialog1->Dialog().Filter, kProjectFilter);
    EXPECT_FALSE(form->OpenDialog1->Dialog().OverwritePrompt);
    EXPECT_EQ(form->SaveDialog1->Dialog().Filter, kProjectFilter);
    EXPECT_TRUE(form->SaveDialog1->Dialog().OverwritePrompt);
    EXPECT_TRUE(form->SaveDialog1->Dialog().HideReadOnly);
    EXPECT_TRUE(form->OpenPictureDialog1->Dialog().PicturePreview);
    EXPECT_EQ(form->OpenPictureDialog1->Dialog().Filter, PictureOpenFilter());  // the stored text is the table's
    EXPECT_EQ(form->SavePictureDialog1->Dialog().Filter, kExportFilter);
    EXPECT_TRUE(form->SavePictureDialog1->Dialog().OverwritePrompt);
    EXPECT_TRUE(form->SavePictureDialog1->Dialog().PicturePreview);
}

TEST_F(MainWindowTest, StartUp) {
    // The default banner, exactly as the command-line renderer's reviewed image.
    const Picture golden = DecodePng(ReadFileBytes(std::string(VESKEL_SOURCE_DIR) + "/tests/golden/banner/default.png"));
    EXPECT_EQ(form->Image1->GetPicture().color, golden.color);
    EXPECT_NE(form->BannerFontHandle(), 0);
    // The lists hold the names, the first page is shown, the secondary form exists hidden.
    EXPECT_EQ(form->GlassListBox1->Count(), 6);
    EXPECT_EQ(form->GlassListBox2->Item(5).Caption(), "Ellipse top");
    EXPECT_EQ(form->GlassListBox2->Item(5).Info(), "5");
    EXPECT_EQ(form->TestPanel1->ActivePage(), 0);
    EXPECT_EQ(form->TestPanel1->VisiblePage(), 0);
    ASSERT_EQ(app.Forms().size(), 2u);
    EXPECT_EQ(app.MainForm(), form);
    EXPECT_EQ(app.Forms()[1]->ClassName(), "TForm2");
    EXPECT_FALSE(app.Forms()[1]->IsShown());
    // The controls show the settings.
    EXPECT_EQ(form->GlassEdit1->Edit->Text(), "Brannock veskel generator");
    EXPECT_EQ(form->GlassEdit2->Edit->Text(), std::to_string(form->Document().Settings().TextX()));
    EXPECT_EQ(form->ClrBox1->ForeColor(), form->Document().Settings().Color1());
}

TEST_F(MainWindowTest, EachPageMatchesItsReviewedImage) {
    ExpectEveryPage("mainwindow");
}

// ---------------------------------------------------------------- editing

TEST_F(MainWindowTest, TextFieldsDriveThePreview) {
    form->GlassEdit1->Edit->SetFocus();
    form->GlassEdit1->Edit->SelectAll();
    backend.TypeText(*form, "Привет, world");
    EXPECT_EQ(form->Document().Settings().TextUtf8(), "Привет, world");
    ExpectPreviewFollowsSettings();
    // A character outside the banner's code page is refused: the setting and the preview stay,
    // and a hint below the field says why.
    backend.TypeText(*form, "\u4e2d");
    EXPECT_EQ(form->Document().Settings().TextUtf8(), "Привет, world");
    ExpectPreviewFollowsSettings();
    auto* hint = dynamic_cast<HintWindow*>(form->Owned().back());
    ASSERT_TRUE(hint && hint->IsShown() && hint->Top() == form->GlassEdit1->ClientToScreen({0, 18}).y);
    EXPECT_EQ(hint->Text(), "The banner font cannot show this text: the character \"\u4e2d\" (U+4E2D) cannot be "
                            "stored in the banner's code page (Windows-1251)");
    backend.AdvanceClock(6000);
    EXPECT_FALSE(hint->IsShown());

    // The X field takes digits; a letter is put back at once.
    form->GlassEdit2->Edit->SetFocus();
    form->GlassEdit2->Edit->SelectAll();
    backend.TypeText(*form, "40");
    EXPECT_EQ(form->Document().Settings().TextX(), 40);
    backend.TypeText(*form, "a");
    EXPECT_EQ(form->Document().Settings().TextX(), 40);
    EXPECT_EQ(form->GlassEdit2->Edit->Text(), "40");
    ExpectPreviewFollowsSettings();
}

// A field being typed into shows what is stored, without fighting the typing: letters past the
// widest text are given back, and a cleared number field takes "15" as 15, caret at the end.
TEST_F(MainWindowTest, FieldsShowTheStoredValueWhileTyping) {
    Edit& text = *form->GlassEdit1->Edit;
    text.SetFocus();
    const int before = text.CharCount();
    text.SetSelection(before, 0);
    for (int i = 0; i < 60; ++i) backend.TypeText(*form, "B");
    EXPECT_EQ(text.Text(), form->Document().Settings().TextUtf8());
    EXPECT_LT(text.CharCount(), before + 60);
    EXPECT_EQ(text.CaretPosition(), text.CharCount());

    Edit& x = *form->GlassEdit2->Edit;
    x.SetFocus();
    x.SelectAll();
    backend.KeyDown(*form, kKeyDelete);
    EXPECT_EQ(x.Text(), "");
    for (const char* key : {"1", "5"}) backend.TypeText(*form, key);
    EXPECT_EQ(x.Text(), "15");
    EXPECT_EQ(form->Document().Settings().TextX(), 15);
    EXPECT_EQ(x.CaretPosition(), 2);
    backend.KeyDown(*form, kKeyBack);
    backend.KeyDown(*form, kKeyBack);
    form->GlassEdit3->Edit->SetFocus();  // left empty: it shows the 0 it stands for
    EXPECT_EQ(x.Text(), "0");
}

TEST_F(MainWindowTest, ArrowAndPlusMinusButtonsNudgeWithAutoRepeat) {
    const int x0 = form->Document().Settings().TextX(), y0 = form->Document().Settings().TextY();
    ClickOn("PulseButton4");
    ClickOn("SmallGlassButton1");
    ClickOn("PulseButton3");
    EXPECT_EQ(form->Document().Settings().TextX(), x0 + 2);
    EXPECT_EQ(form->Document().Settings().TextY(), y0 + 1);
    // Holding the left arrow: one step at the press... then every 20 ms after 400 ms.
    const Point p = At("PulseButton1");
    backend.MouseMove(*form, p.x, p.y);
    backend.MouseDown(*form, p.x, p.y);
    backend.AdvanceClock(400 + 5 * 20);
    backend.MouseUp(*form, p.x, p.y);
    const int moved = x0 + 2 - form->Document().Settings().TextX();
    EXPECT_GE(moved, 6);
    EXPECT_EQ(form->GlassEdit2->Edit->Text(), std::to_string(form->Document().Settings().TextX()));
    ExpectPreviewFollowsSettings();
    ClickOn("GlassButton4");  // Reset
    EXPECT_EQ(form->Document().Settings().TextY(), 5);
}

TEST_F(MainWindowTest, EffectsPage) {
    ShowPage(1);
    EXPECT_TRUE(form->FindComponent("GLeaf2")->Visible());
    // Pick entries in both lists.
    backend.Click(*form, At("GlassListBox1").x, At("GlassListBox1", -1, 18 * 3 + 5).y);
    EXPECT_EQ(form->Document().Settings().Pattern(), 3);
    backend.Click(*form, At("GlassListBox2").x, At("GlassListBox2", -1, 18 * 1 + 5).y);
    EXPECT_EQ(form->Document().Settings().MirrorPattern(), 1);
    ExpectPreviewFollowsSettings();
    // Drag a slider and pause: the setting follows at the rest, not before.
    const int before = form->Document().Settings().PatternStrength();
    const Point s = At("GlassSlider1", 10, 12);
    backend.MouseDown(*form, s.x, s.y);
    backend.MouseMove(*form, s.x + 120, s.y);
    EXPECT_EQ(form->Document().Settings().PatternStrength(), before);
    backend.AdvanceClock(60);
    EXPECT_EQ(form->Document().Settings().PatternStrength(), form->GlassSlider1->Value());
    EXPECT_NE(form->GlassSlider1->Value(), before);
    backend.MouseUp(*form, s.x + 120, s.y);
    ExpectPreviewFollowsSettings();
    // A rest on the value the slider already holds changes nothing, yet snaps the thumb to it:
    // 95 of 99 sits at 155; a press at 165 means 95 too but leaves the thumb at 156.
    form->Document().Set(Field("PatternStrength"), 95);
    const Point at95 = At("GlassSlider1", 165, 12);
    backend.MouseDown(*form, at95.x, at95.y);
    backend.AdvanceClock(60);
    backend.MouseUp(*form, at95.x, at95.y);
    EXPECT_EQ(form->GlassSlider1->ThumbPos(), 155);
    // Check boxes.
    const bool glow = form->Document().Settings().Glow(), border = form->Document().Settings().Border();
    ClickOn("GlassCheckBox3");
    ClickOn("GlassCheckBox1");
    EXPECT_NE(form->Document().Settings().Glow(), glow);
    EXPECT_NE(form->Document().Settings().Border(), border);
    ExpectPreviewFollowsSettings();
}

TEST_F(MainWindowTest, ProjectSaveNewOpenGivesTheSamePreview) {
    form->GlassEdit1->Edit->SetText("Round trip");
    ClickOn("GlassButton3");  // Swap
    const Bitmap designed = form->Image1->GetPicture().color;
    ShowPage(3);
    const std::string path = Temp("design");
    std::filesystem::remove(path + ".vzk");
    backend.fileDialogAnswers.push_back(FileDialogResult{path, 1});
    ClickOn("GlassButton7");
    ASSERT_TRUE(std::filesystem::exists(path + ".vzk"));
    // The window asks about the file it writes (which may carry an appended extension), so the
    // dialog does not ask about the name as typed.
    EXPECT_FALSE(backend.fileDialogs.back().overwritePrompt);
    ClickOn("GlassButton5");  // New
    EXPECT_NE(form->Image1->GetPicture().color, designed);
    backend.fileDialogAnswers.push_back(FileDialogResult{path + ".vzk", 1});
    ClickOn("GlassButton6");
    EXPECT_EQ(form->Image1->GetPicture().color, designed);
    EXPECT_EQ(form->GlassEdit1->Edit->Text(), "Round trip");
    EXPECT_TRUE(errors.empty());
}

TEST_F(MainWindowTest, ExportInEveryFormatAndErrorsInAMessageBox) {
    ShowPage(3);
    const char* ext[] = {".png", ".jpg", ".gif", ".bmp"};
    for (int i = 1; i <= 4; ++i) {
        const std::string path = Temp("export") + ext[i - 1];
        std::filesystem::remove(path);  // a file left by an earlier run would need a yes to be replaced
        backend.fileDialogAnswers.push_back(FileDialogResult{Temp("export"), i});
        ClickOn("GlassButton10");
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
        const Picture back = i == 1 ? DecodePng(bytes) : i == 2 ? DecodeJpeg(bytes) : i == 3 ? DecodeGif(bytes) : DecodeBmp(bytes);
        EXPECT_EQ(back.Width(), 350);
        EXPECT_EQ(back.Height(), 20);
        if (i == 1 || i == 4) {
            EXPECT_EQ(back.color, form->Document().BannerImage());
        }
    }
    // A file that is not a project: the message is shown and the window goes on as it was.
    const Bitmap before = form->Image1->GetPicture().color;
    backend.fileDialogAnswers.push_back(FileDialogResult{Temp("missing.vzk"), 1});
    ClickOn("GlassButton6");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("missing.vzk"), std::string::npos);
    EXPECT_EQ(form->Image1->GetPicture().color, before);
    ClickOn("GlassButton5");
    EXPECT_EQ(errors.size(), 1u);
}

// The dialog asks about the name typed; a file already there under the longer name that saving
// writes is replaced only after a yes.
TEST_F(MainWindowTest, AFileUnderTheNameWrittenIsReplacedOnlyAfterAYes) {
    ShowPage(3);
    const std::string chosen = Temp("kept");
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    struct Case {
        const char* button;
        int filterIndex;
        std::string written;
    };
    const Case cases[] = {{"GlassButton10", 1, chosen + ".png"}, {"GlassButton10", 4, chosen + ".bmp"},
                          {"GlassButton7", 1, chosen + ".vzk"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        WriteFileAtomic(c.written, old);
        backend.fileDialogAnswers.push_back(FileDialogResult{chosen, c.filterIndex});
        backend.messageBoxAnswers.push_back(kIdNo);
        const std::size_t asked = backend.messageBoxes.size();
        ClickOn(c.button);
        ASSERT_EQ(backend.messageBoxes.size(), asked + 1);
        EXPECT_NE(backend.messageBoxes.back().text.find(c.written), std::string::npos);
        EXPECT_EQ(backend.messageBoxes.back().flags & 0xF, unsigned(kMbYesNo));
        EXPECT_EQ(ReadFileBytes(c.written), old);

        backend.fileDialogAnswers.push_back(FileDialogResult{chosen, c.filterIndex});
        backend.messageBoxAnswers.push_back(kIdYes);
        ClickOn(c.button);
        EXPECT_NE(ReadFileBytes(c.written), old);
        std::filesystem::remove(c.written);
    }
    EXPECT_EQ(form->Document().Settings().ProjectName(), "kept");
    // No question for a new file; a name typed with its extension is written as typed, and the
    // question names it.
    std::filesystem::remove(chosen + ".jpg");
    const std::size_t asked = backend.messageBoxes.size();
    backend.fileDialogAnswers.push_back(FileDialogResult{chosen, 2});
    ClickOn("GlassButton10");
    EXPECT_TRUE(std::filesystem::exists(chosen + ".jpg"));
    backend.fileDialogAnswers.push_back(FileDialogResult{chosen + ".vzk", 1});
    ClickOn("GlassButton7");
    EXPECT_EQ(backend.messageBoxes.size(), asked);
    backend.fileDialogAnswers.push_back(FileDialogResult{chosen + ".jpg", 2});
    backend.messageBoxAnswers.push_back(kIdYes);
    ClickOn("GlassButton10");
    ASSERT_EQ(backend.messageBoxes.size(), asked + 1);
    EXPECT_NE(backend.messageBoxes.back().text.find("\"" + chosen + ".jpg\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(chosen + ".jpg.jpg"));
    EXPECT_TRUE(errors.empty());
    std::filesystem::remove(chosen + ".jpg");
    std::filesystem::remove(chosen + ".vzk");
}

TEST_F(MainWindowTest, OverlayPictureLoadsMovesAndResizes) {
    ShowPage(2);
    Bitmap pic(40, 10);
    pic.Fill(RGB(200, 30, 30));
    const std::string path = Temp("overlay.png");
    WriteFileAtomic(path, EncodePng(pic));
    backend.fileDialogAnswers.push_back(FileDialogResult{path, 2});
    ClickOn("GlassButton8");
    ASSERT_TRUE(errors.empty()) << errors.front();
    const BannerSettings& s = form->Document().Settings();
    EXPECT_TRUE(s.Overlay());
    EXPECT_TRUE(form->GlassCheckBox4->Checked());
    EXPECT_TRUE(backend.fileDialogs.back().picturePreview);
    const int x = s.OverlayX(), w = s.OverlayWidth();
    ClickOn("PulseButton8");
    ClickOn("PulseButton12");
    EXPECT_EQ(s.OverlayX(), x + 1);
    EXPECT_EQ(s.OverlayWidth(), w + 1);
    ClickOn("PulseButton15");  // top-left corner: grows and moves
    EXPECT_EQ(s.OverlayX(), x);
    EXPECT_EQ(s.OverlayWidth(), w + 2);
    ExpectPreviewFollowsSettings();
    ClickOn("GlassButton9");  // size reset
    EXPECT_EQ(s.OverlayWidth(), 40);
}

TEST_F(MainWindowTest, TitleBarClosesTheWindowAndTheFontGoes) {
    const Point close{12 + 445 - 3 - 9, 13 + 12};
    backend.MouseMove(*form, close.x, close.y);
    backend.Click(*form, close.x, close.y);
    EXPECT_TRUE(app.Terminated());
}

}  // namespace
}  // namespace veskel
