#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backends/web/WebDesktop.h"
#include "platform/ui/Input.h"

namespace veskel::web {
namespace {

constexpr Color kBack = RGB(10, 20, 30);

Bitmap Solid(int w, int h, Color c) {
    Bitmap b(w, h);
    b.Fill(c);
    return b;
}

// The composed pixel at a desktop point of a buffer whose first pixel is `origin`.
Color At(const std::vector<std::uint8_t>& rgba, int stride, Point origin, int x, int y) {
    const std::uint8_t* p = rgba.data() + std::size_t(y - origin.y) * std::size_t(stride) + std::size_t(x - origin.x) * 4;
    return RGB(p[0], p[1], p[2]);
}

TEST(WebDesktop, ComposesLayersBottomToTopClippedAndBlended) {
    const Bitmap red = Solid(4, 4, RGB(200, 0, 0));
    const Bitmap blue = Solid(4, 4, RGB(0, 0, 100));
    const std::vector<std::uint8_t> half(16, 128), wrongSize(3, 0);
    struct Case {
        const char* name;
        std::vector<DesktopLayer> layers;
        Rect area;
        Point origin;  // the buffer's first pixel (a capture's corner)
        Point probe;
        Color expected;
    };
    const std::vector<Case> cases = {
        {"bare desktop", {}, {0, 0, 8, 8}, {0, 0}, {3, 3}, kBack},
        {"window hanging off the top left", {{&red, nullptr, {-2, -3}, false}}, {0, 0, 8, 8}, {0, 0}, {1, 0}, RGB(200, 0, 0)},
        {"beside that window", {{&red, nullptr, {-2, -3}, false}}, {0, 0, 8, 8}, {0, 0}, {2, 0}, kBack},
        {"upper window wins", {{&red, nullptr, {0, 0}, false}, {&blue, nullptr, {2, 2}, false}}, {0, 0, 8, 8}, {0, 0}, {3, 3}, RGB(0, 0, 100)},
        {"half opacity over a window",
         {{&red, nullptr, {0, 0}, false}, {&blue, &half, {2, 2}, true}}, {0, 0, 8, 8}, {0, 0}, {3, 3}, RGB(100, 0, 50)},
        {"half opacity over the desktop only where it lies",
         {{&red, nullptr, {0, 0}, false}, {&blue, &half, {2, 2}, true}}, {0, 0, 8, 8}, {0, 0}, {5, 5}, RGB(5, 10, 65)},
        {"a plane of the wrong size is opaque", {{&blue, &wrongSize, {0, 0}, true}}, {0, 0, 8, 8}, {0, 0}, {1, 1}, RGB(0, 0, 100)},
        {"an area inside one window skips the desktop",
         {{&red, nullptr, {0, 0}, false}, {&blue, &half, {1, 1}, true}}, {1, 1, 3, 3}, {0, 0}, {2, 2}, RGB(100, 0, 50)},
        {"a capture off the desktop's corner", {{&red, nullptr, {0, 0}, false}}, {-4, -4, 2, 2}, {-4, -4}, {1, 1}, RGB(200, 0, 0)},
        {"a capture's desktop part", {{&red, nullptr, {0, 0}, false}}, {-4, -4, 2, 2}, {-4, -4}, {-1, 1}, kBack},
    };
    for (const Case& c : cases) {
        const int w = c.area.right - c.origin.x, h = c.area.bottom - c.origin.y;
        std::vector<std::uint8_t> rgba(std::size_t(w) * std::size_t(h) * 4, 0xEE);
        ComposeDesktop(c.layers, c.area, kBack, rgba.data(), std::size_t(w) * 4, c.origin);
        EXPECT_EQ(At(rgba, w * 4, c.origin, c.probe.x, c.probe.y), c.expected) << c.name;
        // Nothing outside the area is touched.
        if (c.area.left > c.origin.x) {
            EXPECT_EQ(rgba[0], 0xEE) << c.name;
        }
    }
}

TEST(WebDesktop, BrowserKeysBecomeVirtualKeys) {
    struct Case {
        std::string code, key;
        int expected;
    };
    const std::vector<Case> cases = {
        {"KeyZ", "z", 'Z'},
        {"KeyZ", "я", 'Z'},  // a Russian layout: shortcuts keep their keys
        {"KeyA", "A", 'A'},
        {"Digit5", "%", '5'},
        {"Numpad7", "7", 0x67},
        {"NumpadEnter", "Enter", kKeyReturn},
        {"F10", "F10", kKeyF1 + 9},
        {"F24", "F24", kKeyF1 + 23},
        {"ArrowLeft", "ArrowLeft", kKeyLeft},
        {"ContextMenu", "ContextMenu", kKeyApps},
        {"Minus", "-", 0xBD},
        {"BracketRight", "]", 0xDD},
        {"Quote", "'", 0xDE},
        {"", "q", 'Q'},        // no physical key: what it means
        {"", "?", 0xBF},
        {"", ")", '0'},
        {"", "Tab", kKeyTab},
        {"", "ф", 0},          // a letter with no virtual key arrives as text only
        {"", "Dead", 0},
        {"Unidentified", "Process", 0},
        {"F0", "F0", 0},
        {"F25", "", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(VirtualKeyOf(c.code, c.key), c.expected) << c.code << " / " << c.key;
}

// A message names a picked or downloaded file as the user knows it, not by the page's folders.
TEST(WebDesktop, MessagesNameFilesWithoutThePagesFolders) {
    EXPECT_EQ(InUserTerms("\"/home/web_user/a.vzk\", \"/home/web_user/downloads/b c.png\", /home/web_user_2/d",
                          "/home/web_user", "/home/web_user/downloads"),
              "\"a.vzk\", \"b c.png\", /home/web_user_2/d");
}

}  // namespace
}  // namespace veskel::web
