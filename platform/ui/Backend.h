#pragma once
// What a window system backend provides to the Application. Two implementations exist: the Qt
// backend (real windows, real time) and the headless backend (surfaces only, a virtual clock,
// scripted dialogs) used by tests and screenshots.
//
// The backend hands every pointer, key and text event of a native window to the Application's
// input router (Application::Input(), InputRouter.h) and every move, activation, state, drop,
// expose and close event to the Application's Dispatch* entry points (Application.h), calls
// Application::DispatchTimers() when a wake-up it was asked for is due and
// Application::DispatchIdle() soon after RequestIdle(). Backends report every press as a plain
// press: the router recognises double clicks itself, on the Application's clock.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Picture.h"
#include "platform/io/RecentFiles.h"
#include "platform/ui/Control.h"
#include "platform/ui/Form.h"

namespace veskel {

class Application;

// ---- file dialogs

// One entry of a filter string "Description|*.a;*.b|Description 2|*.c".
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*.png", ...
};
// Splits a filter string into its entries. A trailing description without a pattern list gets
// an empty one.
std::vector<FileFilter> ParseFileFilter(std::string_view filter);

struct FileDialogRequest {
    bool save = false;
    std::string title;                 // empty: the backend's default title
    std::string filter;                // "Description|*.ext|..."
    int filterIndex = 1;               // 1-based entry selected when the dialog opens
    std::string fileName;              // proposed file (full path or bare name)
    std::string initialDir;
    // Names the folder the backend remembers for this kind of dialog between runs ("projects");
    // used when neither fileName nor initialDir names a folder. Empty: nothing is remembered.
    std::string folderKey;
    std::string defaultExt;            // without the dot; appended by the caller, not the backend
    bool overwritePrompt = false;      // save: ask before replacing an existing file
    bool hideReadOnly = false;         // no "open read-only" option
    bool picturePreview = false;       // show a preview pane with the selected picture
};

struct FileDialogResult {
    std::string fileName;  // full path as chosen
    int filterIndex = 1;   // 1-based entry that was selected when the user accepted
};

// ---- message boxes (the classic flag and answer values)
enum MessageBoxFlags : unsigned {
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4,
    kMbIconError = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconWarning = 0x30,
    kMbIconInformation = 0x40,
};
enum MessageBoxAnswer : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// ---- popup menus
struct MenuItem {
    int command = 0;         // returned when chosen; 0 is reserved for "dismissed"
    std::string text;        // shown when there is no bitmap
    Bitmap bitmap;           // when not empty, the item shows only this bitmap
    bool enabled = true;
    bool separator = false;
};

// ---- cursors
struct CursorShape {
    CursorId id = kCrDefault;      // stock shape, or a registered custom number
    const Picture* image = nullptr;  // custom cursors: the image (alpha = transparency)
    Point hotSpot{};
};

class Backend {
public:
    virtual ~Backend() = default;

    // Called by the Application's constructor (and with nullptr by its destructor).
    virtual void Attach(Application* app) { app_ = app; }

    // ---- native windows, one per shown form. The backend reads caption, styles, screen
    // position (Form::ScreenRect) and pixels (Form::Surface) from the form.
    virtual void CreateWindow(Form& form) = 0;
    virtual void DestroyWindow(Form& form) = 0;
    virtual void ShowWindow(Form& form, bool activate) = 0;
    virtual void HideWindow(Form& form) = 0;
    // Position or size changed by the program (not reported back as a move).
    virtual void MoveWindow(Form& form) = 0;
    // Caption, frameless, top-most, tool-window, pop-up or translucency style changed.
    virtual void UpdateWindowStyle(Form& form) = 0;
    // Shows the given area (surface coordinates) of the form's surface.
    virtual void Present(Form& form, const Rect& area) = 0;
    virtual void RaiseWindow(Form& form, bool activate) = 0;
    // Minimizes, maximizes or restores a shown form's window (the form already holds the new
    // state). A change the user makes through the window manager comes back through
    // Application::DispatchWindowState.
    virtual void SetWindowState(Form& form, WindowState state) = 0;
    // Starts an interactive move with the pointer (the window manager's, or a manual fallback
    // that tracks the pointer until the button is released).
    virtual void StartSystemMove(Form& form) = 0;
    // The pointer shape over a form's window.
    virtual void SetCursor(Form& form, const CursorShape& cursor) = 0;
    // The keyboard focus inside a form moved to `focused` (nullptr: to the form itself), whoever
    // moved it; screen readers follow it.
    virtual void FocusMoved(Form& form, Control* focused) { (void)form, (void)focused; }

    // ---- loop and clock
    // Milliseconds on the Application's clock (monotonic; virtual in the headless backend).
    virtual std::int64_t NowMs() = 0;
    // Call Application::DispatchTimers() at (or soon after) this time; a later call replaces it.
    virtual void RequestWakeAt(std::int64_t timeMs) = 0;
    // Call Application::DispatchIdle() soon (posted messages, releases, pending paints).
    virtual void RequestIdle() = 0;
    // Runs the event loop until QuitLoop() (the headless backend returns at once).
    virtual void RunLoop() = 0;
    virtual void QuitLoop() = 0;

    // ---- desktop
    virtual Point PointerPosition() = 0;
    // Size of the monitor nearest to a screen rectangle.
    virtual Size MonitorSize(const Rect& screenRect) = 0;
    // Place and size of that monitor on the desktop (a single monitor at the origin unless the
    // backend knows better).
    virtual Rect MonitorRect(const Rect& screenRect) {
        const Size s = MonitorSize(screenRect);
        return {0, 0, s.width, s.height};
    }
    // The screen's pixels in a screen rectangle (a composition of our own windows where the
    // platform refuses a capture).
    virtual Bitmap CaptureScreen(const Rect& screenRect) = 0;
    // The screen's pixels behind one of our forms: what CaptureScreen would give with that form's
    // window taken away (a pop-up drawing its own shadow over what lies beneath it). The default
    // is CaptureScreen, for backends whose captures never see the form.
    virtual Bitmap CaptureScreenBehind(const Rect& screenRect, const Form& exclude) {
        (void)exclude;
        return CaptureScreen(screenRect);
    }
    // Whether the desktop composites windows now, so that a translucent form's see-through pixels
    // show what lies behind it, live (every Wayland session; X11 while a compositing manager
    // runs). Where it does not, a pop-up's shadow is drawn over a capture of the screen instead.
    virtual bool ComposesTranslucentWindows() { return false; }
    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& utf8) = 0;
    // A picture on the clipboard (an empty picture when it holds none), and putting one there
    // (which replaces any text, as on every desktop).
    virtual Picture ClipboardPicture() { return {}; }
    virtual void SetClipboardPicture(const Bitmap&) {}
    // The desktop entry (without ".desktop") the program's windows belong to, so that docks and
    // task bars show its name and icon. Called before the first window is created.
    virtual void SetDesktopIdentity(const std::string&) {}
    virtual bool OpenUrl(const std::string& url) = 0;
    // Adds a file to the desktop's list of recently used files (or moves it to the front).
    virtual void AddRecentFile(const RecentFile&) {}
    // Handles the window system's waiting paint requests (an area a closed dialog uncovered) and
    // shows the cursor, but no input: called before a long step so that the window looks alive.
    virtual void ShowPendingPaints() {}

    // ---- modal interaction
    virtual std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request) = 0;
    // Returns a MessageBoxAnswer.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // Shows a popup menu at a screen point and returns the chosen command, 0 when dismissed.
    virtual int PopupMenu(const std::vector<MenuItem>& items, Point screen) = 0;

protected:
    Application* app_ = nullptr;
};

}  // namespace veskel
