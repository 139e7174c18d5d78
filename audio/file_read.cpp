// audio/file_read.cpp - bounded reads from open files for the sound decoders.
#include "audio/file_read.h"

#include <cstdlib>

namespace {

const size_t kFirstBlock = 64 * 1024;  // bytes allocated before any data arrived

// Reads until `want` bytes or the end of the file, growing *block as needed.
// Returns the bytes held in *block afterwards, or 0 with *block freed when
// memory runs out.
size_t read_growing(FILE* f, size_t want, unsigned char** block) {
    size_t capacity = want < kFirstBlock ? want : kFirstBlock;
    if (capacity == 0) capacity = 1;
    unsigned char* data = static_cast<unsigned char*>(std::malloc(capacity));
    size_t got = 0;
    while (data && got < want) {
        if (got == capacity) {
            size_t bigger = capacity * 2 < want ? capacity * 2 : want;
            unsigned char* grown = static_cast<unsigned char*>(std::realloc(data, bigger));
            if (!grown) {
                std::free(data);
                data = nullptr;
                break;
            }
            data = grown;
            capacity = bigger;
        }
        size_t n = std::fread(data + got, 1, capacity - got, f);
        if (n == 0) break;
        got += n;
    }
    *block = data;
    return data ? got : 0;
}

}  // namespace

unsigned char* ReadExactly(FILE* f, size_t size) {
    unsigned char* data = nullptr;
    size_t got = read_growing(f, size, &data);
    if (data && got == size) return data;
    std::free(data);
    return nullptr;
}

bool SkipExactly(FILE* f, size_t size) {
    unsigned char scratch[4096];
    while (size > 0) {
        size_t n = std::fread(scratch, 1, size < sizeof scratch ? size : sizeof scratch, f);
        if (n == 0) return false;
        size -= n;
    }
    return true;
}

unsigned char* ReadToEnd(FILE* f, size_t limit, size_t* size) {
    // One byte past the limit tells a file of exactly `limit` bytes from a longer one.
    unsigned char* data = nullptr;
    size_t got = read_growing(f, limit + 1, &data);
    if (!data || got > limit) {
        std::free(data);
        return nullptr;
    }
    *size = got;
    return data;
}
