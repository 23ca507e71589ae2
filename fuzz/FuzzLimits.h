#pragma once
// Included once by every fuzz target: decoding stops at a few megapixels, far below the limits of
// the program itself, so each input runs in milliseconds and the run spends its time reaching
// deep code instead of filling frames that the data never describes. With VESKEL_FUZZ_REAL_LIMITS
// set, the program's own limits stay: a second, shorter run of the project targets uses it, where
// the checks that refuse huge declared pictures before allocating them are what is exercised.
#include <cstdlib>

#include "platform/codecs/Codecs.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::getenv("VESKEL_FUZZ_REAL_LIMITS")) veskel::SetImageLimits({4096, 4'000'000});
    return 0;
}
