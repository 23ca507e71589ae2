#include "platform/backends/web/WebBackend.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/backends/web/WebDesktop.h"
#include "platform/codecs/Codecs.h"
#include "platform/codecs/ImageFormats.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

// The page's side (web.js). Calls marked "waits" suspend the program until the page answers.
extern "C" {
void veskel_web_init(int width, int height, const char* homeFolder, const char* downloadFolder);
double veskel_web_now();
void veskel_web_wake_after(double ms);
void veskel_web_request_idle();
// `startedMs`: when the program began composing the area (the present's time is measured from it).
void veskel_web_blit(const std::uint8_t* rgba, int stride, int x, int y, int width, int height, double startedMs);
void veskel_web_window_rect(int x, int y, int width, int height);
void veskel_web_first_frame();
void veskel_web_set_cursor(int id, const std::uint8_t* rgba, int width, int height, int hotX, int hotY);
int veskel_web_language();
int veskel_web_message_box(const char* text, const char* caption, int icon, const char* buttons);  // waits
void veskel_web_menu_item(int command, const char* text, int enabled, int separator, const std::uint8_t* rgba,
                          int width, int height);
int veskel_web_menu_run(int x, int y);                                                       // waits
int veskel_web_pick_file(const char* accept);                                                // waits
int veskel_web_choose_type(const char* title, const char* types, int selected);              // waits
void veskel_web_take_string(char* buffer, int size);
void veskel_web_flush_downloads();
void veskel_web_set_clipboard_text(const char* utf8);
void veskel_web_set_clipboard_png(const std::uint8_t* bytes, int size);
int veskel_web_open_url(const char* url);
void veskel_web_closed();
void veskel_web_set_title(const char* utf8);
}

namespace veskel::web {

namespace {

// The page's desktop, in CSS pixels: room round the main window for the palette and the hints.
constexpr Size kDesktop{640, 560};
// What shows where no window is (the page's own background).
constexpr Color kDesktopColour = RGB(242, 242, 242);
// Where the pointer is while it is off the canvas: far from every window, so that a pop-up
// watching the pointer sees it leave.
constexpr Point kPointerElsewhere{-1000000, -1000000};
// Picked and dropped files land in the home folder; whatever the program writes there (a project
// saved again under the name it was opened with) is offered to the browser as a download. Files
// written to the downloads folder are offered and removed.
constexpr const char* kHomeFolder = "/home/web_user";
constexpr const char* kDownloadFolder = "/home/web_user/downloads";

// The captions of the message boxes' buttons in the program's language.
const char* ButtonCaption(int answer) {
    const bool russian = ChosenLanguage() == Language::Russian;
    switch (answer) {
    case kIdCancel: return russian ? "Отмена" : "Cancel";
    case kIdYes: return russian ? "Да" : "Yes";
    case kIdNo: return russian ? "Нет" : "No";
    default: return "OK";
    }
}

// A file picker's accept list from a filter string: ".png,.jpg,.jpeg" (empty: anything). Every
// extension of a picture format is accepted, also those the filter's text does not name.
std::string AcceptList(const std::string& filter) {
    std::string accept;
    for (const FileFilter& f : ParseFileFilter(filter)) {
        for (const std::string& pattern : MatchingPatterns(f.patterns)) {
            if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0) return {};  // "*" or "*.*": anything
            const std::string ext = pattern.substr(1);
            if (accept.find(ext + ",") != std::string::npos || accept.ends_with(ext)) continue;
            if (!accept.empty()) accept += ',';
            accept += ext;
        }
    }
    return accept;
}

// The last part of a path, made safe as a file name in one folder (the caller appends any
// extension). Empty or dot names become `fallback`.
std::string PlainFileName(const std::string& path, const std::string& fallback) {
    std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    name.erase(std::remove(name.begin(), name.end(), '\0'), name.end());
    if (name.empty() || name == "." || name == "..") return fallback;
    return name;
}

std::string TakePageString(int length) {
    if (length <= 0) return {};
    std::string s(std::size_t(length) + 1, '\0');
    veskel_web_take_string(s.data(), length + 1);
    s.resize(std::strlen(s.c_str()));
    return s;
}

std::vector<std::uint8_t> Rgba(const Bitmap& color, const std::vector<std::uint8_t>* alpha) {
    std::vector<std::uint8_t> out(std::size_t(color.Width()) * std::size_t(color.Height()) * 4);
    std::uint8_t* d = out.data();
    for (int y = 0; y < color.Height(); ++y) {
        const std::uint8_t* s = color.Row(y);
        for (int x = 0; x < color.Width(); ++x, s += 3, d += 4) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            d[3] = alpha ? (*alpha)[std::size_t(y) * std::size_t(color.Width()) + std::size_t(x)] : 255;
        }
    }
    return out;
}

}  // namespace

class WebBackend final : public Backend {
public:
    WebBackend() : frame_(std::size_t(kDesktop.width) * std::size_t(kDesktop.height) * 4) {
        veskel_web_init(kDesktop.width, kDesktop.height, kHomeFolder, kDownloadFolder);
        ComposeAndShow({0, 0, kDesktop.width, kDesktop.height});
    }

    static WebBackend* Current() { return current_; }
    void Attach(Application* app) override {
        Backend::Attach(app);
        current_ = app ? this : nullptr;
    }

    // ---- windows

    void CreateWindow(Form& form) override {
        if (!Find(form)) windows_.push_back({&form});
    }
    void DestroyWindow(Form& form) override {
        const Window* w = Find(form);
        if (!w) return;
        const Rect was = w->shownAt;
        Forget(form);
        windows_.erase(std::remove_if(windows_.begin(), windows_.end(), [&](const Window& x) { return x.form == &form; }),
                       windows_.end());
        ComposeAndShow(was);
    }
    void ShowWindow(Form& form, bool activate) override {
        CreateWindow(form);
        Window* w = Find(form);
        w->shown = true;
        Raise(form);
        Reshow(*w);
        if (activate && form.GetPopupRole() != PopupRole::ToolTip && app_) app_->DispatchActivate(form, true);
    }
    void HideWindow(Form& form) override {
        Window* w = Find(form);
        if (!w || !w->shown) return;
        w->shown = false;
        Forget(form);
        const Rect was = std::exchange(w->shownAt, Rect{});
        ComposeAndShow(was);
    }
    void MoveWindow(Form& form) override {
        if (Window* w = Find(form); w && w->shown) Reshow(*w);
    }
    // A caption (the tab's title) or a style; the pixels follow with the next present.
    void UpdateWindowStyle(Form& form) override {
        Window* w = Find(form);
        if (!w || !w->shown) return;
        if (w->shownAt != form.ScreenRect()) Reshow(*w);
        else NoteMainWindow(form);
    }
    void Present(Form& form, const Rect& area) override {
        Window* w = Find(form);
        if (!w || !w->shown) return;
        if (w->shownAt != form.ScreenRect()) {
            Reshow(*w);
            return;
        }
        ComposeAndShow(area.Intersect(form.Surface().Bounds()).Offset(form.Left(), form.Top()));
        NoteMainWindow(form);
    }
    void RaiseWindow(Form& form, bool activate) override {
        Raise(form);
        if (Window* w = Find(form); w && w->shown) ComposeAndShow(w->shownAt);
        if (activate && app_) app_->DispatchActivate(form, true);
    }
    // The page has no task bar: a window stays as it is; the form keeps the state it asked for.
    void SetWindowState(Form&, WindowState) override {}
    // The window follows the pointer until the button is let go (Pointer, DragWindow).
    void StartSystemMove(Form& form) override {
        if (!Find(form) || held_ == 0) return;
        move_ = MoveDrag{&form, pointer_, {form.Left(), form.Top()}};
    }
    void SetCursor(Form& form, const CursorShape& cursor) override {
        Window* w = Find(form);
        if (!w) return;
        w->cursor = cursor;
        if (PointerForm() == &form) ShowCursor(cursor);
    }

    // ---- loop and clock

    std::int64_t NowMs() override { return std::int64_t(std::floor(veskel_web_now())); }
    // No timer running asks for a wake-up at the end of time. The browser runs a longer wait than
    // its 32-bit limit at once, which would wake the page every few milliseconds for nothing: the
    // wait is cut to that limit (and Timer() sleeps again if woken early).
    void RequestWakeAt(std::int64_t timeMs) override {
        wakeAt_ = timeMs;
        veskel_web_wake_after(double(std::clamp<std::int64_t>(timeMs - NowMs(), 0, INT32_MAX)));
    }
    void RequestIdle() override { veskel_web_request_idle(); }
    // The browser runs the loop: the program returns to it after every event.
    void RunLoop() override {}
    // The main window was closed: the page says how to start again.
    void QuitLoop() override { veskel_web_closed(); }

    // ---- desktop

    Point PointerPosition() override { return pointerInside_ || held_ ? pointer_ : kPointerElsewhere; }
    Size MonitorSize(const Rect&) override { return kDesktop; }
    Rect MonitorRect(const Rect&) override { return {0, 0, kDesktop.width, kDesktop.height}; }
    Bitmap CaptureScreen(const Rect& r) override { return Capture(r, nullptr); }
    Bitmap CaptureScreenBehind(const Rect& r, const Form& exclude) override { return Capture(r, &exclude); }
    bool ComposesTranslucentWindows() override { return true; }
    std::string ClipboardText() override { return clipboardText_; }
    void SetClipboardText(const std::string& utf8) override {
        clipboardText_ = utf8;
        clipboardPicture_.clear();
        veskel_web_set_clipboard_text(utf8.c_str());
    }
    Picture ClipboardPicture() override {
        if (clipboardPicture_.empty()) return {};
        try {
            return DecodeImage("clipboard", clipboardPicture_);
        } catch (const std::exception&) {
            return {};  // not a picture we can read: the clipboard holds none
        }
    }
    void SetClipboardPicture(const Bitmap& image) override {
        clipboardPicture_ = EncodePng(image);
        clipboardText_.clear();
        veskel_web_set_clipboard_png(clipboardPicture_.data(), int(clipboardPicture_.size()));
    }
    bool OpenUrl(const std::string& url) override { return veskel_web_open_url(url.c_str()) != 0; }
    void ShowPendingPaints() override {}

    // ---- modal interaction

    std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request) override {
        FileDialogResult result;
        result.filterIndex = request.filterIndex;
        if (!request.save) {
            const std::string path = TakePageString(veskel_web_pick_file(AcceptList(request.filter).c_str()));
            if (path.empty()) return std::nullopt;
            result.fileName = path;
            return result;
        }
        // A save asks only for the file's type, and only where there is a choice: the file goes
        // to the downloads folder under the proposed name and from there to the browser.
        const std::vector<FileFilter> filters = ParseFileFilter(request.filter);
        if (filters.size() > 1) {
            std::string types;
            for (const FileFilter& f : filters) types += f.description + "\n";
            const int chosen = veskel_web_choose_type(request.title.c_str(), types.c_str(), request.filterIndex);
            if (chosen < 1) return std::nullopt;
            result.filterIndex = chosen;
        }
        result.fileName = std::string(kDownloadFolder) + "/" + PlainFileName(request.fileName, "veskel");
        return result;
    }
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        std::vector<int> answers;
        switch (flags & 0x0F) {
        case kMbOkCancel: answers = {kIdOk, kIdCancel}; break;
        case kMbYesNoCancel: answers = {kIdYes, kIdNo, kIdCancel}; break;
        case kMbYesNo: answers = {kIdYes, kIdNo}; break;
        default: answers = {kIdOk}; break;
        }
        std::string buttons;
        for (int a : answers) buttons += std::to_string(a) + "\n" + ButtonCaption(a) + "\n";
        const int answer = veskel_web_message_box(InUserTerms(text, kHomeFolder, kDownloadFolder).c_str(),
                                                  caption.c_str(), int(flags & 0xF0), buttons.c_str());
        if (std::find(answers.begin(), answers.end(), answer) != answers.end()) return answer;
        // Closed without a button: the gentlest answer the box offers.
        return answers.back();
    }
    int PopupMenu(const std::vector<MenuItem>& items, Point screen) override {
        if (items.empty()) return 0;
        for (const MenuItem& item : items) {
            const std::vector<std::uint8_t> rgba = item.bitmap.IsEmpty() ? std::vector<std::uint8_t>{} : Rgba(item.bitmap, nullptr);
            veskel_web_menu_item(item.command, item.text.c_str(), item.enabled, item.separator,
                                 rgba.empty() ? nullptr : rgba.data(), item.bitmap.Width(), item.bitmap.Height());
        }
        return veskel_web_menu_run(screen.x, screen.y);
    }

    // ---- the page's events (desktop coordinates in CSS pixels)

    enum PointerEvent { kDown = 0, kUp = 1, kMove = 2, kLeave = 3 };

    void Pointer(int type, Point p, int button, ShiftState shift) {
        if (!app_) return;
        if (type == kLeave) {
            pointerInside_ = false;
            if (held_ == 0) Hover(nullptr);
            return;
        }
        pointerInside_ = true;
        pointer_ = p;
        const MouseButton b = button == 2 ? MouseButton::Right : button == 1 ? MouseButton::Middle : MouseButton::Left;
        const unsigned bit = 1u << unsigned(b);
        if (type == kMove && move_) {
            DragWindow();
            return;
        }
        Form* target = grab_ ? grab_ : FormAt(p);
        if (type == kDown) {
            if (!target) {
                // A press on the bare desktop takes the activation from the active window, which
                // dismisses a pop-up.
                if (Form* active = app_->ActiveForm()) app_->DispatchActivate(*active, false);
                return;
            }
            if (held_ == 0) grab_ = target;
            held_ |= bit;
            if (!target->Active()) app_->DispatchActivate(*target, true);
            if (!Find(*target)) return;  // the activation closed it
            app_->Input().MouseDown(*target, Client(*target), b, shift);
        } else if (type == kUp) {
            if (!(held_ & bit)) return;
            held_ &= ~bit;
            if (held_ == 0) {
                grab_ = nullptr;
                if (std::exchange(move_, std::nullopt)) return;
            }
            if (target) app_->Input().MouseUp(*target, Client(*target), b, shift);
            if (held_ == 0) Hover(FormAt(p));
        } else {
            Hover(target);
            if (target) app_->Input().MouseMove(*target, Client(*target), shift);
        }
    }
    void Wheel(Point p, int delta, ShiftState shift) {
        pointer_ = p;
        pointerInside_ = true;
        if (Form* target = grab_ ? grab_ : FormAt(p)) app_->Input().MouseWheel(*target, Client(*target), delta, shift);
    }
    void Key(bool down, int key, ShiftState shift) {
        Form* target = KeyboardForm();
        if (!target || key == 0) return;
        if (down) app_->Input().KeyDown(*target, key, shift);
        else app_->Input().KeyUp(*target, key, shift);
    }
    void Text(const std::string& utf8) {
        if (Form* target = KeyboardForm()) app_->Input().TextInput(*target, utf8);
    }
    void Drop(Point p, const std::vector<std::string>& paths) {
        Form* target = FormAt(p);
        if (!target || !target->OnDropFiles) target = app_->MainForm();
        if (target) app_->DispatchDropFiles(*target, {p.x - target->Left(), p.y - target->Top()}, paths);
    }
    // The canvas was made anew (another pixel scale): everything is shown again.
    void Expose() { ComposeAndShow({0, 0, kDesktop.width, kDesktop.height}); }
    // The page lost the keyboard (another page element or window has it): a pop-up goes.
    void Blur() {
        Form* active = app_ ? app_->ActiveForm() : nullptr;
        if (active && active->GetPopupRole() == PopupRole::Popup) app_->DispatchActivate(*active, false);
    }
    void Clipboard(std::string text, std::vector<std::uint8_t> picture) {
        clipboardText_ = std::move(text);
        clipboardPicture_ = std::move(picture);
    }
    void Timer() {
        if (!app_ || !wakeAt_) return;
        if (NowMs() < *wakeAt_) {
            RequestWakeAt(*wakeAt_);  // the browser woke us a moment early
            return;
        }
        wakeAt_.reset();
        app_->DispatchTimers();
    }
    // The main window painted whole and shown: what a full repaint costs (the page's
    // measurement hook). Returns the milliseconds of the present within it.
    double RepaintAll() {
        Form* main = app_ ? app_->MainForm() : nullptr;
        if (!main || !main->Visible()) return -1;
        main->PaintAll();
        return lastPresentMs_;
    }
    // After every call from the page: the idle pass, then the downloads it left.
    void Settle() {
        if (app_) app_->ProcessMessages();
        veskel_web_flush_downloads();
    }

private:
    struct Window {
        Form* form;
        bool shown = false;
        Rect shownAt{};  // the desktop area it covers now (empty while hidden)
        CursorShape cursor{};
        std::uint64_t raised = 0;
    };
    struct MoveDrag {
        Form* form;
        Point pointerStart;
        Point windowStart;
    };

    Window* Find(const Form& form) {
        for (Window& w : windows_)
            if (w.form == &form) return &w;
        return nullptr;
    }
    // Hints above pop-ups and top-most windows, those above the rest; each group in raise order.
    static int Band(const Form& form) {
        if (form.GetPopupRole() == PopupRole::ToolTip) return 2;
        return form.GetPopupRole() == PopupRole::Popup || form.TopMost() ? 1 : 0;
    }
    void Raise(Form& form) {
        if (Window* w = Find(form)) w->raised = ++raiseCount_;
        std::stable_sort(windows_.begin(), windows_.end(), [](const Window& a, const Window& b) {
            const int ba = Band(*a.form), bb = Band(*b.form);
            return ba != bb ? ba < bb : a.raised < b.raised;
        });
    }
    std::vector<DesktopLayer> Layers(const Form* exclude = nullptr) const {
        std::vector<DesktopLayer> layers;
        for (const Window& w : windows_) {
            if (!w.shown || w.form == exclude || w.shownAt.IsEmpty()) continue;
            layers.push_back({&w.form->Surface(), &w.form->SurfaceOpacity(), {w.shownAt.left, w.shownAt.top},
                              w.form->Translucent()});
        }
        return layers;
    }
    // The window under a desktop point that takes the pointer (hints never do).
    Form* FormAt(Point p) {
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            if (it->shown && it->shownAt.Contains(p) && it->form->GetPopupRole() != PopupRole::ToolTip) return it->form;
        return nullptr;
    }
    Point Client(const Form& form) const { return {pointer_.x - form.Left(), pointer_.y - form.Top()}; }
    Form* PointerForm() { return grab_ ? grab_ : hover_; }
    Form* KeyboardForm() {
        Form* active = app_ ? app_->ActiveForm() : nullptr;
        if (active && Find(*active) && Find(*active)->shown) return active;
        return app_ ? app_->MainForm() : nullptr;
    }
    void Hover(Form* form) {
        if (hover_ == form) return;
        Form* left = std::exchange(hover_, form);
        if (left && Find(*left)) app_->Input().MouseExit(*left);
        const Window* w = form ? Find(*form) : nullptr;
        ShowCursor(w ? w->cursor : CursorShape{});
    }
    void Forget(const Form& form) {
        if (grab_ == &form) grab_ = nullptr, held_ = 0;
        if (hover_ == &form) hover_ = nullptr;
        if (move_ && move_->form == &form) move_.reset();
    }
    void ShowCursor(const CursorShape& cursor) {
        if (cursor.image && !cursor.image->IsEmpty()) {
            const std::vector<std::uint8_t> rgba = Rgba(cursor.image->color, cursor.image->HasAlpha() ? &cursor.image->alpha : nullptr);
            veskel_web_set_cursor(cursor.id, rgba.data(), cursor.image->Width(), cursor.image->Height(), cursor.hotSpot.x,
                                  cursor.hotSpot.y);
        } else {
            veskel_web_set_cursor(cursor.id, nullptr, 0, 0, 0, 0);
        }
    }
    void DragWindow() {
        Form& form = *move_->form;
        Point to{move_->windowStart.x + pointer_.x - move_->pointerStart.x,
                 move_->windowStart.y + pointer_.y - move_->pointerStart.y};
        // Some of the window stays on the desktop, where it can be taken again.
        to.x = std::clamp(to.x, 48 - form.Width(), kDesktop.width - 48);
        to.y = std::clamp(to.y, 0, kDesktop.height - 24);
        if (to.x == form.Left() && to.y == form.Top()) return;
        app_->DispatchMoved(form, to);
        if (Window* w = Find(form)) Reshow(*w);
    }
    // The window's area moved or changed: the old place and the new one are composed again.
    void Reshow(Window& w) {
        const Rect was = w.shownAt;
        w.shownAt = w.form->ScreenRect();
        if (was.IsEmpty()) ComposeAndShow(w.shownAt);
        else if (was.Intersect(w.shownAt).IsEmpty()) ComposeAndShow(was), ComposeAndShow(w.shownAt);
        else ComposeAndShow(was.Union(w.shownAt));
        NoteMainWindow(*w.form);
    }
    void ComposeAndShow(const Rect& area) {
        const Rect r = area.Intersect({0, 0, kDesktop.width, kDesktop.height});
        if (r.IsEmpty()) return;
        const double started = veskel_web_now();
        const std::vector<DesktopLayer> layers = Layers();
        ComposeDesktop(layers, r, kDesktopColour, frame_.data(), std::size_t(kDesktop.width) * 4, {0, 0});
        veskel_web_blit(frame_.data(), kDesktop.width * 4, r.left, r.top, r.Width(), r.Height(), started);
        lastPresentMs_ = veskel_web_now() - started;
    }
    Bitmap Capture(const Rect& r, const Form* exclude) const {
        if (r.IsEmpty()) return {};
        std::vector<std::uint8_t> rgba(std::size_t(r.Width()) * std::size_t(r.Height()) * 4);
        const std::vector<DesktopLayer> layers = Layers(exclude);
        ComposeDesktop(layers, r, kDesktopColour, rgba.data(), std::size_t(r.Width()) * 4, {r.left, r.top});
        Bitmap out(r.Width(), r.Height());
        for (int y = 0; y < r.Height(); ++y) {
            const std::uint8_t* s = rgba.data() + std::size_t(y) * std::size_t(r.Width()) * 4;
            std::uint8_t* d = out.Row(y);
            for (int x = 0; x < r.Width(); ++x, s += 4, d += 3) d[0] = s[2], d[1] = s[1], d[2] = s[0];
        }
        return out;
    }
    // The page's hooks follow the main window: where it is, and its first frame.
    // The tab's title is the main window's caption (the file's name and whether it changed).
    void NoteMainWindow(const Form& form) {
        if (!app_ || &form != app_->MainForm()) return;
        const Rect r = form.ScreenRect();
        veskel_web_window_rect(r.left, r.top, r.Width(), r.Height());
        if (title_ != form.Caption()) {
            title_ = form.Caption();
            veskel_web_set_title(title_.c_str());
        }
        if (!firstFrame_ && Find(form)->shown) {
            firstFrame_ = true;
            veskel_web_first_frame();
        }
    }

    static inline WebBackend* current_ = nullptr;
    std::vector<Window> windows_;  // bottom first
    std::uint64_t raiseCount_ = 0;
    std::vector<std::uint8_t> frame_;
    double lastPresentMs_ = 0;
    std::optional<std::int64_t> wakeAt_;
    Point pointer_ = kPointerElsewhere;
    bool pointerInside_ = false;
    unsigned held_ = 0;
    Form* grab_ = nullptr;
    Form* hover_ = nullptr;
    std::optional<MoveDrag> move_;
    bool firstFrame_ = false;
    std::string title_;
    std::string clipboardText_;
    std::vector<std::uint8_t> clipboardPicture_;
};

std::unique_ptr<Backend> MakeWebBackend() { return std::make_unique<WebBackend>(); }

Language BrowserLanguage() { return veskel_web_language() == 1 ? Language::Russian : Language::English; }

// Every call from the page ends with the idle pass; whatever the handlers throw past the
// Application's own boundary is shown the same way.
template <class F>
void FromPage(F&& f) {
    WebBackend* backend = WebBackend::Current();
    Application* app = Application::Current();
    if (!backend || !app) return;
    try {
        f(*backend);
        backend->Settle();
    } catch (const std::exception& e) {
        app->ShowException(e);
    }
}

// A string the page allocated with veskel_web_alloc; the program owns it from here.
std::string Adopt(char* utf8) {
    std::string s = utf8 ? utf8 : "";
    std::free(utf8);
    return s;
}

}  // namespace veskel::web

using veskel::web::Adopt;
using veskel::web::FromPage;
using veskel::web::WebBackend;

extern "C" {

EMSCRIPTEN_KEEPALIVE void* veskel_web_alloc(int size) { return std::malloc(std::size_t(std::max(size, 1))); }

EMSCRIPTEN_KEEPALIVE void veskel_web_pointer(int type, int x, int y, int button, int shift) {
    FromPage([&](WebBackend& b) { b.Pointer(type, {x, y}, button, veskel::ShiftState(shift)); });
}

EMSCRIPTEN_KEEPALIVE void veskel_web_wheel(int x, int y, int delta, int shift) {
    FromPage([&](WebBackend& b) { b.Wheel({x, y}, delta, veskel::ShiftState(shift)); });
}

EMSCRIPTEN_KEEPALIVE void veskel_web_key(int down, char* code, char* key, int shift) {
    const std::string c = Adopt(code), k = Adopt(key);
    FromPage([&](WebBackend& b) { b.Key(down != 0, veskel::web::VirtualKeyOf(c, k), veskel::ShiftState(shift)); });
}

EMSCRIPTEN_KEEPALIVE void veskel_web_text(char* utf8) {
    const std::string text = Adopt(utf8);
    FromPage([&](WebBackend& b) { b.Text(text); });
}

// Files the page wrote into the program's folders ("\n" between paths), dropped at a point.
EMSCRIPTEN_KEEPALIVE void veskel_web_drop(int x, int y, char* paths) {
    const std::string all = Adopt(paths);
    std::vector<std::string> list;
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = std::min(all.find('\n', start), all.size());
        if (end > start) list.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    FromPage([&](WebBackend& b) { b.Drop({x, y}, list); });
}

// What the browser's clipboard holds as a paste begins: text, or a picture file's bytes.
EMSCRIPTEN_KEEPALIVE void veskel_web_clipboard(char* text, std::uint8_t* picture, int size) {
    std::vector<std::uint8_t> bytes(picture, picture + std::max(size, 0));
    std::free(picture);
    std::string t = Adopt(text);
    if (WebBackend* b = WebBackend::Current()) b->Clipboard(std::move(t), std::move(bytes));
}

EMSCRIPTEN_KEEPALIVE void veskel_web_blur() {
    FromPage([](WebBackend& b) { b.Blur(); });
}

EMSCRIPTEN_KEEPALIVE void veskel_web_expose() {
    FromPage([](WebBackend& b) { b.Expose(); });
}

EMSCRIPTEN_KEEPALIVE void veskel_web_timer() {
    FromPage([](WebBackend& b) { b.Timer(); });
}

// The page's measurement hook (window.veskel.repaintAll): the present's milliseconds, or -1
// while there is no main window to paint.
EMSCRIPTEN_KEEPALIVE double veskel_web_repaint_all() {
    double present = -1;
    FromPage([&](WebBackend& b) { present = b.RepaintAll(); });
    return present;
}

EMSCRIPTEN_KEEPALIVE void veskel_web_idle() {
    FromPage([](WebBackend&) {});
}

}  // extern "C"
