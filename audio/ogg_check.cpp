// audio/ogg_check.cpp - checking an Ogg Vorbis file before it is decoded.
#include "audio/ogg_check.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

const size_t kPageHeader = 27;       // fixed part of an Ogg page header (bytes)
const unsigned kEndOfStream = 0x04;  // header-type flag of a stream's last page

uint32_t le32(const unsigned char* b) { return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24; }

// ---------------------------------------------------------------------------
// Pages
// ---------------------------------------------------------------------------

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

// Checks the page at `data` (`avail` bytes available) and returns its total
// size, or 0 when it is not a complete, intact page.
size_t check_page(const unsigned char* data, size_t avail) {
    if (avail < kPageHeader || std::memcmp(data, "OggS", 4) != 0 || data[4] != 0) return 0;
    size_t segments = data[26];
    size_t header = kPageHeader + segments;
    if (avail < header) return 0;
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) body += data[kPageHeader + i];
    if (avail - header < body) return 0;

    // The checksum covers the whole page with its own field read as zero.
    static const unsigned char zeros[4] = {0, 0, 0, 0};
    uint32_t crc = ogg_crc(data, 22, 0);
    crc = ogg_crc(zeros, 4, crc);
    crc = ogg_crc(data + 26, header - 26 + body, crc);
    return crc == le32(data + 22) ? header + body : 0;
}

// ---------------------------------------------------------------------------
// Vorbis headers
// ---------------------------------------------------------------------------

// The first `count` packets of the stream whose pages start at `data` (the
// pages already checked), or fewer when the stream ends first.
int first_packets(const unsigned char* data, size_t size, std::string* packets, int count) {
    uint32_t serial = le32(data + 14);
    int done = 0;
    for (size_t pos = 0; pos < size && done < count;) {
        const unsigned char* page = data + pos;
        size_t segments = page[26];
        const unsigned char* body = page + kPageHeader + segments;
        size_t length = kPageHeader + segments;
        for (size_t i = 0; i < segments; ++i) length += page[kPageHeader + i];
        if (le32(page + 14) == serial) {
            for (size_t i = 0; i < segments && done < count; ++i) {
                size_t lace = page[kPageHeader + i];
                packets[done].append(reinterpret_cast<const char*>(body), lace);
                body += lace;
                if (lace < 255) ++done;  // a lacing value below 255 ends a packet
            }
        }
        pos += length;
    }
    return done;
}

bool is_vorbis_header(const std::string& packet, char type) {
    return packet.size() >= 7 && packet[0] == type && packet.compare(1, 6, "vorbis") == 0;
}

bool identification_ok(const std::string& p) {
    if (!is_vorbis_header(p, 1) || p.size() < 30) return false;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(p.data());
    return le32(b + 7) == 0 && b[11] > 0 && le32(b + 12) > 0;  // version, channels, rate
}

// The vendor string and every comment must fit in the packet: each length
// is checked against the bytes that remain before it is believed.
bool comments_ok(const std::string& p) {
    if (!is_vorbis_header(p, 3)) return false;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(p.data());
    size_t pos = 7, size = p.size();
    auto field = [&](uint32_t* value) {
        if (size - pos < 4) return false;
        *value = le32(b + pos);
        pos += 4;
        return true;
    };
    uint32_t length = 0, count = 0;
    if (!field(&length) || length > size - pos) return false;
    pos += length;
    if (!field(&count) || count > (size - pos) / 4) return false;
    for (uint32_t i = 0; i < count; ++i) {
        if (!field(&length) || length > size - pos) return false;
        pos += length;
    }
    return pos < size && (b[pos] & 1);  // the framing bit
}

}  // namespace

size_t CheckedVorbisStreamSize(const unsigned char* data, size_t size) {
    size_t pos = 0;
    while (pos < size) {
        size_t page = check_page(data + pos, size - pos);
        if (page == 0) return 0;
        bool last = data[pos + 5] & kEndOfStream;
        pos += page;
        if (last) break;
    }
    if (pos == 0) return 0;
    std::string headers[2];
    if (first_packets(data, pos, headers, 2) < 2) return 0;
    return identification_ok(headers[0]) && comments_ok(headers[1]) ? pos : 0;
}
