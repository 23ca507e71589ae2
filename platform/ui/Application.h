#pragma once
// The Application: one per process, on the one UI thread. It owns the message loop (driven by the
// backend), the message timers and their clock, pointer capture, enter/leave tracking, keyboard
// focus, cursors, and the exception boundary: an exception escaping an event handler is shown in a
// message box and the program keeps running.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Picture.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Control.h"
#include "platform/ui/Timer.h"

namespace veskel {

class Form;
class Application;

// The busy cursor over every window while a long step runs (saving, opening, exporting), shown
// together with the windows' pending paints before the step starts; the cursor before it comes
// back when the object goes.
class BusyCursor {
public:
    explicit BusyCursor(Application& app);
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    Application& app_;
    CursorId before_;
};
class HintWindow;
class HintPresenter;


class Application {
public:
    // The backend must outlive the Application.
    explicit Application(Backend& backend);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The running Application (nullptr when there is none).
    static Application* Current();
    Backend& GetBackend() { return backend_; }

    std::string Title = "veskel";

    // ---- forms
    // Creates a form owned by the Application; the first one becomes the main form.
    template <class T, class... Args>
    T* CreateForm(Args&&... args) {
        auto f = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = f.get();
        AdoptForm(std::move(f));
        return raw;
    }
    Form* AdoptForm(std::unique_ptr<Form> form);
    Form* MainForm() const { return mainForm_; }
    void SetMainForm(Form* f) { mainForm_ = f; }
    // Every live form, in creation order.
    const std::vector<Form*>& Forms() const { return forms_; }
    Form* ActiveForm() const { return activeForm_; }

    // ---- loop
    // Runs the backend's loop until Terminate() or the main form closes.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Runs posted messages, destroys released forms and paints pending areas (what the loop does
    // when it has nothing else to do). Tests with the headless backend get it after every event.
    void ProcessMessages();

    // ---- clock and timers
    std::int64_t NowMs() { return backend_.NowMs(); }
    // Milliseconds between two presses that make a double click.
    int DoubleClickTime = 500;
    // Milliseconds the pointer rests on a control before its hint shows (HintWindow.h).
    int HintPause = 500;
    // The hint window while one is shown, else nullptr.
    HintWindow* ShownHint() const;

    // ---- pointer and desktop
    Point PointerPosition() { return backend_.PointerPosition(); }
    Size MonitorSize(const Form& form);
    // Starts the window manager's move of a form. The move loop swallows the button release,
    // so the pointer state (held buttons, capture, the pending click) is dropped first.
    void StartWindowDrag(Form& form);
    Control* Hovered() const { return hovered_; }
    Bitmap CaptureScreen(const Rect& screenRect) { return backend_.CaptureScreen(screenRect); }
    bool OpenUrl(const std::string& url) { return backend_.OpenUrl(url); }
    std::string ClipboardText() { return backend_.ClipboardText(); }
    void SetClipboardText(const std::string& utf8) { backend_.SetClipboardText(utf8); }
    Picture ClipboardPicture() { return backend_.ClipboardPicture(); }
    void SetClipboardPicture(const Bitmap& image) { backend_.SetClipboardPicture(image); }

    // ---- capture and focus (the Application keeps both; controls go through these calls)
    // Pointer capture: every pointer event goes to the capturing control until every button is
    // released. A press captures the pointer for the control pressed on by itself.
    Control* Capture() const { return capture_; }
    void SetCapture(Control* c) { capture_ = c; }
    // Releases the capture if c holds it, dropping the held-button state with it.
    void ReleaseCapture(const Control* c);
    // Keyboard focus: the focused control of the active form (each form remembers its own,
    // Form::ActiveControl / SetActiveControl); nullptr when none.
    Control* FocusedControl() const;
    // The modifiers of the key being dispatched (0 outside a key event).
    ShiftState KeyShift() const { return keyShift_; }
    // A control is being destroyed: forgets it as capture, hover, press, focus and click
    // candidate.
    void ForgetControl(Control* c);

    // ---- cursors
    // Shows the cursor that now applies over the form (a control's cursor changed).
    void UpdateCursor(Form& form);
    // The application-wide cursor; anything but kCrDefault wins over every control's cursor.
    CursorId ScreenCursor() const { return screenCursor_; }
    void SetScreenCursor(CursorId id);
    // Registers (or replaces) a custom cursor made from an image with a hot spot.
    void RegisterCursor(CursorId id, Picture image, Point hotSpot);
    bool HasCursor(CursorId id) const { return customCursors_.count(id) != 0; }
    // The shape shown over a form right now (screen cursor, else the control under the pointer).
    CursorShape CurrentCursor(const Form& form) const;
    // Paints every window's pending area and lets the window system show it, with the cursor,
    // before a long step that reads no input (BusyCursor).
    void ShowPendingPaints();

    // ---- modal interaction
    int MessageBox(const std::string& text, const std::string& caption = {}, unsigned flags = kMbOk);
    int PopupMenu(const std::vector<MenuItem>& items, Point screen) { return backend_.PopupMenu(items, screen); }
    std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& r) { return backend_.RunFileDialog(r); }

    // ---- exception boundary
    // Shows the exception's message in a message box (caption: Title). Called for anything an
    // event handler throws out of a Dispatch* entry point.
    void ShowException(const std::exception& e);
    // Replaces ShowException's default message box (tests, logging).
    std::function<void(const std::string& message)> OnException;

    // ---- entry points for backends (all run inside the exception boundary)
    void DispatchMouseDown(Form& form, Point client, MouseButton button, ShiftState shift);
    void DispatchMouseMove(Form& form, Point client, ShiftState shift);
    void DispatchMouseUp(Form& form, Point client, MouseButton button, ShiftState shift);
    // The wheel turned by delta (120 per notch, positive away from the user) with the pointer at
    // client. It goes to the control under the pointer (the capturing control while there is
    // one) and on up its parents until one uses it.
    void DispatchMouseWheel(Form& form, Point client, int delta, ShiftState shift);
    // The pointer left the form's window.
    void DispatchMouseExit(Form& form);
    void DispatchKeyDown(Form& form, int key, ShiftState shift);
    void DispatchTextInput(Form& form, const std::string& utf8);
    // Files were dropped onto the form's window at a client point: the form's OnDropFiles.
    void DispatchDropFiles(Form& form, Point client, const std::vector<std::string>& paths);
    // The window was moved by the user (screen position of the client area).
    void DispatchMoved(Form& form, Point screenTopLeft);
    void DispatchActivate(Form& form, bool active);
    // The window manager minimized, maximized or restored the window.
    void DispatchWindowState(Form& form, WindowState state);
    // The user asked the window manager to close the window.
    void DispatchCloseRequest(Form& form);
    // The backend's window needs a full repaint (exposed).
    void DispatchExpose(Form& form, const Rect& area);
    void DispatchTimers();
    void DispatchIdle() { ProcessMessages(); }

private:
    // Paints every form's pending area, each paint inside the exception boundary.
    void PaintPendingForms();

    friend class Form;
    friend class Timer;

    template <class F>
    void Guarded(F&& f);
    void ScheduleTimers();
    void StartTimer(Timer* t);
    void StopTimer(Timer* t);
    void ForgetForm(Form* f);
    void RequestRelease(Form* f);
    void UpdateHover(Form& form, Point client);
    void SetHovered(Control* c);
    Control* TargetAt(Form& form, Point client, bool enabledOnly);

    Backend& backend_;
    std::vector<std::unique_ptr<Form>> ownedForms_;
    std::vector<Form*> forms_;
    Form* mainForm_ = nullptr;
    Form* activeForm_ = nullptr;
    bool terminated_ = false;
    bool inIdle_ = false;

    std::vector<Timer*> timers_;
    std::uint64_t timerOrder_ = 0;

    std::vector<Form*> released_;

    Control* capture_ = nullptr;
    MouseButton captureButton_ = MouseButton::Left;
    unsigned buttonsHeld_ = 0;
    Control* pressed_ = nullptr;      // the control a left press started on (for the click)
    bool pressWasDouble_ = false;
    Control* hovered_ = nullptr;
    Control* dispatchTarget_ = nullptr;  // cleared if the control dies while handling an event
    ShiftState keyShift_ = 0;            // modifiers of the key being dispatched
    Form* hoverForm_ = nullptr;
    Control* lastClickControl_ = nullptr;
    std::int64_t lastClickTime_ = 0;
    Point lastClickPos_{};

    std::unique_ptr<HintPresenter> hints_;

    CursorId screenCursor_ = kCrDefault;
    struct CustomCursor {
        Picture image;
        Point hotSpot;
    };
    std::map<CursorId, CustomCursor> customCursors_;
};

}  // namespace veskel
