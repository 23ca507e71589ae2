// DrawText: word breaking, alignment, and a calculate-only height that equals what is drawn.
#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/Canvas.h"
#include "tests/text/TextTestSupport.h"
#include "platform/text/CanvasText.h"

namespace veskel {
namespace {

// In the banner font a capital advances 5 pixels (W 6) and a space 4; lines are 12 pixels tall.
struct WrapCase {
    const char* name;
    const char* text;
    int width;
    std::vector<const char*> lines;
};

const WrapCase kWrapCases[] = {
    {"breaks at the space that overflows", "AAA AAA AAA", 34, {"AAA AAA", "AAA"}},
    {"one pixel less moves the word down", "AAA AAA AAA", 33, {"AAA", "AAA", "AAA"}},
    {"long word stays whole on its own line", "A WWWWWWWWWW A", 20, {"A", "WWWWWWWWWW", "A"}},
    {"long word first", "WWWWWWWWWW A", 20, {"WWWWWWWWWW", "A"}},
    {"spaces at a break are dropped", "AAA    AAA", 20, {"AAA", "AAA"}},
    {"leading spaces of a paragraph stay", "  AAA", 100, {"  AAA"}},
    {"line breaks CR LF, LF and CR", "AB\r\nCD\nE\rF", 100, {"AB", "CD", "E", "F"}},
    {"empty paragraph keeps its line", "AB\n\nCD", 100, {"AB", "", "CD"}},
    {"Cyrillic words", "ЁЖИК ЁЖИК ЁЖИК", 45, {"ЁЖИК", "ЁЖИК", "ЁЖИК"}},  // 21 + 4 + 21 > 45
};

TEST(DrawText, WordBreakingLaysOutLinesAndMeasuresWhatItDraws) {
    for (const WrapCase& c : kWrapCases) {
        SCOPED_TRACE(c.name);
        Bitmap drawn(120, 80), expected(120, 80);
        Canvas cd(drawn), ce(expected);
        cd.font = ce.font = testing::BannerFont(kWhite);

        Rect calc{5, 3, 5 + c.width, 3};
        const int measured = DrawText(cd, c.text, calc, kDtWordBreak | kDtCalcRect);
        EXPECT_EQ(measured, 12 * int(c.lines.size()));
        EXPECT_EQ(calc.bottom, 3 + measured);
        EXPECT_EQ(testing::CountPixels(drawn, kBlack), 120 * 80);  // measuring draws nothing

        Rect box{5, 3, 5 + c.width, 3 + measured};
        EXPECT_EQ(DrawText(cd, c.text, box, kDtWordBreak), measured);
        ce.SetClipRect(box);  // DrawText clips to its rectangle
        for (std::size_t i = 0; i < c.lines.size(); ++i) TextOut(ce, 5, 3 + 12 * int(i), c.lines[i]);
        EXPECT_EQ(drawn, expected);
    }
}

TEST(DrawText, CalcRectGrowsTheWidthOnlyForAWordThatDoesNotFit) {
    Bitmap bmp(10, 10);
    Canvas c(bmp);
    c.font = testing::BannerFont();
    Rect r{0, 0, 20, 0};
    DrawText(c, "A WWWWWWWWWW A", r, kDtWordBreak | kDtCalcRect);
    EXPECT_EQ(r.right, 60);
    Rect wide{0, 0, 200, 0};
    DrawText(c, "AAA AAA", wide, kDtWordBreak | kDtCalcRect);
    EXPECT_EQ(wide.right, 200);
    // Without word breaking the rectangle takes the widest line's width.
    Rect single{7, 0, 8, 0};
    EXPECT_EQ(DrawText(c, "AAA AAA AAA", single, kDtCalcRect | kDtSingleLine), 12);
    EXPECT_EQ(single.right, 7 + 53);
    Rect lines{7, 0, 8, 0};
    EXPECT_EQ(DrawText(c, "AA\nAAAA", lines, kDtCalcRect), 24);
    EXPECT_EQ(lines.right, 7 + 20);
    Rect empty{1, 2, 30, 40};
    EXPECT_EQ(DrawText(c, "", empty, kDtWordBreak | kDtCalcRect), 0);
    EXPECT_EQ(empty.bottom, 2);
}

TEST(DrawText, AlignmentPlacesEachLine) {
    struct Case {
        unsigned flags;
        int x, y;
    };
    // "AB" is 10 pixels wide and 12 tall in a 30 x 30 box at (5, 3).
    const Case cases[] = {
        {kDtLeft, 5, 3},
        {kDtCenter, 15, 3},
        {kDtRight, 25, 3},
        {kDtSingleLine | kDtVCenter, 5, 12},
        {kDtSingleLine | kDtBottom | kDtRight, 25, 21},
        {kDtVCenter, 5, 3},  // vertical placement applies to single lines only
    };
    for (const Case& c : cases) {
        Bitmap drawn(50, 50), expected(50, 50);
        Canvas cd(drawn), ce(expected);
        cd.font = ce.font = testing::BannerFont(kWhite);
        Rect box{5, 3, 35, 33};
        DrawText(cd, "AB", box, c.flags);
        TextOut(ce, c.x, c.y, "AB");
        EXPECT_EQ(drawn, expected) << "flags " << c.flags;
    }
}

// A Russian caption in a UI font wrapped to a label's width, and again at three times the size as
// the anti-aliased label does: the measured height is the height of what is drawn.
TEST(DrawText, MeasuredHeightBoundsTheDrawnInkInUiFonts) {
    const std::string caption = "Программа для создания баннеров: выберите цвет, узор и текст";
    for (int scale : {1, 3}) {
        Bitmap bmp(150 * scale, 200 * scale);
        bmp.Fill(kWhite);
        Canvas c(bmp);
        c.font.family = "Tahoma";
        c.font.pixelHeight = 11 * scale;
        c.font.color = kBlack;
        Rect r{0, 0, 150 * scale, 0};
        const int h = DrawText(c, caption, r, kDtWordBreak | kDtCalcRect);
        const int lineHeight = TextHeight(c, "ASD");
        EXPECT_EQ(h % lineHeight, 0);
        EXPECT_GE(h / lineHeight, 3) << "scale " << scale;
        Rect box{0, 0, 150 * scale, 200 * scale};
        EXPECT_EQ(DrawText(c, caption, box, kDtWordBreak), h);
        testing::Bounds ink = testing::InkBounds(bmp, kWhite);
        ASSERT_FALSE(ink.empty);
        EXPECT_LE(ink.bottom, h);
        EXPECT_GT(ink.bottom, h - lineHeight);  // the last measured line has ink
        EXPECT_LE(ink.right, 150 * scale);
    }
}

}  // namespace
}  // namespace veskel
