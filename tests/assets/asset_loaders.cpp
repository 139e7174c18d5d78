// tests/assets/asset_loaders.cpp - the data folder read through the game's own decoders.
#include "asset_loaders.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/desktop.h"

namespace assettest {

namespace {

// The host whose decoders the game uses (LoadImageData, LoadAudioData); they
// open files through its OpenFile and need no window.
BBGlfwGame& host() {
    static BBGlfwGame* h = BBGlfwGame::_glfwGame ? BBGlfwGame::_glfwGame : new BBDesktopGame();
    return *h;
}

}  // namespace

DecodedImage DecodeImageFile(const std::string& path) {
    DecodedImage img;
    unsigned char* data = host().LoadImageData(String(path.c_str()), &img.width, &img.height, &img.depth);
    if (!data) return img;
    img.pixels.assign(data, data + static_cast<size_t>(img.width) * img.height * img.depth);
    std::free(data);
    return img;
}

DecodedSound DecodeSoundFile(const std::string& path) {
    DecodedSound s;
    int length = 0, channels = 0, format = 0, hertz = 0;
    unsigned char* data = host().LoadAudioData(String(path.c_str()), &length, &channels, &format, &hertz);
    if (!data) return s;
    s.length = length;
    s.channels = channels;
    s.format = format;
    s.hertz = hertz;
    if (format == 2) {
        size_t count = static_cast<size_t>(length) * channels;
        s.samples.resize(count);
        std::memcpy(s.samples.data(), data, count * sizeof(int16_t));
    }
    std::free(data);
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
