// graphics/image_data.cpp - decoding image files for surfaces.
//
// Files are opened only through the host's OpenFile (which maps the game's
// paths) and decoded by stb_image, whose implementation comes from libstb.
#include <stb/stb_image.h>

#include "host/glfwgame.h"

unsigned char* BBGlfwGame::LoadImageData(String path, int* width, int* height, int* depth) {
    FILE* file = BBGame::_game->OpenFile(path, String("rb"));
    if (!file) return nullptr;
    // No forced channel count: `depth` becomes the file's own (1 to 4). A file
    // that is damaged or cut short yields null.
    unsigned char* pixels = stbi_load_from_file(file, width, height, depth, 0);
    std::fclose(file);
    return pixels;
}
