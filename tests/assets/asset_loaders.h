// tests/assets/asset_loaders.h - how the asset tests read the data folder.
//
// Every decode in the asset tests goes through the game's own decoders: the
// host's LoadImageData (behind the surface loader) and LoadAudioData. The
// frame cutter follows bb_graphics_LoadImage2's rule so that geometry tests
// can look at single frames; game_loaders_test.cpp loads every sheet through
// the graphics module itself.
#ifndef LANTERN_TESTS_ASSETS_ASSET_LOADERS_H
#define LANTERN_TESTS_ASSETS_ASSET_LOADERS_H

#include <cstdint>
#include <string>
#include <vector>

namespace assettest {

struct DecodedImage {
    int width = 0, height = 0, depth = 0;  // depth: bytes per pixel as stored in the file (1..4)
    std::vector<uint8_t> pixels;           // straight, not premultiplied
    bool ok() const { return !pixels.empty(); }
    // Alpha of a pixel (255 for files without alpha).
    int Alpha(int x, int y) const { return depth == 4 ? pixels[(y * width + x) * 4 + 3] : (depth == 2 ? pixels[(y * width + x) * 2 + 1] : 255); }
};
DecodedImage DecodeImageFile(const std::string& path);

struct DecodedSound {
    int length = 0;    // sample frames
    int channels = 0;
    int format = 0;    // bytes per sample
    int hertz = 0;
    std::vector<int16_t> samples;  // interleaved (16-bit files only)
    bool ok() const { return length > 0; }
};
DecodedSound DecodeSoundFile(const std::string& path);

// Frame positions as bb_graphics_LoadImage2 cuts them from a surface
// (left to right, wrapping to a new row at the right edge); empty when a
// frame falls outside the surface ("Image frame outside surface").
struct FramePos { int x, y; };
std::vector<FramePos> CutFrames(int surfaceW, int surfaceH, int frameW, int frameH, int count);

// The data folder the build generated.
std::string DataDir();

}  // namespace assettest

#endif
