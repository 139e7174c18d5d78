// graphics/png_decode.cpp - our stb_image build: PNG only, size-limited.
#include "graphics/png_decode.h"

#include <cstdlib>
#include <cstring>

namespace {

// stb_image copies zero bytes to a buffer it has not allocated yet when a
// file's first data chunk is empty (legal in PNG); memcpy with a null pointer
// is undefined even for no bytes, so every copy here skips empty ones.
void* copy_bytes(void* to, const void* from, size_t n) { return n ? std::memcpy(to, from, n) : to; }

}  // namespace

// Every stb_image function becomes static to this file, so the libstb copy
// that other parts of the program link (the image writer) is never mixed in.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_MAX_DIMENSIONS kPngMaxDimension
#define STBI_NO_LINEAR  // no float output
#define STBI_NO_HDR
#define STBI_FAILURE_USERMSG
#define STBI_MALLOC(size) std::malloc(size)
#define STBI_REALLOC(p, size) std::realloc(p, size)
#define STBI_FREE(p) std::free(p)

#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wunused-function"
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#define memcpy(to, from, n) copy_bytes(to, from, n)
#include <stb/stb_image.h>
#undef memcpy
#if defined(__clang__)
#pragma clang diagnostic pop
#elif defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

unsigned char* DecodePng(FILE* file, int* width, int* height, int* depth) {
    int w = 0, h = 0, channels = 0;
    // No forced channel count: the pixels keep the file's own layout.
    unsigned char* pixels = stbi_load_from_file(file, &w, &h, &channels, 0);
    if (!pixels) return nullptr;
    *width = w;
    *height = h;
    *depth = channels;
    return pixels;
}
