#pragma once
// What the renderer and the document share below the document: the error they report, the
// banner's embedded pixel font and the measuring of a text in it.
#include <stdexcept>
#include <string>
#include <string_view>

namespace veskel {

// A banner operation failed (a picture that cannot be read, an index the renderer cannot draw);
// the message is fit to show the user.
class BannerError : public std::runtime_error {
public:
    explicit BannerError(const std::string& message) : std::runtime_error(message) {}
};

// Registers the embedded banner font for this process (once; later calls do nothing).
void EnsureBannerFont();

// The width in pixels of a Windows-1251 text in the banner font: the sum of the advances of its
// characters, each measured alone (no kerning). Registers the embedded font on first use.
int MeasureText(std::string_view cp1251);
int MeasureTextUtf8(std::string_view utf8);  // throws CodePageError for characters outside the page

}  // namespace veskel
