// Undo and redo keys, the clipboard, dropped files and the file actions, driven through the
// headless backend on a window bound to the designer's actions, with an edit field that can take
// the focus.
#include "app/DesignerActions.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/codecs/Codecs.h"
#include "platform/ui/Edit.h"
#include "project/ProjectFile.h"
#include "tests/banner/BannerTestUtil.h"
#include "tests/project/TestFiles.h"

namespace veskel {
namespace {

using testing::ScratchDir;
using testing::Snapshot;
using testing::WriteAll;

Picture Stripes(int w, int h) {
    Picture p(Bitmap(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.color.SetPixel(x, y, RGB(std::uint8_t(x * 5), std::uint8_t(y * 9), 40));
    return p;
}

class Window : public Form {
public:
    Window() { SetBounds(0, 0, 300, 100); }
};

struct DesignerActionsTest : ::testing::Test {
    HeadlessBackend backend;
    Application app{backend};
    Window* window = app.CreateForm<Window>();
    Edit* edit = window->CreateOwned<Edit>();
    BannerDocument doc;
    DocumentHistory history{doc};
    OpenDialog openDialog;
    SaveDialog saveDialog, exportDialog;
    DesignerActions actions{app, doc, history, {&openDialog, &saveDialog, &exportDialog, &openDialog}};
    ScratchDir dir;

    DesignerActionsTest() {
        edit->SetBounds(10, 10, 100, 20);
        edit->SetParent(window);
        doc.NewDocument();
        history.Reset();
        BindDesignerActions(*window, actions);
        window->ShowForm();
        saveDialog.OverwritePrompt = exportDialog.OverwritePrompt = true;
    }
    void Key(int key, ShiftState shift) { backend.KeyDown(*window, key, shift); }
    void Change(const std::function<void()>& f) {
        f();
        history.Commit();
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& m : backend.messageBoxes) out.push_back(m.text);
        return out;
    }
};

TEST_F(DesignerActionsTest, UndoAndRedoKeysWorkWhereverTheFocusIs) {
    const Snapshot start(doc);
    Change([&] { doc.Set(Field("Glow"), false); });
    const Snapshot noGlow(doc);
    Change([&] { doc.Set(Field("Pattern"), 1); });
    const Snapshot pattern(doc);

    Key('Z', kCtrl);
    EXPECT_TRUE(Snapshot(doc) == noGlow);
    Key('Z', kCtrl);
    EXPECT_TRUE(Snapshot(doc) == start);
    Key('Y', kCtrl);
    EXPECT_TRUE(Snapshot(doc) == noGlow);
    Key('Z', kCtrl | kShift);
    EXPECT_TRUE(Snapshot(doc) == pattern);

    // In the edit field too: it has no undo of its own, and its typing is a step of the design.
    edit->SetFocus();
    edit->SetText("abc");
    Key('Z', kCtrl);
    EXPECT_TRUE(Snapshot(doc) == noGlow);
    EXPECT_EQ(edit->Text(), "abc");
    // Other chords pass to the focused control untouched.
    Key('Z', kCtrl | kAlt);
    Key('Z', 0);
    EXPECT_TRUE(Snapshot(doc) == noGlow);
    EXPECT_TRUE(backend.messageBoxes.empty());
}

TEST_F(DesignerActionsTest, CopyPutsTheBannerOnTheClipboardOutsideAnEditField) {
    doc.Set(Field("Color1"), RGB(1, 2, 3));
    for (auto [key, shift] : {std::pair{int('C'), kCtrl}, {int(kKeyInsert), kCtrl}}) {
        backend.SetClipboardText("old");
        Key(key, shift);
        EXPECT_EQ(backend.clipboardPicture.color, doc.BannerImage());
        EXPECT_FALSE(backend.clipboardPicture.HasAlpha());
        EXPECT_EQ(backend.clipboard, "");
    }
    // In the edit field Ctrl+C copies its selected text.
    edit->SetFocus();
    edit->SetText("hello");
    edit->SelectAll();
    Key('C', kCtrl);
    EXPECT_EQ(backend.clipboard, "hello");
    EXPECT_TRUE(backend.clipboardPicture.IsEmpty());
}

TEST_F(DesignerActionsTest, PasteTakesAPictureAsALoadedOneInOneStep) {
    const Snapshot start(doc);
    const Picture wide = Stripes(400, 100);
    backend.SetClipboardPicture(wide.color);
    Key('V', kCtrl);
    EXPECT_TRUE(backend.messageBoxes.empty());

    BannerDocument loaded;
    loaded.NewDocument();
    loaded.LoadOverlayPictureFromBytes("wide.bmp", EncodeBmp(wide.color));
    EXPECT_TRUE(Snapshot(doc) == Snapshot(loaded)) << "fitted and faded exactly as a loaded picture";
    EXPECT_EQ(doc.Settings().OverlayWidth(), 175);
    EXPECT_EQ(history.UndoSteps(), 1u);
    Key('Z', kCtrl);
    EXPECT_TRUE(Snapshot(doc) == start);

    // A picture with transparency keeps it, as a loaded PNG does.
    Picture clear = Stripes(30, 10);
    clear.EnsureAlpha(40);
    clear.hasTransparency = true;
    backend.clipboardPicture = clear;
    Key(kKeyInsert, kShift);
    EXPECT_EQ(doc.SourcePicture(), clear);
}

TEST_F(DesignerActionsTest, PasteRefusesAnythingButAPictureAndLeavesTheDesign) {
    const Snapshot start(doc);
    backend.SetClipboardText("not a picture");
    Key('V', kCtrl);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("The clipboard holds no picture"), std::string::npos);
    EXPECT_TRUE(Snapshot(doc) == start);
    EXPECT_EQ(history.UndoSteps(), 0u);

    // In the edit field Ctrl+V pastes the text.
    edit->SetFocus();
    Key('V', kCtrl);
    EXPECT_EQ(edit->Text(), "not a picture");
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(DesignerActionsTest, DroppedFilesOpenAsTheirOperationsWould) {
    // A project with its own picture, a picture, and a project whose picture breaks off.
    WriteAll(dir / "pic.png", EncodePng(Stripes(260, 40)));
    BannerDocument other;
    other.NewDocument();
    other.LoadOverlayPicture(dir / "pic.png");
    other.Set(Field("Pattern"), 4);
    const std::string project = SaveProject(other, dir / "design");
    other.Set(Field("Border"), false);
    std::vector<std::uint8_t> damaged = testing::ReadAll(SaveProject(other, dir / "damaged"));
    damaged.resize(BannerSettings::kSize + 30);
    WriteAll(dir / "damaged.vzk", damaged);
    WriteAll(dir / "small.bmp", EncodeBmp(Stripes(8, 4).color));

    const Snapshot start(doc);
    backend.DropFiles(*window, 50, 50, {project});
    BannerDocument opened;
    opened.NewDocument();
    OpenProject(opened, project);
    EXPECT_TRUE(Snapshot(doc) == Snapshot(opened));

    backend.DropFiles(*window, 50, 50, {dir / "small.bmp"});
    BannerDocument reference = BannerDocument();
    reference.NewDocument();
    OpenProject(reference, project);
    reference.LoadOverlayPicture(dir / "small.bmp");
    EXPECT_TRUE(Snapshot(doc) == Snapshot(reference));
    const Snapshot afterPicture(doc);

    // Refused: several files, and the damaged project (which takes nothing).
    backend.DropFiles(*window, 50, 50, {project, dir / "small.bmp"});
    EXPECT_TRUE(Snapshot(doc) == afterPicture);
    backend.messageBoxAnswers.push_back(kIdNo);  // save changes? No
    backend.DropFiles(*window, 50, 50, {dir / "damaged.vzk"});
    ASSERT_EQ(Messages().size(), 3u);
    EXPECT_NE(Messages()[0].find("Drop one file at a time"), std::string::npos);
    EXPECT_EQ(Messages()[1], kSaveChangesQuestion);
    EXPECT_EQ(Messages()[2].rfind("Не удается открыть файл \"" + (dir / "damaged.vzk") + "\".", 0), 0u) << Messages()[2];
    EXPECT_TRUE(Snapshot(doc) == afterPicture);

    EXPECT_EQ(history.UndoSteps(), 2u);
    Key('Z', kCtrl);
    Key('Z', kCtrl);
    EXPECT_TRUE(Snapshot(doc) == start);
}

// A named pipe that nobody writes into, dropped as a picture or as a project, is refused at once
// with a message and the design stays: the window's thread never waits for a writer.
TEST_F(DesignerActionsTest, ASilentNamedPipeIsRefusedWithoutWaiting) {
    using namespace std::chrono_literals;
    const Snapshot start(doc);
    for (const char* name : {"silent.png", "silent.vzk"}) {
        const std::string pipe = dir / name;
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        std::atomic<bool> done{false}, rescued{false};
        // Should the open wait after all, a writer comes and goes after a while, so the test ends.
        std::thread rescue([&] {
            for (int i = 0; i < 100 && !done; ++i) std::this_thread::sleep_for(50ms);
            if (!done) rescued = true, ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
        });
        backend.DropFiles(*window, 50, 50, {pipe});
        done = true;
        rescue.join();
        EXPECT_FALSE(rescued) << name << " waited for a writer";
    }
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_TRUE(Snapshot(doc) == start);
}

// Unsaved work is let go (New, Open, a dropped project, Ctrl+Q) only after "save changes?": Cancel
// keeps it, No lets it go, Yes saves first, and a cancelled save keeps it too.
TEST_F(DesignerActionsTest, UnsavedWorkIsLetGoOnlyAfterTheQuestion) {
    BannerDocument other;
    other.NewDocument();
    other.Set(Field("Pattern"), 4);
    const std::string project = SaveProject(other, dir / "other");
    struct Case {
        const char* name;
        std::function<void()> action;
        int answer;
        bool letGo;  // the design was replaced or the window closed (after saving, for a yes)
    };
    const Case cases[] = {
        {"New, Cancel", [&] { Key('N', kCtrl); }, kIdCancel, false},
        {"New, Yes, save cancelled", [&] { Key('N', kCtrl); }, kIdYes, false},
        {"New, No", [&] { Key('N', kCtrl); }, kIdNo, true},
        {"Open, Yes", [&] { backend.fileDialogAnswers.push_back(FileDialogResult{project, 1}); Key('O', kCtrl); }, kIdYes, true},
        {"Drop, Cancel", [&] { backend.DropFiles(*window, 5, 5, {project}); }, kIdCancel, false},
        {"Close, Cancel", [&] { Key('Q', kCtrl); }, kIdCancel, false},
        {"Close, Yes", [&] { Key('Q', kCtrl); }, kIdYes, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        backend.messageBoxAnswers = {kIdNo};  // a new, unmodified design to start from
        actions.NewDesign();
        backend.messageBoxAnswers.clear();
        Change([&] { doc.Set(Field("Glow"), !doc.Settings().Glow()); });
        const Snapshot before(doc);
        const bool glow = doc.Settings().Glow();
        const std::string saved = dir / (std::string("saved ") + c.name);
        backend.messageBoxAnswers.push_back(c.answer);
        const bool saves = c.answer == kIdYes && c.letGo;
        if (c.answer == kIdYes) backend.fileDialogAnswers.push_back(saves ? std::optional(FileDialogResult{saved, 1}) : std::nullopt);
        c.action();
        ASSERT_EQ(backend.messageBoxes.back().text, kSaveChangesQuestion);
        EXPECT_EQ(backend.messageBoxes.back().flags & 0xF, unsigned(kMbYesNoCancel));
        EXPECT_EQ(!c.letGo, Snapshot(doc) == before && actions.Modified() && window->IsShown());
        if (saves) {
            BannerSettings file;
            file.OverwriteLeading(testing::ReadAll(saved + ".vzk"));
            EXPECT_EQ(file.Glow(), glow);
        }
        window->ShowForm();
    }
    // The project opened is the current file: the title names it, marked once the design changes;
    // it went to the desktop's recent files, opened under the busy cursor.
    EXPECT_EQ(backend.recentFiles.back().path, dir / "saved Close, Yes.vzk");
    ASSERT_EQ(backend.recentFiles.size(), 3u);  // saved, opened, saved
    EXPECT_EQ(backend.recentFiles[1].path, project);
    EXPECT_EQ(backend.recentFiles[1].mimeType, kProjectMimeType);
    EXPECT_EQ(actions.WindowTitle(), "saved Close, Yes.vzk — Veskel");
    Change([&] { doc.Set(Field("Pattern"), 1); });
    EXPECT_EQ(actions.WindowTitle(), "*saved Close, Yes.vzk — Veskel");
    EXPECT_NE(std::find(backend.cursorsAtPendingPaints.begin(), backend.cursorsAtPendingPaints.end(), kCrHourGlass),
              backend.cursorsAtPendingPaints.end());
    EXPECT_EQ(backend.CursorOf(*window).id, kCrDefault);
    // Ctrl+S saves to the current file without a dialog; Ctrl+Shift+S asks for a name.
    const std::size_t dialogs = backend.fileDialogs.size();
    Key('S', kCtrl);
    EXPECT_EQ(backend.fileDialogs.size(), dialogs);
    EXPECT_FALSE(actions.Modified());
    Key('S', kCtrl | kShift);
    Key('E', kCtrl);
    ASSERT_EQ(backend.fileDialogs.size(), dialogs + 2);
    EXPECT_TRUE(backend.fileDialogs[dialogs].save);
}

}  // namespace
}  // namespace veskel
