// audio/ogg.cpp - Ogg Vorbis decoding through stb_vorbis.
//
// The whole file is read into memory and checked (audio/ogg_check.h) before
// the decoder sees any of it; decoding then runs on the checked bytes.
#include <climits>
#include <cstdlib>

#define STB_VORBIS_HEADER_ONLY  // the implementation is in libstb
#include <stb/stb_vorbis.h>

#include "audio/decode.h"
#include "audio/file_read.h"
#include "audio/ogg_check.h"

namespace {

const int kFramesAhead = 4096;  // decoder room kept free before each call (frames)

// Decodes every frame as 16-bit interleaved samples into a malloc'd buffer
// that keeps kFramesAhead frames of room before each decoder call and doubles
// when it runs short. Returns the buffer and the frame count, or null.
short* decode_all(stb_vorbis* v, int channels, int* frames) {
    size_t capacity = static_cast<size_t>(channels) * kFramesAhead;  // samples
    short* buffer = static_cast<short*>(std::malloc(capacity * sizeof(short)));
    size_t used = 0;
    int total = 0;
    while (buffer) {
        int n = stb_vorbis_get_frame_short_interleaved(v, channels, buffer + used, static_cast<int>(capacity - used));
        if (n == 0) break;
        total += n;
        used += static_cast<size_t>(n) * channels;
        if (used + static_cast<size_t>(channels) * kFramesAhead > capacity) {
            // The result must stay addressable with the interface's int sizes.
            if (capacity * 2 * sizeof(short) > INT_MAX) {
                std::free(buffer);
                return nullptr;
            }
            short* grown = static_cast<short*>(std::realloc(buffer, capacity * 2 * sizeof(short)));
            if (!grown) std::free(buffer);
            buffer = grown;
            capacity *= 2;
        }
    }
    *frames = total;
    return buffer;
}

}  // namespace

unsigned char* LoadOGG(FILE* f, int* length, int* channels, int* format, int* hertz) {
    size_t size = 0;
    unsigned char* file = ReadToEnd(f, INT_MAX, &size);
    if (!file) return nullptr;
    size_t stream = CheckedVorbisStreamSize(file, size);
    stb_vorbis* v = nullptr;
    if (stream > 0) {
        int error = 0;
        v = stb_vorbis_open_memory(file, static_cast<int>(stream), &error, nullptr);
    }
    short* samples = nullptr;
    int frames = 0;
    stb_vorbis_info info{};
    if (v) {
        info = stb_vorbis_get_info(v);
        if (info.channels > 0 && info.sample_rate > 0 && info.sample_rate <= INT_MAX) {
            samples = decode_all(v, info.channels, &frames);
        }
        stb_vorbis_close(v);
    }
    std::free(file);
    if (!samples) return nullptr;

    *length = frames;
    *channels = info.channels;
    *format = 2;
    *hertz = static_cast<int>(info.sample_rate);
    return reinterpret_cast<unsigned char*>(samples);
}
