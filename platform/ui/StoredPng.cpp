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
