// Replaces malloc and its family for this test program, forwarding to the C library's own
// functions and counting the usable size of every block.
#include "tests/memory/CountingAllocator.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
#define VESKEL_NO_COUNTING 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VESKEL_NO_COUNTING 1
#endif
#endif

namespace veskel::memory {
namespace {
std::atomic<std::int64_t> gCurrent{0};
std::atomic<std::int64_t> gPeak{0};

void Add(void* p) {
    if (!p) return;
    const std::int64_t now = gCurrent.fetch_add(std::int64_t(malloc_usable_size(p))) + std::int64_t(malloc_usable_size(p));
    std::int64_t peak = gPeak.load();
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
}
void Remove(void* p) {
    if (p) gCurrent.fetch_sub(std::int64_t(malloc_usable_size(p)));
}
}  // namespace

#ifdef VESKEL_NO_COUNTING
bool Counting() { return false; }
#else
bool Counting() { return true; }
#endif
std::size_t Current() { return std::size_t(std::max<std::int64_t>(0, gCurrent.load())); }
std::size_t Peak() { return std::size_t(std::max<std::int64_t>(0, gPeak.load())); }
void ResetPeak() { gPeak.store(gCurrent.load()); }

}  // namespace veskel::memory

#ifndef VESKEL_NO_COUNTING
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);
void* __libc_memalign(std::size_t, std::size_t);

void* malloc(std::size_t size) {
    void* p = __libc_malloc(size);
    veskel::memory::Add(p);
    return p;
}
void* calloc(std::size_t n, std::size_t size) {
    void* p = __libc_calloc(n, size);
    veskel::memory::Add(p);
    return p;
}
void* realloc(void* old, std::size_t size) {
    const std::size_t oldSize = old ? malloc_usable_size(old) : 0;
    void* p = __libc_realloc(old, size);
    if (p || size == 0) {
        veskel::memory::gCurrent.fetch_sub(std::int64_t(oldSize));
        veskel::memory::Add(p);
    }
    return p;
}
void free(void* p) {
    veskel::memory::Remove(p);
    __libc_free(p);
}
void* memalign(std::size_t alignment, std::size_t size) {
    void* p = __libc_memalign(alignment, size);
    veskel::memory::Add(p);
    return p;
}
void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    void* p = memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
void* valloc(std::size_t size) { return memalign(4096, size); }
void* pvalloc(std::size_t size) { return memalign(4096, (size + 4095) / 4096 * 4096); }
}
#endif
