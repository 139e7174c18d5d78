// tools/fuzz/fuzz_ogg.cpp - the Ogg Vorbis decoder on arbitrary bytes.
//
// Random damage never passes the page checksums, so on its own the fuzzer
// would only ever test the checksum. Each input therefore runs twice: as it
// is, and with the checksum of every complete page put right, as someone
// crafting a file would do. The second run is what reaches the Vorbis
// decoder with headers and audio packets the fuzzer has bent.
#include <ogg/ogg.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/decode.h"
#include "fuzz_common.h"

namespace {

const size_t kPageHeader = 27;  // fixed part of an Ogg page header (bytes)

// Rewrites the checksum of each complete page from the start of `bytes` up
// to the first thing that is not one. Returns whether anything changed.
bool repair_checksums(std::vector<unsigned char>& bytes) {
    bool changed = false;
    size_t pos = 0;
    while (bytes.size() - pos >= kPageHeader && std::memcmp(&bytes[pos], "OggS", 4) == 0) {
        size_t segments = bytes[pos + 26];
        size_t header = kPageHeader + segments;
        if (bytes.size() - pos < header) break;
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i) body += bytes[pos + kPageHeader + i];
        if (bytes.size() - pos - header < body) break;

        unsigned char before[4];
        std::memcpy(before, &bytes[pos + 22], 4);
        ogg_page page;
        page.header = &bytes[pos];
        page.header_len = static_cast<long>(header);
        page.body = &bytes[pos + header];
        page.body_len = static_cast<long>(body);
        ogg_page_checksum_set(&page);
        changed = changed || std::memcmp(before, &bytes[pos + 22], 4) != 0;
        pos += header + body;
    }
    return changed;
}

void decode(const unsigned char* data, size_t size) {
    MemoryFile file(data, size);
    int length = -1, channels = -1, format = -1, hertz = -1;
    unsigned char* samples = LoadOGG(file.get(), &length, &channels, &format, &hertz);
    if (!samples) {
        FuzzCheck(length == -1 && channels == -1 && format == -1 && hertz == -1);
        return;
    }
    FuzzCheck(length >= 0 && channels > 0 && format == 2 && hertz > 0);
    long long bytes = static_cast<long long>(length) * channels * format;
    FuzzCheck(bytes <= INT_MAX);
    ReadAll(samples, static_cast<size_t>(bytes));
    std::free(samples);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    decode(data, size);
    std::vector<unsigned char> repaired(data, data + size);
    if (repair_checksums(repaired)) decode(repaired.data(), repaired.size());
    return 0;
}
