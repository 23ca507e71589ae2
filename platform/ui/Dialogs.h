#pragma once
// Open and save file dialogs that keep their file name and filter index between uses, as the
// classic dialog components do. They run through the Application's backend.
#include <string>

#include "platform/ui/Backend.h"

namespace veskel {

class FileDialog {
public:
    explicit FileDialog(bool save) { request_.save = save; }

    std::string Filter;            // "Description|*.ext|..."
    int FilterIndex = 1;           // 1-based; updated from the user's choice
    std::string FileName;          // proposed name; after Execute the chosen path
    std::string InitialDir;
    std::string FolderKey;         // the folder remembered between runs (FileDialogRequest::folderKey)
    std::string DefaultExt;
    std::string Title;
    bool OverwritePrompt = false;
    bool HideReadOnly = false;
    bool PicturePreview = false;

    // Shows the dialog; true when the user accepted (FileName and FilterIndex then hold the
    // choice), false when cancelled (both keep their previous values).
    bool Execute();

private:
    FileDialogRequest request_;
};

class OpenDialog : public FileDialog {
public:
    OpenDialog() : FileDialog(false) {}
};

class SaveDialog : public FileDialog {
public:
    SaveDialog() : FileDialog(true) {}
};

}  // namespace veskel
