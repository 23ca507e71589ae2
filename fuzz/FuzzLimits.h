#pragma once
// Included once by every fuzz target: decoding stops at a few megapixels, far below the limits of
// the program itself, so each input runs in milliseconds and the run spends its time reaching
// deep code instead of filling frames that the data never describes.
#include "platform/codecs/Codecs.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    veskel::SetImageLimits({4096, 4'000'000});
    return 0;
}
