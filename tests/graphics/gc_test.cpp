// tests/graphics/gc_test.cpp - images, surfaces and the context under the collector.
//
// Each test runs whole collection cycles and checks the heap while every live
// object is black, which catches a reference that some mark() forgot. Dead
// objects are destroyed lazily, by later allocations; a surface's texture must
// live exactly as long as the surface object.
#include <GLFW/glfw3.h>
#include <sys/stat.h>

#include <climits>

#include "gl_world.h"
#include "runtime/error.h"

namespace {

c_Image* g_held;  // the test's own root

void mark_held() { gc_mark_q(g_held); }

class GcTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        gc_add_roots(mark_held);
        gc_assign(g_held, nullptr);
    }
    void TearDown() override {
        gc_assign(g_held, nullptr);
        GlTest::TearDown();
    }
    // Marks everything reachable, then checks the heap: no black object may
    // point to a white one.
    static int MarkAllAndCheck() {
        gc_mark_queued(INT_MAX);
        return gc_check_heap();
    }
    // Runs full cycles, checking the heap in each.
    static void Collect(int cycles) {
        for (int i = 0; i < cycles; ++i) {
            GcFinishCycle();
            ASSERT_EQ(MarkAllAndCheck(), 0);
        }
    }
    // Allocates until the collector has destroyed every dead object (each
    // allocation destroys at least as many dead bytes as it asks for).
    static void DestroyDeadObjects() {
        while (gc_free_list.succ != &gc_free_list) Array<int> block(1 << 16);
    }
    static bool Live(void* object) { return dbg_find_live_object(object) != nullptr; }

    ScopedTempDir dir_;
};

std::string GridPng(uint32_t rgb) {
    return MakePng(32, 16, 4, [rgb](int, int, int c) {
        const int px[4] = {static_cast<int>(rgb >> 16 & 0xff), static_cast<int>(rgb >> 8 & 0xff),
                           static_cast<int>(rgb & 0xff), 255};
        return px[c];
    });
}

TEST_F(GcTest, ImageTextureIsReleasedOnlyWhenTheImageIsDestroyed) {
    WriteFile("grid.png", GridPng(0x20c040));
    gc_assign(g_held, bb_graphics_LoadImage2(String("./grid.png"), 8, 8, 8, 0));
    ASSERT_NE(g_held, nullptr);
    c_Image* image = g_held;
    gxtkSurface* surface = image->m_surface;
    uint32_t texture = surface->texture;

    Collect(3);
    DestroyDeadObjects();
    ASSERT_TRUE(Live(image));
    EXPECT_TRUE(glIsTexture(texture));
    BeginFrame();
    bb_graphics_DrawImage(image, 40, 40, 7);
    EXPECT_TRUE(PixelNear(41, 41, 0x20, 0xc0, 0x40));
    EndFrame();

    gc_assign(g_held, nullptr);
    // The image was already shaded for the cycle running when it was
    // dropped; the next one finds it unreachable.
    Collect(2);
    EXPECT_FALSE(Live(image));
    EXPECT_FALSE(Live(surface));
    EXPECT_TRUE(glIsTexture(texture)) << "released before the surface was destroyed";
    DestroyDeadObjects();
    EXPECT_FALSE(glIsTexture(texture));
}

TEST_F(GcTest, AnImageKeepsItsFramesAndSourceAlive) {
    WriteFile("grid.png", GridPng(0xff0000));
    c_Image* source = bb_graphics_LoadImage(String("./grid.png"), 1, 0);
    ASSERT_NE(source, nullptr);
    c_Image* cut = (new c_Image())->m_new()->p_Init2(source->m_surface, 0, 0, 8, 8, 4, 0, source, 0, 0, 32, 16);
    gc_assign(g_held, cut);
    source = nullptr;

    Collect(3);
    DestroyDeadObjects();
    ASSERT_TRUE(Live(cut->m_source));
    ASSERT_TRUE(Live(cut->m_frames.rep()));
    for (c_Frame* f : cut->m_frames) ASSERT_TRUE(Live(f));
    EXPECT_TRUE(glIsTexture(cut->m_source->m_surface->texture));
}

TEST_F(GcTest, TheDefaultFontStaysWhileTheContextHoldsIt) {
    mkdir("data", 0755);
    WriteFile("data/quib_font.png", MakePng(96 * 4, 6, 4, [](int, int, int) { return 255; }));
    gc_assign(bb_graphics_context->m_defaultFont, nullptr);
    bb_graphics_SetFont(nullptr, 32);
    c_Image* font = bb_graphics_context->m_font;
    ASSERT_NE(font, nullptr);
    uint32_t texture = font->m_surface->texture;

    Collect(3);
    DestroyDeadObjects();
    EXPECT_TRUE(Live(font));
    EXPECT_TRUE(glIsTexture(texture));

    // Another font selected: the default one is still kept for later.
    bb_graphics_SetFont(bb_graphics_LoadImage(String("./data/quib_font.png"), 96, 0), 32);
    Collect(3);
    DestroyDeadObjects();
    EXPECT_TRUE(glIsTexture(texture));
}

TEST_F(GcTest, APendingBatchKeepsItsSurfaceAliveUntilTheFrameEnds) {
    WriteFile("one.png", GridPng(0x0000ff));
    BeginFrame();
    c_Image* image = bb_graphics_LoadImage(String("./one.png"), 1, 0);
    ASSERT_NE(image, nullptr);
    uint32_t texture = image->m_surface->texture;
    bb_graphics_DrawImage(image, 10, 10, 0);
    image = nullptr;  // only the batch refers to the surface now

    Collect(3);
    DestroyDeadObjects();
    EXPECT_TRUE(glIsTexture(texture));
    EXPECT_TRUE(PixelNear(12, 12, 0, 0, 255));
    EndFrame();

    Collect(2);
    DestroyDeadObjects();
    EXPECT_FALSE(glIsTexture(texture));
}

TEST_F(GcTest, AGrownMatrixStackIsKeptByTheContext) {
    BeginFrame();
    for (int i = 0; i < 50; ++i) {
        bb_graphics_PushMatrix();
        bb_graphics_Translate(1, 0);
    }
    Collect(3);
    DestroyDeadObjects();
    for (int i = 49; i >= 0; --i) {
        bb_graphics_PopMatrix();
        ASSERT_FLOAT_EQ(bb_graphics_context->m_tx, static_cast<float>(i));
    }
}

}  // namespace
