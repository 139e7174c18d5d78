// tests/audio/alloc_probe.cpp - counting heap requests around a call.
#include "alloc_probe.h"

#include <atomic>

// Sanitizers bring their own allocator; the probe stands aside there.
#if defined(__SANITIZE_ADDRESS__)
#define ALLOC_PROBE_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define ALLOC_PROBE_OFF 1
#endif
#endif

namespace {

std::atomic<bool> probing{false};
std::atomic<size_t> largest{0};

[[maybe_unused]] void note(size_t size) {
    if (!probing.load(std::memory_order_relaxed)) return;
    size_t seen = largest.load();
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {
    }
}

}  // namespace

#ifndef ALLOC_PROBE_OFF
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_realloc(void* p, size_t size);

extern "C" void* malloc(size_t size) {
    note(size);
    return __libc_malloc(size);
}

extern "C" void* realloc(void* p, size_t size) {
    note(size);
    return __libc_realloc(p, size);
}
#endif

bool AllocProbe::Available() {
#ifdef ALLOC_PROBE_OFF
    return false;
#else
    return true;
#endif
}

AllocProbe::AllocProbe() {
    largest = 0;
    probing = true;
}

AllocProbe::~AllocProbe() { probing = false; }

size_t AllocProbe::Largest() const { return largest.load(); }
