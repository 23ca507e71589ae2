// Feeds arbitrary bytes to the GIF decoder: it must return a picture or throw CodecError.
#include <cstdint>
#include <cstdlib>

#include "platform/codecs/Codecs.h"
#include "fuzz/FuzzLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const veskel::Picture picture = veskel::DecodeGif({data, size});
        if (picture.IsEmpty() || (picture.HasAlpha() && picture.alpha.size() !=
                                  std::size_t(picture.Width()) * std::size_t(picture.Height())))
            std::abort();
    } catch (const veskel::CodecError&) {
    }
    return 0;
}
