#pragma once
// Inside the font engine: resolved fonts at one pixel size with their cached glyphs. Used by the
// Canvas text operations and by the tests that compare rasterised glyphs with their art.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/graphics/Font.h"

namespace veskel::text {

// One rasterised glyph: a black-and-white mask with its placement relative to the pen position
// on the baseline (left = pixels right of the pen, top = rows above the baseline).
struct Glyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;
    std::vector<std::uint8_t> mask;  // width x height, 1 = painted

    bool At(int x, int y) const { return mask[std::size_t(y) * std::size_t(width) + std::size_t(x)] != 0; }
};

// What a font request resolved to, for diagnostics and tests.
struct ResolvedFace {
    std::string family;      // the family of the face actually used
    std::string file;        // its file, or "<memory>" for a registered font
    int faceIndex = 0;       // the face's index in a file that holds several
    bool privateFont = false;
    bool syntheticBold = false;
    bool syntheticItalic = false;
    bool bitmapStrike = false;  // a face without outlines, drawn from a fixed-size strike
    int pixelSize = 0;          // the em (outline faces) or strike size (bitmap faces) in pixels
};

class FontInstance;

// The engine is used from the UI thread, but its caches are shared process state; every access
// holds this lock, and references into the caches stay valid while it is held. The lock is not
// re-entrant: do not call the public engine functions (RegisterPrivateFont, CharAdvance, the
// Canvas text members) while holding it.
std::unique_lock<std::mutex> LockEngine();

// The resolved instance for a font request (family, em size, bold, italic; colour and underline do
// not matter). Caller holds LockEngine().
FontInstance& Instance(const Font& font);

class FontInstance {
public:
    virtual ~FontInstance() = default;
    int Ascent() const { return ascent_; }
    int Descent() const { return descent_; }
    int Height() const { return ascent_ + descent_; }
    // First row of the underline below the cell top, and its thickness in rows.
    int UnderlineTop() const { return underlineTop_; }
    int UnderlineThickness() const { return underlineThickness_; }
    const ResolvedFace& Resolved() const { return resolved_; }

    const Glyph& GlyphFor(char32_t ch);
    int Advance(char32_t ch) { return GlyphFor(ch).advance; }

protected:
    virtual Glyph Rasterise(char32_t ch) = 0;

    int ascent_ = 0;
    int descent_ = 0;
    int underlineTop_ = 0;
    int underlineThickness_ = 1;
    ResolvedFace resolved_;

private:
    std::unordered_map<char32_t, Glyph> glyphs_;
};

// The family that a requested family name maps to before fontconfig resolves it (the one table
// of substitutions, case-insensitive); names without an entry are passed through unchanged.
std::string MappedFamily(const std::string& requested);

}  // namespace veskel::text
