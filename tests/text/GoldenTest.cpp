// Whole renderings compared with reviewed images in tests/golden/text. Regenerating them is a
// deliberate act: run the test with VESKEL_UPDATE_GOLDEN=1, look at the images, commit them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/codecs/Codecs.h"
#include "platform/graphics/Canvas.h"
#include "platform/io/Files.h"
#include "platform/text/CodePage.h"
#include "tests/text/TextTestSupport.h"
#include "platform/text/CanvasText.h"

namespace veskel {
namespace {

const std::string kGoldenDir = std::string(VESKEL_SOURCE_DIR) + "/tests/golden/text/";

void CompareWithGolden(const Bitmap& actual, const std::string& name) {
    const std::string path = kGoldenDir + name;
    if (const char* update = std::getenv("VESKEL_UPDATE_GOLDEN"); update && *update == '1') {
        std::filesystem::create_directories(kGoldenDir);
        WriteFileAtomic(path, EncodePng(actual));
        GTEST_SKIP() << "wrote " << path;
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << path << " is missing";
    Picture golden = DecodePng(ReadFileBytes(path));
    const std::string actualPath = (std::filesystem::temp_directory_path() / ("actual_" + name)).string();
    if (golden.color != actual) WriteFileAtomic(actualPath, EncodePng(actual));
    EXPECT_TRUE(golden.color == actual) << name << " differs from the golden image; this run's image is " << actualPath;
}

// The banner's text step: the outline in black at the eight neighbours, the text in white on top.
void OutlinedText(Canvas& c, int x, int y, const std::string& text) {
    c.font.color = kBlack;
    for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, 1}, {1, -1}, {1, 1}, {-1, -1}})
        TextOut(c, x + dx, y + dy, text);
    c.font.color = kWhite;
    TextOut(c, x, y, text);
}

std::string Cp1251Range(int from, int to) {
    std::string bytes;
    for (int b = from; b <= to; ++b)
        if (b != 0x98 && b != 0x7F) bytes += char(b);
    return Cp1251ToUtf8(bytes);
}

TEST(Golden, BannerFontSheet) {
    Bitmap sheet(360, 4 + 6 * 14 + 2 * 24);
    sheet.Fill(RGB(36, 52, 96));
    Canvas c(sheet);
    c.font = testing::BannerFont(kWhite);
    const std::string lines[] = {Cp1251Range(0x20, 0x4F), Cp1251Range(0x50, 0x7E), Cp1251Range(0x80, 0x9F),
                                 Cp1251Range(0xA0, 0xBF), Cp1251Range(0xC0, 0xFF),
                                 "Съешь же ещё этих мягких французских булок, да выпей чаю."};
    int y = 2;
    for (const std::string& line : lines) {
        TextOut(c, 4, y, line);
        y += 14;
    }
    // Two banners: the default text right-aligned 4 pixels before the edge at TextY 5, and Russian.
    for (const std::string& text : {std::string("Brannock veskel generator"), std::string("Баннер: ЁЖИК №7 — «ок»!")}) {
        Bitmap banner(350, 20);
        banner.Fill(RGB(166, 120, 60));
        Canvas b(banner);
        b.font = testing::BannerFont();
        OutlinedText(b, 346 - TextWidth(b, text), 5, text);
        c.Draw(5, y + 2, banner);
        y += 24;
    }
    CompareWithGolden(sheet, "banner_font.png");
}

struct UiLine {
    const char* family;
    int points;
    int pixels;
    bool bold;
    bool underline;
    const char* text;
};

// The UI families at the sizes the window uses, with Russian captions.
constexpr UiLine kUiLines[] = {
    {"Tahoma", 8, 0, false, false, "Tahoma 8: Text & Colors  Effects  Выберите шрифт"},
    {"Tahoma", 8, 0, true, false, "Tahoma 8 bold: Overlay Image  Save & Open  Сохранить"},
    {"Tahoma", 0, 11, false, false, "Tahoma 11 px: Выберите цвет:  0123456789"},
    {"Tahoma", 0, 16, false, false, "Tahoma 16 px: Waves top  Волны"},
    {"MS Sans Serif", 8, 0, false, false, "MS Sans Serif 8: Цвет текста, рамка и фон"},
    {"MS Sans Serif", 8, 0, false, true, "MS Sans Serif 8 underlined: http://example.org/?veskel=1"},
    {"MS Sans Serif", 0, 11, false, false, "MS Sans Serif 11 px: Палитра"},
    {"Small Fonts", 6, 0, false, false, "Small Fonts 6: Button  Кнопка"},
    {"Courier", 0, 13, false, false, "Courier 13 px: Открыть..."},
    {"Verdana", 7, 0, false, false, "Verdana 7: Button  Кнопка"},
    {"Verdana", 8, 0, false, false, "Verdana 8: Button  Кнопка"},
    {"Verdana", 9, 0, false, false, "Verdana 9: Edit  Текст баннера"},
    {"Times new roman", 11, 0, false, false, "Times new roman 11: Banner designer  Конструктор"},
    {"Times new roman", 33, 0, false, false, "Times 33: Конструктор"},
    {"Verdana", 27, 0, false, false, "Verdana 27: Сохранить"},
};

TEST(Golden, UiFamiliesSheet) {
    Bitmap sheet(480, 330);
    sheet.Fill(RGB(232, 232, 232));
    Canvas c(sheet);
    int y = 2;
    for (const UiLine& l : kUiLines) {
        c.font = Font{};
        c.font.family = l.family;
        c.font.size = l.points;
        c.font.pixelHeight = l.pixels;
        c.font.bold = l.bold;
        c.font.underline = l.underline;
        c.font.color = RGB(10, 10, 10);
        TextOut(c, 4, y, l.text);
        y += TextHeight(c, l.text) + 2;
    }
    ASSERT_LE(y, sheet.Height());
    CompareWithGolden(sheet, "ui_families.png");
}

}  // namespace
}  // namespace veskel
