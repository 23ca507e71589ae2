#pragma once
// The stored PNG block: how controls carry PNG images in a stored layout. The block is a binary
// property whose payload is a complete PNG file, byte for byte (signature and chunks, nothing of
// our own); its length is the one of the enclosing binary value (type byte 10, 4-byte
// little-endian count, payload). An empty image is written as the 8-byte signature alone; a list
// entry without data may also be an empty payload.
//
// A control with one image names its block "QORPNGData"; a control with a list of images numbers
// them from 1: "QORPNGData1", "QORPNGData2", ...
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veskel {

inline constexpr std::array<std::uint8_t, 8> kPngSignature{137, 80, 78, 71, 13, 10, 26, 10};
inline constexpr std::string_view kPngBlockName = "QORPNGData";

// The name of item `index` (1-based) of a list: "QORPNGData" followed by the number in decimal.
std::string PngBlockName(int index);
// The item number of a list block's name ("QORPNGData12" -> 12, any case), or nothing for a name
// that is not "QORPNGData" followed by decimal digits.
std::optional<unsigned long> PngBlockIndex(std::string_view name);

// A payload that holds no image: empty, or the signature alone.
bool IsEmptyPngPayload(std::span<const std::uint8_t> payload);

// The binary value of a block, as a control hands it to the layout writer.
std::vector<std::uint8_t> EncodePngBlock(std::span<const std::uint8_t> payload);

// Refuses a payload that is not empty and not a PNG image that decodes within the codecs' picture
// limits (LayoutError), so that a broken layout is refused where it is read, naming the control
// and property, rather than failing on every later paint.
void CheckPngPayload(std::span<const std::uint8_t> payload);

// The payload of a block as the layout reader hands it over (type byte, length, payload).
// Throws LayoutError when the value's length does not match its bytes, and as CheckPngPayload.
std::vector<std::uint8_t> ReadPngBlock(std::span<const std::uint8_t> encoded);

}  // namespace veskel
