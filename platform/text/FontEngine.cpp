#include "platform/text/FontEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "platform/text/FontCache.h"
#include "platform/text/FreeTypeFace.h"

namespace veskel {
namespace text {
namespace {

// The one table of family substitutions. The classic UI families are served by their metric
// twins from Debian's fonts-wine (added to the application font set below), the others by the
// closest faces Debian packages.
struct FamilyMapping {
    const char* requested;
    const char* family;
};
constexpr FamilyMapping kFamilyMap[] = {
    {"Tahoma", "Tahoma"},                    // fonts-wine: outlines plus hand-tuned strikes 8..16 px
    {"MS Sans Serif", "MS Sans Serif"},      // fonts-wine: bitmap strikes of 13, 16 and 20 px
    {"Small Fonts", "Small Fonts"},          // fonts-wine: one 11 px bitmap strike
    {"Courier", "Courier"},                  // fonts-wine: one 13 px bitmap strike
    {"Times New Roman", "Liberation Serif"},  // fonts-liberation2, metric-compatible
    {"Verdana", "DejaVu Sans"},              // fonts-dejavu: same wide, open design family
};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

long RoundDiv(long num, long den) {
    if (den <= 0) return 0;
    return num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
}

// Sizes past this are refused by clamping: the UI never asks for more, and a hostile layout
// must not make the engine allocate glyphs of absurd size.
constexpr int kMaxPixelSize = 1024;

struct PrivateFace {
    FontHandle handle = 0;
    std::shared_ptr<const std::vector<std::uint8_t>> data;
    int index = 0;
    std::string family;
    bool bold = false;
    bool italic = false;
};

struct InstanceKey {
    std::string family;
    int em;
    bool bold;
    bool italic;
    friend bool operator<(const InstanceKey& a, const InstanceKey& b) {
        return std::tie(a.family, a.em, a.bold, a.italic) < std::tie(b.family, b.em, b.bold, b.italic);
    }
};

struct Engine {
    std::mutex mutex;
    FT_Library library = nullptr;
    std::vector<PrivateFace> privateFaces;
    FontHandle nextHandle = 1;
    std::map<InstanceKey, std::unique_ptr<FontInstance>> instances;
};

// Deliberately never destroyed: glyph caches may be used by static objects until exit.
Engine& TheEngine() {
    static Engine* engine = new Engine;
    return *engine;
}

FT_Library Library() {
    Engine& e = TheEngine();
    if (!e.library && FT_Init_FreeType(&e.library) != 0)
        throw std::runtime_error("the font engine could not start FreeType");
    return e.library;
}

class FtInstance final : public FontInstance {
public:
    FtInstance(FT_Face face, std::shared_ptr<const std::vector<std::uint8_t>> data, ResolvedFace resolved, int em,
               bool wantBold, bool wantItalic, bool faceBold, bool faceItalic)
        : face_(face), data_(std::move(data)) {
        resolved_ = std::move(resolved);
        resolved_.syntheticBold = wantBold && !faceBold;
        resolved_.syntheticItalic = wantItalic && !faceItalic;
        if (FT_IS_SCALABLE(face_)) {
            FT_Set_Pixel_Sizes(face_, 0, FT_UInt(em));
            resolved_.pixelSize = em;
            long upem = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
            long asc = face_->ascender, desc = -face_->descender;
            auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
            if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
                asc = os2->usWinAscent;
                desc = os2->usWinDescent;
            }
            ascent_ = int(RoundDiv(asc * em, upem));
            descent_ = int(RoundDiv(desc * em, upem));
            underlineThickness_ = std::max(1, int(RoundDiv(long(face_->underline_thickness) * em, upem)));
            // FreeType gives the stem's centre; the row wanted is its top edge.
            long topUnits = long(face_->underline_position) + face_->underline_thickness / 2;
            underlineTop_ = ascent_ + std::max(1, int(RoundDiv(-topUnits * em, upem)));
        } else {
            SelectStrike(em);
            ascent_ = int((face_->size->metrics.ascender + 32) >> 6);
            descent_ = int((-face_->size->metrics.descender + 32) >> 6);
            underlineThickness_ = 1;
            underlineTop_ = ascent_ + 1;
        }
        descent_ = std::max(0, descent_);
        ascent_ = std::max(0, ascent_);
        if (Height() < 1) descent_ = 1;
        underlineTop_ = std::clamp(underlineTop_, 0, std::max(0, Height() - underlineThickness_));
    }
    ~FtInstance() override { FT_Done_Face(face_); }

protected:
    Glyph Rasterise(char32_t ch) override {
        Glyph g;
        // Never the auto-hinter: it snaps stems of unhinted faces and would move the pixel
        // font's squares; hinted TrueType faces still run their own instructions.
        const FT_Int32 flags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO | FT_LOAD_NO_AUTOHINT;
        FT_UInt index = FT_Get_Char_Index(face_, FT_ULong(ch));
        if (FT_Load_Glyph(face_, index, flags) != 0 && (index == 0 || FT_Load_Glyph(face_, 0, flags) != 0))
            return g;
        FT_GlyphSlot slot = face_->glyph;
        bool fromOutline = slot->format == FT_GLYPH_FORMAT_OUTLINE;
        if (fromOutline && resolved_.syntheticItalic) {
            FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
            FT_Outline_Transform(&slot->outline, &shear);
        }
        g.advance = int((slot->advance.x + 32) >> 6);
        if (fromOutline && !resolved_.syntheticItalic && FillGridRectangles(slot->outline, g)) {
            if (resolved_.syntheticBold) Embolden(g);
            return g;
        }
        if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return g;
        const FT_Bitmap& bm = slot->bitmap;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = int(bm.width);
        g.height = int(bm.rows);
        g.mask.assign(std::size_t(g.width) * std::size_t(g.height), 0);
        for (int y = 0; y < g.height; ++y) {
            const unsigned char* row =
                bm.pitch >= 0 ? bm.buffer + std::ptrdiff_t(y) * bm.pitch
                              : bm.buffer + std::ptrdiff_t(g.height - 1 - y) * -std::ptrdiff_t(bm.pitch);
            for (int x = 0; x < g.width; ++x) {
                bool on = false;
                switch (bm.pixel_mode) {
                    case FT_PIXEL_MODE_MONO: on = (row[x >> 3] & (0x80 >> (x & 7))) != 0; break;
                    case FT_PIXEL_MODE_GRAY: on = row[x] >= 128; break;
                    case FT_PIXEL_MODE_BGRA: on = row[4 * x + 3] >= 128; break;
                    default: break;
                }
                g.mask[std::size_t(y) * std::size_t(g.width) + std::size_t(x)] = on ? 1 : 0;
            }
        }
        if (!fromOutline && resolved_.syntheticItalic) ShearRows(g);
        if (resolved_.syntheticBold) Embolden(g);
        return g;
    }

private:
    // Bitmap-only faces: the largest strike whose cell fits the em plus the usual internal
    // leading (a quarter), else the smallest; so 8 pt "MS Sans Serif" (11 px em) takes the
    // 13 px strike as the classic platform does.
    void SelectStrike(int em) {
        int best = -1, bestSize = 0, smallest = -1, smallestSize = 0;
        const int limit = (em * 5 + 2) / 4;
        for (int i = 0; i < face_->num_fixed_sizes; ++i) {
            int size = int((face_->available_sizes[i].y_ppem + 32) >> 6);
            if (size <= 0) size = face_->available_sizes[i].height;
            if (size <= limit && size > bestSize) best = i, bestSize = size;
            if (smallest < 0 || size < smallestSize) smallest = i, smallestSize = size;
        }
        if (best < 0) best = smallest, bestSize = smallestSize;
        if (best >= 0) FT_Select_Size(face_, best);
        resolved_.bitmapStrike = true;
        resolved_.pixelSize = bestSize;
    }

    // Slants a bitmap glyph: rows higher above the baseline move further right.
    // An outline made only of whole-pixel rectangles on the pixel grid, all turning the same way
    // (the pixel font's glyphs at their design size: one square per pixel), covers exactly the
    // pixels inside those rectangles; the scan-line rasteriser gives the same pixels, only much
    // more slowly. Fills `g` and returns true for such an outline; false leaves `g` untouched.
    static bool FillGridRectangles(const FT_Outline& outline, Glyph& g) {
        if (outline.n_contours <= 0 || (outline.flags & FT_OUTLINE_EVEN_ODD_FILL)) return false;
        struct Box { FT_Pos x0, y0, x1, y1; };
        std::vector<Box> boxes;
        boxes.reserve(std::size_t(outline.n_contours));
        int orientation = 0, first = 0;
        for (int c = 0; c < outline.n_contours; ++c) {
            const int last = outline.contours[c];
            if (last - first != 3) return false;
            const FT_Vector* p = outline.points + first;
            for (int i = 0; i < 4; ++i) {
                if (!(FT_CURVE_TAG(outline.tags[first + i]) == FT_CURVE_TAG_ON) || (p[i].x & 63) || (p[i].y & 63))
                    return false;
                // Each edge runs along x or along y, alternately.
                const FT_Vector& a = p[i];
                const FT_Vector& b = p[(i + 1) % 4];
                const bool alongX = a.y == b.y && a.x != b.x, alongY = a.x == b.x && a.y != b.y;
                const FT_Vector& prev = p[(i + 3) % 4];
                const bool prevAlongX = prev.y == a.y && prev.x != a.x;
                if (!(alongX || alongY) || alongX == prevAlongX) return false;
            }
            const FT_Pos area = (p[1].x - p[0].x) * (p[2].y - p[1].y) - (p[1].y - p[0].y) * (p[2].x - p[1].x);
            const int turn = area > 0 ? 1 : -1;
            if (orientation != 0 && turn != orientation) return false;
            orientation = turn;
            boxes.push_back({std::min(p[0].x, p[2].x) >> 6, std::min(p[0].y, p[2].y) >> 6, std::max(p[0].x, p[2].x) >> 6,
                             std::max(p[0].y, p[2].y) >> 6});
            first = last + 1;
        }
        Box all = boxes.front();
        for (const Box& b : boxes) all = {std::min(all.x0, b.x0), std::min(all.y0, b.y0), std::max(all.x1, b.x1), std::max(all.y1, b.y1)};
        if (all.x1 - all.x0 > 4096 || all.y1 - all.y0 > 4096) return false;
        g.left = int(all.x0);
        g.top = int(all.y1);
        g.width = int(all.x1 - all.x0);
        g.height = int(all.y1 - all.y0);
        g.mask.assign(std::size_t(g.width) * std::size_t(g.height), 0);
        for (const Box& b : boxes)
            for (FT_Pos y = b.y0; y < b.y1; ++y)  // rows counted from the top of the cell
                std::fill_n(g.mask.begin() + std::ptrdiff_t((all.y1 - 1 - y) * g.width + (b.x0 - all.x0)), b.x1 - b.x0, 1);
        return true;
    }

    static void ShearRows(Glyph& g) {
        if (g.width == 0 || g.height == 0) return;
        auto shiftOf = [&](int y) {
            int above = g.top - 1 - y;
            return above >= 0 ? above / 4 : -((-above + 3) / 4);
        };
        int minShift = std::min(shiftOf(0), shiftOf(g.height - 1));
        int maxShift = std::max(shiftOf(0), shiftOf(g.height - 1));
        int width = g.width + maxShift - minShift;
        std::vector<std::uint8_t> mask(std::size_t(width) * std::size_t(g.height), 0);
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                if (g.At(x, y)) mask[std::size_t(y) * std::size_t(width) + std::size_t(x + shiftOf(y) - minShift)] = 1;
        g.mask = std::move(mask);
        g.width = width;
        g.left += minShift;
    }

    // The classic bold simulation: every pixel doubled one to the right, one pixel more advance.
    static void Embolden(Glyph& g) {
        g.advance += 1;
        if (g.width == 0 || g.height == 0) return;
        int width = g.width + 1;
        std::vector<std::uint8_t> mask(std::size_t(width) * std::size_t(g.height), 0);
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                if (g.At(x, y)) {
                    mask[std::size_t(y) * std::size_t(width) + std::size_t(x)] = 1;
                    mask[std::size_t(y) * std::size_t(width) + std::size_t(x + 1)] = 1;
                }
        g.mask = std::move(mask);
        g.width = width;
    }

    FT_Face face_;
    std::shared_ptr<const std::vector<std::uint8_t>> data_;  // keeps a memory font's bytes alive
};

bool FaceIsBold(FT_Face face) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWeightClass > 0) return os2->usWeightClass >= 600;
    return (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
}

bool FaceIsItalic(FT_Face face) { return (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0; }

std::unique_ptr<FontInstance> OpenPrivate(const PrivateFace& pf, const Font& font, int em) {
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(Library(), pf.data->data(), FT_Long(pf.data->size()), pf.index, &face) != 0)
        throw std::runtime_error("the registered font \"" + pf.family + "\" could not be opened");
    ResolvedFace r;
    r.family = pf.family;
    r.file = "<memory>";
    r.privateFont = true;
    return std::make_unique<FtInstance>(face, pf.data, r, em, font.bold, font.italic, pf.bold, pf.italic);
}

}  // namespace

FT_Library FreeTypeLibrary() { return Library(); }
bool FreeTypeFaceIsBold(FT_Face face) { return FaceIsBold(face); }
bool FreeTypeFaceIsItalic(FT_Face face) { return FaceIsItalic(face); }

std::unique_ptr<FontInstance> MakeFreeTypeInstance(FT_Face face, std::shared_ptr<const std::vector<std::uint8_t>> data,
                                                   ResolvedFace resolved, int em, bool wantBold, bool wantItalic,
                                                   bool faceBold, bool faceItalic) {
    return std::make_unique<FtInstance>(face, std::move(data), std::move(resolved), em, wantBold, wantItalic, faceBold,
                                        faceItalic);
}

std::string MappedFamily(const std::string& requested) {
    std::string key = Lower(requested);
    for (const FamilyMapping& m : kFamilyMap)
        if (Lower(m.requested) == key) return m.family;
    return requested;
}

std::unique_lock<std::mutex> LockEngine() { return std::unique_lock<std::mutex>(TheEngine().mutex); }

FontInstance& Instance(const Font& font) {
    Engine& e = TheEngine();
    int em = std::clamp(font.EmPixels(), 1, kMaxPixelSize);
    InstanceKey key{Lower(font.family), em, font.bold, font.italic};
    auto it = e.instances.find(key);
    if (it != e.instances.end()) return *it->second;

    // A registered family wins over the system's; the newest registration first, the closest
    // style among its faces.
    const PrivateFace* best = nullptr;
    int bestScore = -1;
    for (auto p = e.privateFaces.rbegin(); p != e.privateFaces.rend(); ++p) {
        if (Lower(p->family) != key.family) continue;
        int score = (p->bold == font.bold ? 2 : 0) + (p->italic == font.italic ? 1 : 0);
        if (score > bestScore) best = &*p, bestScore = score;
    }
    std::unique_ptr<FontInstance> inst = best ? OpenPrivate(*best, font, em) : OpenSystemFont(font, em);
    return *e.instances.emplace(key, std::move(inst)).first->second;
}

const Glyph& FontInstance::GlyphFor(char32_t ch) {
    auto it = glyphs_.find(ch);
    if (it != glyphs_.end()) return it->second;
    return glyphs_.emplace(ch, Rasterise(ch)).first->second;
}

}  // namespace text

FontHandle RegisterPrivateFont(std::span<const std::uint8_t> fontData) {
    auto lock = text::LockEngine();
    text::Engine& e = text::TheEngine();
    if (fontData.empty()) throw std::runtime_error("the font data is empty");
    auto data = std::make_shared<const std::vector<std::uint8_t>>(fontData.begin(), fontData.end());
    std::vector<text::PrivateFace> faces;
    long count = 1;
    for (long i = 0; i < count; ++i) {
        FT_Face face = nullptr;
        FT_Error err = FT_New_Memory_Face(text::Library(), data->data(), FT_Long(data->size()), FT_Long(i), &face);
        if (err != 0) {
            if (i == 0) throw std::runtime_error("the data is not a font that can be registered (FreeType error " +
                                                 std::to_string(err) + ")");
            break;
        }
        count = std::min<long>(face->num_faces, 64);
        text::PrivateFace pf;
        pf.handle = e.nextHandle;
        pf.data = data;
        pf.index = int(i);
        pf.family = face->family_name ? face->family_name : "";
        pf.bold = text::FaceIsBold(face);
        pf.italic = text::FaceIsItalic(face);
        FT_Done_Face(face);
        if (!pf.family.empty()) faces.push_back(std::move(pf));
    }
    if (faces.empty()) throw std::runtime_error("the font data names no font family");
    FontHandle handle = e.nextHandle++;
    e.privateFaces.insert(e.privateFaces.end(), faces.begin(), faces.end());
    e.instances.clear();  // resolution may change: the registered family now wins
    return handle;
}

void UnregisterPrivateFont(FontHandle handle) {
    auto lock = text::LockEngine();
    text::Engine& e = text::TheEngine();
    auto removed = std::remove_if(e.privateFaces.begin(), e.privateFaces.end(),
                                  [&](const text::PrivateFace& f) { return f.handle == handle; });
    if (removed == e.privateFaces.end()) return;
    e.privateFaces.erase(removed, e.privateFaces.end());
    e.instances.clear();
}

int CharAdvance(const Font& font, char32_t ch) {
    auto lock = text::LockEngine();
    return text::Instance(font).Advance(ch);
}

}  // namespace veskel
