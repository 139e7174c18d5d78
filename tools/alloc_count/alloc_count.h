// tools/alloc_count/alloc_count.h - counting the heap requests of one thread.
//
// A program linked with this library routes malloc, calloc and realloc (and
// so C++'s operator new) through counting wrappers; glibc's allocator still
// does the work. Counting covers the calling thread only, so the mixing
// threads of the sound library and the drivers do not disturb it. In
// sanitizer builds, which own malloc, nothing is replaced and Available() is
// false.
#ifndef LANTERN_TOOLS_ALLOC_COUNT_ALLOC_COUNT_H
#define LANTERN_TOOLS_ALLOC_COUNT_ALLOC_COUNT_H

#include <cstddef>

class AllocCount {
public:
    static bool Available();
    AllocCount();   // starts counting this thread's requests from zero
    ~AllocCount();  // stops counting
    long Calls() const;       // requests so far
    size_t Largest() const;   // bytes of the largest single request so far
};

#endif
