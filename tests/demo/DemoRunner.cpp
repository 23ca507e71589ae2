#include "tests/demo/DemoRunner.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>

#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"

#ifdef VESKEL_DEMO_WITH_QT
#include "platform/backends/qt/QtBackend.h"
#endif

namespace veskel::demo {

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void WriteStates(const std::string& dir, const DemoStates& states) {
    for (const auto& [name, pixels] : states) {
        const std::string path = dir + "/" + name + ".png";
        WriteFileAtomic(path, EncodePng(pixels));
        Say("wrote " + path);
    }
}

namespace {

int RunHeadless(const DemoProgram& demo, const std::string& dir) {
    std::filesystem::create_directories(dir);
    HeadlessBackend backend;
    Application app(backend);
    Form* form = demo.createForm(app);
    form->FinishCreate();
    form->ShowForm();
    demo.writeStates(backend, *form, dir);
    return 0;
}

#ifdef VESKEL_DEMO_WITH_QT
int RunWindow(const DemoProgram& demo, int& argc, char** argv) {
    auto backend = qt::MakeQtBackend(argc, argv);
    Application app(*backend);
    app.OnException = [](const std::string& message) { Say("error " + message); };
    Form* form = demo.createForm(app);
    if (demo.escapeQuits || demo.onKey) {
        form->OnKeyDown = [&app, &demo, form](Control&, int& key, ShiftState) {
            if (demo.escapeQuits && key == kKeyEscape) app.Terminate();
            if (demo.onKey) demo.onKey(app, *form, key);
        };
    }
    form->FinishCreate();
    form->ShowForm();
    Say("shown");
    app.Run();
    return 0;
}
#endif

}  // namespace

int RunDemo(int argc, char** argv, const DemoProgram& demo) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "--headless-png") == 0) return RunHeadless(demo, argv[2]);
#ifdef VESKEL_DEMO_WITH_QT
        if (argc == 1) return RunWindow(demo, argc, argv);
#endif
        std::fprintf(stderr, "usage: %s [--headless-png DIR]\n", argv[0]);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", demo.name.c_str(), e.what());
        return 1;
    }
}

}  // namespace veskel::demo
