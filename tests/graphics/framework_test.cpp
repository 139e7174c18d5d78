// tests/graphics/framework_test.cpp - the renderer and the module driven by the real host.
//
// Runs in a fresh process: the host, the application object and the devices
// exist once per process. The host starts the game (which creates the
// renderer and loads the default font) and renders frames through the
// framework, with the collector checking the heap after every step.
#include <GLFW/glfw3.h>
#include <sys/stat.h>

#include "gl_world.h"
#include "host/app.h"
#include "host/startup.h"

namespace {

const int kFrames = 6;
Array<int> g_pixels;  // what the last frame showed at the probe points
int g_framesDrawn;

void mark_pixels() { gc_mark_q(g_pixels); }

// Probe points, read back inside the frame: background, red rect, sprite,
// rotated sprite, rect drawn straight on the renderer after a rotated sprite.
const int kProbeX[] = {5, 15, 101, 200, 305};
const int kProbeY[] = {5, 15, 101, 200, 305};
const int kProbes = 5;

class FrameApp : public c_App {
public:
    c_Image* m_sprite = nullptr;

    FrameApp* m_new() {
        c_App::m_new();
        return this;
    }
    int p_OnRender() override {
        if (!m_sprite) gc_assign(m_sprite, bb_graphics_LoadImage(String("sprite.png"), 1, c_Image::kCentreHandle));
        // Garbage every frame, so that the host's collector steps finish cycles.
        Array<int> garbage(1 << 20);
        (void)garbage;

        bb_graphics_Cls(0, 0, 80);
        bb_graphics_SetColor(255, 0, 0);
        bb_graphics_DrawRect(10, 10, 20, 20);
        bb_graphics_SetColor(255, 255, 255);
        bb_graphics_DrawImage(m_sprite, 104, 104, 0);
        bb_graphics_DrawImage2(m_sprite, 200, 200, 45, 2, 2, 0);
        // The game draws some shapes straight on the renderer.
        bb_graphics_renderDevice->SetColor(0, 255, 255);
        bb_graphics_renderDevice->DrawRect(300, 300, 10, 10);

        for (int i = 0; i < kProbes; ++i) bb_graphics_ReadPixels(g_pixels, kProbeX[i], kProbeY[i], 1, 1, i, 0);
        ++g_framesDrawn;
        return 0;
    }
    void mark() override { gc_mark_q(m_sprite); }
};

TEST(FrameworkGraphics, FramesDrawnThroughTheHostShowWhatTheGameDrew) {
    ScopedTempDir dir;
    mkdir("data", 0755);
    WriteFile("data/quib_font.png", MakePng(96 * 6, 8, 4, [](int, int, int) { return 255; }));
    WriteFile("data/sprite.png", MakePng(8, 8, 4, [](int, int, int c) { return c == 1 ? 0 : 255; }));
    ChildResult r = RunTestsInFreshProcess("FrameworkGraphicsFresh.*");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("[  PASSED  ] 1 test"), std::string::npos) << r.out << r.err;
}

TEST(FrameworkGraphicsFresh, DISABLED_RenderThroughTheHost) {
    if (!InFreshProcess()) GTEST_SKIP();
    ASSERT_TRUE(InitGlfwForTest());
    BBDesktopGame* host = new BBDesktopGame();
    gc_init();
    bbInit();
    gc_add_roots(mark_pixels);
    g_pixels = Array<int>(kProbes);
    gc_mark();
    gc_check_each_step = true;
    (new FrameApp())->m_new();
    ASSERT_TRUE(host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false));

    host->StartGame();
    ASSERT_NE(bb_graphics_device, nullptr);
    c_Image* font = bb_graphics_context->m_font;
    ASSERT_NE(font, nullptr) << "the default font was not loaded at start";
    EXPECT_EQ(font->m_frames.Length(), 96);
    EXPECT_EQ(bb_graphics_context->m_firstChar, 32);
    uint32_t fontTexture = font->m_surface->texture;

    for (int i = 0; i < kFrames; ++i) host->RenderGame();
    EXPECT_EQ(g_framesDrawn, kFrames);
    EXPECT_EQ(bb_graphics_renderDevice, nullptr);

    const uint32_t expected[kProbes] = {0xff000050u, 0xffff0000u, 0xffff00ffu, 0xffff00ffu, 0xff00ffffu};
    for (int i = 0; i < kProbes; ++i) {
        EXPECT_EQ(Hex(static_cast<uint32_t>(g_pixels[i])), Hex(expected[i])) << "probe " << i;
    }
    // The font survived every cycle the frames caused.
    EXPECT_EQ(bb_graphics_context->m_font, font);
    EXPECT_TRUE(glIsTexture(fontTexture));
    EXPECT_EQ(gc_check_heap(), 0);
}

}  // namespace
