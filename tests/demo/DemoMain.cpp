// veskel-demo: a few glass buttons on a striped background.
//   veskel-demo                      shows the form in a window; prints "clicked <name>" per click
//   veskel-demo --headless-png DIR   writes normal.png, hover.png, pressed.png, left.png and
//                                    disabled.png (see DriveDemoStates)
// "Hover me" (GlassButton2) has its middle at (164, 26) of the window's client area.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"
#include "tests/components/GlassDemoForm.h"

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
    auto* form = app.CreateForm<demo::GlassDemoForm>();
    form->onClicked = [](const std::string& name) { Say("clicked " + name); };
    form->FinishCreate();
    form->ShowForm();
    for (const auto& [name, pixels] : demo::DriveDemoStates(backend, *form)) {
        const std::string path = dir + "/" + name + ".png";
        WriteFileAtomic(path, EncodePng(pixels));
        Say("wrote " + path);
    }
    return 0;
}

#ifdef VESKEL_DEMO_WITH_QT
int RunWindow(int& argc, char** argv) {
    auto backend = qt::MakeQtBackend(argc, argv);
    Application app(*backend);
    app.OnException = [](const std::string& message) { Say("error " + message); };
    auto* form = app.CreateForm<demo::GlassDemoForm>();
    form->onClicked = [](const std::string& name) { Say("clicked " + name); };
    form->OnKeyDown = [&app](Control&, int& key, ShiftState) {
        if (key == kKeyEscape) app.Terminate();
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
        std::fprintf(stderr, "veskel-demo: %s\n", e.what());
        return 1;
    }
}
