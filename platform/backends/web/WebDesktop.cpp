#include "platform/backends/web/WebDesktop.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/ui/Input.h"

namespace veskel::web {

namespace {

Rect LayerRect(const DesktopLayer& layer) {
    return Rect::FromSize(layer.at.x, layer.at.y, layer.pixels->Width(), layer.pixels->Height());
}

bool BlendsOpacity(const DesktopLayer& layer) {
    return layer.translucent && layer.opacity &&
           layer.opacity->size() == std::size_t(layer.pixels->Width()) * std::size_t(layer.pixels->Height());
}

}  // namespace

void ComposeDesktop(std::span<const DesktopLayer> layers, const Rect& area, Color background, std::uint8_t* rgba,
                    std::size_t stride, Point origin) {
    if (area.IsEmpty()) return;
    auto at = [&](int x, int y) {
        return rgba + std::size_t(y - origin.y) * stride + std::size_t(x - origin.x) * 4;
    };
    // Only the layers from the last one that covers the whole area opaquely need drawing.
    std::size_t first = 0;
    for (std::size_t i = layers.size(); i-- > 0;) {
        const DesktopLayer& l = layers[i];
        if (l.pixels && !BlendsOpacity(l) && LayerRect(l).Intersect(area) == area) {
            first = i;
            break;
        }
    }
    const bool covered = !layers.empty() && layers[first].pixels && !BlendsOpacity(layers[first]) &&
                         LayerRect(layers[first]).Intersect(area) == area;
    if (!covered) {
        for (int y = area.top; y < area.bottom; ++y) {
            std::uint8_t* d = at(area.left, y);
            for (int x = area.left; x < area.right; ++x, d += 4) {
                d[0] = GetR(background);
                d[1] = GetG(background);
                d[2] = GetB(background);
                d[3] = 255;
            }
        }
    }
    for (std::size_t i = covered ? first : 0; i < layers.size(); ++i) {
        const DesktopLayer& l = layers[i];
        if (!l.pixels || l.pixels->IsEmpty()) continue;
        const Rect r = LayerRect(l).Intersect(area);
        if (r.IsEmpty()) continue;
        const bool blend = BlendsOpacity(l);
        const std::size_t width = std::size_t(l.pixels->Width());
        for (int y = r.top; y < r.bottom; ++y) {
            const std::uint8_t* s = l.pixels->Row(y - l.at.y) + std::size_t(r.left - l.at.x) * 3;
            std::uint8_t* d = at(r.left, y);
            if (!blend) {
                for (int x = r.left; x < r.right; ++x, s += 3, d += 4) {
                    d[0] = s[2];
                    d[1] = s[1];
                    d[2] = s[0];
                    d[3] = 255;
                }
                continue;
            }
            const std::uint8_t* a = l.opacity->data() + std::size_t(y - l.at.y) * width + std::size_t(r.left - l.at.x);
            for (int x = r.left; x < r.right; ++x, s += 3, d += 4, ++a) {
                const unsigned k = *a;
                // Rounded: source x opacity + beneath x (1 - opacity).
                d[0] = std::uint8_t((s[2] * k + d[0] * (255 - k) + 127) / 255);
                d[1] = std::uint8_t((s[1] * k + d[1] * (255 - k) + 127) / 255);
                d[2] = std::uint8_t((s[0] * k + d[2] * (255 - k) + 127) / 255);
            }
        }
    }
}

int VirtualKeyOf(std::string_view code, std::string_view key) {
    // Physical keys whose code is their letter or digit.
    if (code.size() == 4 && code.starts_with("Key") && code[3] >= 'A' && code[3] <= 'Z') return code[3];
    if (code.size() == 6 && code.starts_with("Digit") && code[5] >= '0' && code[5] <= '9') return code[5];
    if (code.size() == 7 && code.starts_with("Numpad") && code[6] >= '0' && code[6] <= '9')
        return 0x60 + (code[6] - '0');
    auto function = [](std::string_view name) {
        if (name.size() < 2 || name.size() > 3 || name[0] != 'F') return 0;
        int n = 0;
        for (char c : name.substr(1)) {
            if (c < '0' || c > '9') return 0;
            n = n * 10 + (c - '0');
        }
        return n >= 1 && n <= 24 ? kKeyF1 + n - 1 : 0;
    };
    if (const int f = function(code)) return f;
    static constexpr std::array<std::pair<std::string_view, int>, 49> kNamed{{
        {"Backspace", kKeyBack},     {"Tab", kKeyTab},           {"Enter", kKeyReturn},
        {"NumpadEnter", kKeyReturn}, {"ShiftLeft", kKeyShift},   {"ShiftRight", kKeyShift},
        {"Shift", kKeyShift},        {"ControlLeft", kKeyControl}, {"ControlRight", kKeyControl},
        {"Control", kKeyControl},    {"AltLeft", kKeyMenu},      {"AltRight", kKeyMenu},
        {"Alt", kKeyMenu},           {"Escape", kKeyEscape},     {"Space", kKeySpace},
        {" ", kKeySpace},            {"PageUp", kKeyPrior},      {"PageDown", kKeyNext},
        {"End", kKeyEnd},            {"Home", kKeyHome},         {"ArrowLeft", kKeyLeft},
        {"ArrowUp", kKeyUp},         {"ArrowRight", kKeyRight},  {"ArrowDown", kKeyDown},
        {"Insert", kKeyInsert},      {"Delete", kKeyDelete},     {"Pause", 0x13},
        {"CapsLock", 0x14},          {"PrintScreen", 0x2C},      {"MetaLeft", 0x5B},
        {"ContextMenu", kKeyApps},   {"NumLock", 0x90},          {"ScrollLock", 0x91},
        {"NumpadMultiply", 0x6A},    {"NumpadAdd", 0x6B},        {"NumpadSubtract", 0x6D},
        {"NumpadDecimal", 0x6E},     {"NumpadDivide", 0x6F},     {"Semicolon", 0xBA},
        {"Equal", 0xBB},             {"Comma", 0xBC},            {"Minus", 0xBD},
        {"Period", 0xBE},            {"Slash", 0xBF},            {"Backquote", 0xC0},
        {"BracketLeft", 0xDB},       {"Backslash", 0xDC},        {"BracketRight", 0xDD},
        {"Quote", 0xDE},
    }};
    auto named = [&](std::string_view name) {
        for (const auto& [n, k] : kNamed)
            if (n == name) return k;
        return 0;
    };
    if (const int k = named(code)) return k;
    // Without a known physical key: what the key means. A letter or digit is its upper-case code;
    // punctuation maps as the Qt backend maps it on a US keyboard.
    if (key.size() == 1) {
        const char c = key[0];
        if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
        static constexpr std::string_view kPunctuation = ";:=+,<-_.>/?`~[{\\|]}'\"";
        static constexpr std::array<int, 22> kPunctuationKeys = {0xBA, 0xBA, 0xBB, 0xBB, 0xBC, 0xBC, 0xBD, 0xBD,
                                                                 0xBE, 0xBE, 0xBF, 0xBF, 0xC0, 0xC0, 0xDB, 0xDB,
                                                                 0xDC, 0xDC, 0xDD, 0xDD, 0xDE, 0xDE};
        if (const std::size_t i = kPunctuation.find(c); i != std::string_view::npos) return kPunctuationKeys[i];
        static constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";
        if (const std::size_t i = kShiftedDigits.find(c); i != std::string_view::npos) return '0' + int(i);
    }
    if (const int f = function(key)) return f;
    return named(key);
}

std::string InUserTerms(std::string text, std::string_view homeFolder, std::string_view downloadFolder) {
    for (std::string_view folder : {downloadFolder, homeFolder}) {
        const std::string prefix = std::string(folder) + "/";
        for (std::size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at))
            text.erase(at, prefix.size());
    }
    return text;
}

}  // namespace veskel::web
