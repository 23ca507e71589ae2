// The designer. Until the main window exists, start-up says so and renders the default banner to
// a PNG in the current folder, so the renderer can be seen working.
#include <cstdio>
#include <exception>
#include <string>

#include "Components/Registration/Registration.h"
#include "banner/BannerDocument.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/ui/StoredLayout.h"

int main() {
    // Every control class a stored layout may name, once at start.
    veskel::RegisterFrameworkClasses();
    veskel::RegisterComponentClasses();
    std::puts("veskel: the designer window is not built yet; rendering the default banner instead.");
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
}
