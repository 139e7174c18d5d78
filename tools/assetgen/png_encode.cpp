// tools/assetgen/png_encode.cpp - PNG files from RGBA pixels, through zlib.
#include "png_encode.h"

#include <zlib.h>

#include <climits>
#include <cstring>
#include <unordered_map>

namespace assetgen {

namespace {

uint32_t PackRgba(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// Length, type, data and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    PutBe32(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, png.data() + start, static_cast<uInt>(png.size() - start));
    PutBe32(png, static_cast<uint32_t>(crc));
}

// One zlib stream at level 9 (the defaults otherwise: a 32 KB window and
// memLevel 8, which measured smaller than memLevel 9 or Z_FILTERED here).
bool Deflate(const std::vector<uint8_t>& raw, std::vector<uint8_t>& out) {
    if (raw.size() > UINT_MAX) return false;
    z_stream z;
    std::memset(&z, 0, sizeof z);
    if (deflateInit2(&z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    out.resize(deflateBound(&z, static_cast<uLong>(raw.size())));
    z.next_in = const_cast<Bytef*>(raw.data());
    z.avail_in = static_cast<uInt>(raw.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    // With deflateBound's room a single call finishes the stream.
    const bool done = deflate(&z, Z_FINISH) == Z_STREAM_END;
    out.resize(z.total_out);
    deflateEnd(&z);
    return done;
}

}  // namespace

std::vector<uint32_t> PaletteOf(const std::vector<uint8_t>& rgba) {
    std::vector<uint32_t> translucent, opaque;
    std::unordered_map<uint32_t, bool> seen;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        const uint32_t c = PackRgba(&rgba[i]);
        if (!seen.emplace(c, true).second) continue;
        if (seen.size() > 256) return {};
        ((c & 0xFF) == 0xFF ? opaque : translucent).push_back(c);
    }
    translucent.insert(translucent.end(), opaque.begin(), opaque.end());
    return translucent;
}

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgba) {
    if (width <= 0 || height <= 0) return {};
    const size_t rowPixels = static_cast<size_t>(width);
    if (rgba.size() / 4 / rowPixels != static_cast<size_t>(height) || rgba.size() != rowPixels * height * 4) return {};

    const std::vector<uint32_t> palette = PaletteOf(rgba);
    const bool indexed = !palette.empty();
    const size_t rowBytes = indexed ? rowPixels : rowPixels * 4;

    // Every row: filter type 0 (none), then its bytes.
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * height);
    if (indexed) {
        std::unordered_map<uint32_t, uint8_t> index;
        for (size_t i = 0; i < palette.size(); ++i) index[palette[i]] = static_cast<uint8_t>(i);
        for (int y = 0; y < height; ++y) {
            raw.push_back(0);
            const uint8_t* row = &rgba[y * rowPixels * 4];
            for (size_t x = 0; x < rowPixels; ++x) raw.push_back(index[PackRgba(row + x * 4)]);
        }
    } else {
        for (int y = 0; y < height; ++y) {
            raw.push_back(0);
            raw.insert(raw.end(), rgba.begin() + y * rowBytes, rgba.begin() + (y + 1) * rowBytes);
        }
    }
    std::vector<uint8_t> idat;
    if (!Deflate(raw, idat)) return {};

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBe32(header, static_cast<uint32_t>(width));
    PutBe32(header, static_cast<uint32_t>(height));
    // Bit depth 8; colour type 3 (indexed) or 6 (RGBA); deflate; adaptive
    // filtering (every row says its filter); no interlacing.
    header.insert(header.end(), {8, static_cast<uint8_t>(indexed ? 3 : 6), 0, 0, 0});
    PutChunk(png, "IHDR", header);
    if (indexed) {
        std::vector<uint8_t> plte, trns;
        for (uint32_t c : palette) {
            plte.insert(plte.end(), {static_cast<uint8_t>(c >> 24), static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8)});
            if ((c & 0xFF) != 0xFF) trns.push_back(static_cast<uint8_t>(c));
        }
        // At least one entry, so that the file always decodes with alpha.
        if (trns.empty()) trns.push_back(0xFF);
        PutChunk(png, "PLTE", plte);
        PutChunk(png, "tRNS", trns);
    }
    PutChunk(png, "IDAT", idat);
    PutChunk(png, "IEND", {});
    return png;
}

}  // namespace assetgen
