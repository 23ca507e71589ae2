#pragma once
// The headless backend: forms are surfaces only, the clock is virtual, dialogs, menus and message
// boxes answer from a script, opened addresses are recorded. Tests drive it with pointer and key
// events at window coordinates; every event ends with the Application's idle pass (posted
// messages, releases, paints), as a real loop would run it before the next event.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Application.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Form.h"

namespace veskel {

class HeadlessBackend : public Backend {
public:
    HeadlessBackend();

    // ---- driving input (coordinates are the form's client coordinates)
    void MouseMove(Form& form, int x, int y, ShiftState shift = 0);
    void MouseDown(Form& form, int x, int y, MouseButton button = MouseButton::Left, ShiftState shift = 0);
    void MouseUp(Form& form, int x, int y, MouseButton button = MouseButton::Left, ShiftState shift = 0);
    // Move there, press and release.
    void Click(Form& form, int x, int y, MouseButton button = MouseButton::Left);
    void DoubleClick(Form& form, int x, int y);
    // Turns the wheel with the pointer at (x, y): delta 120 per notch, positive away from the user.
    void MouseWheel(Form& form, int x, int y, int delta, ShiftState shift = 0);
    // The pointer leaves the form's window (to (x, y) on the screen, by default far away).
    void MouseExit(Form& form, Point screen = {-10000, -10000});
    void KeyDown(Form& form, int key, ShiftState shift = 0);
    void KeyUp(Form& form, int key, ShiftState shift = 0);
    // Presses and lets go.
    void PressKey(Form& form, int key, ShiftState shift = 0) {
        KeyDown(form, key, shift);
        KeyUp(form, key, shift);
    }
    void TypeText(Form& form, const std::string& utf8);
    // Files dropped at a client point of the form's window.
    void DropFiles(Form& form, int x, int y, const std::vector<std::string>& paths);
    // The user moves the window (the client area's new screen position).
    void UserMove(Form& form, Point screenTopLeft);
    void UserActivate(Form& form, bool active);
    // The user minimizes, maximizes or restores the window through the window manager.
    void UserSetWindowState(Form& form, WindowState state);
    void UserClose(Form& form);

    // ---- clock: runs every timer that falls due, each at its own time
    void AdvanceClock(std::int64_t ms);
    // The work being done takes this long: the clock moves on and nothing else runs meanwhile
    // (a handler that costs time, or a machine too busy to run the loop).
    void Spend(std::int64_t ms) { now_ += std::max<std::int64_t>(ms, 0); }
    std::int64_t Now() const { return now_; }

    // ---- desktop
    Size monitorSize{1024, 768};  // the primary monitor, at the origin
    // Further monitors, beside the primary one on the desktop.
    std::vector<Rect> otherMonitors;
    Color desktopColor = RGB(58, 110, 165);
    // What screen captures see below our windows (empty: desktopColor everywhere).
    Bitmap desktopImage;
    // The clipboard holds text or a picture; putting either there drops the other.
    std::string clipboard;
    Picture clipboardPicture;
    std::string desktopIdentity;
    std::vector<std::string> openedUrls;
    void SetPointer(Point screen) { pointer_ = screen; }

    // ---- scripted answers (first in, first used). Without a scripted answer, message boxes
    // answer kIdOk / kIdCancel-less defaults (OK, or Cancel when offered), dialogs are cancelled
    // and menus dismissed.
    std::deque<int> messageBoxAnswers;
    std::deque<std::optional<FileDialogResult>> fileDialogAnswers;
    std::deque<int> menuAnswers;

    struct MessageBoxRecord {
        std::string text, caption;
        unsigned flags;
    };
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<FileDialogRequest> fileDialogs;
    struct MenuRecord {
        std::vector<MenuItem> items;
        Point screen;
    };
    std::vector<MenuRecord> menus;
    int systemMoves = 0;  // StartSystemMove calls
    std::vector<RecentFile> recentFiles;  // AddRecentFile calls
    // The cursor over each shown window whenever pending paints were shown (before a long step).
    std::vector<CursorId> cursorsAtPendingPaints;

    // ---- what is shown
    // The last presented pixels of a form's window (empty when never shown).
    const Bitmap* Presented(const Form& form) const;
    CursorShape CursorOf(const Form& form) const;
    bool IsWindowShown(const Form& form) const;
    // The state the program last gave the form's window (Normal for a form without one).
    WindowState WindowStateOf(const Form& form) const;
    // Writes the form's surface as a PNG file (throws on failure).
    static void SavePng(const Form& form, const std::string& path);

    // ---- Backend
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
    std::int64_t NowMs() override { return now_; }
    void RequestWakeAt(std::int64_t timeMs) override { wakeAt_ = timeMs; }
    void RequestIdle() override {}
    void RunLoop() override;
    void QuitLoop() override {}
    Point PointerPosition() override { return pointer_; }
    Size MonitorSize(const Rect& screenRect) override;
    Rect MonitorRect(const Rect& screenRect) override;
    Bitmap CaptureScreen(const Rect& screenRect) override;
    Bitmap CaptureScreenBehind(const Rect& screenRect, const Form& exclude) override;
    std::string ClipboardText() override { return clipboard; }
    void SetClipboardText(const std::string& utf8) override {
        clipboard = utf8;
        clipboardPicture = Picture();
    }
    Picture ClipboardPicture() override { return clipboardPicture; }
    void SetClipboardPicture(const Bitmap& image) override {
        clipboardPicture = Picture(image);
        clipboard.clear();
    }
    void SetDesktopIdentity(const std::string& id) override { desktopIdentity = id; }
    bool OpenUrl(const std::string& url) override;
    void AddRecentFile(const RecentFile& file) override { recentFiles.push_back(file); }
    void ShowPendingPaints() override;
    std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    int PopupMenu(const std::vector<MenuItem>& items, Point screen) override;

private:
    struct Window {
        Form* form;
        bool shown = false;
        Bitmap pixels;
        CursorShape cursor;
        WindowState state = WindowState::Normal;
    };
    Window* Find(const Form& form);
    // The desktop and every shown window but `exclude`, bottom to top.
    Bitmap Compose(const Rect& screenRect, const Form* exclude) const;
    const Window* Find(const Form& form) const;
    void Settle();

    std::int64_t now_ = 0;
    std::optional<std::int64_t> wakeAt_;
    Point pointer_{-10000, -10000};
    std::vector<Window> windows_;  // z-order: last on top
};

}  // namespace veskel
