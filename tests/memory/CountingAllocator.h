#pragma once
// The test program's own malloc: every allocation of the process (ours, libpng's, libjpeg's,
// giflib's) is counted, so a test can ask for the peak number of bytes held during an operation.
// Sanitizer builds bring their own allocator; there the meter is off and the tests skip.
#include <cstddef>

namespace veskel::memory {

// Whether allocations are being counted (false under AddressSanitizer).
bool Counting();
// Bytes held now, and the most held since the last ResetPeak().
std::size_t Current();
std::size_t Peak();
void ResetPeak();

// The peak number of bytes an operation held beyond what was held when it started.
template <typename F>
std::size_t PeakDuring(F&& operation) {
    const std::size_t before = Current();
    ResetPeak();
    operation();
    return Peak() - before;
}

}  // namespace veskel::memory
