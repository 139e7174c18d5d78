// tools/fuzz/fuzz_png.cpp - the PNG decoder on arbitrary bytes, and the
// surface's pixel preparation on whatever it decodes.
#include <cstdlib>

#include "fuzz_common.h"
#include "graphics/png_decode.h"
#include "graphics/surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    int width = -1, height = -1, depth = -1;
    unsigned char* pixels = DecodePng(file.get(), &width, &height, &depth);
    if (!pixels) {
        FuzzCheck(width == -1 && height == -1 && depth == -1);
        return 0;
    }
    FuzzCheck(width > 0 && width <= kPngMaxDimension && height > 0 && height <= kPngMaxDimension);
    FuzzCheck(depth >= 1 && depth <= 4);
    long count = static_cast<long>(width) * height;
    ReadAll(pixels, static_cast<size_t>(count) * depth);
    // What a surface does with loaded pixels before they become a texture.
    FuzzCheck(gxtkFormatForDepth(depth) != 0);
    gxtkPremultiply(pixels, count, depth);
    std::free(pixels);
    return 0;
}
