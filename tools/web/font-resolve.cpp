// Resolves font requests exactly as the desktop program does (the font engine's system-font
// path: the family table, fontconfig with the fonts-wine faces alongside the system's) and
// prints what each one opens, for tools/web/pack-data.sh.
//   veskel_font_resolve REQUESTS     (the format of tools/web/font-requests.list)
// Prints one line per request: mapped family, style, file, face index, matched family (tabs).
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "platform/text/FontCache.h"
#include "platform/text/FreeTypeFace.h"

namespace {

// A family name that no installed font has, for the "*" request.
constexpr const char* kUnknownFamily = "Veskel No Such Family";

bool ParseStyle(const std::string& style, veskel::Font& font) {
    font.bold = style == "bold" || style == "bold-italic";
    font.italic = style == "italic" || style == "bold-italic";
    return font.bold || font.italic || style == "regular";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s REQUESTS\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    std::string line;
    int number = 0;
    try {
        while (std::getline(in, line)) {
            ++number;
            if (line.empty() || line[0] == '#') continue;
            const std::size_t tab = line.find('\t');
            veskel::Font font;
            if (tab == std::string::npos || !ParseStyle(line.substr(0, tab), font)) {
                std::fprintf(stderr, "%s:%d: expected \"<style>\\t<family>\"\n", argv[1], number);
                return 1;
            }
            const std::string family = line.substr(tab + 1);
            font.family = family == "*" ? kUnknownFamily : family;
            auto lock = veskel::text::LockEngine();
            const auto instance = veskel::text::OpenSystemFont(font, 11);
            const veskel::text::ResolvedFace& r = instance->Resolved();
            std::printf("%s\t%s\t%s\t%d\t%s\n", family == "*" ? "*" : veskel::text::MappedFamily(family).c_str(),
                        line.substr(0, tab).c_str(), r.file.c_str(), r.faceIndex, r.family.c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s:%d: %s\n", argv[1], number, e.what());
        return 1;
    }
    return 0;
}
