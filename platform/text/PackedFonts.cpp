// The browser build's system-font path: the fonts that tools/web/pack-data.sh resolved with
// fontconfig on the build machine and packed into the site, found through its manifest. The
// machine the browser runs on is never asked for a font. Compiled natively too, so that a test
// can check the packed answers against fontconfig's.
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/text/FreeTypeFace.h"

namespace veskel::text {
namespace {

struct PackedFace {
    std::string family;  // the request's family after MappedFamily, "*" for the fallback
    bool bold = false;
    bool italic = false;
    std::string file;  // in the folder
    int index = 0;
    std::string matchedFamily;
};

// fontconfig compares family names without regard to case or blanks.
std::string FamilyKey(const std::string& family) {
    std::string key;
    for (char c : family)
        if (c != ' ') key += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    return key;
}

std::vector<PackedFace> ReadManifest(const std::string& folder) {
    const std::string path = folder + "/fonts.list";
    std::ifstream in(path);
    if (!in) throw std::runtime_error("the font list \"" + path + "\" could not be read");
    std::vector<PackedFace> faces;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        const auto damaged = [&] {
            return std::runtime_error("the font list \"" + path + "\" is damaged: \"" + line + "\"");
        };
        if (fields.size() != 5) throw damaged();
        const std::string& style = fields[1];
        if (style != "regular" && style != "bold" && style != "italic" && style != "bold-italic") throw damaged();
        // A file in this folder, and a face index FreeType can take.
        if (fields[2].empty() || fields[2].find('/') != std::string::npos || fields[3].empty() || fields[3].size() > 4 ||
            fields[3].find_first_not_of("0123456789") != std::string::npos)
            throw damaged();
        faces.push_back({FamilyKey(fields[0]), style.starts_with("bold"), style.ends_with("italic"), fields[2],
                         std::stoi(fields[3]), fields[4]});
    }
    return faces;
}

const std::vector<PackedFace>& Manifest(const std::string& folder) {
    static std::map<std::string, std::vector<PackedFace>> manifests;  // read once per folder
    auto it = manifests.find(folder);
    if (it == manifests.end()) it = manifests.emplace(folder, ReadManifest(folder)).first;
    return it->second;
}

// The face for a request: its family's, else the fallback's; of those, the one of the same
// slant, then of the same weight, as fontconfig ranks them (a family outranks the slant, the
// slant the weight). A style that was not packed is then drawn from the nearest face, made bold
// or slanted by the engine as on the desktop.
const PackedFace* Choose(const std::vector<PackedFace>& faces, const Font& font) {
    for (const std::string& family : {FamilyKey(MappedFamily(font.family)), std::string("*")}) {
        const PackedFace* best = nullptr;
        int bestScore = -1;
        for (const PackedFace& f : faces) {
            if (f.family != family) continue;
            const int score = (f.italic == font.italic ? 2 : 0) + (f.bold == font.bold ? 1 : 0);
            if (score > bestScore) best = &f, bestScore = score;
        }
        if (best) return best;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<FontInstance> OpenPackedFont(const std::string& folder, const Font& font, int em) {
    const PackedFace* packed = Choose(Manifest(folder), font);
    if (!packed) throw std::runtime_error("no font is packed for the family \"" + font.family + "\"");
    ResolvedFace r;
    r.file = folder + "/" + packed->file;
    r.faceIndex = packed->index;
    r.family = packed->matchedFamily;
    FT_Face face = nullptr;
    if (FT_New_Face(FreeTypeLibrary(), r.file.c_str(), packed->index, &face) != 0)
        throw std::runtime_error("the font file \"" + r.file + "\" for \"" + font.family + "\" could not be opened");
    return MakeFreeTypeInstance(face, nullptr, r, em, font.bold, font.italic, FreeTypeFaceIsBold(face),
                                FreeTypeFaceIsItalic(face));
}

#ifdef __EMSCRIPTEN__
std::unique_ptr<FontInstance> OpenSystemFont(const Font& font, int em) {
    return OpenPackedFont("/veskel/fonts", font, em);  // where the page preloads the site's data
}
#endif

}  // namespace veskel::text
