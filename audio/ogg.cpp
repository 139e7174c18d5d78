// audio/ogg.cpp - Ogg Vorbis decoding through stb_vorbis.
//
// stb_vorbis trusts the stream it is given, and a damaged packet can take it
// far off course. Every Ogg page carries a CRC-32 of itself, so the whole
// file is read into memory and its pages are checked before the decoder sees
// any of it: a file with a damaged or truncated page is rejected. Decoding
// then runs on the checked bytes, up to the end of the first logical stream.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#define STB_VORBIS_HEADER_ONLY  // the implementation is in libstb
#include <stb/stb_vorbis.h>

#include "audio/decode.h"
#include "audio/file_read.h"

namespace {

const int kFramesAhead = 4096;       // decoder room kept free before each call (frames)
const size_t kHeaderSize = 27;       // fixed part of an Ogg page header (bytes)
const unsigned kEndOfStream = 0x04;  // header-type flag of a stream's last page

// CRC-32 as Ogg uses it: polynomial 0x04c11db7, MSB first, no reflection,
// initial value 0, no final inversion.
struct OggCrcTable {
    uint32_t entry[256];
    OggCrcTable() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit) r = r & 0x80000000u ? (r << 1) ^ 0x04c11db7u : r << 1;
            entry[i] = r;
        }
    }
};

uint32_t ogg_crc(const unsigned char* bytes, size_t n, uint32_t crc) {
    static const OggCrcTable table;
    for (size_t i = 0; i < n; ++i) crc = (crc << 8) ^ table.entry[((crc >> 24) ^ bytes[i]) & 0xff];
    return crc;
}

uint32_t le32(const unsigned char* b) { return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24; }

// Checks the page at `data` (`avail` bytes available) and returns its total
// size, or 0 when it is not a complete, intact page.
size_t check_page(const unsigned char* data, size_t avail) {
    if (avail < kHeaderSize || std::memcmp(data, "OggS", 4) != 0 || data[4] != 0) return 0;
    size_t segments = data[26];
    size_t header = kHeaderSize + segments;
    if (avail < header) return 0;
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) body += data[kHeaderSize + i];
    if (avail - header < body) return 0;

    // The checksum covers the whole page with its own field read as zero.
    static const unsigned char zeros[4] = {0, 0, 0, 0};
    uint32_t crc = ogg_crc(data, 22, 0);
    crc = ogg_crc(zeros, 4, crc);
    crc = ogg_crc(data + 26, header - 26 + body, crc);
    return crc == le32(data + 22) ? header + body : 0;
}

// The number of leading bytes the decoder may see: every page up to and
// including the first end-of-stream page (or the end of the data) must be
// intact. 0 when the data does not start with such pages.
size_t checked_stream_size(const unsigned char* data, size_t size) {
    size_t pos = 0;
    while (pos < size) {
        size_t page = check_page(data + pos, size - pos);
        if (page == 0) return 0;
        bool last = data[pos + 5] & kEndOfStream;
        pos += page;
        if (last) break;
    }
    return pos;
}

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
    size_t stream = checked_stream_size(file, size);
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
