#include "app/DesignerActions.h"

#include <filesystem>

#include "app/ProgramName.h"
#include "app/StartArguments.h"
#include "platform/io/Files.h"
#include "platform/lang/Translate.h"
#include "platform/ui/Edit.h"
#include "project/Export.h"
#include "project/ProjectFile.h"

namespace veskel {

bool DesignerActions::ShortcutKey(int key, ShiftState shift, bool inEditField) {
    const ShiftState mods = shift & (kShift | kAlt | kCtrl);
    const bool ctrl = mods == kCtrl;
    const bool undo = ctrl && key == 'Z';
    const bool redo = (mods == (kCtrl | kShift) && key == 'Z') || (ctrl && key == 'Y');
    const bool copy = (ctrl && key == 'C') || (ctrl && key == kKeyInsert);
    const bool paste = (ctrl && key == 'V') || (mods == kShift && key == kKeyInsert);
    if (undo) Undo();
    else if (redo) Redo();
    else if (copy && !inEditField) CopyBanner();
    else if (paste && !inEditField) PastePicture();
    else if (ctrl && key == 'S') Save();
    else if (mods == (kCtrl | kShift) && key == 'S') SaveAs();
    else if (ctrl && key == 'O') OpenProjectDialog();
    else if (ctrl && key == 'N') NewDesign();
    else if (ctrl && key == 'E') ExportBanner();
    else if (ctrl && key == 'Q' && app_.MainForm()) app_.MainForm()->Close();
    else return false;
    return true;
}

// ---------------------------------------------------------------- files

bool DesignerActions::MayDiscardChanges() {
    if (!Modified()) return true;
    switch (app_.MessageBox(Tr(kSaveChangesQuestion), app_.Title, kMbYesNoCancel | kMbIconQuestion)) {
        case kIdYes: return Save();
        case kIdNo: return true;
        default: return false;
    }
}

bool DesignerActions::NewDesign() {
    if (!MayDiscardChanges()) return false;
    history_.Record({}, [&] { doc_.NewDocument(); });
    history_.StartDesign({});  // a new design holds no work to lose
    FileChanged();
    return true;
}

bool DesignerActions::OpenProjectDialog() {
    if (!MayDiscardChanges()) return false;
    FileDialog& dialog = *dialogs_.openProject;
    if (!dialog.Execute() || dialog.FileName.empty()) return false;
    OpenProjectFile(dialog.FileName);
    return true;
}

void DesignerActions::OpenProjectFile(const std::string& path) {
    {
        BusyCursor busy(app_);
        history_.Record({}, [&] { OpenProject(doc_, path); });
    }
    history_.StartDesign({path, path});
    FileChanged();
    AddToRecentFiles(path);
}

bool DesignerActions::Save() {
    if (CurrentFile().empty()) return SaveAs();
    return SaveTo(history_.File().chosenName);
}

bool DesignerActions::SaveAs() {
    FileDialog& dialog = *dialogs_.saveProject;
    if (!CurrentFile().empty()) dialog.FileName = CurrentFile();  // proposes the current file
    if (AskSavePath(dialog, kProjectExtension).empty()) return false;
    return SaveTo(dialog.FileName);
}

bool DesignerActions::SaveTo(const std::string& chosenPath) {
    // The name and picture size that saving writes into the record are no design change: they
    // join the current state of the history instead of making an undo step.
    std::string written;
    try {
        BusyCursor busy(app_);
        written = SaveProject(doc_, chosenPath);
    } catch (...) {
        history_.Absorb();
        throw;
    }
    history_.Absorb();
    history_.MarkSaved({written, chosenPath});
    FileChanged();
    AddToRecentFiles(written);
    return true;
}

bool DesignerActions::ExportBanner() {
    FileDialog& dialog = *dialogs_.exportImage;
    const std::string path = AskSavePath(dialog, "");
    if (path.empty()) return false;
    BusyCursor busy(app_);
    ExportImage(doc_.CurrentBanner(), path, dialog.FilterIndex);
    return true;
}

void DesignerActions::ChoosePicture() {
    FileDialog& dialog = *dialogs_.openPicture;
    if (!dialog.Execute() || dialog.FileName.empty()) return;
    BusyCursor busy(app_);
    history_.Record({}, [&] { doc_.LoadOverlayPicture(dialog.FileName); });
}

std::string DesignerActions::AskSavePath(FileDialog& dialog, const std::string& extension) {
    // The dialog's own overwrite question would judge the name as typed, while saving may append
    // an extension: the question is asked here, about the file that will be written.
    const bool ask = dialog.OverwritePrompt;
    dialog.OverwritePrompt = false;
    bool chosen = false;
    try {
        chosen = dialog.Execute();
    } catch (...) {
        dialog.OverwritePrompt = ask;
        throw;
    }
    dialog.OverwritePrompt = ask;
    if (!chosen || dialog.FileName.empty()) return {};
    std::string path;
    if (!extension.empty()) {
        path = WithExtension(dialog.FileName, extension);
    } else if (const std::optional<ExportFormat> format = ExportFormatFromFilterIndex(dialog.FilterIndex)) {
        path = ExportFileName(dialog.FileName, *format);
    } else {
        return {};
    }
    std::error_code error;
    if (ask && std::filesystem::exists(path, error) &&
        app_.MessageBox(Tr("Файл \"{1}\" уже существует.\nЗаменить его?", {path}), app_.Title,
                        kMbYesNo | kMbIconWarning) != kIdYes)
        return {};
    return path;
}

void DesignerActions::FileChanged() {
    if (OnFileChanged) OnFileChanged();
}

std::string DesignerActions::WindowTitle() const {
    const std::string& file = CurrentFile();
    const std::string name =
        file.empty() ? std::string(Tr(kUntitledName)) : std::filesystem::path(file).filename().string();
    return (Modified() ? "*" : "") + name + " — " + kProgramName;
}

void DesignerActions::AddToRecentFiles(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    app_.GetBackend().AddRecentFile({error ? path : absolute.lexically_normal().string(), kProjectMimeType,
                                     kProgramName, "veskel %u"});
}

// ---------------------------------------------------------------- undo, clipboard, drops

void DesignerActions::CopyBanner() { app_.SetClipboardPicture(doc_.CurrentBanner()); }

void DesignerActions::PastePicture() {
    Picture picture = app_.ClipboardPicture();
    if (picture.IsEmpty()) {
        throw BannerError(Tr("The clipboard holds no picture. Copy a picture first, or choose one with \"Choose...\"."));
    }
    history_.Record({}, [&] { doc_.TakeOverlayPicture(std::move(picture)); });
}

void DesignerActions::DropFiles(const std::vector<std::string>& paths) {
    if (paths.size() != 1) {
        throw BannerError(Tr("Drop one file at a time: a project (.vzk) or a picture (.png, .jpg, .gif, .bmp). "
                             "{1} files were dropped.",
                             {std::to_string(paths.size())}));
    }
    OpenFile(paths.front());
}

void DesignerActions::OpenFile(const std::string& path) {
    if (IsProjectFileName(path)) {
        if (MayDiscardChanges()) OpenProjectFile(path);
        return;
    }
    BusyCursor busy(app_);
    history_.Record({}, [&] { doc_.LoadOverlayPicture(path); });
}

void BindDesignerActions(Form& window, DesignerActions& actions) {
    window.OnShortcutKey = [&actions](Form& form, int key, ShiftState shift) {
        const bool inEdit = dynamic_cast<Edit*>(form.ActiveControl()) != nullptr;
        return actions.ShortcutKey(key, shift, inEdit);
    };
    window.OnDropFiles = [&actions](Form&, const std::vector<std::string>& paths) { actions.DropFiles(paths); };
    // Closing the window lets the design go: the question comes first, and Cancel keeps it open.
    window.OnClose = [&actions](Form&, CloseAction& action) {
        if (!actions.MayDiscardChanges()) action = CloseAction::None;
    };
}

}  // namespace veskel
