#pragma once
// The modal pieces of the Qt backend: file dialogs (with an optional picture preview pane),
// message boxes and the pop-up menu of bitmap items. Each runs its own event loop and returns
// the user's answer; none of them keeps state beyond what the caller passes in.
#include <QPoint>
#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/ui/Backend.h"

class QLabel;
class QWindow;

namespace veskel::qt {

// Each takes the window it belongs to (`owner`, may be null): the dialog or menu is attached to
// it, so that the window system keeps it with that window (a Wayland desktop as its child), and
// a dialog opens centred over it.

// Runs a non-native QFileDialog (it works the same on every platform and under Xvfb).
// Returns nothing when the user cancels.
std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request, QWindow* owner = nullptr);

// `flags` and the answer are the classic message box values (Backend.h).
int RunMessageBox(const std::string& text, const std::string& caption, unsigned flags, QWindow* owner = nullptr);

// Shows the items one under another at `screenPos` and waits; returns the chosen item's command,
// or 0 when the menu is dismissed (Escape, a click elsewhere). Up, Down and Return work too.
// An item with a bitmap shows only the bitmap; the others show their text.
int RunPopupMenu(const std::vector<MenuItem>& items, QPoint screenPos, QWindow* owner = nullptr);

// The preview pane of the picture dialogs: the selected file decoded by our own codecs, fitted
// into the pane, with its size written beneath. Shows nothing for what it cannot read.
class PicturePreview : public QWidget {
    Q_OBJECT
public:
    explicit PicturePreview(QWidget* parent = nullptr);
    // What the pane shows now (a null image when nothing).
    QImage Shown() const;
public slots:
    void ShowFile(const QString& path);

private:
    QLabel* picture_;
    QLabel* caption_;
    QImage shown_;
};

}  // namespace veskel::qt
