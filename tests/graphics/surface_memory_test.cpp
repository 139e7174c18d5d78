// Surfaces report their pixels and texture as native memory: a dropped one is
// destroyed by collection steps soon after, but never while the renderer's
// batch still holds it.
#include <GLFW/glfw3.h>

#include "gl_world.h"

namespace {

using SurfaceMemory = GlTest;

// Collection steps until `done`; how many it took (50 when it never was).
template <class F>
int StepsUntil(F done) {
    int steps = 0;
    for (; !done() && steps < 50; ++steps) gc_collect();
    return steps;
}

TEST_F(SurfaceMemory, ADroppedSurfaceGoesWithinAFewStepsButOnlyAfterItsBatchWasDrawn) {
    gc_check_each_step = true;
    ScopedTempDir dir;
    WriteFile("big.png", MakePng(256, 128, 4, [](int, int, int c) { return c == 2 || c == 3 ? 255 : 0; }));
    int64_t bytes = gxtkSurfaceNativeBytes();

    BeginFrame();
    c_Image* image = bb_graphics_LoadImage(String("./big.png"), 1, 0);
    ASSERT_NE(image, nullptr);
    uint32_t texture = image->m_surface->texture;
    EXPECT_EQ(gxtkSurfaceNativeBytes() - bytes, 2 * 256 * 128 * 4) << "pixels and texture";
    bb_graphics_DrawImage(image, 20, 20, 0);
    image = nullptr;  // only the batch holds the surface now

    // Both cycles its memory drives end while the batch holds it (the host
    // never collects inside a frame; this is the harder case).
    for (int cycle = 0; cycle < 2; ++cycle) {
        int markbit = gc_markbit;
        EXPECT_LT(StepsUntil([&] { return gc_markbit != markbit; }), 50);
    }
    EXPECT_TRUE(glIsTexture(texture));
    EXPECT_TRUE(PixelNear(30, 30, 0, 0, 255));
    EndFrame();

    // The next load drives the collector again; no further allocation needed.
    ASSERT_NE(bb_graphics_LoadImage(String("./big.png"), 1, 0), nullptr);
    EXPECT_LT(StepsUntil([&] { return !glIsTexture(texture); }), 50);
    EXPECT_LE(gxtkSurfaceNativeBytes(), bytes + 2 * 256 * 128 * 4) << "its pixels went with the texture";
    gc_check_each_step = false;
}

}  // namespace
