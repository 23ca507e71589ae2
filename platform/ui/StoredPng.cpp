#include "platform/ui/StoredPng.h"

#include <algorithm>
#include <cctype>

#include "platform/codecs/Codecs.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

std::string PngBlockName(int index) { return std::string(kPngBlockName) + std::to_string(index); }

std::optional<unsigned long> PngBlockIndex(std::string_view name) {
    if (name.size() <= kPngBlockName.size()) return std::nullopt;
    for (std::size_t i = 0; i < kPngBlockName.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) !=
            std::tolower(static_cast<unsigned char>(kPngBlockName[i])))
            return std::nullopt;
    }
    const std::string_view digits = name.substr(kPngBlockName.size());
    // More than nine digits cannot be an item number of a 16-bit count anyway.
    if (digits.size() > 9) return std::nullopt;
    unsigned long n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + unsigned(c - '0');
    }
    return n;
}

bool IsEmptyPngPayload(std::span<const std::uint8_t> payload) {
    return payload.empty() ||
           (payload.size() == kPngSignature.size() && std::equal(kPngSignature.begin(), kPngSignature.end(), payload.begin()));
}

std::vector<std::uint8_t> EncodePngBlock(std::span<const std::uint8_t> payload) { return EncodeBinaryValue(payload); }

void CheckPngPayload(std::span<const std::uint8_t> payload) {
    if (!IsEmptyPngPayload(payload)) {
        if (payload.size() < kPngSignature.size() ||
            !std::equal(kPngSignature.begin(), kPngSignature.end(), payload.begin()))
            throw LayoutError("the stored image is not a PNG file");
        // The size from the header chunk, which a PNG file must start with, before any decoding.
        if (payload.size() >= 24) {
            auto be32 = [&](std::size_t at) {
                return (std::uint32_t(payload[at]) << 24) | (std::uint32_t(payload[at + 1]) << 16) |
                       (std::uint32_t(payload[at + 2]) << 8) | std::uint32_t(payload[at + 3]);
            };
            const std::uint32_t w = be32(16), h = be32(20);
            if (w > std::uint32_t(kMaxStoredImageSide) || h > std::uint32_t(kMaxStoredImageSide) ||
                (long long)w * (long long)h > kMaxStoredImagePixels)
                throw LayoutError("the stored PNG image is too large (" + std::to_string(w) + " x " + std::to_string(h) + ")");
        }
        try {
            (void)DecodePng(payload);
        } catch (const CodecError& e) {
            throw LayoutError(std::string("the stored PNG image cannot be read: ") + e.what());
        }
    }
}

std::vector<std::uint8_t> ReadPngBlock(std::span<const std::uint8_t> encoded) {
    const std::span<const std::uint8_t> payload = DecodeBinaryValue(encoded);
    CheckPngPayload(payload);
    return {payload.begin(), payload.end()};
}

}  // namespace veskel
