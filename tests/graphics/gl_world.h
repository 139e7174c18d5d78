// tests/graphics/gl_world.h - a real window, renderer and module state for the graphics tests.
//
// GlTest brings up, once per process, what start-up would: GLFW, the host
// object, the collector and every module global, a 640 x 480 window and the
// renderer as the graphics device. Each test draws real frames into it and
// reads the pixels back. Helpers write PNG files with stb_image_write.
#ifndef LANTERN_TESTS_GRAPHICS_GL_WORLD_H
#define LANTERN_TESTS_GRAPHICS_GL_WORLD_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "graphics/graphics.h"
#include "host/desktop.h"

const int kWindowW = 640;
const int kWindowH = 480;

// Colours as ReadPixels returns them (the window has no alpha channel, so
// alpha always reads 255).
inline uint32_t Rgb(int r, int g, int b) {
    return 0xff000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}
inline int RedOf(uint32_t p) { return (p >> 16) & 0xff; }
inline int GreenOf(uint32_t p) { return (p >> 8) & 0xff; }
inline int BlueOf(uint32_t p) { return p & 0xff; }
std::string Hex(uint32_t p);

class GlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    static gxtkGraphics* gfx() { return bb_graphics_device; }
    static BBGlfwGame* host();

    // A frame as the framework runs it: renderer, then module; cleared to black.
    void BeginFrame();
    void EndFrame();
    // One pixel of the window, through the renderer (which flushes first).
    uint32_t PixelAt(int x, int y);
    // Red, green and blue within `tolerance` of the expected ones.
    ::testing::AssertionResult PixelNear(int x, int y, int r, int g, int b, int tolerance = 1);

    // An RGBA surface of w x h filled by fn(x, y) -> 0xAARRGGBB.
    template <class F>
    gxtkSurface* MakeSurface(int w, int h, F fn) {
        gxtkSurface* s = gfx()->CreateSurface(w, h);
        Array<int> pixels(w * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) pixels[y * w + x] = static_cast<int>(fn(x, y));
        gfx()->WritePixels2(s, pixels, 0, 0, w, h, 0, w);
        return s;
    }

    bool inFrame_ = false;
};

// PNG bytes of w x h pixels with `comp` channels.
std::string PngBytes(int w, int h, int comp, const std::vector<unsigned char>& pixels);
// Writes PNG bytes for pixels made by fn(x, y, channel) -> 0..255.
template <class F>
std::string MakePng(int w, int h, int comp, F fn) {
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * comp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < comp; ++c) pixels[(static_cast<size_t>(y) * w + x) * comp + c] = static_cast<unsigned char>(fn(x, y, c));
    return PngBytes(w, h, comp, pixels);
}

// Runs tests of this program whose names match `filter` in a fresh process
// (tests that need a clean start: a different OpenGL setup, the whole
// framework). `env` entries are NAME=value.
ChildResult RunTestsInFreshProcess(const std::string& filter, std::vector<std::string> env = {});
// True inside a process started by RunTestsInFreshProcess.
bool InFreshProcess();

#endif
