// veskel-qt-probe: a small form that exercises the window backends, for the real-window tests.
//   veskel-qt-probe                      shows the form in a Qt window and reports on stdout
//   veskel-qt-probe --headless-png DIR   renders the states the real-window test compares
//
// The form (240 x 160, frameless) has a striped background, a drag bar along the top, a probe
// button that shows its state in colour (and blends its face over what lies beneath it), and an
// edit box. What the user does is printed one line at a time:
//   "clicked probe", "dblclick probe", "menu <command>", "moved <x> <y>", "key <code> <shift>",
//   "text <utf8>", "timer", "active <0|1>", "drop <path>" (one line per dropped file)
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"

#ifdef VESKEL_PROBE_WITH_QT
#include "platform/backends/qt/QtBackend.h"
#endif

namespace {

using namespace veskel;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The button's face is half its own colour and half what lies beneath it, so a wrong paint
// order or a face painted twice shows as a different colour.
class ProbeButton : public GraphicControl {
public:
    ProbeButton() {
        SetHandlesPressRelease(true);
        SetAcceptsDoubleClicks(true);  // it reports them
    }
    std::string ClassName() const override { return "TProbeButton"; }

protected:
    void Paint(Canvas& canvas) override {
        const Color face = !EffectivelyEnabled() ? RGB(128, 128, 128)
                           : down_               ? RGB(220, 40, 40)
                           : hover_              ? RGB(40, 200, 60)
                                                 : RGB(40, 80, 220);
        for (int y = 1; y < Height() - 1; ++y)
            for (int x = 1; x < Width() - 1; ++x) {
                const Color under = canvas.Pixel(x, y);
                canvas.SetPixel(x, y,
                                RGB(std::uint8_t((GetR(under) + GetR(face)) / 2),
                                    std::uint8_t((GetG(under) + GetG(face)) / 2),
                                    std::uint8_t((GetB(under) + GetB(face)) / 2)));
            }
        canvas.FrameRect(ClientRect(), kBlack);
    }
    void MouseEnter() override {
        hover_ = true;
        Repaint();
    }
    void MouseLeave() override {
        hover_ = false;
        Repaint();
    }
    void MouseDown(MouseButton button, ShiftState, int, int) override {
        if (button != MouseButton::Left) return;
        down_ = true;
        Repaint();
    }
    void MouseUp(MouseButton button, ShiftState, int, int) override {
        down_ = false;
        Repaint();
        if (button == MouseButton::Right) OpenMenu();
    }
    void Click() override { Say("clicked probe"); }
    void DblClick() override { Say("dblclick probe"); }

private:
    void OpenMenu() {
        std::vector<MenuItem> items(3);
        for (int i = 0; i < 2; ++i) {
            items[i].command = i + 1;
            items[i].bitmap = Bitmap(60, 16);
            items[i].bitmap.Fill(i == 0 ? RGB(250, 200, 0) : RGB(0, 200, 250));
        }
        items[2].command = 3;
        items[2].text = "Third";
        const Point at = ClientToScreen({Width() / 2, Height() / 2});
        Say("menu " + std::to_string(Application::Current()->GetBackend().PopupMenu(items, at)));
    }
    bool hover_ = false;
    bool down_ = false;
};

// Pressing here drags the frameless window, as a title bar does.
class DragBar : public GraphicControl {
public:
    std::string ClassName() const override { return "TDragBar"; }

protected:
    void Paint(Canvas& canvas) override {
        canvas.brush.color = RGB(60, 60, 60);
        canvas.FillRect(ClientRect());
    }
    void MouseDown(MouseButton button, ShiftState, int, int) override {
        if (button != MouseButton::Left) return;
        ReleaseCapture();
        GetForm()->StartWindowDrag();
    }
};

class ProbeForm : public Form {
public:
    ProbeForm() {
        SetName("ProbeForm");
        SetCaption("veskel-qt-probe");
        SetFrameless(true);
        SetBounds(100, 100, 240, 160);
        bar = CreateOwned<DragBar>();
        bar->SetParent(this);
        bar->SetBounds(0, 0, 240, 12);
        button = CreateOwned<ProbeButton>();
        button->SetName("probe");
        button->SetParent(this);
        button->SetBounds(20, 30, 90, 30);
        edit = CreateOwned<Edit>();
        edit->SetParent(this);
        edit->SetBounds(20, 100, 200, 22);
    }
    DragBar* bar;
    ProbeButton* button;
    Edit* edit;

protected:
    void Paint(Canvas& canvas) override {
        for (int y = 0; y < Height(); y += 4) {
            canvas.brush.color = (y / 4) % 2 ? RGB(235, 235, 235) : RGB(210, 215, 225);
            canvas.FillRect({0, y, Width(), y + 4});
        }
    }
};

int RunHeadless(const std::string& dir) {
    HeadlessBackend backend;
    Application app(backend);
    auto* form = app.CreateForm<ProbeForm>();
    form->FinishCreate();
    form->ShowForm();
    form->PaintAll();
    HeadlessBackend::SavePng(*form, dir + "/normal.png");
    const Rect b = form->button->BoundsRect();
    backend.MouseMove(*form, b.left + 10, b.top + 10);
    HeadlessBackend::SavePng(*form, dir + "/hover.png");
    backend.MouseDown(*form, b.left + 10, b.top + 10);
    HeadlessBackend::SavePng(*form, dir + "/pressed.png");
    backend.MouseUp(*form, b.left + 10, b.top + 10);
    backend.MouseExit(*form);
    HeadlessBackend::SavePng(*form, dir + "/left.png");
    return 0;
}

#ifdef VESKEL_PROBE_WITH_QT
int RunWindow(int& argc, char** argv) {
    auto backend = qt::MakeQtBackend(argc, argv);
    Application app(*backend);
    app.OnException = [](const std::string& message) { Say("error " + message); };
    auto* form = app.CreateForm<ProbeForm>();
    form->edit->OnChange = [form](Control&) { Say("text " + form->edit->Text()); };
    form->OnKeyDown = [&app](Control&, int& key, ShiftState shift) {
        Say("key " + std::to_string(key) + " " + std::to_string(shift));
        if (key == kKeyEscape) app.Terminate();
    };
    form->OnDropFiles = [](Form&, const std::vector<std::string>& paths) {
        for (const std::string& p : paths) Say("drop " + p);
    };
    form->OnActivate = [](Control&) { Say("active 1"); };
    form->OnDeactivate = [](Control&) { Say("active 0"); };
    Connection moved = form->Moved.Connect(
        [](Point p) { Say("moved " + std::to_string(p.x) + " " + std::to_string(p.y)); });
    Timer timer;
    timer.SetInterval(100);
    int ticks = 0;
    timer.OnTimer = [&] {
        if (++ticks == 3) {
            Say("timer");
            timer.SetEnabled(false);
        }
    };
    timer.SetEnabled(true);
    form->FinishCreate();
    form->ShowForm();
    Say("shown");
    app.Run();
    Say("bye");
    return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "--headless-png") == 0) return RunHeadless(argv[2]);
#ifdef VESKEL_PROBE_WITH_QT
        if (argc == 1) return RunWindow(argc, argv);
#endif
        std::fprintf(stderr, "usage: %s [--headless-png DIR]\n", argv[0]);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veskel-qt-probe: %s\n", e.what());
        return 1;
    }
}
