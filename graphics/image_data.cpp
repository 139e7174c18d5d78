// graphics/image_data.cpp - decoding image files for surfaces.
//
// Files are opened only through the host's OpenFile (which maps the game's
// paths) and decoded by our PNG decoder (graphics/png_decode.h).
#include "graphics/png_decode.h"
#include "host/game.h"

unsigned char* BBGame::LoadImageData(String path, int* width, int* height, int* depth) {
    FILE* file = OpenFile(path, String("rb"));
    if (!file) return nullptr;
    // `depth` becomes the file's own channel count (1 to 4). A file that is
    // not a PNG, is damaged or cut short, or is too large yields null.
    unsigned char* pixels = DecodePng(file, width, height, depth);
    std::fclose(file);
    return pixels;
}
