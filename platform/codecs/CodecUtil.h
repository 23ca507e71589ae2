#pragma once
// Small helpers shared by the codec implementations (not part of the public interface).
#include <cstdint>
#include <string>

#include "platform/codecs/Codecs.h"

namespace veskel::codec_detail {

// CheckImageSize with the format's name in front of the message ("BMP: image too large (...)").
inline void CheckSize(const char* format, std::int64_t width, std::int64_t height) {
    try {
        CheckImageSize(width, height);
    } catch (const CodecError& e) {
        throw CodecError(std::string(format) + ": " + e.what());
    }
}

inline std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

}  // namespace veskel::codec_detail
