// Looks up every text of the catalogs through Translate.cpp, in English, in Russian and back to
// the texts as written, and prints what Tr returned. Built natively (glibc's gettext) and with
// em++ (the web build's C library); the two outputs must be identical.
//   catalog-smoke CATALOG_DIR
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/lang/Translate.h"

namespace {

// The original texts of a compiled catalog (a .mo file: a header, then a table of
// length/offset pairs pointing at the texts).
std::vector<std::string> OriginalTexts(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string mo{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto word = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | std::uint8_t(mo.at(at + std::size_t(i)));
        return std::size_t(v);
    };
    std::vector<std::string> texts;
    if (mo.size() < 28 || word(0) != 0x950412de) return texts;
    const std::size_t count = word(8), table = word(12);
    for (std::size_t i = 0; i < count; ++i) texts.push_back(mo.substr(word(table + 8 * i + 4), word(table + 8 * i)));
    return texts;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];
    std::vector<std::string> texts = OriginalTexts(dir + "/en/LC_MESSAGES/veskel.mo");
    for (const std::string& t : OriginalTexts(dir + "/ru/LC_MESSAGES/veskel.mo")) texts.push_back(t);
    texts.push_back("a text no catalog holds");
    if (texts.size() < 10) return 1;
    for (veskel::Language language : {veskel::Language::Russian, veskel::Language::English, veskel::Language::Russian}) {
        veskel::UseLanguage(language, dir);
        std::printf("== %s\n", veskel::LanguageCode(language));
        for (const std::string& t : texts) std::printf("%s\t%s\n", t.c_str(), veskel::Tr(t.c_str()));
        // As the program's tests do: glibc's gettext keeps what it found under the messages'
        // locale of the moment, and a direct switch of the language alone keeps that locale.
        veskel::UseTextsAsWritten();
    }
    std::printf("== as written\n%s\n", veskel::Tr("Выберите цвет:"));
    return 0;
}
