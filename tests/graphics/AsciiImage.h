#pragma once
// Pictures of tiny bitmaps as text, one character a pixel, so a test can state every pixel of
// the expected result at a glance and a failure prints a readable difference.
#include <map>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"

namespace veskel::testing {

using Legend = std::map<char, Color>;

// Rows joined by '\n'; pixels of a colour the legend does not name show as '?'.
inline std::string ToAscii(const Bitmap& bmp, const Legend& legend) {
    std::string out;
    for (int y = 0; y < bmp.Height(); ++y) {
        for (int x = 0; x < bmp.Width(); ++x) {
            char ch = '?';
            for (const auto& [c, color] : legend)
                if (bmp.Pixel(x, y) == color) ch = c;
            out += ch;
        }
        out += '\n';
    }
    return out;
}

inline std::string Rows(const std::vector<std::string>& rows) {
    std::string out;
    for (const auto& r : rows) out += r + '\n';
    return out;
}

// A bitmap painted from a picture: every character must be in the legend.
inline Bitmap FromAscii(const std::vector<std::string>& rows, const Legend& legend) {
    Bitmap bmp(rows.empty() ? 0 : int(rows[0].size()), int(rows.size()));
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) bmp.SetPixel(x, y, legend.at(rows[std::size_t(y)][std::size_t(x)]));
    return bmp;
}

// A bitmap of deterministic noise, so that nothing a test checks can pass by coincidence.
inline Bitmap Noise(int w, int h, unsigned seed = 1) {
    Bitmap bmp(w, h);
    unsigned s = seed * 2654435761u + 12345u;
    for (std::size_t i = 0; i < bmp.ByteSize(); ++i) {
        s = s * 1103515245u + 12345u;
        bmp.Data()[i] = std::uint8_t(s >> 16);
    }
    return bmp;
}

}  // namespace veskel::testing
