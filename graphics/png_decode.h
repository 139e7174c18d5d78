// graphics/png_decode.h - decoding PNG files into pixels.
//
// Our own build of stb_image, compiled for PNG alone and with a size limit,
// in one translation unit whose stb_image functions are all private to it:
// they never meet the copy in Debian's libstb, and no other image format's
// decoder is reachable from a file the game reads.
//
// Any file that is not an intact PNG (another format, a damaged or cut-off
// file) or that is wider or taller than kPngMaxDimension yields null.
#ifndef LANTERN_GRAPHICS_PNG_DECODE_H
#define LANTERN_GRAPHICS_PNG_DECODE_H

#include <cstdio>

// Largest accepted width and height (pixels). The game's biggest images are
// 2048 x 2048; the limit leaves room for art that grows, while a hostile
// header can ask for no more than 64 MB of pixels.
const int kPngMaxDimension = 4096;

// Decodes the PNG that starts at the file's current position (the file stays
// open). Returns malloc'd pixels, row by row from the top, that the caller
// releases with free(), and writes the size (pixels) and the file's own
// channel count (1 grey, 2 grey and alpha, 3 RGB, 4 RGBA; 8 bits each). On
// failure returns null and writes nothing.
unsigned char* DecodePng(FILE* file, int* width, int* height, int* depth);

#endif
