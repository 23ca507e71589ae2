#pragma once
// What the designer does beyond its controls: undo and redo, the clipboard, files dropped onto the
// window. It works on the document, its history and the Application (clipboard, message boxes),
// so it runs and is tested without a window; the main window hands it its keys and drops
// (BindDesignerActions).
//
// Failures take the window's usual road: the operation throws, the Application's exception
// boundary shows the message, and the design stays as the operation left it. Every action that
// can change the design commits it to the history, also when it fails half-way (a project whose
// picture is damaged has already replaced the record).
#include <string>
#include <vector>

#include "banner/BannerDocument.h"
#include "banner/History.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel {

class DesignerActions {
public:
    DesignerActions(Application& app, BannerDocument& document, DocumentHistory& history)
        : app_(app), doc_(document), history_(history) {}

    // A key pressed in the window, before the focused control sees it; true when it was taken.
    // Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo, wherever the focus is (an edit field has no
    // undo of its own: its run of typing is one step of the history). Ctrl+C / Ctrl+Insert copy
    // the banner and Ctrl+V / Shift+Insert paste a picture, but only outside an edit field, whose
    // own clipboard keys keep working.
    bool ShortcutKey(int key, ShiftState shift, bool inEditField);

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
    Application& app_;
    BannerDocument& doc_;
    DocumentHistory& history_;
};

// Sends the form's shortcut keys and dropped files to `actions` (which must outlive the form's
// use of them). An edit field has the focus when the form's active control is an Edit.
void BindDesignerActions(Form& window, DesignerActions& actions);

}  // namespace veskel
