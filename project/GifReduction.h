#pragma once
// Reduction of a 24-bit image to the 256-colour palette that GIF export writes: the first ten
// default-palette colours, up to 236 colours chosen by an octree quantiser for this image, and
// the last ten default-palette colours, with every pixel mapped through serpentine
// Floyd-Steinberg error diffusion.
#include <array>
#include <vector>

#include "platform/codecs/Codecs.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Palette.h"

namespace veskel {

// How many colours the octree may keep, and where they start in the palette.
inline constexpr int kGifOctreeColors = 236;
inline constexpr int kGifOctreeFirstEntry = 10;

// The correction that the error diffusion adds to a channel, from the error carried into the
// pixel: (carried + 8) / 16 with the division truncating towards zero (-20 gives 0, 24 gives 2).
constexpr int DiffusionCorrection(int carried) { return (carried + 8) / 16; }

// The colours the octree quantiser picks for `image`, in the order of its depth-first walk
// (at most kGifOctreeColors). Exposed for tests and the benchmark.
std::vector<PaletteEntry> QuantizeOctree(const Bitmap& image);

// The full 256-entry palette for `image`: default colours 0..9, the octree colours from entry
// 10 (black where the octree gave fewer than 236), default colours 10..19 in entries 246..255.
std::array<PaletteEntry, 256> BuildGifPalette(const Bitmap& image);

// The indexed image of the same size with BuildGifPalette's palette. An empty image gives an
// empty indexed image (with the default entries in place).
IndexedImage ReduceToGifPalette(const Bitmap& image);

}  // namespace veskel
