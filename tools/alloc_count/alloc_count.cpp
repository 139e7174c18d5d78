// tools/alloc_count/alloc_count.cpp - malloc wrappers that count.
#include "alloc_count.h"

// Sanitizers bring their own allocator; counting stands aside there.
#if defined(__SANITIZE_ADDRESS__)
#define ALLOC_COUNT_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define ALLOC_COUNT_OFF 1
#endif
#endif

namespace {

thread_local bool counting;
thread_local long calls;
thread_local size_t largest;

[[maybe_unused]] void note(size_t size) {
    if (!counting) return;
    ++calls;
    if (size > largest) largest = size;
}

}  // namespace

#ifndef ALLOC_COUNT_OFF
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void __libc_free(void* p);

void* malloc(size_t size) {
    note(size);
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    note(count * size);
    return __libc_calloc(count, size);
}

void* realloc(void* p, size_t size) {
    note(size);
    return __libc_realloc(p, size);
}

void free(void* p) { __libc_free(p); }
}
#endif

bool AllocCount::Available() {
#ifdef ALLOC_COUNT_OFF
    return false;
#else
    return true;
#endif
}

AllocCount::AllocCount() {
    calls = 0;
    largest = 0;
    counting = true;
}

AllocCount::~AllocCount() { counting = false; }

long AllocCount::Calls() const { return calls; }

size_t AllocCount::Largest() const { return largest; }
