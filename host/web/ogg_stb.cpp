// host/web/ogg_stb.cpp - Ogg Vorbis decoding for the web build, through stb_vorbis.
//
// Debian's libvorbisfile is not built for WebAssembly, but stb_vorbis comes as
// source with Debian's libstb-dev, and it decodes the game's own files (which
// the generator writes with libvorbisenc) exactly as well. The whole file is
// read into memory and passes the same checks as on the desktop
// (audio/ogg_check.h) before the decoder sees any of it; only the first
// logical stream reaches the decoder. The result follows audio/decode.h.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include "audio/decode.h"
#include "audio/file_read.h"
#include "audio/ogg_check.h"

namespace {

// The leading pages of the checked bytes that belong to the first logical
// stream, and the granule position of its last page (its length in frames,
// or -1). The check ends at the first stream's last page when it is marked;
// a stream that never marks its end runs into the next one, which stb_vorbis,
// unlike libvorbisfile, would decode as more of the same sound; nor does
// stb_vorbis trim the last packet of such a stream to its granule position.
size_t first_stream_size(const unsigned char* data, size_t size, long long* lastGranule) {
    const size_t kHeader = 27;  // fixed part of a page header (bytes)
    size_t at = 0;
    *lastGranule = -1;
    while (at + kHeader <= size && std::memcmp(data + at + 14, data + 14, 4) == 0) {
        size_t segments = data[at + 26], body = 0;
        if (at + kHeader + segments > size) break;
        for (size_t i = 0; i < segments; ++i) body += data[at + kHeader + i];
        size_t page = kHeader + segments + body;
        if (at + page > size) break;
        uint64_t granule = 0;
        for (int i = 7; i >= 0; --i) granule = granule << 8 | data[at + 6 + i];
        *lastGranule = static_cast<long long>(granule);
        at += page;
    }
    return at;
}

}  // namespace

unsigned char* LoadOGG(FILE* f, int* length, int* channels, int* format, int* hertz) {
    size_t size = 0;
    unsigned char* file = ReadToEnd(f, INT_MAX, &size);
    if (!file) return nullptr;
    long long lastGranule = -1;
    size_t checked = first_stream_size(file, CheckedVorbisStreamSize(file, size), &lastGranule);
    int layoutChannels = 0, rate = 0;
    short* samples = nullptr;
    int frames = checked > 0 ? stb_vorbis_decode_memory(file, static_cast<int>(checked), &layoutChannels, &rate, &samples)
                             : -1;
    std::free(file);
    // The block must stay addressable with the interface's int sizes.
    bool fits = frames >= 0 && layoutChannels > 0 &&
                static_cast<long long>(frames) * layoutChannels * 2 <= static_cast<long long>(INT_MAX);
    if (!samples || !fits || rate <= 0) {
        std::free(samples);
        return nullptr;
    }
    if (lastGranule >= 0 && lastGranule < frames) frames = static_cast<int>(lastGranule);
    *length = frames;
    *channels = layoutChannels;
    *format = 2;
    *hertz = rate;
    return reinterpret_cast<unsigned char*>(samples);
}
