// The designer: the main window and its hidden secondary form on the platform's windows, until
// the main window is closed through its title bar. `veskel FILE.vzk` and `veskel PICTURE` open
// that file at start (app/StartArguments.h); the window speaks the desktop's language, or the one
// `--lang` names. Built without a window system, the program says so and renders the banner of
// that design to a PNG in the current folder instead.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/StartArguments.h"
#include "banner/BannerDocument.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"
#include "veskel/BuildInfo.h"

#ifdef VESKEL_WITH_QT
#include "platform/backends/qt/QtBackend.h"
#include "platform/backends/qt/QtLanguage.h"
#elif defined(VESKEL_WITH_WEB)
#include "platform/backends/web/WebBackend.h"
#endif

namespace {

// Prints what the arguments ask to print; true when the program should end with `code`.
bool Finish(const veskel::StartArguments& start) {
    std::fputs(start.output.c_str(), stdout);
    std::fputs(start.error.c_str(), stderr);
    return start.exit;
}

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

#if defined(VESKEL_WITH_QT) || defined(VESKEL_WITH_WEB)
// The designer on the application's backend: the main window, the file the arguments name, then
// the loop (which in a browser tab returns at once and leaves the page's loop to run it).
void RunDesigner(veskel::Application& app, const veskel::StartArguments& start) {
    app.Title = "Brannock Veskel generator.";
    veskel::TForm1* window = veskel::StartDesigner();
    if (start.kind != veskel::StartArguments::FileKind::None) {
        try {
            window->Actions().OpenFile(start.file);
        } catch (const std::exception& e) {
            app.ShowException(e);  // the message box a failed "Open..." shows; the new design stays
        }
    }
    app.Run();
}
#endif

}  // namespace

int main(int argc, char** argv) {
    // The arguments are checked before the window system starts, so that a mistake is reported
    // (and the help or the version shown) on a machine without a display too.
    const veskel::StartArguments start = veskel::ParseStartArguments(Arguments(argc, argv));
    if (Finish(start)) return start.exitCode;
#ifdef VESKEL_WITH_QT
    // Read before the window system starts, which may change the locale.
    const veskel::Language language = start.language.value_or(veskel::DesktopLanguage());
    try {
        auto backend = veskel::qt::MakeQtBackend(argc, argv);
        backend->SetDesktopIdentity(veskel::kAppId);
        // Once the window system has set the locale from the environment: ours to finish.
        veskel::UseLanguage(language, veskel::FindCatalogDir());
        veskel::qt::UseQtLanguage(language);
        veskel::Application app(*backend);
        RunDesigner(app, start);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veskel: %s\n", e.what());
        return 1;
    }
#elif defined(VESKEL_WITH_WEB)
    // In a browser tab the page's loop runs the program: main starts the designer and returns,
    // and the backend and the Application live on for the page's events.
    try {
        const veskel::Language language = start.language.value_or(veskel::web::BrowserLanguage());
        auto* backend = veskel::web::MakeWebBackend().release();
        backend->SetDesktopIdentity(veskel::kAppId);
        veskel::UseLanguage(language, veskel::FindCatalogDir());
        RunDesigner(*new veskel::Application(*backend), start);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veskel: %s\n", e.what());
        return 1;
    }
#else
    std::puts("veskel: built without a window system; rendering the banner instead.");
    const std::string path = "veskel-banner.png";
    try {
        veskel::BannerDocument doc;
        doc.NewDocument();
        const std::string failure = veskel::OpenStartFile(doc, start);
        if (!failure.empty()) std::fprintf(stderr, "veskel: %s\n", failure.c_str());
        veskel::WriteFileAtomic(path, veskel::EncodePng(doc.RenderBanner()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veskel: cannot write %s: %s\n", path.c_str(), e.what());
        return 1;
    }
    std::printf("veskel: wrote the banner (350 x 20) to ./%s\n", path.c_str());
    return 0;
#endif
}
