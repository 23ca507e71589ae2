#pragma once
// The Application: one per process, on the one UI thread. It owns the forms, the loop (driven by
// the backend) with its idle work (releasing forms, painting), the message timers and their
// clock, the cursors, the input router (InputRouter.h: capture, hover, clicks, focus, keys) and
// the exception boundary: an exception escaping an event handler is shown in a message box and
// the program keeps running.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Picture.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Control.h"
#include "platform/ui/InputRouter.h"
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


class Application {
public:
    // The backend must outlive the Application.
    explicit Application(Backend& backend);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The running Application (nullptr when there is none).
    static Application* Current();
    // The desktop services (pointer position, monitors, screen capture, menus, dialogs, links)
    // are the backend's own.
    Backend& GetBackend() { return backend_; }
    // Where pointer and key events go (capture, hover, clicks, focus, keys).
    InputRouter& Input() { return *input_; }

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
    // Destroys released forms and paints pending areas (what the loop does when it has nothing
    // else to do). Tests with the headless backend get it after every event.
    void ProcessMessages();

    // ---- clock
    std::int64_t NowMs() { return backend_.NowMs(); }

    // ---- clipboard
    std::string ClipboardText() { return backend_.ClipboardText(); }
    void SetClipboardText(const std::string& utf8) { backend_.SetClipboardText(utf8); }
    Picture ClipboardPicture() { return backend_.ClipboardPicture(); }
    void SetClipboardPicture(const Bitmap& image) { backend_.SetClipboardPicture(image); }

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

    // ---- exception boundary
    // Shows the exception's message in a message box (caption: Title). Called for anything an
    // event handler throws out of a backend entry point (Dispatch* here, the InputRouter's events).
    void ShowException(const std::exception& e);
    // Replaces ShowException's default message box (tests, logging).
    std::function<void(const std::string& message)> OnException;

    // ---- entry points for backends (all run inside the exception boundary); pointer and key
    // events go to Input()
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

    std::unique_ptr<InputRouter> input_;

    CursorId screenCursor_ = kCrDefault;
    struct CustomCursor {
        Picture image;
        Point hotSpot;
    };
    std::map<CursorId, CustomCursor> customCursors_;
};

}  // namespace veskel
