#include "app/DesignerActions.h"

#include "app/StartArguments.h"
#include "platform/ui/Edit.h"
#include "project/ProjectFile.h"

namespace veskel {

bool DesignerActions::ShortcutKey(int key, ShiftState shift, bool inEditField) {
    const ShiftState mods = shift & (kShift | kAlt | kCtrl);
    const bool undo = mods == kCtrl && key == 'Z';
    const bool redo = (mods == (kCtrl | kShift) && key == 'Z') || (mods == kCtrl && key == 'Y');
    const bool copy = (mods == kCtrl && key == 'C') || (mods == kCtrl && key == kKeyInsert);
    const bool paste = (mods == kCtrl && key == 'V') || (mods == kShift && key == kKeyInsert);
    if (undo) Undo();
    else if (redo) Redo();
    else if (copy && !inEditField) CopyBanner();
    else if (paste && !inEditField) PastePicture();
    else return false;
    return true;
}

void DesignerActions::CopyBanner() { app_.SetClipboardPicture(doc_.BannerImage()); }

void DesignerActions::PastePicture() {
    Picture picture = app_.ClipboardPicture();
    if (picture.IsEmpty()) {
        throw BannerError("The clipboard holds no picture. Copy a picture first, or choose one with \"Choose...\".");
    }
    history_.Record({}, [&] { doc_.TakeOverlayPicture(std::move(picture)); });
}

void DesignerActions::DropFiles(const std::vector<std::string>& paths) {
    if (paths.size() != 1) {
        throw BannerError("Drop one file at a time: a project (.vzk) or a picture (.png, .jpg, .gif, .bmp). " +
                          std::to_string(paths.size()) + " files were dropped.");
    }
    OpenFile(paths.front());
}

void DesignerActions::OpenFile(const std::string& path) {
    history_.Record({}, [&] {
        if (IsProjectFileName(path)) OpenProject(doc_, path);
        else doc_.LoadOverlayPicture(path);
    });
}

void BindDesignerActions(Form& window, DesignerActions& actions) {
    window.OnShortcutKey = [&actions](Form& form, int key, ShiftState shift) {
        const bool inEdit = dynamic_cast<Edit*>(form.ActiveControl()) != nullptr;
        return actions.ShortcutKey(key, shift, inEdit);
    };
    window.OnDropFiles = [&actions](Form&, const std::vector<std::string>& paths) { actions.DropFiles(paths); };
}

}  // namespace veskel
