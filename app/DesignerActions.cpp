#include "app/DesignerActions.h"

#include <algorithm>
#include <cctype>

#include "platform/ui/Edit.h"
#include "project/ProjectFile.h"

namespace veskel {

namespace {

bool IsProjectPath(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return tail == kProjectExtension;
}

}  // namespace

template <class F>
void DesignerActions::Changing(F&& change) {
    history_.Seal();
    try {
        change();
    } catch (...) {
        history_.Commit();
        throw;
    }
    history_.Commit();
}

bool DesignerActions::ShortcutKey(int key, ShiftState shift, bool inEditField) {
    const ShiftState mods = shift & (kShift | kAlt | kCtrl);
    if (mods == kCtrl && key == 'Z') return Undo(), true;
    if ((mods == (kCtrl | kShift) && key == 'Z') || (mods == kCtrl && key == 'Y')) return Redo(), true;
    if (inEditField) return false;
    if ((mods == kCtrl && key == 'C') || (mods == kCtrl && key == kKeyInsert)) return CopyBanner(), true;
    if ((mods == kCtrl && key == 'V') || (mods == kShift && key == kKeyInsert)) return PastePicture(), true;
    return false;
}

void DesignerActions::CopyBanner() { app_.SetClipboardPicture(doc_.BannerImage()); }

void DesignerActions::PastePicture() {
    Picture picture = app_.ClipboardPicture();
    if (picture.IsEmpty()) {
        throw BannerError("The clipboard holds no picture. Copy a picture first, or choose one with \"Choose...\".");
    }
    Changing([&] { doc_.TakeOverlayPicture(std::move(picture)); });
}

void DesignerActions::DropFiles(const std::vector<std::string>& paths) {
    if (paths.size() != 1) {
        throw BannerError("Drop one file at a time: a project (.vzk) or a picture (.png, .jpg, .gif, .bmp). " +
                          std::to_string(paths.size()) + " files were dropped.");
    }
    OpenFile(paths.front());
}

void DesignerActions::OpenFile(const std::string& path) {
    Changing([&] {
        if (IsProjectPath(path)) OpenProject(doc_, path);
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
