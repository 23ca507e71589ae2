#pragma once
// The Qt backend: one FormWindow per shown form, Qt's event loop and timers as the Application's
// loop and clock, and Qt's dialogs, clipboard, screens and cursors as the desktop.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/backends/qt/QtFormWindow.h"
#include "platform/ui/Backend.h"

class QApplication;
class QEventLoop;

namespace veskel::qt {

// Qt modifiers and held buttons as the framework's shift state.
ShiftState ToShiftState(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
// A Qt key as the framework's virtual key code (0 for keys it has no code for). Shifted
// punctuation maps to its unshifted key, as on a US keyboard.
int ToVirtualKey(int qtKey, Qt::KeyboardModifiers mods);
// The Qt shape for a stock cursor number.
Qt::CursorShape ToQtCursorShape(CursorId id);

class QtBackend : public QObject, public Backend {
public:
    // Creates the QApplication unless one exists already (tests may make their own).
    QtBackend(int& argc, char** argv);
    ~QtBackend() override;

    void CreateWindow(Form& form) override;
    void DestroyWindow(Form& form) override;
    void ShowWindow(Form& form, bool activate) override;
    void HideWindow(Form& form) override;
    void MoveWindow(Form& form) override;
    void UpdateWindowStyle(Form& form) override;
    void Present(Form& form, const Rect& area) override;
    void RaiseWindow(Form& form, bool activate) override;
    void SetWindowState(Form& form, WindowState state) override;
    void StartSystemMove(Form& form) override;
    void SetCursor(Form& form, const CursorShape& cursor) override;
    void FocusMoved(Form& form, Control* focused) override;

    std::int64_t NowMs() override;
    void RequestWakeAt(std::int64_t timeMs) override;
    void RequestIdle() override;
    void RunLoop() override;
    void QuitLoop() override;

    // Where the platform reveals the pointer only over our own windows (Wayland, and XWayland
    // for an X11 program on a Wayland desktop), a point far
    // outside every window once it has left them all (kPointerElsewhere), so that a pop-up's
    // pointer watch sees it leave.
    Point PointerPosition() override;
    Size MonitorSize(const Rect& screenRect) override;
    Rect MonitorRect(const Rect& screenRect) override;
    Bitmap CaptureScreen(const Rect& screenRect) override;
    Bitmap CaptureScreenBehind(const Rect& screenRect, const Form& exclude) override;
    bool ComposesTranslucentWindows() override;
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& utf8) override;
    Picture ClipboardPicture() override;
    void SetClipboardPicture(const Bitmap& image) override;
    void SetDesktopIdentity(const std::string& id) override;
    bool OpenUrl(const std::string& url) override;
    void AddRecentFile(const RecentFile& file) override;
    void ShowPendingPaints() override;

    std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    int PopupMenu(const std::vector<MenuItem>& items, Point screen) override;

    // The native window of a form (nullptr when it has none); for tests.
    FormWindow* WindowOf(const Form& form) const;
    // The form a window shows (nullptr once the window is no longer a form's).
    Form* FormOf(const FormWindow* window) const;
    // The fallback capture: our own shown windows, bottom to top, over `backdrop` (what the screen
    // showed there, when its size fits) or else a plain desktop colour.
    Bitmap ComposeOwnWindows(const Rect& screenRect, const Form* exclude = nullptr,
                             const Bitmap* backdrop = nullptr) const;
    // Whether CaptureScreen may ask the platform at all (tests switch it off to check the fallback).
    bool allowPlatformCapture = true;
    // The session is a Wayland one: windows place only themselves and pop-ups relative to their
    // parents, no program sees the screen or the pointer outside its own windows.
    static bool OnWayland();
    static constexpr Point kPointerElsewhere{-1000000, -1000000};

private:
    class Bridge;
    struct Entry {
        std::unique_ptr<Bridge> bridge;
        FormWindow* window = nullptr;  // deleted with deleteLater, never inside its own handlers
    };
    Entry* Find(const Form& form);
    const Entry* Find(const Form& form) const;
    void ApplyStyle(Form& form, FormWindow& window);
    void TakePointerOnlyWhereOpaque(const Form& form, FormWindow& window);
    void ToTop(FormWindow* window);
    QPoint WindowPosition(const Form& form) const;
    void PointerOver(const Form& form, bool over);
    // The owner lost the activation: its pop-ups that never take the focus go as well.
    void DismissFocuslessPopups(const Form& owner);
    // The shown pop-up of owner that never takes the focus, if any.
    Bridge* FocuslessPopupOf(const Form& owner);
    // The window dialogs and menus belong to: the main form's, else the active form's.
    FormWindow* DialogOwner() const;

    std::unique_ptr<QApplication> ownedApp_;
    QElapsedTimer clock_;
    QTimer wakeTimer_;
    bool idlePending_ = false;
    // While ShowPendingPaints lets Qt paint, timers and idle work are noted and run afterwards.
    bool holdDispatch_ = false;
    bool skippedTimers_ = false;
    bool skippedIdle_ = false;
    std::vector<QEventLoop*> loops_;
    bool quitRequested_ = false;
    std::unordered_map<const Form*, Entry> windows_;
    std::vector<QPointer<FormWindow>> stacking_;  // bottom first, for the fallback capture
    std::vector<const Form*> pointerOver_;         // forms whose window has the pointer now
    // A press or key has reached one of our windows: Qt has the input serial a grabbing
    // Wayland pop-up needs.
    bool inputSeen_ = false;
    // The screen behind a form's window, captured before the window was shown: what lies under
    // it while it shows, as no grab can see there any more.
    struct ScreenBehind {
        const Form* form = nullptr;
        Rect rect{};
        Bitmap pixels;
    } behind_;
};

}  // namespace veskel::qt
