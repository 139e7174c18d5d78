// tests/assets/asset_loaders.cpp - stand-in decoders with the game's rules.
#include "asset_loaders.h"

#include <stb/stb_image.h>
#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace assettest {

DecodedImage DecodeImageFile(const std::string& path) {
    DecodedImage img;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return img;
    unsigned char* data = stbi_load_from_file(f, &img.width, &img.height, &img.depth, 0);
    std::fclose(f);
    if (!data) return img;
    img.pixels.assign(data, data + static_cast<size_t>(img.width) * img.height * img.depth);
    stbi_image_free(data);
    return img;
}

namespace {

bool ReadTag(FILE* f, char tag[4]) { return std::fread(tag, 1, 4, f) == 4; }
bool ReadU32(FILE* f, uint32_t& v) {
    uint8_t b[4];
    if (std::fread(b, 1, 4, f) != 4) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}
bool ReadU16(FILE* f, uint16_t& v) {
    uint8_t b[2];
    if (std::fread(b, 1, 2, f) != 2) return false;
    v = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}

DecodedSound DecodeWav(FILE* f) {
    DecodedSound s;
    char tag[4];
    uint32_t size = 0;
    uint16_t fmt = 0, channels = 0, align = 0, bits = 0;
    uint32_t hertz = 0, rate = 0;
    if (!ReadTag(f, tag) || std::memcmp(tag, "RIFF", 4) != 0 || !ReadU32(f, size)) return s;
    if (!ReadTag(f, tag) || std::memcmp(tag, "WAVE", 4) != 0) return s;
    if (!ReadTag(f, tag) || std::memcmp(tag, "fmt ", 4) != 0 || !ReadU32(f, size)) return s;
    if (!ReadU16(f, fmt) || fmt != 1) return s;
    if (!ReadU16(f, channels) || !ReadU32(f, hertz) || !ReadU32(f, rate) || !ReadU16(f, align) || !ReadU16(f, bits)) return s;
    if (size > 16) std::fseek(f, size - 16, SEEK_CUR);
    while (ReadTag(f, tag) && ReadU32(f, size)) {
        if (std::memcmp(tag, "data", 4) != 0) {
            std::fseek(f, size, SEEK_CUR);
            continue;
        }
        std::vector<uint8_t> body(size);
        if (std::fread(body.data(), 1, size, f) != size) return s;
        s.channels = channels;
        s.format = bits >> 3;
        s.hertz = static_cast<int>(hertz);
        s.length = s.channels * s.format > 0 ? static_cast<int>(size / (s.channels * s.format)) : 0;
        if (s.format == 2)
            for (size_t i = 0; i + 1 < body.size(); i += 2) s.samples.push_back(static_cast<int16_t>(body[i] | (body[i + 1] << 8)));
        return s;
    }
    return s;
}

DecodedSound DecodeOgg(FILE* f) {
    DecodedSound s;
    int error = 0;
    stb_vorbis* v = stb_vorbis_open_file(f, 0, &error, nullptr);
    if (!v) return s;
    stb_vorbis_info info = stb_vorbis_get_info(v);
    std::vector<short> buf(4096 * info.channels);
    int n;
    while ((n = stb_vorbis_get_frame_short_interleaved(v, info.channels, buf.data(), static_cast<int>(buf.size()))) > 0) {
        s.samples.insert(s.samples.end(), buf.begin(), buf.begin() + n * info.channels);
        s.length += n;
    }
    s.channels = info.channels;
    s.hertz = static_cast<int>(info.sample_rate);
    s.format = 2;
    stb_vorbis_close(v);
    return s;
}

bool EndsWith(std::string s, const char* suffix) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

}  // namespace

DecodedSound DecodeSoundFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};
    DecodedSound s = EndsWith(path, ".wav") ? DecodeWav(f) : (EndsWith(path, ".ogg") ? DecodeOgg(f) : DecodedSound{});
    std::fclose(f);
    return s;
}

std::vector<FramePos> CutFrames(int surfaceW, int surfaceH, int frameW, int frameH, int count) {
    std::vector<FramePos> frames;
    int ix = 0, iy = 0;
    for (int i = 0; i < count; ++i) {
        if (ix + frameW > surfaceW) {
            if (frameW > surfaceW) return {};
            ix = 0;
            iy += frameH;
        }
        if (iy + frameH > surfaceH) return {};
        frames.push_back({ix, iy});
        ix += frameW;
    }
    return frames;
}

std::string DataDir() {
    // The environment names it when ctest runs the tests; otherwise the
    // build's own data folder.
    const char* d = std::getenv("LANTERN_DATA");
    return d && *d ? d : ASSETS_DATA_DIR;
}

}  // namespace assettest
