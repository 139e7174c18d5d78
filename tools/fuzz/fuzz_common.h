// tools/fuzz/fuzz_common.h - small helpers shared by the fuzz targets.
//
// Every target is a libFuzzer entry point (LLVMFuzzerTestOneInput) that feeds
// one input to a real loader of the game and then checks what came back: a
// crash, a sanitizer report or a broken promise (FuzzCheck) ends the run and
// leaves the input behind as a reproducer.
#ifndef LANTERN_TOOLS_FUZZ_FUZZ_COMMON_H
#define LANTERN_TOOLS_FUZZ_FUZZ_COMMON_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Stops the run with a message when a loader broke one of its promises.
#define FuzzCheck(condition)                                                           \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, \
                         __LINE__);                                                    \
            std::abort();                                                              \
        }                                                                              \
    } while (0)

// The input as a read-only FILE, for decoders that read from files. Closed
// with the object.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) {
        // An empty buffer is not accepted by every C library; one byte that
        // is never read stands in for it.
        static char nothing[1];
        file_ = size ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : fmemopen(nothing, 1, "rb");
        if (file_ && !size) std::fgetc(file_);
        FuzzCheck(file_ != nullptr);
    }
    ~MemoryFile() { std::fclose(file_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    FILE* get() const { return file_; }

private:
    FILE* file_;
};

// Reads every byte of a decoder's result, so that a block shorter than its
// stated size is reported by AddressSanitizer here rather than later in the
// game.
inline void ReadAll(const unsigned char* bytes, size_t n) {
    unsigned sum = 0;
    for (size_t i = 0; i < n; ++i) sum += bytes[i];
    volatile unsigned sink = sum;
    (void)sink;
}

#endif
