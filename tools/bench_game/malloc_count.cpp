// tools/bench_game/malloc_count.cpp - malloc wrappers that count the calls of
// the thread that asked for counting, forwarding to the C library's allocator.
#include "malloc_count.h"

#include <cstddef>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void __libc_free(void* p);
}

namespace {

thread_local bool counting;
thread_local long calls;

}  // namespace

extern "C" {

void* malloc(size_t size) {
    if (counting) ++calls;
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    if (counting) ++calls;
    return __libc_calloc(count, size);
}

void* realloc(void* p, size_t size) {
    if (counting) ++calls;
    return __libc_realloc(p, size);
}

void free(void* p) { __libc_free(p); }

}  // extern "C"

void malloc_count_start() {
    calls = 0;
    counting = true;
}

long malloc_count_stop() {
    counting = false;
    return calls;
}
