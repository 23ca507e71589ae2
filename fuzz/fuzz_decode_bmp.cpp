// Feeds arbitrary bytes to the BMP decoder: it must return a picture or throw CodecError,
// and a decoded picture must come back unchanged from our own encoder.
#include <cstdint>
#include <cstdlib>

#include "platform/codecs/Codecs.h"
#include "fuzz/FuzzLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const veskel::Picture picture = veskel::DecodeBmp({data, size});
        if (picture.IsEmpty() || (picture.HasAlpha() && picture.alpha.size() !=
                                  std::size_t(picture.Width()) * std::size_t(picture.Height())))
            std::abort();
        // What decodes must survive a round trip through the encoder unchanged.
        if (std::size_t(picture.Width()) * std::size_t(picture.Height()) <= (1u << 18) &&
            veskel::DecodeBmp(veskel::EncodeBmp(picture.color)).color != picture.color)
            std::abort();
    } catch (const veskel::CodecError&) {
    }
    return 0;
}
