#pragma once
// The browser page's desktop: every shown form's surface composed into one picture the size of the
// canvas, bottom to top, translucent forms blended over what lies beneath them. Pure pixel work,
// free of the browser, so that it can be checked natively.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Geometry.h"

namespace veskel::web {

// One shown window: its pixels at a desktop position.
struct DesktopLayer {
    const Bitmap* pixels = nullptr;
    // One byte a pixel, 255 opaque; used only when `translucent` and its size fits the pixels.
    const std::vector<std::uint8_t>* opacity = nullptr;
    Point at{};
    bool translucent = false;
};

// Composes the desktop's `area` (desktop coordinates) into `rgba`, four bytes a pixel (red,
// green, blue, 255), `stride` bytes a row, whose first pixel shows the desktop point `origin`.
// `area` must lie inside the buffer; layers are bottom first and may reach past any edge.
void ComposeDesktop(std::span<const DesktopLayer> layers, const Rect& area, Color background, std::uint8_t* rgba,
                    std::size_t stride, Point origin);

// The framework's virtual key for a browser key event: `code` names the physical key (as on a US
// keyboard, whatever the layout), `key` what it means; `key` decides only where `code` is unknown
// (virtual keyboards, synthetic events). 0 for keys without a code (dead keys, input methods).
int VirtualKeyOf(std::string_view code, std::string_view key);

// A message as the page shows it: the folders of the page's own file system where picked files
// land and exports wait for their download left out of every path in `text`, so that a file is
// named as the user picked it or will find it among the downloads.
std::string InUserTerms(std::string text, std::string_view homeFolder, std::string_view downloadFolder);

}  // namespace veskel::web
