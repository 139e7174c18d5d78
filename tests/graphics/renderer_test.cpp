// tests/graphics/renderer_test.cpp - gxtkGraphics: batching, colours, blending, scissor, primitives.
#include <GLFW/glfw3.h>

#include <cstdio>
#include <set>
#include <vector>

#include "gl_world.h"

namespace {

class RendererTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        BeginFrame();
        calls0_ = gfx()->drawCalls;
    }
    long long CallsSinceStart() const { return gfx()->drawCalls - calls0_; }
    long long calls0_ = 0;
};

Array<float> Floats(std::initializer_list<float> values) { return Array<float>(values); }

// ---------------------------------------------------------------------------
// Batching
// ---------------------------------------------------------------------------

TEST_F(RendererTest, RectsBeyondAFullBatchMakeTwoDrawCalls) {
    for (int i = 0; i < kBatchQuads + 44; ++i) gfx()->DrawRect(static_cast<float>(i % 20), 0, 1, 1);
    // The quad after a full batch did not fit: the full batch went out in one call.
    EXPECT_EQ(CallsSinceStart(), 1);
    EXPECT_EQ(gfx()->primCount, 176);
    gfx()->Flush();
    EXPECT_EQ(CallsSinceStart(), 2);
    EXPECT_EQ(gfx()->primCount, 0);
}

TEST_F(RendererTest, AlternatingRectsAndLinesFlushOnEveryChange) {
    for (int i = 0; i < 10; ++i) {
        gfx()->DrawRect(0, 0, 1, 1);
        gfx()->DrawLine(0, 0, 1, 1);
    }
    EXPECT_EQ(CallsSinceStart(), 19);
    gfx()->Flush();
    EXPECT_EQ(CallsSinceStart(), 20);
}

TEST_F(RendererTest, SurfacesShareABatchOnlyWithThemselves) {
    gxtkSurface* a = MakeSurface(4, 4, [](int, int) { return 0xffff0000u; });
    gxtkSurface* b = MakeSurface(4, 4, [](int, int) { return 0xff00ff00u; });
    gfx()->DrawSurface(a, 0, 0);
    gfx()->DrawSurface(a, 10, 0);
    EXPECT_EQ(CallsSinceStart(), 0);
    EXPECT_EQ(gfx()->primCount, 8);
    gfx()->DrawSurface(b, 20, 0);
    EXPECT_EQ(CallsSinceStart(), 1);
    EXPECT_EQ(gfx()->primCount, 4);
    EXPECT_EQ(gfx()->primSurf, b);
}

TEST_F(RendererTest, FourCornerPolygonsJoinRectsAndTrianglesDrawAlone) {
    gfx()->DrawRect(0, 0, 1, 1);
    gfx()->DrawPoly(Floats({0, 0, 5, 0, 5, 5, 0, 5}));
    EXPECT_EQ(gfx()->primCount, 8);
    EXPECT_EQ(CallsSinceStart(), 0);

    gfx()->DrawPoly(Floats({0, 0, 5, 0, 5, 5}));
    EXPECT_EQ(gfx()->primType, 3);
    EXPECT_EQ(CallsSinceStart(), 1);
}

TEST_F(RendererTest, PolygonsWithoutCornersOrTooManyAreSkipped) {
    gfx()->DrawRect(0, 0, 1, 1);
    gfx()->DrawPoly(Array<float>());
    gfx()->DrawPoly(Array<float>(2 * 1025));
    gfx()->DrawPoly(Floats({1}));  // half a corner
    EXPECT_EQ(gfx()->primType, 4);
    EXPECT_EQ(gfx()->primCount, 4);
    EXPECT_EQ(CallsSinceStart(), 0);
}

TEST_F(RendererTest, PolygonsOfFiveOrMoreCornersDrawOneFanEach) {
    Array<float> pentagon = Floats({100, 100, 120, 100, 125, 115, 110, 125, 95, 115});
    gfx()->DrawPoly(pentagon);
    gfx()->DrawPoly(pentagon);
    gfx()->DrawPoly(pentagon);
    EXPECT_EQ(gfx()->primCount, 15);
    gfx()->Flush();
    EXPECT_EQ(CallsSinceStart(), 3);
}

TEST_F(RendererTest, MatrixChangesDoNotFlushAndEachRectKeepsItsTransform) {
    gfx()->DrawRect(10, 10, 10, 10);
    gfx()->SetMatrix(1, 0, 0, 1, 100, 0);
    gfx()->DrawRect(10, 10, 10, 10);
    EXPECT_EQ(gfx()->primCount, 8);
    EXPECT_EQ(CallsSinceStart(), 0);
    EXPECT_TRUE(PixelNear(15, 15, 255, 255, 255));
    EXPECT_TRUE(PixelNear(115, 15, 255, 255, 255));
    EXPECT_TRUE(PixelNear(65, 15, 0, 0, 0));
}

TEST_F(RendererTest, ClsDropsWhatWasNotYetDrawn) {
    gfx()->DrawRect(0, 0, 50, 50);
    gfx()->Cls(0, 0, 255);
    EXPECT_EQ(gfx()->primCount, 0);
    EXPECT_TRUE(PixelNear(10, 10, 0, 0, 255));
    EXPECT_EQ(CallsSinceStart(), 0);
}

// ---------------------------------------------------------------------------
// Colour and blending
// ---------------------------------------------------------------------------

TEST_F(RendererTest, ColourIsPackedPremultipliedInRgbaByteOrder) {
    gfx()->SetColor(255, 128, 0);
    gfx()->SetAlpha(0.5f);
    gfx()->DrawPoint(0, 0);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&gfx()->vertices[0].color);
    EXPECT_EQ((std::vector<int>{bytes[0], bytes[1], bytes[2], bytes[3]}), (std::vector<int>{127, 64, 0, 127}));
}

TEST_F(RendererTest, ColourChannelsOutOfRangeStayInTheirOwnByte) {
    gfx()->SetColor(300, -20, 255);
    gfx()->SetAlpha(1.5f);
    EXPECT_EQ(gfx()->color, 0xffff00ffu);
}

TEST_F(RendererTest, HalfTransparentColourBlendsOverTheBackground) {
    gfx()->Cls(255, 255, 255);
    gfx()->SetColor(255, 128, 0);
    gfx()->SetAlpha(0.5f);
    gfx()->DrawRect(0, 0, 20, 20);
    // (127, 64, 0) + (1 - 127/255) * 255 per channel.
    EXPECT_TRUE(PixelNear(10, 10, 255, 192, 128));
}

TEST_F(RendererTest, AdditiveBlendAddsTheColour) {
    gfx()->Cls(100, 0, 10);
    gfx()->SetBlend(1);
    gfx()->SetColor(100, 50, 0);
    gfx()->DrawRect(0, 0, 20, 20);
    gfx()->SetAlpha(0.5f);
    gfx()->DrawRect(0, 0, 10, 10);
    EXPECT_TRUE(PixelNear(15, 15, 200, 50, 10));
    EXPECT_TRUE(PixelNear(5, 5, 250, 75, 10));
}

TEST_F(RendererTest, SetBlendFlushesPendingDrawingWhenTheModeChanges) {
    gfx()->DrawRect(0, 0, 1, 1);
    gfx()->SetBlend(0);  // what every frame starts with: nothing changes
    EXPECT_EQ(CallsSinceStart(), 0);
    gfx()->SetBlend(1);
    EXPECT_EQ(CallsSinceStart(), 1);
    EXPECT_EQ(gfx()->primCount, 0);
}

// ---------------------------------------------------------------------------
// Scissor
// ---------------------------------------------------------------------------

TEST_F(RendererTest, ScissorClipsToItsRectangleFromTheTopLeft) {
    gfx()->SetScissor(10, 20, 30, 40);
    gfx()->DrawRect(0, 0, kWindowW, kWindowH);
    EXPECT_TRUE(PixelNear(10, 20, 255, 255, 255));
    EXPECT_TRUE(PixelNear(39, 59, 255, 255, 255));
    EXPECT_TRUE(PixelNear(9, 20, 0, 0, 0));
    EXPECT_TRUE(PixelNear(10, 19, 0, 0, 0));
    EXPECT_TRUE(PixelNear(40, 59, 0, 0, 0));
    EXPECT_TRUE(PixelNear(39, 60, 0, 0, 0));
}

TEST_F(RendererTest, ScissorOfTheWholeWindowTurnsClippingOff) {
    gfx()->SetScissor(5, 5, 10, 10);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    gfx()->SetScissor(0, 0, gfx()->Width(), gfx()->Height());
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    gfx()->DrawRect(0, 0, kWindowW, kWindowH);
    EXPECT_TRUE(PixelNear(600, 400, 255, 255, 255));
}

TEST_F(RendererTest, ScissorWithNegativeSizeClipsEverything) {
    gfx()->SetScissor(5, 5, 100, 100);
    gfx()->SetScissor(50, 50, -10, 20);
    gfx()->DrawRect(0, 0, kWindowW, kWindowH);
    EXPECT_TRUE(PixelNear(50, 55, 0, 0, 0));
    EXPECT_TRUE(PixelNear(20, 20, 0, 0, 0));
}

TEST_F(RendererTest, SetScissorFlushesPendingDrawing) {
    gfx()->DrawRect(0, 0, 100, 100);
    gfx()->SetScissor(0, 0, 10, 10);
    // Drawn before the clip was set, so not clipped by it.
    EXPECT_TRUE(PixelNear(50, 50, 255, 255, 255));
}

// ---------------------------------------------------------------------------
// Primitives and transforms
// ---------------------------------------------------------------------------

TEST_F(RendererTest, RectCoversItsPixelsExactly) {
    gfx()->DrawRect(100, 50, 20, 10);
    EXPECT_TRUE(PixelNear(100, 50, 255, 255, 255));
    EXPECT_TRUE(PixelNear(119, 59, 255, 255, 255));
    EXPECT_TRUE(PixelNear(99, 55, 0, 0, 0));
    EXPECT_TRUE(PixelNear(120, 55, 0, 0, 0));
    EXPECT_TRUE(PixelNear(110, 60, 0, 0, 0));
}

TEST_F(RendererTest, PointsAndLinesLightTheirPixels) {
    gfx()->SetColor(0, 255, 0);
    gfx()->DrawPoint(10.5f, 10.5f);
    gfx()->DrawLine(20, 30.5f, 60, 30.5f);
    EXPECT_TRUE(PixelNear(10, 10, 0, 255, 0));
    EXPECT_TRUE(PixelNear(11, 10, 0, 0, 0));
    EXPECT_TRUE(PixelNear(40, 30, 0, 255, 0));
    EXPECT_TRUE(PixelNear(40, 32, 0, 0, 0));
}

TEST_F(RendererTest, MatrixTransformsVerticesOnTheCpu) {
    // Scale by 2 and move to (100, 50): the 10 x 10 rect becomes 20 x 20.
    gfx()->SetMatrix(2, 0, 0, 2, 100, 50);
    EXPECT_TRUE(gfx()->tformed);
    gfx()->DrawRect(0, 0, 10, 10);
    EXPECT_FLOAT_EQ(gfx()->vertices[2].x, 120);
    EXPECT_FLOAT_EQ(gfx()->vertices[2].y, 70);
    EXPECT_TRUE(PixelNear(119, 69, 255, 255, 255));
    EXPECT_TRUE(PixelNear(121, 60, 0, 0, 0));
    gfx()->SetMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_FALSE(gfx()->tformed);
}

TEST_F(RendererTest, OvalSegmentsFollowItsSize) {
    gfx()->DrawOval(0, 0, 4, 4);
    EXPECT_EQ(gfx()->primType, 12);
    gfx()->DrawOval(0, 0, 100, 60);
    EXPECT_EQ(gfx()->primType, 80);  // 50 + 30
    gfx()->DrawOval(0, 0, 46, 0);
    EXPECT_EQ(gfx()->primType, 20);  // 23 rounded down to a multiple of 4
    gfx()->DrawOval(0, 0, 6000, 4000);
    EXPECT_EQ(gfx()->primType, 1024);
    gfx()->SetMatrix(2, 0, 0, 2, 0, 0);
    gfx()->DrawOval(0, 0, 100, 60);
    EXPECT_EQ(gfx()->primType, 160);  // lengths of the scaled radii
}

TEST_F(RendererTest, OvalsOfEqualSegmentCountShareABatch) {
    gfx()->DrawOval(0, 0, 100, 60);
    gfx()->DrawOval(200, 0, 60, 100);
    EXPECT_EQ(gfx()->primCount, 160);
    EXPECT_EQ(CallsSinceStart(), 0);
}

TEST_F(RendererTest, OvalStartsAtItsRightmostPointAndFillsItsBox) {
    gfx()->DrawOval(100, 100, 100, 60);
    EXPECT_FLOAT_EQ(gfx()->vertices[0].x, 200);
    EXPECT_FLOAT_EQ(gfx()->vertices[0].y, 130);
    EXPECT_TRUE(PixelNear(150, 130, 255, 255, 255));
    EXPECT_TRUE(PixelNear(105, 130, 255, 255, 255));
    EXPECT_TRUE(PixelNear(150, 103, 255, 255, 255));
    EXPECT_TRUE(PixelNear(102, 102, 0, 0, 0));  // the box's corner is outside the ellipse
    EXPECT_TRUE(PixelNear(198, 158, 0, 0, 0));
}

TEST_F(RendererTest, TexturedPolygonUsesSurfacePixelsFromItsSource) {
    // Left half red, right half blue; the polygon shows the right half only.
    gxtkSurface* s = MakeSurface(8, 8, [](int x, int) { return x < 4 ? 0xffff0000u : 0xff0000ffu; });
    gfx()->DrawPoly2(Floats({50, 50, 0, 0, 70, 50, 4, 0, 70, 70, 4, 8, 50, 70, 0, 8}), s, 4, 0);
    EXPECT_TRUE(PixelNear(55, 55, 0, 0, 255));
    EXPECT_TRUE(PixelNear(65, 65, 0, 0, 255));
}

TEST_F(RendererTest, SurfaceRectangleShowsOnlyItsSourceRectangle) {
    // A 2 x 2 grid of 4-pixel cells: red, green / blue, white.
    gxtkSurface* s = MakeSurface(8, 8, [](int x, int y) {
        static const uint32_t cells[4] = {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu};
        return cells[(y / 4) * 2 + x / 4];
    });
    gfx()->DrawSurface2(s, 10, 10, 4, 4, 4, 4);
    gfx()->DrawSurface(s, 30, 10);
    EXPECT_TRUE(PixelNear(11, 11, 255, 255, 255));
    EXPECT_TRUE(PixelNear(14, 11, 0, 0, 0));
    EXPECT_TRUE(PixelNear(31, 11, 255, 0, 0));
    EXPECT_TRUE(PixelNear(35, 11, 0, 255, 0));
    EXPECT_TRUE(PixelNear(31, 15, 0, 0, 255));
    EXPECT_TRUE(PixelNear(37, 17, 255, 255, 255));
}

// Art drawn at half size at whole-pixel positions, as a 640 x 480 window
// shows the "-hd" art: each pixel centre falls exactly on the line between
// two texels. One frame of 32 texels, each column its own colour, is placed
// in textures of several widths at several places, and each pixel should
// show texel 2j + 1 of the frame (the one after the line) wherever the frame
// lies. Drawn with exact texture coordinates (the nudge taken back out of the
// source position), which texel a pixel gets follows the rounding of the
// texture's scale and the frame's place in it: some copies come out a texel
// off. With the renderer's nudge every copy is the same.
TEST_F(RendererTest, ArtAtHalfSizeTakesTheSameTexelsFromEveryTexture) {
    const int kFrameW = 32;
    auto column = [](int i) { return Rgb(i * 8, 255 - i * 8, (i * 77) & 0xff); };
    struct Place {
        int textureW, srcx;
    };
    const Place places[] = {{32, 0},   {37, 5},    {100, 61},  {129, 97},  {250, 200},
                            {333, 17}, {600, 555}, {1000, 901}, {1021, 3}, {2047, 1999}};
    const int n = sizeof places / sizeof places[0];
    // Rows of both drawings: exact at y 10 + 4k, nudged at y 100 + 4k.
    for (int k = 0; k < n; ++k) {
        const Place& p = places[k];
        gxtkSurface* s = MakeSurface(p.textureW, 2, [&](int x, int) {
            return x >= p.srcx && x < p.srcx + kFrameW ? column(x - p.srcx) : 0xff808080u;
        });
        float w = kFrameW, d = -kTexelNudge;
        gfx()->SetMatrix(0.5f, 0, 0, 0.5f, 20, 10 + 4 * k);
        gfx()->DrawPoly2(Floats({0, 0, d, d, w, 0, w + d, d, w, 2, w + d, 2 + d, 0, 2, d, 2 + d}), s, p.srcx, 0);
        gfx()->SetMatrix(0.5f, 0, 0, 0.5f, 20, 100 + 4 * k);
        gfx()->DrawSurface2(s, 0, 0, p.srcx, 0, kFrameW, 2);
    }
    gfx()->SetMatrix(1, 0, 0, 1, 0, 0);
    int exactOff = 0;
    std::set<std::vector<uint32_t>> exactLooks;  // the different pictures the exact copies made
    for (int k = 0; k < n; ++k) {
        std::vector<uint32_t> look;
        for (int j = 0; j < kFrameW / 2; ++j) {
            uint32_t want = column(2 * j + 1);
            look.push_back(PixelAt(20 + j, 10 + 4 * k));
            if (look.back() != want) ++exactOff;
            EXPECT_EQ(Hex(PixelAt(20 + j, 100 + 4 * k)), Hex(want))
                << "nudged: texture " << places[k].textureW << " wide, frame at " << places[k].srcx << ", pixel " << j;
        }
        exactLooks.insert(look);
    }
    std::printf("exact coordinates: %d of %d pixels a texel off, %zu different pictures of one frame\n", exactOff,
                n * kFrameW / 2, exactLooks.size());
    EXPECT_GT(exactLooks.size(), 1u) << "exact coordinates showed no fault for the nudge to mend";
}

TEST_F(RendererTest, VertexColourTintsTextures) {
    gxtkSurface* s = MakeSurface(4, 4, [](int, int) { return 0xffffffffu; });
    gfx()->SetColor(255, 0, 128);
    gfx()->DrawSurface(s, 0, 0);
    EXPECT_TRUE(PixelNear(1, 1, 255, 0, 128));
}

TEST_F(RendererTest, NullSurfacesDrawNothing) {
    gfx()->DrawSurface(nullptr, 0, 0);
    gfx()->DrawSurface2(nullptr, 0, 0, 0, 0, 4, 4);
    gfx()->DrawPoly2(Floats({0, 0, 0, 0}), nullptr, 0, 0);
    EXPECT_EQ(gfx()->primCount, 0);
}

// ---------------------------------------------------------------------------
// Frames
// ---------------------------------------------------------------------------

TEST_F(RendererTest, BeginRenderSetsAPixelExactProjectionAndEmptiesTheBatch) {
    gfx()->DrawRect(0, 0, 1, 1);
    gfx()->BeginRender();
    EXPECT_EQ(gfx()->primCount, 0);
    EXPECT_EQ(gfx()->Width(), kWindowW);
    EXPECT_EQ(gfx()->Height(), kWindowH);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], gfx()->fbWidth);
    EXPECT_EQ(viewport[3], gfx()->fbHeight);
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(RendererTest, EndRenderFlushesAndForgetsTheBatchTexture) {
    gxtkSurface* s = MakeSurface(4, 4, [](int, int) { return 0xffffffffu; });
    gfx()->DrawSurface(s, 0, 0);
    long long before = gfx()->drawCalls;
    EndFrame();
    EXPECT_EQ(gfx()->drawCalls, before + 1);
    EXPECT_EQ(gfx()->primSurf, nullptr);
}

}  // namespace
