#include "platform/backends/qt/QtBackend.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDateTime>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QUrl>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <exception>
#include <utility>

#include "platform/backends/qt/QtAccessibility.h"
#include "platform/backends/qt/QtBackendImpl.h"
#include "platform/backends/qt/QtConvert.h"
#include "platform/backends/qt/QtDialogs.h"
#include "platform/io/RecentFiles.h"
#include "platform/lang/Translate.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel::qt {

std::unique_ptr<Backend> MakeQtBackend(int& argc, char** argv) { return std::make_unique<QtBackend>(argc, argv); }

// ---- translation helpers

ShiftState ToShiftState(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    ShiftState s = 0;
    if (mods & Qt::ShiftModifier) s |= kShift;
    if (mods & Qt::AltModifier) s |= kAlt;
    if (mods & Qt::ControlModifier) s |= kCtrl;
    if (buttons & Qt::LeftButton) s |= kLeftHeld;
    if (buttons & Qt::RightButton) s |= kRightHeld;
    if (buttons & Qt::MiddleButton) s |= kMiddleHeld;
    return s;
}

int ToVirtualKey(int qtKey, Qt::KeyboardModifiers mods) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;  // same codes
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        // Digits of the number pad have codes of their own.
        return (mods & Qt::KeypadModifier) ? 0x60 + (qtKey - Qt::Key_0) : qtKey;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return kKeyF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return kKeyBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return kKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyReturn;
    case Qt::Key_Shift: return kKeyShift;
    case Qt::Key_Control: return kKeyControl;
    case Qt::Key_Alt: return kKeyMenu;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_Space: return kKeySpace;
    case Qt::Key_PageUp: return kKeyPrior;
    case Qt::Key_PageDown: return kKeyNext;
    case Qt::Key_End: return kKeyEnd;
    case Qt::Key_Home: return kKeyHome;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Insert: return kKeyInsert;
    case Qt::Key_Delete: return kKeyDelete;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Meta: return 0x5B;
    case Qt::Key_Menu: return 0x5D;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    // Shifted digits on a US keyboard.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    // Punctuation keys (the classic "OEM" codes); number-pad operators have their own.
    case Qt::Key_Asterisk: return (mods & Qt::KeypadModifier) ? 0x6A : '8';
    case Qt::Key_Plus: return (mods & Qt::KeypadModifier) ? 0x6B : 0xBB;
    case Qt::Key_Minus: return (mods & Qt::KeypadModifier) ? 0x6D : 0xBD;
    case Qt::Key_Period: return (mods & Qt::KeypadModifier) ? 0x6E : 0xBE;
    case Qt::Key_Slash: return (mods & Qt::KeypadModifier) ? 0x6F : 0xBF;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Equal: return 0xBB;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 0xBC;
    case Qt::Key_Underscore: return 0xBD;
    case Qt::Key_Greater: return 0xBE;
    case Qt::Key_Question: return 0xBF;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 0xC0;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 0xDB;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 0xDC;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 0xDD;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 0xDE;
    default: return 0;
    }
}

Qt::CursorShape ToQtCursorShape(CursorId id) {
    switch (id) {
    case kCrNone: return Qt::BlankCursor;
    case kCrCross: return Qt::CrossCursor;
    case kCrIBeam: return Qt::IBeamCursor;
    case kCrSizeNESW: return Qt::SizeBDiagCursor;
    case kCrSizeNS: return Qt::SizeVerCursor;
    case kCrSizeNWSE: return Qt::SizeFDiagCursor;
    case kCrSizeWE: return Qt::SizeHorCursor;
    case kCrHourGlass: return Qt::WaitCursor;
    case kCrNo: return Qt::ForbiddenCursor;
    case kCrHandPoint: return Qt::PointingHandCursor;
    case kCrSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

// ---- one form's window events into the Application

class QtBackend::Bridge : public FormWindowSink {
public:
    Bridge(QtBackend* backend, Application* app, Form& form) : backend_(backend), app_(app), form_(form) {}

    void PointerPressed(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods) override {
        backend_->inputSeen_ = true;
        const auto b = ToButton(button);
        if (!b) return;
        Guard([&] { app_->Input().MouseDown(form_, {pos.x(), pos.y()}, *b, Shift(mods)); });
    }
    void PointerReleased(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods) override {
        const auto b = ToButton(button);
        if (!b) return;
        Guard([&] { app_->Input().MouseUp(form_, {pos.x(), pos.y()}, *b, Shift(mods)); });
    }
    void PointerMoved(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) override {
        Guard([&] { app_->Input().MouseMove(form_, {pos.x(), pos.y()}, ToShiftState(mods, buttons)); });
    }
    // The Application recognises double clicks itself from the presses.
    void PointerDoubleClicked(QPoint, Qt::MouseButton, Qt::KeyboardModifiers) override {}
    void WheelTurned(QPoint pos, int delta, Qt::KeyboardModifiers mods) override {
        Guard([&] { app_->Input().MouseWheel(form_, {pos.x(), pos.y()}, delta, ToShiftState(mods, QGuiApplication::mouseButtons())); });
    }
    void KeyPressed(int qtKey, Qt::KeyboardModifiers mods, bool) override {
        backend_->inputSeen_ = true;
        const int key = ToVirtualKey(qtKey, mods);
        if (key == 0) return;
        Guard([&] { app_->Input().KeyDown(KeyboardForm(), key, ToShiftState(mods, QGuiApplication::mouseButtons())); });
    }
    void KeyReleased(int qtKey, Qt::KeyboardModifiers mods) override {
        const int key = ToVirtualKey(qtKey, mods);
        if (key == 0) return;
        Guard([&] { app_->Input().KeyUp(KeyboardForm(), key, ToShiftState(mods, QGuiApplication::mouseButtons())); });
    }
    void TextEntered(const QString& text) override {
        Guard([&] { app_->Input().TextInput(KeyboardForm(), ToStdString(text)); });
    }
    // Entering is recorded so that PointerPosition can tell when the pointer is over none of our
    // windows (Wayland reports no position outside them); the first move finds the control.
    void PointerEntered() override { backend_->PointerOver(form_, true); }
    void PointerLeft() override {
        backend_->PointerOver(form_, false);
        Guard([&] { app_->Input().MouseExit(form_); });
    }
    void WindowMoved(QPoint topLeft) override {
        // Moves the program made itself are already in the form's position.
        if (topLeft.x() == form_.Left() && topLeft.y() == form_.Top()) return;
        Guard([&] { app_->DispatchMoved(form_, {topLeft.x(), topLeft.y()}); });
    }
    void ActivationChanged(bool active) override {
        if (!active) backend_->DismissFocuslessPopups(form_);
        if (active == form_.Active()) return;
        Guard([&] { app_->DispatchActivate(form_, active); });
        if (active) ReportAccessibleFocus(*backend_, form_, form_.ActiveControl());
    }
    void StateChanged(Qt::WindowState state) override {
        const WindowState s = state == Qt::WindowMinimized                                   ? WindowState::Minimized
                              : state == Qt::WindowMaximized || state == Qt::WindowFullScreen ? WindowState::Maximized
                                                                                             : WindowState::Normal;
        // The program's own changes arrive here too, with the form already in that state.
        if (s == form_.GetWindowState()) return;
        Guard([&] { app_->DispatchWindowState(form_, s); });
    }
    void CloseRequested() override {
        // The window system dismissed a pop-up (a click elsewhere while it held the pointer).
        if (form_.GetPopupRole() == PopupRole::Popup) {
            Dismiss();
            return;
        }
        Guard([&] { app_->DispatchCloseRequest(form_); });
    }
    // A pop-up's dismissal reaches the form as the loss of its activation, as on a desktop that
    // activates pop-ups.
    void Dismiss() {
        Guard([&] {
            if (!form_.Active()) app_->DispatchActivate(form_, true);
            app_->DispatchActivate(form_, false);
        });
    }
    bool AcceptsDroppedFiles() override { return bool(form_.OnDropFiles); }
    void FilesDropped(QPoint pos, const QStringList& files) override {
        std::vector<std::string> paths;
        for (const QString& f : files) paths.push_back(QFile::encodeName(f).toStdString());
        Guard([&] { app_->DispatchDropFiles(form_, {pos.x(), pos.y()}, paths); });
    }

private:
    static std::optional<MouseButton> ToButton(Qt::MouseButton b) {
        switch (b) {
        case Qt::LeftButton: return MouseButton::Left;
        case Qt::RightButton: return MouseButton::Right;
        case Qt::MiddleButton: return MouseButton::Middle;
        default: return std::nullopt;
        }
    }
    static ShiftState Shift(Qt::KeyboardModifiers mods) { return ToShiftState(mods, QGuiApplication::mouseButtons()); }
    // The Application guards its entry points; this only keeps anything that still escapes from
    // unwinding through Qt's event loop.
    template <class F>
    void Guard(F&& f) {
        if (!app_) return;
        try {
            f();
        } catch (const std::exception& e) {
            app_->ShowException(e);
        } catch (...) {
        }
    }

    // The keys of a window whose open pop-up cannot take the focus (the XWayland case) are the
    // pop-up's, as they are where the pop-up has the focus itself.
    Form& KeyboardForm() {
        Bridge* popup = backend_->FocuslessPopupOf(form_);
        return popup ? popup->form_ : form_;
    }

    QtBackend* backend_;
    Application* app_;
    Form& form_;
};

// ---- the backend

namespace {

// Qt keeps pointers to argv; hand it a copy that lives as long as the process.
int g_fallbackArgc = 1;
char g_fallbackName[] = "veskel";
char* g_fallbackArgv[] = {g_fallbackName, nullptr};

}  // namespace

QtBackend::QtBackend(int& argc, char** argv) {
    if (!QCoreApplication::instance()) {
        // A form pixel must map to a whole block of device pixels, never to a fraction.
        QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
        if (argc < 1 || !argv) ownedApp_ = std::make_unique<QApplication>(g_fallbackArgc, g_fallbackArgv);
        else ownedApp_ = std::make_unique<QApplication>(argc, argv);
    }
    // Closing windows is the Application's decision, not Qt's.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    clock_.start();
    wakeTimer_.setSingleShot(true);
    wakeTimer_.setTimerType(Qt::PreciseTimer);
    connect(&wakeTimer_, &QTimer::timeout, this, [this] {
        if (holdDispatch_) {
            skippedTimers_ = true;
            return;
        }
        if (app_) app_->DispatchTimers();
    });
    InstallAccessibility(*this);
}

QtBackend::~QtBackend() {
    wakeTimer_.stop();
    for (auto& [form, entry] : windows_) {
        entry.window->SetSink(nullptr);
        delete entry.window;
    }
    windows_.clear();
    // Windows destroyed from inside their own handlers wait for deleteLater; finish them now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QtBackend::Entry* QtBackend::Find(const Form& form) {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : &it->second;
}

const QtBackend::Entry* QtBackend::Find(const Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : &it->second;
}

FormWindow* QtBackend::WindowOf(const Form& form) const {
    const Entry* e = Find(form);
    return e ? e->window : nullptr;
}

Form* QtBackend::FormOf(const FormWindow* window) const {
    for (const auto& [form, entry] : windows_)
        if (entry.window == window) return const_cast<Form*>(form);
    return nullptr;
}

bool QtBackend::OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

namespace {

xcb_connection_t* XcbConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// An X11 program on a Wayland desktop: its X server names its outputs XWAYLAND0 and on, and
// newer ones have the XWAYLAND extension.
bool ThroughXWayland() {
    static const bool xwayland = [] {
        xcb_connection_t* connection = XcbConnection();
        if (!connection) return false;
        for (const QScreen* screen : QGuiApplication::screens())
            if (screen->name().startsWith(QLatin1String("XWAYLAND"))) return true;
        static constexpr char kName[] = "XWAYLAND";
        xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
            connection, xcb_query_extension(connection, sizeof kName - 1, kName), nullptr);
        const bool present = reply && reply->present;
        std::free(reply);
        return present;
    }();
    return xwayland;
}

}  // namespace

void QtBackend::ApplyStyle(Form& form, FormWindow& window) {
    const Form* owner = form.PopupOwner();
    FormWindow* ownerWindow = owner ? WindowOf(*owner) : nullptr;
    const PopupRole role = ownerWindow ? form.GetPopupRole() : PopupRole::None;
    Qt::WindowFlags flags = form.ToolWindow() ? Qt::Tool : Qt::Window;
    // A tool-tip never takes the focus anywhere. A pop-up is a real pop-up on Wayland (Qt makes
    // an xdg_popup placed relative to its parent, which the compositor honours). On X11 it is a
    // tool window that bypasses the window manager, so that it opens exactly where it is asked to
    // (window managers, and Wayland compositors running X11 programs, place managed windows
    // themselves), and that Qt gives the focus directly, which its close rules need.
    // A Wayland pop-up's grab needs the serial of a press or key; before the first one (a pop-up
    // opened by resting the pointer) Qt would make it an unparented top-level, which the
    // compositor centres. Until then it is a pop-up without a grab, placed the same way, that
    // takes no focus and closes as the focusless pop-ups below do.
    if (role == PopupRole::ToolTip) flags = Qt::ToolTip | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput;
    else if (role == PopupRole::Popup && OnWayland()) flags = inputSeen_ ? Qt::Popup : Qt::ToolTip | Qt::WindowDoesNotAcceptFocus;
    else if (role == PopupRole::Popup) flags = Qt::Tool | Qt::X11BypassWindowManagerHint;
    // A Wayland desktop running X11 programs takes the focus back from a window it does not
    // manage, which would close the pop-up as soon as it opens: there it never takes the focus,
    // and its owner's deactivation dismisses it instead (DismissFocuslessPopups).
    if (role == PopupRole::Popup && !OnWayland() && ThroughXWayland()) flags |= Qt::WindowDoesNotAcceptFocus;
    if (form.Frameless()) flags |= Qt::FramelessWindowHint;
    if (form.TopMost()) flags |= Qt::WindowStaysOnTopHint;
    if (window.flags() != flags) window.setFlags(flags);
    if (window.transientParent() != ownerWindow) window.setTransientParent(ownerWindow);
    window.SetTranslucent(form.Translucent());
    window.setTitle(ToQString(form.Caption()));
}

namespace {
// The bounding box of the pixels at full opacity of a form's see-through surface; empty where
// the form has none or is opaque throughout.
QRect OpaqueBounds(const Form& form) {
    const std::vector<std::uint8_t>& opacity = form.SurfaceOpacity();
    const int w = form.Width(), h = form.Height();
    if (opacity.size() != std::size_t(w) * std::size_t(h)) return {};
    int left = w, top = h, right = -1, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (opacity[std::size_t(y) * std::size_t(w) + std::size_t(x)] == 255) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (right < 0 || (left == 0 && top == 0 && right == w - 1 && bottom == h - 1)) return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}
}  // namespace

// Through XWayland the compositor reports no leave when the pointer goes from a window it does
// not manage (our pop-up) straight onto the desktop, and the X server keeps its last position: a
// pop-up whose shadow margin lay over its colour box would stay open once the pointer jumped
// from the box to the desktop. The margin takes no pointer there, so the pointer over the box is
// over the main window, whose leave the compositor does report.
void QtBackend::TakePointerOnlyWhereOpaque(const Form& form, FormWindow& window) {
    const QRect opaque = OpaqueBounds(form);
    xcb_connection_t* connection = XcbConnection();
    if (opaque.isEmpty() || !connection) return;
    const xcb_rectangle_t rect{std::int16_t(opaque.x()), std::int16_t(opaque.y()), std::uint16_t(opaque.width()),
                               std::uint16_t(opaque.height())};
    xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         xcb_window_t(window.winId()), 0, 0, 1, &rect);
    xcb_flush(connection);
}

QPoint QtBackend::WindowPosition(const Form& form) const {
    // A pop-up keeps its offset from its owner's window, wherever the window system has that.
    const Form* owner = form.PopupOwner();
    const FormWindow* ownerWindow = owner ? WindowOf(*owner) : nullptr;
    if (!ownerWindow) return QPoint(form.Left(), form.Top());
    const Rect place = form.PlaceInOwner();
    return ownerWindow->position() + QPoint(place.left, place.top);
}

void QtBackend::ToTop(FormWindow* window) {
    stacking_.erase(std::remove_if(stacking_.begin(), stacking_.end(),
                                   [&](const QPointer<FormWindow>& w) { return w.isNull() || w == window; }),
                    stacking_.end());
    stacking_.push_back(window);
}

void QtBackend::CreateWindow(Form& form) {
    if (Find(form)) return;
    Entry entry;
    entry.bridge = std::make_unique<Bridge>(this, app_, form);
    entry.window = new FormWindow(entry.bridge.get(), QSize(form.Width(), form.Height()));
    ApplyStyle(form, *entry.window);
    entry.window->setPosition(WindowPosition(form));
    entry.window->Present(form.Surface(), form.Surface().Bounds(), &form.SurfaceOpacity());
    windows_.emplace(&form, std::move(entry));
}

void QtBackend::DestroyWindow(Form& form) {
    auto it = windows_.find(&form);
    if (it == windows_.end()) return;
    FormWindow* window = it->second.window;
    // This may run inside one of the window's own event handlers: detach now, delete later.
    window->SetSink(nullptr);
    window->hide();
    window->deleteLater();
    windows_.erase(it);
    PointerOver(form, false);
    if (behind_.form == &form) behind_ = {};
}

void QtBackend::ShowWindow(Form& form, bool activate) {
    if (!Find(form)) CreateWindow(form);
    FormWindow* window = Find(form)->window;
    ApplyStyle(form, *window);
    window->SetFormSize(QSize(form.Width(), form.Height()));
    window->setPosition(WindowPosition(form));
    // Whatever the form painted while hidden is what the window shows first.
    window->Present(form.Surface(), form.Surface().Bounds(), &form.SurfaceOpacity());
    if (form.GetPopupRole() == PopupRole::Popup && !OnWayland() && ThroughXWayland()) TakePointerOnlyWhereOpaque(form, *window);
    // Without a compositing manager a pop-up's shadow is drawn over the screen behind it, which
    // no grab sees once the window covers it: it is grabbed now, just before.
    if (form.GetPopupRole() == PopupRole::Popup && !window->isVisible() && !OnWayland() && allowPlatformCapture &&
        !ComposesTranslucentWindows()) {
        const Rect place = Rect::FromSize(form.Left(), form.Top(), form.Width(), form.Height());
        behind_ = {&form, place, CaptureScreen(place)};
    }
    window->show();
    ReportAccessibleWindow(*window, true);
    ToTop(window);
    if (activate && !(window->flags() & Qt::WindowDoesNotAcceptFocus)) window->requestActivate();
}

void QtBackend::HideWindow(Form& form) {
    if (Entry* e = Find(form)) {
        e->window->hide();
        ReportAccessibleWindow(*e->window, false);
    }
}

void QtBackend::MoveWindow(Form& form) {
    Entry* e = Find(form);
    if (!e) return;
    e->window->SetFormSize(QSize(form.Width(), form.Height()));
    e->window->setPosition(WindowPosition(form));
}

void QtBackend::UpdateWindowStyle(Form& form) {
    Entry* e = Find(form);
    if (!e) return;
    const bool visible = e->window->isVisible();
    ApplyStyle(form, *e->window);
    // Changing the flags of a shown window may unmap it on some platforms.
    if (visible && !e->window->isVisible()) e->window->show();
}

void QtBackend::Present(Form& form, const Rect& area) {
    if (Entry* e = Find(form)) e->window->Present(form.Surface(), area, &form.SurfaceOpacity());
    ReportAccessibleChanges(*this, form);
}

void QtBackend::FocusMoved(Form& form, Control* focused) { ReportAccessibleFocus(*this, form, focused); }

void QtBackend::RaiseWindow(Form& form, bool activate) {
    Entry* e = Find(form);
    if (!e) return;
    e->window->raise();
    ToTop(e->window);
    if (activate) e->window->requestActivate();
}

void QtBackend::SetWindowState(Form& form, WindowState state) {
    Entry* e = Find(form);
    if (!e) return;
    FormWindow* window = e->window;
    if (!window->isVisible()) {
        // A hidden window keeps the state for when it is shown again.
        window->setWindowState(state == WindowState::Minimized   ? Qt::WindowMinimized
                               : state == WindowState::Maximized ? Qt::WindowMaximized
                                                                 : Qt::WindowNoState);
        return;
    }
    switch (state) {
    case WindowState::Minimized: window->showMinimized(); break;
    case WindowState::Maximized: window->showMaximized(); break;
    case WindowState::Normal: window->showNormal(); break;
    }
}

void QtBackend::StartSystemMove(Form& form) {
    if (Entry* e = Find(form)) e->window->StartMove();
}

void QtBackend::SetCursor(Form& form, const CursorShape& cursor) {
    Entry* e = Find(form);
    if (!e) return;
    if (cursor.image && !cursor.image->IsEmpty()) {
        e->window->setCursor(QCursor(QPixmap::fromImage(ToQImage(*cursor.image)), cursor.hotSpot.x, cursor.hotSpot.y));
    } else {
        e->window->setCursor(QCursor(ToQtCursorShape(cursor.id)));
    }
}

// ---- loop and clock

std::int64_t QtBackend::NowMs() { return clock_.elapsed(); }

void QtBackend::RequestWakeAt(std::int64_t timeMs) {
    // An overdue wake-up starts at 0 ms; Qt still delivers the window system's pending input and
    // posted events (our paints) before it runs timers again, so late timers never starve input.
    const std::int64_t wait = std::clamp<std::int64_t>(timeMs - NowMs(), 0, INT_MAX);
    wakeTimer_.start(int(wait));
}

void QtBackend::RequestIdle() {
    if (idlePending_) return;
    idlePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            idlePending_ = false;
            if (holdDispatch_) {
                skippedIdle_ = true;
                return;
            }
            if (!app_) return;
            try {
                app_->DispatchIdle();
            } catch (const std::exception& e) {
                app_->ShowException(e);
            }
        },
        Qt::QueuedConnection);
}

void QtBackend::RunLoop() {
    if (quitRequested_) {
        quitRequested_ = false;
        return;
    }
    QEventLoop loop;
    loops_.push_back(&loop);
    loop.exec();
    loops_.pop_back();
    quitRequested_ = false;
}

void QtBackend::QuitLoop() {
    if (loops_.empty()) {
        quitRequested_ = true;
        return;
    }
    for (QEventLoop* loop : loops_) loop->exit(0);
}

// ---- desktop

namespace {
// A shown pop-up of owner whose window never takes the focus.
bool IsFocuslessPopupOf(const Form& form, const FormWindow& window, const Form& owner) {
    return form.GetPopupRole() == PopupRole::Popup && form.PopupOwner() == &owner &&
           (window.flags() & Qt::WindowDoesNotAcceptFocus) && window.isVisible();
}
}  // namespace

void QtBackend::DismissFocuslessPopups(const Form& owner) {
    std::vector<const Form*> popups;
    for (auto& [form, entry] : windows_)
        if (IsFocuslessPopupOf(*form, *entry.window, owner)) popups.push_back(form);
    // Dismissing one may release it, and its window with it: look each up again.
    for (const Form* popup : popups)
        if (Entry* e = Find(*popup)) e->bridge->Dismiss();
}

QtBackend::Bridge* QtBackend::FocuslessPopupOf(const Form& owner) {
    for (auto& [form, entry] : windows_)
        if (IsFocuslessPopupOf(*form, *entry.window, owner)) return entry.bridge.get();
    return nullptr;
}

void QtBackend::PointerOver(const Form& form, bool over) {
    pointerOver_.erase(std::remove(pointerOver_.begin(), pointerOver_.end(), &form), pointerOver_.end());
    if (over) pointerOver_.push_back(&form);
}

Point QtBackend::PointerPosition() {
    // Qt (and an X server of a Wayland desktop) keeps the last place the pointer had over one of
    // our windows, which would hold a pop-up open forever once the pointer has gone.
    if ((OnWayland() || ThroughXWayland()) && pointerOver_.empty()) return kPointerElsewhere;
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

bool QtBackend::ComposesTranslucentWindows() {
    if (OnWayland()) return true;
    xcb_connection_t* connection = XcbConnection();
    if (!connection) return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen> while it runs.
    static constexpr char kName[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof kName - 1, kName), nullptr);
    if (!atom) return false;
    bool owned = false;
    if (atom->atom != XCB_NONE) {
        if (xcb_get_selection_owner_reply_t* owner =
                xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr)) {
            owned = owner->owner != XCB_NONE;
            std::free(owner);
        }
    }
    std::free(atom);
    return owned;
}

namespace {

QScreen* NearestScreen(const Rect& r) {
    const QPoint centre(r.left + r.Width() / 2, r.top + r.Height() / 2);
    if (QScreen* s = QGuiApplication::screenAt(centre)) return s;
    QScreen* best = QGuiApplication::primaryScreen();
    long long bestDistance = -1;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        const long long dx = std::max({0, g.left() - centre.x(), centre.x() - g.right()});
        const long long dy = std::max({0, g.top() - centre.y(), centre.y() - g.bottom()});
        const long long d = dx * dx + dy * dy;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = s;
        }
    }
    return best;
}

// The colour the fallback capture shows where none of our windows is.
constexpr QRgb kDesktopColour = qRgb(58, 110, 165);

}  // namespace

Size QtBackend::MonitorSize(const Rect& screenRect) {
    QScreen* s = NearestScreen(screenRect);
    if (!s) return {};
    return {s->geometry().width(), s->geometry().height()};
}

Rect QtBackend::MonitorRect(const Rect& screenRect) {
    QScreen* s = NearestScreen(screenRect);
    if (!s) return {};
    const QRect g = s->geometry();
    return Rect::FromSize(g.x(), g.y(), g.width(), g.height());
}

Bitmap QtBackend::ComposeOwnWindows(const Rect& screenRect, const Form* exclude, const Bitmap* backdrop) const {
    QImage canvas(std::max(0, screenRect.Width()), std::max(0, screenRect.Height()), QImage::Format_RGB32);
    if (canvas.isNull()) return {};
    if (backdrop && backdrop->GetSize() == Size{canvas.width(), canvas.height()})
        canvas = ToQImage(*backdrop).convertToFormat(QImage::Format_RGB32);
    else
        canvas.fill(kDesktopColour);
    QPainter p(&canvas);
    for (const QPointer<FormWindow>& w : stacking_) {
        if (w.isNull() || !w->isVisible()) continue;
        if (exclude && w.data() == WindowOf(*exclude)) continue;
        p.drawImage(w->position() - QPoint(screenRect.left, screenRect.top), w->Frame());
    }
    p.end();
    return ToBitmap(canvas);
}

Bitmap QtBackend::CaptureScreen(const Rect& screenRect) {
    if (screenRect.IsEmpty()) return {};
    QScreen* screen = allowPlatformCapture ? NearestScreen(screenRect) : nullptr;
    if (screen) {
        const QPoint origin = screen->geometry().topLeft();
        const QPixmap shot = screen->grabWindow(0, screenRect.left - origin.x(), screenRect.top - origin.y(),
                                                screenRect.Width(), screenRect.Height());
        if (!shot.isNull()) {
            QImage image = shot.toImage();
            // A high-density screen gives more device pixels than asked for: take one of each block.
            if (image.size() != QSize(screenRect.Width(), screenRect.Height()))
                image = image.scaled(screenRect.Width(), screenRect.Height(), Qt::IgnoreAspectRatio,
                                     Qt::FastTransformation);
            return ToBitmap(image);
        }
    }
    return ComposeOwnWindows(screenRect);
}

// A platform grab sees whatever is on the screen, the excluded window too once it is shown, and
// nothing can show what lies behind it then. So the grab is taken only while that window is not
// visible, and kept: asked again for the same place while the window shows, our own other
// windows as they are now are drawn over that grab (what the rest of the desktop showed when the
// window opened). Elsewhere (a window that moved, or a platform that refuses a grab, as a Wayland
// session does) they are drawn over the plain desktop colour: a neutral backdrop that keeps the
// shadow's look instead of failing.
Bitmap QtBackend::CaptureScreenBehind(const Rect& screenRect, const Form& exclude) {
    const FormWindow* own = WindowOf(exclude);
    if (!own || !own->isVisible()) {
        Bitmap shot = CaptureScreen(screenRect);
        behind_ = {&exclude, screenRect, shot};
        return shot;
    }
    if (screenRect.IsEmpty()) return {};
    const bool kept = behind_.form == &exclude && behind_.rect == screenRect;
    return ComposeOwnWindows(screenRect, &exclude, kept ? &behind_.pixels : nullptr);
}

std::string QtBackend::ClipboardText() { return ToStdString(QGuiApplication::clipboard()->text()); }

void QtBackend::SetClipboardText(const std::string& utf8) { QGuiApplication::clipboard()->setText(ToQString(utf8)); }

Picture QtBackend::ClipboardPicture() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage()) return {};
    return ToPicture(qvariant_cast<QImage>(data->imageData()));
}

void QtBackend::SetClipboardPicture(const Bitmap& image) { QGuiApplication::clipboard()->setImage(ToQImage(image)); }

void QtBackend::SetDesktopIdentity(const std::string& id) {
    QGuiApplication::setDesktopFileName(ToQString(id));
    // X11 docks match a window to its entry by the window's class, which Qt takes from the
    // application's name when the window is created.
    QCoreApplication::setApplicationName(ToQString(id));
    // Installed, the icon theme has the program's icon under the same name.
    const QIcon icon = QIcon::fromTheme(ToQString(id));
    if (!icon.isNull()) QGuiApplication::setWindowIcon(icon);
}

bool QtBackend::OpenUrl(const std::string& url) {
    const QUrl u = QUrl::fromUserInput(ToQString(url));
    if (!u.isValid()) return false;
    const DesktopLanguageScope desktopLanguage;  // the browser speaks the desktop's language
    return QDesktopServices::openUrl(u);
}

void QtBackend::AddRecentFile(const RecentFile& file) {
    const std::string list = RecentFilesPath();
    if (list.empty()) return;
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    try {
        veskel::AddRecentFile(list, file, ToStdString(now));
    } catch (const std::exception&) {
        // The desktop's list is a courtesy: a list that cannot be written costs the user nothing.
    }
}

void QtBackend::ShowPendingPaints() {
    // The cursor goes out and the exposes of what a closed dialog uncovered come back; painting
    // them leaves the input queued for after the long step.
    // Timers and idle work wait too: they must not run inside the handler that asked for this.
    holdDispatch_ = true;
    QGuiApplication::sync();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QGuiApplication::sync();
    holdDispatch_ = false;
    if (std::exchange(skippedTimers_, false)) wakeTimer_.start(0);
    if (std::exchange(skippedIdle_, false)) RequestIdle();
}

// ---- modal interaction

FormWindow* QtBackend::DialogOwner() const {
    if (!app_) return nullptr;
    for (const Form* form : {app_->MainForm(), app_->ActiveForm()}) {
        FormWindow* window = form ? WindowOf(*form) : nullptr;
        if (window && window->isVisible()) return window;
    }
    return nullptr;
}

std::optional<FileDialogResult> QtBackend::RunFileDialog(const FileDialogRequest& request) {
    return veskel::qt::RunFileDialog(request, DialogOwner());
}

int QtBackend::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return RunMessageBox(text, caption, flags, DialogOwner());
}

int QtBackend::PopupMenu(const std::vector<MenuItem>& items, Point screen) {
    return RunPopupMenu(items, QPoint(screen.x, screen.y), DialogOwner());
}

}  // namespace veskel::qt
