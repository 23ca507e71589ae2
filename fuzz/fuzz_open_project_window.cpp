// Fuzzes what the designer's window does with a project: any bytes are opened as "Open..." opens
// a file, so every stored value reaches the controls through SyncControls; then every page is
// shown and painted, and the open is undone. A value no control can show must be shown clamped,
// never overflow. A failed open must fail with a ProjectError, a failed render with a BannerError.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Components/TestPanel/TestPanel.h"
#include "app/MainWindow.h"
#include "banner/BannerDocument.h"
#include "fuzz/FuzzLimits.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "project/ProjectFile.h"

namespace {

// One window for the whole run: building it from its stored layout costs far more than an input.
struct World {
    World() : app(backend) {
        app.OnException = [](const std::string&) {};
        window = veskel::StartDesigner();
    }
    veskel::HeadlessBackend backend;
    veskel::Application app;
    veskel::TForm1* window = nullptr;
};

// Showing a page paints it, with every control on it; the title bar and the preview around the
// pages were painted when the design was taken.
void PaintEveryPage(veskel::TForm1& window) {
    veskel::TTestPanel& pages = *window.TestPanel1;
    for (int i = 0; i < pages.PageCount(); ++i) {
        pages.SetVisiblePage(i);
        window.UpdateSurface();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static World world;
    veskel::TForm1& window = *world.window;
    veskel::BannerDocument& document = window.Document();
    const std::vector<std::uint8_t> bytes(data, data + size);
    try {
        window.History().Record({}, [&] { veskel::OpenProjectBytes(document, bytes, "fuzz.vzk"); });
    } catch (const veskel::ProjectError&) {
    } catch (const veskel::BannerError&) {
    }
    PaintEveryPage(window);
    try {
        window.History().Undo();  // the controls follow the restored design on the visible page
    } catch (const veskel::BannerError&) {
    }

    // The next input starts from the new design without a picture, as a fresh window does.
    document.ClearPictures();
    document.NewDocument();
    window.History().Reset();
    return 0;
}
