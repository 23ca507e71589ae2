// veskel-values-demo: edit fields, sliders, list boxes and anti-aliased labels on a designer page.
//   veskel-values-demo                      shows the form in a window; prints one line per event
//                                           ("change GlassEdit1 Hi", "prechange GlassSlider1 52",
//                                           "select GlassListBox1 2", "key 13", "open <address>")
//   veskel-values-demo --headless-png DIR   writes the scripted states (see DriveValuesStates) as
//                                           PNG files and prints the same event lines
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"
#include "tests/components/ValuesDemoForm.h"

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
    auto* form = app.CreateForm<demo::ValuesDemoForm>();
    form->onEvent = Say;
    form->FinishCreate();
    form->ShowForm();
    for (const auto& [name, pixels] : demo::DriveValuesStates(backend, *form)) {
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
    auto* form = app.CreateForm<demo::ValuesDemoForm>();
    form->onEvent = Say;
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
        std::fprintf(stderr, "veskel-values-demo: %s\n", e.what());
        return 1;
    }
}
