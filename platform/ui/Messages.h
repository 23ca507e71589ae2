#pragma once
// Window messages: handles, the message record, the message numbers the framework uses, and the
// packing of a point into a message parameter.
#include <cstdint>

#include "platform/graphics/Geometry.h"

namespace veskel {

using WindowHandle = std::uintptr_t;  // 0 = no window

struct Message {
    unsigned msg = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::intptr_t result = 0;
};

constexpr unsigned kWmMove = 0x0003;        // lParam: client x (low 16 bits) and y (high 16 bits), signed
constexpr unsigned kWmActivate = 0x0006;    // wParam low word: kWaInactive or kWaActive
constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmFontChange = 0x001D;
constexpr unsigned kWmNcHitTest = 0x0084;   // lParam: screen x, y packed as for kWmMove; result kHt*
constexpr unsigned kWmKeyDown = 0x0100;     // wParam: key code
constexpr unsigned kWmSysCommand = 0x0112;  // wParam: kScMove | hit code starts a window drag
constexpr unsigned kWmUser = 0x0400;
constexpr std::uintptr_t kWaInactive = 0;
constexpr std::uintptr_t kWaActive = 1;
constexpr std::intptr_t kHtClient = 1;
constexpr std::intptr_t kHtCaption = 2;
constexpr std::uintptr_t kScMove = 0xF010;

// Packs two signed 16-bit values the way the classic move and hit-test messages carry them.
constexpr std::intptr_t MakePointParam(int x, int y) {
    return std::intptr_t((std::uint32_t(std::uint16_t(x))) | (std::uint32_t(std::uint16_t(y)) << 16));
}
constexpr Point PointFromParam(std::intptr_t p) {
    return {int(std::int16_t(std::uint16_t(p & 0xFFFF))), int(std::int16_t(std::uint16_t((p >> 16) & 0xFFFF)))};
}

}  // namespace veskel
