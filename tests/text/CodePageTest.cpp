// Windows-1251 <-> UTF-8: every assigned byte round-trips, anything else is refused by name.
#include <gtest/gtest.h>

#include "platform/text/CodePage.h"

namespace veskel {
namespace {

TEST(CodePage, EveryAssignedByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) continue;  // the one unassigned byte
        const std::string one(1, char(b));
        const std::string utf8 = Cp1251ToUtf8(one);
        EXPECT_EQ(Utf8ToCp1251(utf8), one) << "byte " << b;
        all += one;
    }
    EXPECT_EQ(all.size(), 255u);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
    EXPECT_EQ(Cp1251ToUtf8(""), "");
    EXPECT_EQ(Utf8ToCp1251(""), "");
}

TEST(CodePage, KnownCharactersMapBothWays) {
    const std::pair<unsigned char, const char*> pairs[] = {
        {0xC0, "А"}, {0xFF, "я"}, {0xA8, "Ё"}, {0xB8, "ё"}, {0x88, "€"}, {0xB9, "№"},
        {0x97, "—"}, {0xAB, "«"}, {0xA0, "\u00A0"}, {0x41, "A"},
    };
    for (auto [byte, utf8] : pairs) {
        EXPECT_EQ(Cp1251ToUtf8(std::string(1, char(byte))), utf8);
        EXPECT_EQ(Utf8ToCp1251(utf8), std::string(1, char(byte)));
    }
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xEF\xBF\xBD");  // shown as the replacement character ...
    EXPECT_THROW(Utf8ToCp1251("\xEF\xBF\xBD"), CodePageError);  // ... which cannot be stored back
}

TEST(CodePage, CharacterOutsideTheCodePageIsRefusedByName) {
    const std::pair<const char*, const char*> refused[] = {
        {"Banner 日", "U+65E5"}, {"😀", "U+1F600"}, {"Ā", "U+0100"}, {"ok\u2603", "U+2603"}};
    for (auto [text, code] : refused) {
        try {
            Utf8ToCp1251(text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const CodePageError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(code), std::string::npos) << message;
            EXPECT_NE(message.find("Windows-1251"), std::string::npos) << message;
        }
        EXPECT_FALSE(TryUtf8ToCp1251(text).has_value());
    }
}

TEST(CodePage, MalformedUtf8IsRefusedAndDrawnAsReplacement) {
    const std::string malformed[] = {
        "\xFF",              // never a UTF-8 byte
        "ab\xC3",            // truncated sequence
        "\xC0\x80",          // overlong NUL
        "\xE0\x80\xAF",      // overlong slash
        "\xED\xA0\x80",      // surrogate
        "\x80",              // stray continuation
        "\xF4\x90\x80\x80",  // past U+10FFFF
        "\xC3(",             // continuation missing
    };
    for (const std::string& s : malformed) {
        EXPECT_FALSE(DecodeUtf8(s).has_value()) << s;
        EXPECT_THROW(Utf8ToCp1251(s), CodePageError) << s;
        EXPECT_FALSE(TryUtf8ToCp1251(s).has_value());
        const std::u32string lossy = DecodeUtf8Lossy(s);
        EXPECT_NE(lossy.find(U'\uFFFD'), std::u32string::npos) << s;
    }
    try {
        Utf8ToCp1251("\xFF");
    } catch (const CodePageError& e) {
        EXPECT_NE(std::string(e.what()).find("not valid UTF-8"), std::string::npos);
    }
    EXPECT_EQ(DecodeUtf8Lossy("a\xFF" "b\xC3"), U"a\uFFFDb\uFFFD");
    EXPECT_EQ(DecodeUtf8Lossy("Ёж 😀"), U"Ёж 😀");
    EXPECT_EQ(EncodeUtf8(U"Ёж 😀"), "Ёж 😀");
}

}  // namespace
}  // namespace veskel
