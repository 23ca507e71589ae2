#pragma once
// What the designer does beyond its controls: the project and export files with their dialogs
// and the current file, undo and redo, the clipboard, files dropped onto the window. It works on
// the document, its history and the Application (dialogs, clipboard, message boxes), so it runs
// and is tested without a window; the main window hands it its buttons, keys, drops and close.
//
// A design that differs from the one last saved or opened is not replaced (New, Open, a dropped
// project) nor closed before the user has answered "save changes?": Yes saves (a cancelled or
// failed save stops the action), No lets it go, Cancel keeps everything as it was.
//
// Failures take the window's usual road: the operation throws, the Application's exception
// boundary shows the message, and the design stays as the operation left it. Every action that
// can change the design commits it to the history, also when it fails half-way (a project whose
// picture is damaged has already replaced the record).
#include <functional>
#include <string>
#include <vector>

#include "banner/BannerDocument.h"
#include "banner/History.h"
#include "platform/io/Files.h"
#include "platform/lang/Translate.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Form.h"

namespace veskel {

// The window's question before unsaved work is let go.
inline constexpr const char* kSaveChangesQuestion = TrLater("Сохранить изменения в проекте?");
// The task bar's name for a design that has no file yet.
inline constexpr const char* kUntitledName = TrLater("Без имени");
// The desktop's file type of projects.
inline constexpr const char* kProjectMimeType = "application/x-veskel-project";

// The file dialogs the actions run; they keep their choices between uses.
struct DesignerDialogs {
    FileDialog* openProject = nullptr;
    FileDialog* saveProject = nullptr;
    FileDialog* exportImage = nullptr;
    FileDialog* openPicture = nullptr;
};

class DesignerActions {
public:
    DesignerActions(Application& app, BannerDocument& document, DocumentHistory& history, DesignerDialogs dialogs = {})
        : app_(app), doc_(document), history_(history), dialogs_(dialogs) {
        // The window's thread opens what the user names: a named pipe that nobody writes into
        // reads as empty at once instead of holding the window until a writer comes.
        SetPipesWaitForWriters(false);
    }
    void SetDialogs(DesignerDialogs dialogs) { dialogs_ = dialogs; }

    // A key pressed in the window, before the focused control sees it; true when it was taken.
    // Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo, wherever the focus is (an edit field has no
    // undo of its own: its run of typing is one step of the history). Ctrl+C / Ctrl+Insert copy
    // the banner and Ctrl+V / Shift+Insert paste a picture, but only outside an edit field, whose
    // own clipboard keys keep working. Anywhere: Ctrl+S saves, Ctrl+Shift+S saves under a new
    // name, Ctrl+O opens, Ctrl+N starts a new design, Ctrl+E exports, Ctrl+Q closes the window.
    bool ShortcutKey(int key, ShiftState shift, bool inEditField);

    // ---- files
    // "New": a new design, once unsaved changes are dealt with. False when the user cancelled.
    bool NewDesign();
    // "Open...": the question, the dialog, then the project.
    bool OpenProjectDialog();
    // Opens a project file as "Open..." does after its dialog, without asking.
    void OpenProjectFile(const std::string& path);
    // Saves to the current file; a design without one asks for a name. True when saved.
    bool Save();
    // "Save...": always asks for the name. True when saved.
    bool SaveAs();
    // The highlighted "Save...": the banner as a picture file.
    bool ExportBanner();
    // "Choose...": a picture file as the overlay picture.
    void ChoosePicture();
    // Asks "save changes?" while the design differs from the one last saved or opened. True when
    // the caller may let the design go (nothing unsaved, saved now, or No).
    bool MayDiscardChanges();

    // The project file the design was last saved to or opened from ("" for none). It belongs to
    // the history's states: undoing an Open brings back the file of the design before it.
    const std::string& CurrentFile() const { return history_.File().path; }
    bool Modified() const { return history_.Modified(); }
    // The native window's title: "name.vzk — Veskel", with "*" in front while modified.
    std::string WindowTitle() const;
    // Runs after an action changed the current file (the window then shows WindowTitle()); after
    // an undo or redo the document's listeners run instead.
    std::function<void()> OnFileChanged;

    bool Undo() { return history_.Undo(); }
    bool Redo() { return history_.Redo(); }
    // The banner, as shown, onto the clipboard as a picture.
    void CopyBanner();
    // A picture on the clipboard becomes the overlay picture, fitted and faded as a loaded one.
    // Anything else is refused with BannerError, the design untouched.
    void PastePicture();
    // Files dropped onto the window: one ".vzk" opens as "Open..." opens a project, one other file
    // loads as "Choose..." loads a picture. Several files are refused with BannerError.
    void DropFiles(const std::vector<std::string>& paths);
    // Opens one file as a drop does.
    void OpenFile(const std::string& path);

private:
    // Runs a save dialog and returns the path that will be written, or "" when cancelled or
    // when the user would not replace the file already there under that name.
    std::string AskSavePath(FileDialog& dialog, const std::string& extension);
    bool SaveTo(const std::string& chosenPath);
    void FileChanged();
    void AddToRecentFiles(const std::string& path);

    Application& app_;
    BannerDocument& doc_;
    DocumentHistory& history_;
    DesignerDialogs dialogs_;
};

// Sends the form's shortcut keys and dropped files to `actions` (which must outlive the form's
// use of them). An edit field has the focus when the form's active control is an Edit.
void BindDesignerActions(Form& window, DesignerActions& actions);

}  // namespace veskel
