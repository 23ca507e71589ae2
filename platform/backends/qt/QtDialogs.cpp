#include "platform/backends/qt/QtDialogs.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>
#include <QWindow>

#include <exception>
#include <memory>

#include "platform/backends/qt/QtConvert.h"
#include "platform/codecs/Codecs.h"
#include "platform/codecs/ImageFormats.h"
#include "platform/io/Files.h"

namespace veskel::qt {

// ---- picture preview

namespace {

constexpr int kPreviewSide = 192;
// Preview only what a picture file of ours can reasonably be; bigger files are not read.
constexpr std::size_t kPreviewMaxBytes = std::size_t(64) << 20;

// The picture in a file, told by its first bytes (or its extension when they tell nothing); a
// file that is no picture is read no further than those bytes.
Picture DecodePictureFile(const std::string& path) {
    if (!ImageFormatOfExtension(LowerExtension(path))) {
        const std::optional<std::vector<std::uint8_t>> head = ReadFileHead(path, kSignatureBytes);
        if (!head || !SniffImageFormat(*head)) return {};
    }
    const std::vector<std::uint8_t> bytes =
        ReadFileBytes(path, kPreviewMaxBytes, [](auto head) { return PictureBytesNeeded(head); });
    return DecodeImage(path, bytes);
}

}  // namespace

PicturePreview::PicturePreview(QWidget* parent) : QWidget(parent) {
    picture_ = new QLabel(this);
    picture_->setFixedSize(kPreviewSide, kPreviewSide);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFrameShape(QFrame::StyledPanel);
    caption_ = new QLabel(this);
    caption_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->addWidget(picture_);
    layout->addWidget(caption_);
    layout->addStretch(1);
    setObjectName(QStringLiteral("picturePreview"));
}

QImage PicturePreview::Shown() const { return shown_; }

void PicturePreview::ShowFile(const QString& path) {
    shown_ = QImage();
    picture_->clear();
    caption_->clear();
    if (path.isEmpty() || !QFileInfo(path).isFile()) return;
    try {
        const Picture decoded = DecodePictureFile(ToStdString(path));
        if (decoded.IsEmpty()) return;
        shown_ = ToQImage(decoded);
    } catch (const std::exception&) {
        return;  // not a picture we can read: an empty pane says so
    }
    const QImage fitted = shown_.width() > kPreviewSide - 4 || shown_.height() > kPreviewSide - 4
                              ? shown_.scaled(kPreviewSide - 4, kPreviewSide - 4, Qt::KeepAspectRatio,
                                              Qt::SmoothTransformation)
                              : shown_;
    picture_->setPixmap(QPixmap::fromImage(fitted));
    caption_->setText(QStringLiteral("%1 x %2").arg(shown_.width()).arg(shown_.height()));
}

// ---- the owner window

namespace {

void AttachToOwner(QWidget& widget, QWindow* owner) {
    if (!owner) return;
    widget.winId();  // makes the native window, which takes the owner as its parent
    if (QWindow* window = widget.windowHandle()) window->setTransientParent(owner);
}

// Our windows are QWindows, not widgets, so QDialog cannot centre itself over one.
void CentreOver(QWidget& dialog, QWindow* owner) {
    if (!owner) return;
    dialog.adjustSize();
    dialog.move(owner->geometry().center() - QPoint(dialog.width() / 2, dialog.height() / 2));
}

}  // namespace

// ---- file dialogs

namespace {
// The folders the dialogs were last used in, kept between runs in Qt's settings file in the XDG
// config folder (veskel/veskel.conf), one per kind of dialog.
QString FolderSetting(const FileDialogRequest& request) {
    return request.folderKey.empty() ? QString() : QStringLiteral("dialogs/") + ToQString(request.folderKey);
}
std::unique_ptr<QSettings> Settings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("veskel"),
                                       QStringLiteral("veskel"));
}
}  // namespace

std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request, QWindow* owner) {
    QFileDialog dialog(nullptr, ToQString(request.title));
    // Qt's own dialog behaves the same everywhere (also under Xvfb) and can carry the preview pane.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.save && request.overwritePrompt));
    // Qt's dialog has no "open read-only" choice, so hideReadOnly needs nothing more.

    const QStringList nameFilters = ToQtNameFilters(ParseFileFilter(request.filter));
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        const int index =
            request.filterIndex >= 1 && request.filterIndex <= int(nameFilters.size()) ? request.filterIndex : 1;
        dialog.selectNameFilter(nameFilters[index - 1]);
        // The entries show their text as written ("JPEG Image File (*.jpg)"); the file list
        // matches every extension of their formats (".jpeg" too), whichever entry is chosen.
        const std::vector<FileFilter> filters = ParseFileFilter(request.filter);
        const auto matchEveryExtension = [&dialog, filters, nameFilters](const QString& chosen) {
            const qsizetype i = nameFilters.indexOf(chosen);
            auto* model = dialog.findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model"));
            if (i < 0 || model == nullptr || filters[std::size_t(i)].patterns.empty()) return;
            QStringList patterns;
            for (const std::string& p : MatchingPatterns(filters[std::size_t(i)].patterns)) patterns << ToQString(p);
            model->setNameFilters(patterns);
        };
        matchEveryExtension(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, matchEveryExtension);
    }
    const QString folderSetting = FolderSetting(request);
    if (!request.initialDir.empty()) {
        dialog.setDirectory(ToQString(request.initialDir));
    } else if (!folderSetting.isEmpty()) {
        const QString folder = Settings()->value(folderSetting).toString();
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) dialog.setDirectory(folder);
    }
    if (!request.fileName.empty()) {
        const QFileInfo info(ToQString(request.fileName));
        if (request.fileName.find('/') != std::string::npos) dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }

    PicturePreview* preview = nullptr;
    if (request.picturePreview) {
        preview = new PicturePreview(&dialog);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
        else if (dialog.layout())
            dialog.layout()->addWidget(preview);
        QObject::connect(&dialog, &QFileDialog::currentChanged, preview, &PicturePreview::ShowFile);
        // A name typed (or proposed) in the name field is previewed too, as soon as it names a file.
        if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            QObject::connect(name, &QLineEdit::textChanged, preview, [&dialog, preview](const QString& text) {
                const QString path = dialog.directory().absoluteFilePath(text);
                if (QFileInfo(path).isFile()) preview->ShowFile(path);
            });
        }
    }

    AttachToOwner(dialog, owner);
    CentreOver(dialog, owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    if (!folderSetting.isEmpty()) Settings()->setValue(folderSetting, QFileInfo(files.front()).absolutePath());
    FileDialogResult result;
    result.fileName = ToStdString(files.front());
    result.filterIndex = FilterIndexOf(nameFilters, dialog.selectedNameFilter(), request.filterIndex);
    return result;
}

// ---- message box

int RunMessageBox(const std::string& text, const std::string& caption, unsigned flags, QWindow* owner) {
    QMessageBox box;
    box.setWindowTitle(ToQString(caption));
    box.setText(ToQString(text));
    switch (flags & 0xF0) {
    case kMbIconError: box.setIcon(QMessageBox::Critical); break;
    case kMbIconQuestion: box.setIcon(QMessageBox::Question); break;
    case kMbIconWarning: box.setIcon(QMessageBox::Warning); break;
    case kMbIconInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    const unsigned buttons = flags & 0x0F;
    switch (buttons) {
    case kMbOkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case kMbYesNoCancel: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case kMbYesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    AttachToOwner(box, owner);
    CentreOver(box, owner);
    switch (box.exec()) {
    case QMessageBox::Ok: return kIdOk;
    case QMessageBox::Yes: return kIdYes;
    case QMessageBox::No: return kIdNo;
    case QMessageBox::Cancel: return kIdCancel;
    default:
        // Closed by the window's close button: the gentlest answer the box offers.
        return buttons == kMbOkCancel || buttons == kMbYesNoCancel ? kIdCancel : buttons == kMbYesNo ? kIdNo : kIdOk;
    }
}

// ---- popup menu

namespace {

// A pop-up list of items. A bitmap item shows exactly its bitmap; a text item its text; the
// item under the pointer (or chosen with the arrow keys) is highlighted (bitmaps inverted, as
// classic bitmap menus do).
class PopupList : public QWidget {
public:
    explicit PopupList(const std::vector<MenuItem>& items) : QWidget(nullptr, Qt::Popup) {
        setMouseTracking(true);
        setObjectName(QStringLiteral("veskelPopupMenu"));
        const QFontMetrics fm(font());
        int width = 0;
        int height = 0;
        for (const MenuItem& item : items) {
            Entry e;
            e.command = item.command;
            e.enabled = item.enabled && !item.separator;
            e.separator = item.separator;
            QSize size;
            if (item.separator) {
                size = QSize(1, kSeparatorHeight);
            } else if (!item.bitmap.IsEmpty()) {
                e.image = ToQImage(item.bitmap).convertToFormat(QImage::Format_RGB32);
                size = e.image.size();
            } else {
                e.text = ToQString(item.text);
                size = QSize(fm.horizontalAdvance(e.text) + 2 * kTextPadX, fm.height() + 2 * kTextPadY);
            }
            e.rect = QRect(QPoint(kFrame, kFrame + height), size);
            height += size.height();
            width = std::max(width, size.width());
            entries_.push_back(std::move(e));
        }
        for (Entry& e : entries_) e.rect.setWidth(width);
        setFixedSize(width + 2 * kFrame, height + 2 * kFrame);
    }

    int Run(QPoint screenPos) {
        // Keep the whole menu on the screen the pointer is on.
        if (QScreen* screen = QGuiApplication::screenAt(screenPos)) {
            const QRect avail = screen->geometry();
            if (screenPos.x() + width() > avail.right() + 1)
                screenPos.setX(std::max(avail.left(), screenPos.x() - width()));
            if (screenPos.y() + height() > avail.bottom() + 1)
                screenPos.setY(std::max(avail.top(), screenPos.y() - height()));
        }
        move(screenPos);
        QEventLoop loop;
        loop_ = &loop;
        show();
        activateWindow();
        setFocus();
        if (isVisible()) loop.exec();
        loop_ = nullptr;
        return chosen_;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QPalette& pal = palette();
        p.fillRect(rect(), pal.window());
        p.setPen(pal.color(QPalette::Dark));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const Entry& e = entries_[i];
            const bool current = int(i) == current_;
            if (e.separator) {
                const int y = e.rect.center().y();
                p.setPen(pal.color(QPalette::Mid));
                p.drawLine(e.rect.left() + 2, y, e.rect.right() - 2, y);
            } else if (!e.image.isNull()) {
                QImage shown = e.image;
                if (current) shown.invertPixels();
                p.drawImage(e.rect.topLeft(), shown);
            } else {
                if (current) p.fillRect(e.rect, pal.highlight());
                p.setPen(!e.enabled ? pal.color(QPalette::Disabled, QPalette::WindowText)
                         : current  ? pal.color(QPalette::HighlightedText)
                                    : pal.color(QPalette::WindowText));
                p.drawText(e.rect.adjusted(kTextPadX, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, e.text);
            }
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override { SetCurrent(IndexAt(e->position().toPoint())); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const int i = IndexAt(e->position().toPoint());
        if (i >= 0) Finish(entries_[std::size_t(i)].command);
    }
    void keyPressEvent(QKeyEvent* e) override {
        switch (e->key()) {
        case Qt::Key_Escape: Finish(0); break;
        case Qt::Key_Up: Step(-1); break;
        case Qt::Key_Down: Step(+1); break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (current_ >= 0) Finish(entries_[std::size_t(current_)].command);
            break;
        default: break;
        }
    }
    void hideEvent(QHideEvent*) override {
        // A click outside closes a pop-up: that is a dismissal.
        if (loop_) loop_->quit();
    }

private:
    static constexpr int kFrame = 1;
    static constexpr int kSeparatorHeight = 7;
    static constexpr int kTextPadX = 12;
    static constexpr int kTextPadY = 3;
    struct Entry {
        QImage image;
        QString text;
        int command = 0;
        bool enabled = true;
        bool separator = false;
        QRect rect;
    };
    // Only enabled items can be chosen.
    int IndexAt(QPoint p) const {
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].enabled && entries_[i].rect.contains(p)) return int(i);
        return -1;
    }
    void Step(int direction) {
        const int n = int(entries_.size());
        int i = current_;
        for (int tries = 0; tries < n; ++tries) {
            i = i < 0 ? (direction > 0 ? 0 : n - 1) : (i + direction + n) % n;
            if (entries_[std::size_t(i)].enabled) {
                SetCurrent(i);
                return;
            }
        }
    }
    void SetCurrent(int i) {
        if (i == current_) return;
        current_ = i;
        update();
    }
    void Finish(int command) {
        chosen_ = command;
        hide();
    }

    std::vector<Entry> entries_;
    int current_ = -1;
    int chosen_ = 0;
    QEventLoop* loop_ = nullptr;
};

}  // namespace

int RunPopupMenu(const std::vector<MenuItem>& items, QPoint screenPos, QWindow* owner) {
    if (items.empty()) return 0;
    PopupList menu(items);
    AttachToOwner(menu, owner);
    return menu.Run(screenPos);
}

}  // namespace veskel::qt
