// tests/audio/decoded.h - running a decoder on bytes and keeping its result.
#ifndef LANTERN_TESTS_AUDIO_DECODED_H
#define LANTERN_TESTS_AUDIO_DECODED_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/decode.h"
#include "sound_files.h"

// One decoder result. The out-parameters start at -7 so that a test can see
// they are left alone on failure.
struct Decoded {
    unsigned char* data = nullptr;
    int length = -7, channels = -7, format = -7, hertz = -7;

    Decoded() = default;
    Decoded(const Decoded&) = delete;
    Decoded& operator=(const Decoded&) = delete;
    ~Decoded() { std::free(data); }
    bool Untouched() const { return length == -7 && channels == -7 && format == -7 && hertz == -7; }
    std::string Bytes() const {
        return std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(length) * channels * format);
    }
};

typedef unsigned char* (*Decoder)(FILE*, int*, int*, int*, int*);

inline void DecodeInto(Decoder decoder, FILE* f, Decoded& out) {
    out.data = decoder(f, &out.length, &out.channels, &out.format, &out.hertz);
}

inline void DecodeBytes(Decoder decoder, const std::string& bytes, Decoded& out) {
    FILE* f = OpenBytes(bytes);
    DecodeInto(decoder, f, out);
    std::fclose(f);
}

#endif
