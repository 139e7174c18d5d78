// host/web/ogg_stb.cpp - Ogg Vorbis decoding for the web build, through stb_vorbis.
//
// Debian's libvorbisfile is not built for WebAssembly, but stb_vorbis comes as
// source with Debian's libstb-dev, and it decodes the game's own files (which
// the generator writes with libvorbisenc) exactly as well. The whole file is
// read into memory and passes the same checks as on the desktop
// (audio/ogg_check.h) before the decoder sees any of it; only the first
// logical stream reaches the decoder. The result follows audio/decode.h.
#include <climits>
#include <cstdlib>

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include "audio/decode.h"
#include "audio/file_read.h"
#include "audio/ogg_check.h"

unsigned char* LoadOGG(FILE* f, int* length, int* channels, int* format, int* hertz) {
    size_t size = 0;
    unsigned char* file = ReadToEnd(f, INT_MAX, &size);
    if (!file) return nullptr;
    size_t checked = CheckedVorbisStreamSize(file, size);
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
    *length = frames;
    *channels = layoutChannels;
    *format = 2;
    *hertz = rate;
    return reinterpret_cast<unsigned char*>(samples);
}
