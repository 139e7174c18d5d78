// tools/fuzz/fuzz_seeds.cpp - writes the fuzz targets' seed corpus.
//
//   fuzz_seeds <folder>
//
// Writes a handful of small, valid inputs per target into <folder>/<target>/:
// state strings, texts in each encoding the loader reads, WAVs in each sample
// layout, short Ogg Vorbis streams, PNGs of every colour type and bit
// depth, and replays whose tapes hold every kind of record. The fuzzer mutates these; starting from valid files it reaches the
// deep parts of each decoder within seconds instead of hours.
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/replay.h"
#include "host/board_client.h"
#include "writers.h"

namespace {

typedef std::vector<uint8_t> Bytes;

std::string out_dir;
bool failed = false;

void write_file(const std::string& target, const std::string& name, const Bytes& bytes) {
    std::string path = out_dir + "/" + target + "/" + name;
    if (!assetgen::MakeParentDirs(path)) {
        failed = true;
        return;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", path.c_str());
        failed = true;
    }
}

void write_text(const std::string& target, const std::string& name, const std::string& text) {
    write_file(target, name, Bytes(text.begin(), text.end()));
}

// Deterministic filler bytes (a linear congruential generator).
struct Noise {
    uint32_t state;
    uint8_t next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<uint8_t>(state >> 24);
    }
};

void put16(Bytes& b, uint32_t v) {
    b.push_back(v & 0xff);
    b.push_back(v >> 8 & 0xff);
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}
void put32be(Bytes& b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(v >> shift & 0xff);
}
void append(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

// ---------------------------------------------------------------------------
// State strings
// ---------------------------------------------------------------------------

// Values each followed by "|", in sections closed by their 32-bit checksums.
struct StateWriter {
    std::string text;
    uint32_t sum = 0;
    void value(int32_t v, int32_t weight) {
        text += std::to_string(v) + "|";
        sum += static_cast<uint32_t>(weight) * static_cast<uint32_t>(v);
    }
    void close(int32_t damage = 0) {
        text += std::to_string(static_cast<int32_t>(sum + static_cast<uint32_t>(damage))) + "|";
        sum = 0;
    }
};

std::string state_string(int variant, int damagedSection) {
    StateWriter w;
    for (int i = 0; i < 25; ++i) {
        int defaults[25] = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 64, 64, 10, 0, 1};
        w.value(variant ? 7 * i - 30 + variant : defaults[i], i);
    }
    w.close(damagedSection == 0);
    for (int word = 0; word < 8; ++word) w.value(variant ? static_cast<int32_t>(0x80000001u >> word) : 0, 1);
    w.close(damagedSection == 1);
    for (int t = 0; t < 3; ++t) {
        for (int r = 0; r < 10; ++r) {
            w.value(variant * (10000 - 900 * r), r + 4);
            w.value(variant * (37 * r + t), t + 3 + r);
        }
        w.close(damagedSection == 2 + t);
    }
    return w.text;
}

void write_state_seeds() {
    write_text("state", "first-run", state_string(0, -1));
    write_text("state", "played", state_string(3, -1));
    write_text("state", "bad-badges", state_string(2, 1));
    write_text("state", "bad-table-2", state_string(1, 4));
    write_text("state", "settings-only", state_string(5, -1).substr(0, state_string(5, -1).find('|', 150)));
    // The same state as UTF-16 with a byte-order mark, as a text editor might save it.
    std::string text = state_string(4, -1);
    Bytes utf16 = {0xff, 0xfe};
    for (char c : text) put16(utf16, static_cast<uint8_t>(c));
    write_file("state", "utf16", utf16);
}

// ---------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------

void write_string_seeds() {
    write_text("string", "ascii", "Bramblet|42|-7|\n");
    write_text("string", "utf8", "Caf\xc3\xa9 \xe2\x98\x85 \xe2\x82\xac");
    write_text("string", "utf8-bom", "\xef\xbb\xbf" "Lantern \xc3\x9f");
    write_text("string", "invalid-utf8", "cut \xe2\x98 short \xff");
    Bytes le = {0xff, 0xfe}, be = {0xfe, 0xff};
    for (uint16_t c : {0x48, 0x69, 0x2605, 0xd83d, 0xde00}) {
        put16(le, c);
        be.push_back(c >> 8);
        be.push_back(c & 0xff);
    }
    be.push_back(0x41);  // an odd byte at the end
    write_file("string", "utf16le", le);
    write_file("string", "utf16be", be);
}

// ---------------------------------------------------------------------------
// WAV
// ---------------------------------------------------------------------------

struct WavLayout {
    const char* name;
    int channels, bits, hertz, frames;
    bool listFirst;   // an extra chunk before "fmt "
    int fmtExtra;     // bytes after the 16-byte PCM format body
    bool oddChunk;    // an odd-sized chunk (with its pad byte) before "data"
};

Bytes wav_file(const WavLayout& s) {
    int bytesPerSample = (s.bits + 7) / 8;
    Bytes chunks;
    if (s.listFirst) {
        append(chunks, "LIST");
        put32(chunks, 12);
        append(chunks, "INFOISFT");
        put32(chunks, 0);
    }
    append(chunks, "fmt ");
    put32(chunks, 16 + s.fmtExtra);
    put16(chunks, 1);
    put16(chunks, s.channels);
    put32(chunks, s.hertz);
    put32(chunks, s.hertz * s.channels * bytesPerSample);
    put16(chunks, s.channels * bytesPerSample);
    put16(chunks, s.bits);
    for (int i = 0; i < s.fmtExtra; ++i) chunks.push_back(0);
    if (s.oddChunk) {
        append(chunks, "JUNK");
        put32(chunks, 3);
        append(chunks, "abc");
        chunks.push_back(0);  // pad
    }
    append(chunks, "data");
    int bytes = s.frames * s.channels * bytesPerSample;
    put32(chunks, bytes);
    Noise noise{static_cast<uint32_t>(s.bits * 131 + s.channels)};
    for (int i = 0; i < bytes; ++i) chunks.push_back(noise.next());

    Bytes file;
    append(file, "RIFF");
    put32(file, static_cast<uint32_t>(chunks.size() + 4));
    append(file, "WAVE");
    file.insert(file.end(), chunks.begin(), chunks.end());
    return file;
}

void write_wav_seeds() {
    const WavLayout layouts[] = {
        {"pcm8-mono", 1, 8, 8000, 40, false, 0, false},
        {"pcm16-stereo", 2, 16, 22050, 30, false, 0, false},
        {"pcm16-mono-list", 1, 16, 44100, 25, true, 2, true},
        {"pcm12-stereo", 2, 12, 11025, 20, false, 0, true},
        {"pcm24-mono", 1, 24, 48000, 20, true, 0, false},
        {"pcm32-stereo", 2, 32, 32000, 10, false, 0, false},
    };
    for (const WavLayout& s : layouts) write_file("wav", s.name, wav_file(s));
}

// ---------------------------------------------------------------------------
// Ogg Vorbis
// ---------------------------------------------------------------------------

Bytes read_file(const std::string& path) {
    Bytes bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
}

Bytes ogg_file(const std::string& name, int hertz, int frames, float quality) {
    std::vector<float> stereo(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        stereo[2 * i] = 0.5f * static_cast<float>((i * 7) % 64) / 64.0f;
        stereo[2 * i + 1] = (i / 16) % 2 ? 0.3f : -0.3f;
    }
    std::string path = out_dir + "/ogg/" + name;
    if (!assetgen::WriteOggVorbis(path, stereo, hertz, quality)) failed = true;
    return read_file(path);
}

void write_ogg_seeds() {
    ogg_file("short-22k", 22050, 700, 0.0f);
    Bytes tiny = ogg_file("tiny-8k", 8000, 64, -0.1f);
    Bytes longer = ogg_file("two-packets-44k", 44100, 3000, 0.4f);
    // A file with a second stream after the first one's end.
    tiny.insert(tiny.end(), longer.begin(), longer.end());
    write_file("ogg", "chained", tiny);
}

// ---------------------------------------------------------------------------
// PNG
// ---------------------------------------------------------------------------

uint32_t crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; ++bit) crc = crc & 1 ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
    }
    return ~crc;
}

void png_chunk(Bytes& png, const char* type, const Bytes& body) {
    put32be(png, static_cast<uint32_t>(body.size()));
    size_t start = png.size();
    append(png, type);
    png.insert(png.end(), body.begin(), body.end());
    put32be(png, crc32(&png[start], png.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks.
Bytes zlib_stored(const Bytes& data) {
    Bytes z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(data.size() - pos, 65535);
        z.push_back(pos + n == data.size() ? 1 : 0);
        put16(z, static_cast<uint32_t>(n));
        put16(z, static_cast<uint32_t>(~n & 0xffff));
        z.insert(z.end(), data.begin() + pos, data.begin() + pos + n);
        pos += n;
    } while (pos < data.size());
    uint32_t a = 1, b = 0;
    for (uint8_t c : data) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    put32be(z, b << 16 | a);
    return z;
}

struct PngLayout {
    const char* name;
    int width, height, bitDepth, colourType;
    bool interlaced;
    bool transparency;  // a tRNS chunk
};

int png_channels(int colourType) {
    switch (colourType) {
        case 0: return 1;
        case 2: return 3;
        case 3: return 1;
        case 4: return 2;
        default: return 4;
    }
}

// Filtered scanlines for an image of w x h: each row a filter type (all five
// in turn) and filler bytes. Any bytes are valid filtered data, and with a
// full palette any index is valid too.
void add_rows(Bytes& raw, int w, int h, int bitsPerPixel, Noise& noise) {
    size_t rowBytes = (static_cast<size_t>(w) * bitsPerPixel + 7) / 8;
    for (int y = 0; y < h; ++y) {
        raw.push_back(static_cast<uint8_t>(y % 5));
        for (size_t i = 0; i < rowBytes; ++i) raw.push_back(noise.next());
    }
}

Bytes png_file(const PngLayout& s) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    Bytes ihdr;
    put32be(ihdr, s.width);
    put32be(ihdr, s.height);
    ihdr.push_back(s.bitDepth);
    ihdr.push_back(s.colourType);
    ihdr.push_back(0);
    ihdr.push_back(0);
    ihdr.push_back(s.interlaced ? 1 : 0);
    png_chunk(png, "IHDR", ihdr);

    int paletteSize = s.colourType == 3 ? 1 << s.bitDepth : 0;
    if (paletteSize) {
        Bytes plte;
        for (int i = 0; i < paletteSize * 3; ++i) plte.push_back(static_cast<uint8_t>(i * 37));
        png_chunk(png, "PLTE", plte);
    }
    if (s.transparency) {
        Bytes trns;
        if (s.colourType == 3) trns = {0, 128, 255};
        if (s.colourType == 0) trns = {0, 1};
        if (s.colourType == 2) trns = {0, 1, 0, 2, 0, 3};
        png_chunk(png, "tRNS", trns);
    }

    int bitsPerPixel = s.bitDepth * png_channels(s.colourType);
    Noise noise{static_cast<uint32_t>(s.width * 31 + s.bitDepth * 7 + s.colourType)};
    Bytes raw;
    if (!s.interlaced) {
        add_rows(raw, s.width, s.height, bitsPerPixel, noise);
    } else {
        // The seven passes of Adam7: start and step in x and y.
        const int pass[7][4] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
        for (const auto& p : pass) {
            int w = (s.width - p[0] + p[1] - 1) / p[1], h = (s.height - p[2] + p[3] - 1) / p[3];
            if (w > 0 && h > 0) add_rows(raw, w, h, bitsPerPixel, noise);
        }
    }
    png_chunk(png, "IDAT", zlib_stored(raw));
    png_chunk(png, "IEND", Bytes());
    return png;
}

void append_bytes(void* context, void* data, int size) {
    Bytes* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

void write_png_seeds() {
    const PngLayout layouts[] = {
        {"grey1", 9, 3, 1, 0, false, false},      {"grey2-trns", 5, 4, 2, 0, false, true},
        {"grey4", 3, 5, 4, 0, false, false},      {"grey8", 6, 4, 8, 0, false, true},
        {"grey16", 4, 3, 16, 0, false, false},    {"rgb8-trns", 5, 3, 8, 2, false, true},
        {"rgb16", 3, 3, 16, 2, false, false},     {"palette1", 11, 2, 1, 3, false, false},
        {"palette2", 6, 3, 2, 3, false, true},    {"palette4-adam7", 10, 9, 4, 3, true, false},
        {"palette8", 4, 4, 8, 3, false, true},    {"grey-alpha8", 5, 5, 8, 4, false, false},
        {"grey-alpha16", 3, 2, 16, 4, false, false}, {"rgba8-adam7", 9, 10, 8, 6, true, false},
        {"rgba16", 2, 3, 16, 6, false, false},    {"grey16-adam7", 5, 7, 16, 0, true, false},
    };
    for (const PngLayout& s : layouts) write_file("png", s.name, png_file(s));

    // Compressed ones, as an ordinary encoder writes them, for 1 to 4 channels.
    for (int channels = 1; channels <= 4; ++channels) {
        const int w = 16, h = 12;
        Bytes pixels(static_cast<size_t>(w) * h * channels);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i / channels) % w * 16 + i % 3 * 40);
        Bytes png;
        if (!stbi_write_png_to_func(append_bytes, &png, w, h, channels, pixels.data(), w * channels)) failed = true;
        write_file("png", "compressed-" + std::to_string(channels), png);
    }
}

void write_replay_seeds() {
    ReplayFile r;
    r.gameVersion = "1.0.0";
    r.variant = 2;
    r.seed = 123456;
    r.score = 45;
    r.fields.assign(static_cast<size_t>(ReplayFieldCount()), 0);
    r.fields[0] = 0x44200000;  // 640.0f
    // Tags: 1 key down, 2 key up, 3 hit, 4 character, 5 pointer, 6 touch,
    // 7 accel, 8 axis, 9 field, 10 end, 11 idle (see input/input_tape.h).
    r.tape = {1, 39, 3, 39, 10,                          // Right pressed
              11, 5,                                      // five updates of nothing
              5, 0x80, 0x0a, 1, 0, 0, 0xc0, 0x3f,         // pointer at (320, 1.5)
              6, 1, 4, 8,                                 // touch 1 at (1, 2)
              7, 0, 0, 0, 0, 0, 0, 0x80, 0x3f, 0, 0, 0, 0,  // acceleration (0, 1, 0)
              9, 8, 1, 0, 0, 0,                           // field 8 (the loading stage) at 1
              8, 6, 0, 0, 0x80, 0xbf,                     // pad 1's first stick to the left
              4, 'r', 3, 0x80, 0x03, 2, 39, 10,           // a character, touch 0 hit, Right released
              11, 0x80, 0x01};                            // 128 updates of nothing
    r.updates = 1 + 5 + 1 + 128;
    write_file("replay", "round", EncodeReplay(r));
    r.tape = {10};
    r.updates = 1;
    r.score = 0;
    write_file("replay", "one-update", EncodeReplay(r));
}

// Submissions to the world board: a round of a game's start values (the
// screen as a 640 x 480 window fits it), under names of several scripts.
void write_submission_seeds() {
    ReplayFile r;
    r.gameVersion = "1.0.0";
    r.variant = 2;
    r.seed = 99;
    r.score = 0;
    r.fields.assign(static_cast<size_t>(ReplayFieldCount()), 0);
    const uint32_t kFloat640 = 0x44200000, kFloat480 = 0x43f00000, kFloat1 = 0x3f800000;
    uint32_t start[] = {kFloat640, kFloat480, kFloat1, kFloat1, 1, 1, 640, 480};
    for (size_t i = 0; i < 8; ++i) r.fields[i] = start[i];
    r.fields[18] = 2;  // the variant
    r.fields[49 + 20 + 10] = r.fields[49 + 20 + 11] = 100;
    r.fields[49 + 20 + 12] = 10;
    r.fields[49 + 20 + 14] = 1;
    r.tape = {1, 39, 10, 11, 30, 2, 39, 10};
    r.updates = 32;
    Bytes file = EncodeReplay(r);
    std::string replay = Base64Url(std::string(file.begin(), file.end()));
    const char* const names[] = {"Moss", "\u00c9lodie", "\u5c0f\u660e", "Ｆｅｒｎ", "a-b_c.d"};
    int n = 0;
    for (const char* name : names) {
        write_text("submission", "round-" + std::to_string(n++),
                   std::string("{\"name\": \"") + name + "\", \"key\": \"abcdefghijklmnopqrstuvwxyz012345\", \"replay\": \"" +
                       replay + "\"}");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    out_dir = argv[1];
    write_state_seeds();
    write_string_seeds();
    write_wav_seeds();
    write_ogg_seeds();
    write_png_seeds();
    write_replay_seeds();
    write_submission_seeds();
    return failed ? 1 : 0;
}
