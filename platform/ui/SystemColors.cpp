#include "platform/ui/SystemColors.h"

namespace veskel {

Color ResolveColor(Color c) {
    if ((c & 0xFF000000u) != 0xFF000000u) return c & 0x00FFFFFFu;
    switch (c & 0xFF) {
        case 0x05: return RGB(255, 255, 255);  // window
        case 0x08: return RGB(0, 0, 0);        // window text
        case 0x0D: return RGB(0, 120, 215);    // highlight
        case 0x0E: return RGB(255, 255, 255);  // highlight text
        case 0x11: return RGB(109, 109, 109);  // grey text
        case 0x0F:                             // button face
        default: return RGB(240, 240, 240);
    }
}

}  // namespace veskel
