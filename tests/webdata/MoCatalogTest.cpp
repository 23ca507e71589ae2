// The browser build's catalog reader gives what glibc's gettext gives the desktop, and survives
// damaged catalogs.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "platform/lang/MoCatalog.h"
#include "platform/lang/Translate.h"

namespace veskel {
namespace {

const std::string kLocale = VESKEL_PACKED_DATA_DIR "/locale";

TEST(MoCatalog, EveryTextAsGettextGivesIt) {
    for (Language language : {Language::English, Language::Russian}) {
        SCOPED_TRACE(LanguageCode(language));
        const MoCatalog catalog(kLocale + "/" + LanguageCode(language) + "/LC_MESSAGES/veskel.mo");
        ASSERT_GT(catalog.Texts().size(), 20u);
        UseLanguage(language, kLocale);
        for (const auto& [text, translation] : catalog.Texts())
            if (!text.empty()) {  // "" is the header
                EXPECT_EQ(translation, Tr(text)) << text;
            }
        EXPECT_EQ(catalog.Find("a text no catalog holds"), nullptr);
        UseTextsAsWritten();
    }
}

std::uint32_t Get32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | std::uint8_t(s[at + std::size_t(i)]);
    return v;
}

void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + std::size_t(i)] = char(v >> (8 * i) & 0xFF);
}

// Cut short or with a count, offset or length past its end, a catalog loses texts and never
// reads outside the file (the sanitizer build sees every byte read).
TEST(MoCatalog, DamagedCatalogIsReadSafely) {
    const std::string file = kLocale + "/ru/LC_MESSAGES/veskel.mo";
    std::ifstream in(file, std::ios::binary);
    const std::string good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(good.size(), 100u);
    const MoCatalog whole(file);
    const std::size_t originals = Get32(good, 12);
    const struct {
        const char* name;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"empty", [](std::string& s) { s.clear(); }},
        {"header only", [](std::string& s) { s.resize(20); }},
        {"cut in half", [](std::string& s) { s.resize(s.size() / 2); }},
        {"last NUL gone", [](std::string& s) { s.pop_back(); }},
        {"count past the end", [](std::string& s) { Put32(s, 8, 0x7FFFFFFF); }},
        {"table past the end", [](std::string& s) { Put32(s, 12, 0x7FFFFFF0); }},
        {"a text past the end", [&](std::string& s) { Put32(s, originals + 4, 0x7FFFFFF0); }},
        {"a length past the end", [&](std::string& s) { Put32(s, originals, 0xFFFFFFFF); }},
    };
    const std::string path = std::string(VESKEL_PACKED_DATA_DIR) + "/damaged.mo";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string damaged = good;
        c.damage(damaged);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << damaged;
        const MoCatalog catalog(path);
        EXPECT_LT(catalog.Texts().size(), whole.Texts().size());
        for (const auto& [text, translation] : catalog.Texts()) {
            const char* found = whole.Find(text.c_str());
            ASSERT_NE(found, nullptr) << text;
            EXPECT_EQ(translation, found);
        }
    }
}

}  // namespace
}  // namespace veskel
