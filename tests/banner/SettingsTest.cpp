// The 593-byte record: field offsets, little-endian storage, byte-for-byte round trips and the
// by-name field table that scripts use.
#include <gtest/gtest.h>

#include <random>

#include "banner/BannerSettings.h"
#include "platform/text/CodePage.h"

namespace veskel {
namespace {

BannerSettings::Bytes RandomBytes(std::uint32_t seed) {
    std::mt19937 rng(seed);
    BannerSettings::Bytes b;
    for (auto& v : b) v = std::uint8_t(rng());
    return b;
}

TEST(BannerSettings, FieldTableMatchesTheRecordLayout) {
    struct Expected {
        const char* name;
        std::size_t offset, size;
        FieldKind kind;
    };
    const Expected expected[] = {
        {"Text", 0, 256, FieldKind::String},          {"ProjectName", 256, 256, FieldKind::String},
        {"Reserved1", 512, 1, FieldKind::Reserved},   {"TextX", 513, 4, FieldKind::Int},
        {"TextY", 517, 4, FieldKind::Int},            {"Color1", 521, 4, FieldKind::Color},
        {"Color2", 525, 4, FieldKind::Color},         {"Glow", 529, 1, FieldKind::Flag},
        {"Border", 530, 1, FieldKind::Flag},          {"BorderColor", 531, 4, FieldKind::Color},
        {"Horizontal", 535, 1, FieldKind::Flag},      {"MirrorPattern", 536, 4, FieldKind::Int},
        {"MirrorStrength", 540, 4, FieldKind::Int},   {"Pattern", 544, 4, FieldKind::Int},
        {"PatternStrength", 548, 4, FieldKind::Int},  {"Overlay", 552, 1, FieldKind::Flag},
        {"OverlayX", 553, 4, FieldKind::Int},         {"OverlayY", 557, 4, FieldKind::Int},
        {"OverlayWidth", 561, 4, FieldKind::Int},     {"OverlayHeight", 565, 4, FieldKind::Int},
        {"Reserved2", 569, 8, FieldKind::Reserved},   {"OverlayOpacity", 577, 4, FieldKind::Int},
        {"PictureSize", 581, 4, FieldKind::Int},      {"Reserved3", 585, 8, FieldKind::Reserved},
    };
    ASSERT_EQ(BannerSettings::Fields().size(), std::size(expected));
    for (const Expected& e : expected) {
        const FieldInfo* f = BannerSettings::FindField(e.name);
        ASSERT_NE(f, nullptr) << e.name;
        EXPECT_EQ(f->offset, e.offset) << e.name;
        EXPECT_EQ(f->size, e.size) << e.name;
        EXPECT_EQ(f->kind, e.kind) << e.name;
    }
    EXPECT_EQ(BannerSettings::FindField("textx"), nullptr);  // names are case-sensitive
    EXPECT_EQ(sizeof(BannerSettings::Bytes), 593u);
}

TEST(BannerSettings, TypedAccessorsReadAndWriteLittleEndianAtTheirOffsets) {
    BannerSettings s;
    s.SetTextX(0x01020304);
    s.SetOverlayY(-2);
    s.SetColor2(RGB(0x11, 0x22, 0x33));
    s.SetPictureSize(0x7FFFFFFF);
    const auto& b = s.GetBytes();
    EXPECT_EQ((std::array<int, 4>{b[513], b[514], b[515], b[516]}), (std::array<int, 4>{4, 3, 2, 1}));
    EXPECT_EQ((std::array<int, 4>{b[557], b[558], b[559], b[560]}), (std::array<int, 4>{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ((std::array<int, 4>{b[525], b[526], b[527], b[528]}), (std::array<int, 4>{0x11, 0x22, 0x33, 0}));
    EXPECT_EQ(s.OverlayY(), -2);
    EXPECT_EQ(s.PictureSize(), 0x7FFFFFFF);

    // Every byte untouched by the setters is still 0.
    int nonZero = 0;
    for (std::uint8_t v : b) nonZero += v != 0;
    EXPECT_EQ(nonZero, 4 + 4 + 3 + 4);

    // A flag is on for any non-zero byte; setters write exactly 0 or 1.
    s.MutableBytes()[BannerSettings::kGlow] = 0x80;
    EXPECT_TRUE(s.Glow());
    s.SetGlow(true);
    EXPECT_EQ(s.GetBytes()[BannerSettings::kGlow], 1);
    s.SetBorder(false);
    EXPECT_FALSE(s.Border());
}

TEST(BannerSettings, StringFieldsKeepTheBytesAfterTheirLength) {
    BannerSettings s = BannerSettings::FromBytes(RandomBytes(7));
    const auto before = s.GetBytes();
    s.SetText("abc");
    EXPECT_EQ(s.Text(), "abc");
    EXPECT_EQ(s.GetBytes()[0], 3);
    for (std::size_t i = 4; i < 256; ++i) ASSERT_EQ(s.GetBytes()[i], before[i]) << i;
    for (std::size_t i = 256; i < BannerSettings::kSize; ++i) ASSERT_EQ(s.GetBytes()[i], before[i]) << i;

    // At most 255 characters; the length byte never spills into the next field.
    s.SetProjectName(std::string(300, 'z'));
    EXPECT_EQ(s.ProjectName(), std::string(255, 'z'));
    EXPECT_EQ(s.Reserved1(), before[512]);

    // UTF-8 in, Windows-1251 stored, UTF-8 out.
    s.SetTextUtf8("Привет");
    EXPECT_EQ(s.Text(), "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(s.TextUtf8(), "Привет");
    EXPECT_THROW(s.SetTextUtf8("日本"), CodePageError);
    EXPECT_EQ(s.TextUtf8(), "Привет");
}

TEST(BannerSettings, EveryByteSurvivesARoundTrip) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const BannerSettings::Bytes bytes = RandomBytes(seed);
        BannerSettings s = BannerSettings::FromBytes(bytes);
        EXPECT_EQ(s.GetBytes(), bytes);
        // Reading every field through its text form and setting it back changes nothing (flags and
        // strings aside, whose text form is normalised).
        for (const FieldInfo& f : BannerSettings::Fields()) {
            if (f.kind == FieldKind::Flag || f.kind == FieldKind::String) continue;
            if (f.kind == FieldKind::Color && (bytes[f.offset + 3] != 0)) continue;  // #RRGGBB has no top byte
            s.SetFieldFromString(f.name, s.FieldToString(f.name));
        }
        EXPECT_EQ(s.GetBytes(), bytes) << "seed " << seed;
    }
}

TEST(BannerSettings, OverwriteLeadingTakesOnlyTheBytesGiven) {
    BannerSettings s = BannerSettings::FromBytes(RandomBytes(3));
    const auto before = s.GetBytes();
    const std::vector<std::uint8_t> head(10, 0xAB);
    s.OverwriteLeading(head);
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(s.GetBytes()[i], 0xAB);
    for (std::size_t i = 10; i < BannerSettings::kSize; ++i) ASSERT_EQ(s.GetBytes()[i], before[i]);
    const std::vector<std::uint8_t> longer(700, 0x5A);
    s.OverwriteLeading(longer);
    for (std::uint8_t v : s.GetBytes()) ASSERT_EQ(v, 0x5A);
}

TEST(BannerSettings, SetFieldFromStringParsesEachKind) {
    BannerSettings s;
    s.SetFieldFromString("TextX", "-42");
    s.SetFieldFromString("TextY", "+7");
    s.SetFieldFromString("Color1", "#F14D21");
    s.SetFieldFromString("Glow", "1");
    s.SetFieldFromString("Text", "Привет, мир");
    s.SetFieldFromString("Reserved2", "18446744073709551615");
    s.SetFieldFromString("Reserved1", "255");
    EXPECT_EQ(s.TextX(), -42);
    EXPECT_EQ(s.TextY(), 7);
    EXPECT_EQ(s.Color1(), RGB(241, 77, 33));
    EXPECT_EQ(s.FieldToString("Color1"), "#F14D21");
    EXPECT_TRUE(s.Glow());
    EXPECT_EQ(s.TextUtf8(), "Привет, мир");
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(s.GetBytes()[BannerSettings::kReserved2 + i], 0xFF);
    EXPECT_EQ(s.Reserved1(), 255);
}

TEST(BannerSettings, SetFieldFromStringRefusesBadValuesAndChangesNothing) {
    const std::pair<const char*, const char*> bad[] = {
        {"NoSuchField", "1"}, {"TextX", "12a"},        {"TextX", ""},          {"TextX", "2147483648"},
        {"TextX", "0x10"},    {"Color1", "#12345"},    {"Color1", "F14D21"},   {"Color1", "#GG0000"},
        {"Glow", "2"},        {"Glow", "yes"},         {"Text", "日本語"},      {"Reserved1", "256"},
        {"Reserved2", "-1"},
    };
    BannerSettings s = BannerSettings::FromBytes(RandomBytes(11));
    const auto before = s.GetBytes();
    for (const auto& [name, value] : bad) {
        try {
            s.SetFieldFromString(name, value);
            ADD_FAILURE() << name << "=" << value << " was accepted";
        } catch (const FieldError& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
        EXPECT_EQ(s.GetBytes(), before) << name << "=" << value;
    }
}

}  // namespace
}  // namespace veskel
