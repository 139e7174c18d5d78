// audio/ogg.cpp - Ogg Vorbis decoding through libvorbisfile.
//
// The whole file is read into memory and checked (audio/ogg_check.h) before
// the decoder sees any of it; decoding then runs on the checked bytes, as a
// stream read once from the front. Only the first logical stream is decoded:
// the check stops at its end, and a later stream the decoder finds anyway
// (one after a first stream that never marks its end) ends the sound.
#include <vorbis/vorbisfile.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "audio/decode.h"
#include "audio/file_read.h"
#include "audio/ogg_check.h"

namespace {

const int kFramesAhead = 4096;  // decoder room kept free before each call (frames)

// The checked bytes as a stream for the decoder.
struct MemoryStream {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

size_t read_stream(void* into, size_t size, size_t count, void* source) {
    MemoryStream* s = static_cast<MemoryStream*>(source);
    size_t want = size * count, left = s->size - s->pos;
    size_t n = want < left ? want : left;
    std::memcpy(into, s->data + s->pos, n);
    s->pos += n;
    return size ? n / size : 0;
}

// Decodes every frame of the first link as 16-bit interleaved samples into a
// malloc'd buffer that keeps kFramesAhead frames of room before each decoder
// call and doubles when it runs short. A damaged packet ends the sound where
// it stands; a hole (missing data between pages) is stepped over. Returns
// the buffer and the frame count, or null.
short* decode_all(OggVorbis_File* vf, int channels, int* frames) {
    size_t capacity = static_cast<size_t>(channels) * kFramesAhead;  // samples
    short* buffer = static_cast<short*>(std::malloc(capacity * sizeof(short)));
    size_t used = 0;
    int firstLink = -1;
    while (buffer) {
        int link = 0;
        long room = static_cast<long>((capacity - used) * sizeof(short));
        long got = ov_read(vf, reinterpret_cast<char*>(buffer + used), room, 0, 2, 1, &link);
        if (got == OV_HOLE) continue;
        if (got <= 0) break;
        if (firstLink < 0) firstLink = link;
        if (link != firstLink) break;  // a second stream, maybe of another layout
        used += static_cast<size_t>(got) / sizeof(short);
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
    *frames = static_cast<int>(used / channels);
    return buffer;
}

}  // namespace

unsigned char* LoadOGG(FILE* f, int* length, int* channels, int* format, int* hertz) {
    size_t size = 0;
    unsigned char* file = ReadToEnd(f, INT_MAX, &size);
    if (!file) return nullptr;
    MemoryStream stream{file, CheckedVorbisStreamSize(file, size), 0};
    short* samples = nullptr;
    int frames = 0, layoutChannels = 0;
    long rate = 0;
    // Read once from the front: no seeking, so nothing is searched for.
    ov_callbacks callbacks = {read_stream, nullptr, nullptr, nullptr};
    OggVorbis_File vf;
    if (stream.size > 0 && ov_open_callbacks(&stream, &vf, nullptr, 0, callbacks) == 0) {
        vorbis_info* info = ov_info(&vf, -1);
        if (info && info->channels > 0 && info->rate > 0 && info->rate <= INT_MAX) {
            layoutChannels = info->channels;
            rate = info->rate;
            samples = decode_all(&vf, layoutChannels, &frames);
        }
        ov_clear(&vf);
    }
    std::free(file);
    if (!samples) return nullptr;

    *length = frames;
    *channels = layoutChannels;
    *format = 2;
    *hertz = static_cast<int>(rate);
    return reinterpret_cast<unsigned char*>(samples);
}
