#pragma once
// A top-level window. The form is the windowed control at the top of a control tree; it owns the
// surface (a 24-bit Bitmap the size of its client area) into which the whole tree paints, and the
// backend shows that surface pixel for pixel in a native window while the form is shown.
//
// Position and size are those of the client area on the screen (the window manager draws any
// frame outside it). A move raises Moved, an activation change OnActivate or OnDeactivate and
// then Activated; HitTest is asked before a press on the form's own surface (no windowed child
// under the pointer), and a Caption answer turns the press into a window drag.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/ui/Control.h"

namespace veskel {

enum class CloseAction { None, Hide, Free };
enum class FormPosition { Designed, ScreenCenter };
// How the window sits on the desktop: at its own place and size, minimized to the task bar or
// dock, or maximized by the window manager.
enum class WindowState { Normal, Minimized, Maximized };
// What a form is to the window that owns it. A pop-up belongs to its owner form: the window
// system keeps it above that form, lists it in no task bar and places it relative to the owner
// (a Wayland desktop places a pop-up in no other way, and flips or slides it to stay on the
// screen). Popup: takes the pointer and the keys, and is dismissed by a click elsewhere, which
// reaches the form as its deactivation. ToolTip: only shows; it takes neither the focus nor the
// pointer.
enum class PopupRole { None, Popup, ToolTip };
// What a point of a form's own surface is to the window manager: ordinary client area, or a
// caption that drags the window when pressed.
enum class HitArea { Client, Caption };

class Form : public CustomControl {
public:
    Form();
    ~Form() override;
    std::string ClassName() const override { return "TForm"; }

    // The caption is the native window's title (the task bar's name for the window).
    void SetCaption(std::string caption) override;

    // ---- window styles (set before or after showing; the backend follows)
    bool Frameless() const { return frameless_; }
    void SetFrameless(bool v);
    bool TopMost() const { return topMost_; }
    void SetTopMost(bool v);
    bool ToolWindow() const { return toolWindow_; }
    void SetToolWindow(bool v);
    // Makes the form a pop-up of `owner` (nullptr or PopupRole::None: an ordinary window again).
    // Set it before the first show. Left/Top stay screen coordinates; the backend places the
    // window at the same offset from its owner's window (PlaceInOwner).
    void SetPopupOf(Form* owner, PopupRole role = PopupRole::Popup);
    // The owner form (nullptr when none, or when the owner no longer exists).
    Form* PopupOwner() const;
    PopupRole GetPopupRole() const { return PopupOwner() ? popupRole_ : PopupRole::None; }
    // The pop-up's rectangle relative to its owner's client area (its screen rectangle when it
    // has no owner).
    Rect PlaceInOwner() const;
    // Per-pixel opacity: when on, the backend shows the surface through the opacity plane, and
    // where the desktop composites windows, what lies behind shows through (and stays live).
    // Set it before the first show. Only worth asking for where the backend composites
    // (Backend::ComposesTranslucentWindows).
    bool Translucent() const { return translucent_; }
    void SetTranslucent(bool v);
    // One byte a pixel, rows top first, 255 opaque; empty: every pixel opaque. A plane whose size
    // is not the surface's is ignored.
    const std::vector<std::uint8_t>& SurfaceOpacity() const { return opacity_; }
    void SetSurfaceOpacity(std::vector<std::uint8_t> plane);
    // Where the first Show places the form: as designed (Left/Top) or centred on the screen.
    FormPosition Position() const { return position_; }
    void SetPosition(FormPosition p) { position_ = p; }
    // The window state. Setting it asks the backend to change the shown window (a form not yet
    // shown takes the state when it is shown); the form follows when the user or the window
    // manager changes the state by other means, as far as the backend hears of it.
    WindowState GetWindowState() const { return windowState_; }
    void SetWindowState(WindowState state);

    // ---- geometry: Left/Top are screen coordinates of the client area
    void SetBounds(int left, int top, int width, int height) override;
    void SetClientSize(int width, int height) { SetBounds(Left(), Top(), width, height); }
    Rect ScreenRect() const { return BoundsRect(); }

    // ---- life cycle
    // Raises OnCreate once; call after construction and after loading the stored layout.
    void FinishCreate();
    // Shows the form (creating its native window) and activates it; raises OnShow.
    void ShowForm();
    // Shows the form without activating it (a hint).
    void ShowInactive();
    void HideForm();
    bool IsShown() const { return shown_; }
    // Asks the form to close: OnClose decides (default Hide; the main form ends the application).
    void Close();
    // Destroys the form once the message being handled has returned. Only for forms owned by the
    // Application or by a control; any other form is just hidden.
    void Release();
    // Raises OnDestroy once. ~Form calls it; a derived form whose handler needs the derived
    // members calls it first thing in its own destructor.
    void DoDestroy();
    // Brings the form to the front and makes it the active window.
    void Activate();
    bool Active() const { return active_; }
    // Starts the window manager's interactive move of the shown window (a press on a title bar).
    void StartWindowDrag();
    // The answer of HitTest for a screen point: Client, unless a listener says otherwise.
    HitArea HitTestAt(Point screen);

    // The focused control of this form (nullptr: keys go to the form itself).
    Control* ActiveControl() const { return activeControl_; }
    void SetActiveControl(Control* c);
    // Forgets c as the focused control without focus notices (c is being destroyed).
    void ForgetActiveControl(const Control* c) {
        if (activeControl_ == c) activeControl_ = nullptr;
    }

    // ---- surface
    const Bitmap& Surface() const { return surface_; }
    // The area waiting to be painted, in surface coordinates (empty when all is painted).
    Rect DirtyRect() const { return dirty_; }
    // Adds an area (surface coordinates) to the pending repaint and asks the loop for an idle pass.
    void InvalidateSurface(const Rect& r);
    // Paints the pending area now and presents it.
    void UpdateSurface();
    // Repaints the whole surface now (what a screenshot of a fresh window shows).
    void PaintAll();
    // How many times a control's Paint ran (a probe for tests and benchmarks).
    std::uint64_t PaintCount() const { return paintCount_; }

    // ---- events
    NotifyEvent OnCreate;
    NotifyEvent OnShow;
    NotifyEvent OnHide;
    NotifyEvent OnDestroy;
    NotifyEvent OnActivate;
    NotifyEvent OnDeactivate;
    std::function<void(Form& sender, CloseAction& action)> OnClose;
    // Sees every key pressed in the window before the focused control does (the window's own
    // shortcuts); returning true keeps the key from the control.
    std::function<bool(Form& sender, int key, ShiftState shift)> OnShortcutKey;
    // Files dropped onto the window (local paths). A form without the handler takes no drops.
    std::function<void(Form& sender, const std::vector<std::string>& paths)> OnDropFiles;

    // ---- signals: many listeners, each after the form's own handling, in connection order
    // The window moved (its client area's new screen position), by the program or the user.
    Signal<Point> Moved;
    // The window became active (true) or inactive, after OnActivate / OnDeactivate.
    Signal<bool> Activated;
    // A press on the form's own surface at a screen point asks what lies there; a listener may
    // change the answer it is handed (earlier listeners' answers included).
    Signal<Point, HitArea&> HitTest;
    // The fonts installed for the process changed: whoever installs one raises it on every form.
    Signal<> FontsChanged;

    const PropertyTable& StoredProperties() const override;

private:
    friend class Application;
    friend class Control;
    friend class FormPainter;
    void SetActiveFlag(bool active);
    // Raises OnActivate or OnDeactivate, then Activated.
    void ActivationChanged(bool active);
    void NativeMoved(Point screenTopLeft);
    void NativeStateChanged(WindowState state) { windowState_ = state; }
    void PaintArea(const Rect& area);
    void OpenWindow(bool activate);

    bool frameless_ = false;
    bool topMost_ = false;
    bool toolWindow_ = false;
    bool translucent_ = false;
    PopupRole popupRole_ = PopupRole::None;
    WindowHandle popupOwner_ = 0;
    std::vector<std::uint8_t> opacity_;
    FormPosition position_ = FormPosition::Designed;
    WindowState windowState_ = WindowState::Normal;
    bool created_ = false;
    bool shown_ = false;
    bool nativeWindow_ = false;
    bool active_ = false;
    bool painting_ = false;
    bool destroying_ = false;
    bool destroyRaised_ = false;
    bool placed_ = false;
    Control* activeControl_ = nullptr;
    Bitmap surface_;
    Rect dirty_{};
    std::uint64_t paintCount_ = 0;
};

}  // namespace veskel
