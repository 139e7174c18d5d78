// audio/wav.cpp - the RIFF/WAVE reader for uncompressed PCM.
//
// A WAV file is "RIFF", a size, "WAVE", then chunks: a 4-byte tag, a 4-byte
// little-endian size, the body, and one pad byte after a body of odd size.
// We need the "fmt " chunk (PCM only) and then the "data" chunk; any other
// chunk (LIST, JUNK, fact, cue ...) is skipped wherever it appears.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "audio/decode.h"
#include "audio/file_read.h"

namespace {

const int kPcmFormat = 1;
const uint32_t kFmtSize = 16;  // bytes of the standard PCM fmt body

bool read_tag(FILE* f, char tag[4]) { return std::fread(tag, 1, 4, f) == 4; }

bool is_tag(const char tag[4], const char* expected) { return std::memcmp(tag, expected, 4) == 0; }

bool read_u32(FILE* f, uint32_t* value) {
    unsigned char b[4];
    if (std::fread(b, 1, 4, f) != 4) return false;
    *value = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
    return true;
}

uint16_t le16(const unsigned char* b) { return static_cast<uint16_t>(b[0] | b[1] << 8); }
uint32_t le32(const unsigned char* b) { return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24; }

// What the fmt chunk says about the samples.
struct WavFormat {
    int channels = 0;
    int bytesPerSample = 0;
    int hertz = 0;
};

// Skips a chunk body and the pad byte that follows an odd-sized one. A pad
// byte missing at the very end of the file is forgiven: the next read finds
// the end anyway.
bool skip_body(FILE* f, uint32_t size) {
    if (!SkipExactly(f, size)) return false;
    if (size & 1) SkipExactly(f, 1);
    return true;
}

// Reads a fmt chunk body of `size` bytes. Only PCM with at least one channel,
// a sample rate and whole bytes per sample is usable; anything else would
// divide by zero or misframe the samples later.
bool read_fmt(FILE* f, uint32_t size, WavFormat* out) {
    if (size < kFmtSize) return false;
    unsigned char b[kFmtSize];
    if (std::fread(b, 1, kFmtSize, f) != kFmtSize) return false;
    if (!skip_body(f, size - kFmtSize)) return false;

    int audioFormat = le16(b);
    int channels = le16(b + 2);
    uint32_t hertz = le32(b + 4);
    int bits = le16(b + 14);  // bytes 8..13 hold the byte rate and block align
    if (audioFormat != kPcmFormat || channels == 0 || hertz == 0 || hertz > INT_MAX || bits < 8) return false;
    out->channels = channels;
    // Samples are stored in whole bytes: 12-bit audio sits in 2-byte containers.
    out->bytesPerSample = (bits + 7) / 8;
    out->hertz = static_cast<int>(hertz);
    return true;
}

}  // namespace

unsigned char* LoadWAV(FILE* f, int* length, int* channels, int* format, int* hertz) {
    char tag[4];
    uint32_t size = 0;
    if (!read_tag(f, tag) || !is_tag(tag, "RIFF")) return nullptr;
    if (!read_u32(f, &size)) return nullptr;  // the RIFF size is not trusted
    if (!read_tag(f, tag) || !is_tag(tag, "WAVE")) return nullptr;

    WavFormat fmt;
    bool haveFmt = false;
    for (;;) {
        if (!read_tag(f, tag) || !read_u32(f, &size)) return nullptr;
        if (is_tag(tag, "fmt ")) {
            if (!read_fmt(f, size, &fmt)) return nullptr;
            haveFmt = true;
        } else if (is_tag(tag, "data")) {
            // Without a format the samples cannot be framed; a block too big
            // for the int sizes of the interface cannot be handed on.
            if (!haveFmt || size > INT_MAX) return nullptr;
            unsigned char* samples = ReadExactly(f, size);
            if (!samples) return nullptr;
            *length = static_cast<int>(size / (static_cast<uint32_t>(fmt.channels) * fmt.bytesPerSample));
            *channels = fmt.channels;
            *format = fmt.bytesPerSample;
            *hertz = fmt.hertz;
            return samples;
        } else if (!skip_body(f, size)) {
            return nullptr;
        }
    }
}
