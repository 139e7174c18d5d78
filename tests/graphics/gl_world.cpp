// tests/graphics/gl_world.cpp - the shared window and renderer for the graphics tests.
#include "gl_world.h"

#include <GLFW/glfw3.h>
#include <stb/stb_image_write.h>

#include <cstdio>
#include <cstdlib>

#include "host/startup.h"

namespace {

BBDesktopGame* g_host;

void append_bytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

}  // namespace

std::string Hex(uint32_t p) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08x", p);
    return buf;
}

void GlTest::SetUpTestSuite() {
    if (g_host) return;
    ASSERT_TRUE(InitGlfwForTest()) << "no display: run the tests under xvfb-run";
    g_host = new BBDesktopGame();
    gc_init();
    bbInit();
    gc_mark();
    ASSERT_TRUE(g_host->SetGlfwWindow(kWindowW, kWindowH, 8, 8, 8, 0, 0, 0, false));
    bb_graphics_SetGraphicsDevice(new gxtkGraphics());
}

BBGlfwGame* GlTest::host() { return g_host; }

void GlTest::SetUp() { ASSERT_NE(gfx(), nullptr); }

void GlTest::TearDown() {
    if (inFrame_) EndFrame();
}

void GlTest::BeginFrame() {
    gfx()->BeginRender();
    bb_graphics_BeginRender();
    bb_graphics_Cls(0, 0, 0);
    inFrame_ = true;
}

void GlTest::EndFrame() {
    bb_graphics_EndRender();
    gfx()->EndRender();
    inFrame_ = false;
}

uint32_t GlTest::PixelAt(int x, int y) {
    Array<int> pixel(1);
    gfx()->ReadPixels(pixel, x, y, 1, 1, 0, 1);
    return static_cast<uint32_t>(pixel[0]);
}

::testing::AssertionResult GlTest::PixelNear(int x, int y, int r, int g, int b, int tolerance) {
    uint32_t p = PixelAt(x, y);
    if (std::abs(RedOf(p) - r) <= tolerance && std::abs(GreenOf(p) - g) <= tolerance &&
        std::abs(BlueOf(p) - b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << Hex(p) << ", expected about "
                                         << Hex(Rgb(r, g, b));
}

std::string PngBytes(int w, int h, int comp, const std::vector<unsigned char>& pixels) {
    std::string bytes;
    stbi_write_png_to_func(append_bytes, &bytes, w, h, comp, pixels.data(), w * comp);
    return bytes;
}

ChildResult RunTestsInFreshProcess(const std::string& filter, std::vector<std::string> env) {
    env.push_back("LANTERN_GRAPHICS_FRESH_PROCESS=1");
    return RunProgram({"/proc/self/exe", "--gtest_filter=" + filter, "--gtest_also_run_disabled_tests"}, env, "", 60);
}

bool InFreshProcess() { return std::getenv("LANTERN_GRAPHICS_FRESH_PROCESS") != nullptr; }
