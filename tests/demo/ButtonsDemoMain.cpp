// veskel-buttons-demo: the small glass buttons, check boxes, pulse buttons, image-button group and
// the shadow pop-up.
//   veskel-buttons-demo                      shows the form in a window ("p" opens the pop-up,
//                                            Escape quits); prints "clicked <name>" per click,
//                                            "changed <name> <0|1>" per toggle
//   veskel-buttons-demo --headless-png DIR   writes normal.png, hover.png, pressed.png, left.png
//                                            (the whole form) and every single-control state
//                                            (pulse-001.png ..., see DriveControlStates)
// "+" (SmallGlassButton1) has its middle at (28, 23) of the window's client area, the left arrow
// (PulseButton1) at (34, 72), the corner button (PulseButton3) at (30, 120).
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"
#include "tests/components/ButtonsDemoForm.h"

#ifdef VESKEL_DEMO_WITH_QT
#include "platform/backends/qt/QtBackend.h"
#endif

namespace {

using namespace veskel;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

int RunHeadless(const std::string& dir) {
    std::filesystem::create_directories(dir);
    HeadlessBackend backend;
    Application app(backend);
    auto* form = app.CreateForm<demo::ButtonsDemoForm>();
    form->onEvent = Say;
    form->FinishCreate();
    form->ShowForm();
    auto write = [&](const demo::DemoStates& states) {
        for (const auto& [name, pixels] : states) {
            const std::string path = dir + "/" + name + ".png";
            WriteFileAtomic(path, EncodePng(pixels));
            Say("wrote " + path);
        }
    };
    write(demo::DriveFormStates(backend, *form));
    write(demo::DriveControlStates(backend, *form));
    return 0;
}

#ifdef VESKEL_DEMO_WITH_QT
int RunWindow(int& argc, char** argv) {
    auto backend = qt::MakeQtBackend(argc, argv);
    Application app(*backend);
    app.OnException = [](const std::string& message) { Say("error " + message); };
    auto* form = app.CreateForm<demo::ButtonsDemoForm>();
    form->onEvent = Say;
    form->OnKeyDown = [&app, form](Control&, int& key, ShiftState) {
        if (key == kKeyEscape) app.Terminate();
        if (key == 'P') {
            auto* popup = app.CreateForm<demo::ShadowPopupForm>();
            popup->FinishCreate();
            popup->Popup(demo::PopupBeside(*form));
            Say("popup");
        }
    };
    form->FinishCreate();
    form->ShowForm();
    Say("shown");
    app.Run();
    return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "--headless-png") == 0) return RunHeadless(argv[2]);
#ifdef VESKEL_DEMO_WITH_QT
        if (argc == 1) return RunWindow(argc, argv);
#endif
        std::fprintf(stderr, "usage: %s [--headless-png DIR]\n", argv[0]);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veskel-buttons-demo: %s\n", e.what());
        return 1;
    }
}
