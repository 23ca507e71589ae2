// The designer: the main window and its hidden secondary form on the platform's windows, until
// the main window is closed through its title bar. Built without a window system, the program
// says so and renders the default banner to a PNG in the current folder instead.
#include <cstdio>
#include <exception>
#include <string>

#include "app/MainWindow.h"
#include "banner/BannerDocument.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"

#ifdef VESKEL_WITH_QT
#include "platform/backends/qt/QtBackend.h"
#endif

int main(int argc, char** argv) {
#ifdef VESKEL_WITH_QT
    try {
        auto backend = veskel::qt::MakeQtBackend(argc, argv);
        veskel::Application app(*backend);
        app.Title = "Brannock Veskel generator.";
        veskel::StartDesigner();
        app.Run();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veskel: %s\n", e.what());
        return 1;
    }
#else
    (void)argc;
    (void)argv;
    std::puts("veskel: built without a window system; rendering the default banner instead.");
    const std::string path = "veskel-banner.png";
    try {
        veskel::BannerDocument doc;
        doc.NewDocument();
        veskel::WriteFileAtomic(path, veskel::EncodePng(doc.BannerImage()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veskel: cannot write %s: %s\n", path.c_str(), e.what());
        return 1;
    }
    std::printf("veskel: wrote the default banner (350 x 20) to ./%s\n", path.c_str());
    return 0;
#endif
}
