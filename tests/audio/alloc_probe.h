// tests/audio/alloc_probe.h - the largest heap request made while probing.
//
// The test program routes malloc and realloc through a counter (glibc's own
// allocator still does the work), so a test can show that a size field read
// from a damaged file never turns into a huge allocation.
#ifndef LANTERN_TESTS_AUDIO_ALLOC_PROBE_H
#define LANTERN_TESTS_AUDIO_ALLOC_PROBE_H

#include <cstddef>

class AllocProbe {
public:
    static bool Available();  // false in sanitizer builds, which own malloc
    AllocProbe();   // starts counting from zero
    ~AllocProbe();  // stops counting
    size_t Largest() const;  // bytes of the largest single request so far
};

#endif
