// The designer. Until the main window exists, start-up says so and renders the default banner (or
// the design of the file given on the command line) to a PNG in the current folder, so the
// renderer can be seen working.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Components/Registration/Registration.h"
#include "app/StartArguments.h"
#include "banner/BannerDocument.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/ui/StoredLayout.h"

int main(int argc, char** argv) {
    const veskel::StartArguments start = veskel::ParseStartArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (start.exit) {
        std::fputs(start.output.c_str(), stdout);
        std::fputs(start.error.c_str(), stderr);
        return start.exitCode;
    }
    // Every control class a stored layout may name, once at start.
    veskel::RegisterFrameworkClasses();
    veskel::RegisterComponentClasses();
    std::puts("veskel: the designer window is not built yet; rendering the banner instead.");
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
}
