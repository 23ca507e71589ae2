#include "banner/BannerText.h"

#include <mutex>
#include <optional>
#include <string>

#include "platform/Resources.h"
#include "platform/text/CodePage.h"
#include "platform/text/FontEngine.h"

namespace veskel {

void EnsureBannerFont() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterPrivateFont(Resource(kBannerFontResource)); });
}

int MeasureText(std::string_view cp1251) {
    if (cp1251.empty()) return 0;
    EnsureBannerFont();
    Font font;
    font.family = kBannerFontFamily;
    font.size = 9;
    const std::optional<std::u32string> chars = DecodeUtf8(Cp1251ToUtf8(cp1251));
    int width = 0;
    for (char32_t ch : *chars) width += CharAdvance(font, ch);
    return width;
}

int MeasureTextUtf8(std::string_view utf8) { return MeasureText(Utf8ToCp1251(utf8)); }

}  // namespace veskel
