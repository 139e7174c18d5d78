// tools/assetgen/png_encode.h - the PNG encoder of the generator's images.
//
// Owns the bytes of every PNG the generator writes. Art of 256 colours or
// fewer (distinct RGBA values) becomes an indexed file with a PLTE and a
// tRNS chunk, anything else 8-bit RGBA. The game's decoder (stb_image with
// the file's own channel count) turns both into the same 4-channel pixels:
// a palette with a tRNS chunk decodes as RGBA, so the tRNS chunk is written
// even when every colour is opaque (without it the file would decode as RGB).
//
// Rows are stored unfiltered and deflated by zlib at level 9. On this art
// (flat fills, hard edges, repeated frames) unfiltered rows compress smaller
// than adaptive per-row filters, and several times faster at level 9. The
// output depends only on the pixels: the same image gives the same bytes.
#ifndef LANTERN_TOOLS_ASSETGEN_PNG_ENCODE_H
#define LANTERN_TOOLS_ASSETGEN_PNG_ENCODE_H

#include <cstdint>
#include <vector>

namespace assetgen {

// Straight (not premultiplied) RGBA pixels, row by row from the top, of a
// width x height image. Returns the whole file, or an empty vector when the
// size is not positive or the pixels do not match it.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgba);

// The image's distinct colours (RGBA packed as 0xRRGGBBAA) in the order the
// indexed file stores them: translucent ones first (so tRNS stays short),
// each group in order of first appearance. Empty when there are more than 256.
std::vector<uint32_t> PaletteOf(const std::vector<uint8_t>& rgba);

}  // namespace assetgen

#endif
