// tests/audio/alloc_probe.cpp - counting heap requests around a call.
#include "alloc_probe.h"

#include <atomic>

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_realloc(void* p, size_t size);

namespace {

std::atomic<bool> probing{false};
std::atomic<size_t> largest{0};

void note(size_t size) {
    if (!probing.load(std::memory_order_relaxed)) return;
    size_t seen = largest.load();
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {
    }
}

}  // namespace

extern "C" void* malloc(size_t size) {
    note(size);
    return __libc_malloc(size);
}

extern "C" void* realloc(void* p, size_t size) {
    note(size);
    return __libc_realloc(p, size);
}

AllocProbe::AllocProbe() {
    largest = 0;
    probing = true;
}

AllocProbe::~AllocProbe() { probing = false; }

size_t AllocProbe::Largest() const { return largest.load(); }
