// tools/bench_graphics/alloc_count.cpp - a counting global operator new.
//
// Kept in a file of its own so that the compiler never sees these functions
// inlined next to the code that allocates.
#include "alloc_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_newCalls{0};
}  // namespace

long bench_new_calls() { return g_newCalls; }

void* operator new(std::size_t size) {
    ++g_newCalls;
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
