// tests/graphics/module_test.cpp - the graphics module: images, frames, matrix, state and fonts.
#include <GLFW/glfw3.h>
#include <sys/stat.h>

#include <cmath>

#include "gl_world.h"
#include "runtime/error.h"

namespace {

class ModuleTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        BeginFrame();
    }
    c_GraphicsContext* ctx() { return bb_graphics_context; }

    // A solid-colour image built in memory: w x h pixels, `frames` in a strip.
    c_Image* SolidImage(int w, int h, uint32_t argb, int frames = 1, int flags = 0) {
        gxtkSurface* s = MakeSurface(w, h, [argb](int, int) { return argb; });
        return (new c_Image())->m_new()->p_Init(s, frames, flags);
    }
    std::vector<std::pair<int, int>> FramePositions(c_Image* image) {
        std::vector<std::pair<int, int>> out;
        for (c_Frame* f : image->m_frames) out.push_back({f->m_x, f->m_y});
        return out;
    }
    ScopedTempDir dir_;
};

// Grid of 16 x 16 frames on a 64 x 32 image, frame i coloured (i * 30, 255 - i * 30, 100).
std::string GridPng() {
    return MakePng(64, 32, 4, [](int x, int y, int c) {
        int i = (y / 16) * 4 + x / 16;
        const int px[4] = {i * 30, 255 - i * 30, 100, 255};
        return px[c];
    });
}

// A bare surface of the given size, without pixels or texture.
gxtkSurface* BareSurface(int w, int h) {
    gxtkSurface* s = new gxtkSurface();
    s->width = w;
    s->height = h;
    return s;
}

// ---------------------------------------------------------------------------
// Frame layouts and flags
// ---------------------------------------------------------------------------

TEST_F(ModuleTest, GridFramesAreReadLeftToRightThenTopToBottom) {
    WriteFile("grid.png", GridPng());
    c_Image* image = bb_graphics_LoadImage2(String("./grid.png"), 16, 16, 8, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->m_width, 16);
    EXPECT_EQ(image->m_height, 16);
    EXPECT_EQ(FramePositions(image), (std::vector<std::pair<int, int>>{
                                         {0, 0}, {16, 0}, {32, 0}, {48, 0}, {0, 16}, {16, 16}, {32, 16}, {48, 16}}));
    EXPECT_EQ(image->m_source, nullptr);
}

TEST_F(ModuleTest, GridRowsWrapToColumnZeroNotToTheStartColumn) {
    c_Image* image = (new c_Image())->m_new()->p_Init2(BareSurface(64, 32), 32, 0, 16, 16, 3, 0, nullptr, 0, 0, 64, 32);
    EXPECT_EQ(FramePositions(image), (std::vector<std::pair<int, int>>{{32, 0}, {48, 0}, {0, 16}}));
}

TEST_F(ModuleTest, GridFramesAreOffsetByTheSourceCorner) {
    c_Image* source = SolidImage(4, 4, 0xffffffffu);
    c_Image* image =
        (new c_Image())->m_new()->p_Init2(BareSurface(64, 64), 0, 0, 8, 8, 3, 0, source, 16, 24, 16, 16);
    EXPECT_EQ(FramePositions(image), (std::vector<std::pair<int, int>>{{16, 24}, {24, 24}, {16, 32}}));
    EXPECT_EQ(image->m_source, source);
}

TEST_F(ModuleTest, GridWithMoreFramesThanFitStopsTheProgram) {
    gxtkSurface* s = BareSurface(64, 32);
    ChildResult r = RunInChild([s] { (new c_Image())->m_new()->p_Init2(s, 0, 0, 16, 16, 9, 0, nullptr, 0, 0, 64, 32); });
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("Image frame outside surface"), std::string::npos) << r.out;
}

TEST_F(ModuleTest, GridFrameWiderThanTheSurfaceFailsOnTheFirstFrame) {
    gxtkSurface* s = BareSurface(64, 32);
    ChildResult r = RunInChild([s] {
        (new c_Image())->m_new()->p_Init2(s, 0, 0, 65, 16, 1, 0, nullptr, 0, 0, 64, 32);
        bbPrint(String("survived"));
    });
    EXPECT_NE(r.out.find("Image frame outside surface"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("survived"), std::string::npos);
}

TEST_F(ModuleTest, GridStartNearTheIntLimitWrapsInsteadOfOverflowing) {
    c_Image* image =
        (new c_Image())->m_new()->p_Init2(BareSurface(64, 32), 2147483600, 0, 60, 16, 1, 0, nullptr, 0, 0, 64, 32);
    EXPECT_EQ(FramePositions(image), (std::vector<std::pair<int, int>>{{0, 16}}));
}

TEST_F(ModuleTest, StripWithSideBordersTrimsEveryFrame) {
    c_Image* image = SolidImage(96, 10, 0xffffffffu, 3, c_Image::kBorderX);
    EXPECT_EQ(image->m_width, 30);
    EXPECT_EQ(image->m_height, 10);
    EXPECT_EQ(FramePositions(image), (std::vector<std::pair<int, int>>{{1, 0}, {33, 0}, {65, 0}}));
    EXPECT_FALSE(image->m_flags & c_Image::kWholeSurface);
}

TEST_F(ModuleTest, TopAndBottomBordersTrimEveryFrame) {
    c_Image* image = SolidImage(20, 12, 0xffffffffu, 2, c_Image::kBorderY);
    EXPECT_EQ(image->m_height, 10);
    EXPECT_EQ(FramePositions(image), (std::vector<std::pair<int, int>>{{0, 1}, {10, 1}}));
}

TEST_F(ModuleTest, CentreHandleIsAppliedOnceAndTheFlagCleared) {
    c_Image* image = SolidImage(15, 9, 0xffffffffu, 1, c_Image::kCentreHandle);
    EXPECT_FLOAT_EQ(image->m_tx, 7.5f);
    EXPECT_FLOAT_EQ(image->m_ty, 4.5f);
    EXPECT_FALSE(image->m_flags & c_Image::kCentreHandle);
    EXPECT_TRUE(image->m_flags & c_Image::kWholeSurface);
}

TEST_F(ModuleTest, OnlyASingleUntrimmedFrameCoversTheWholeSurface) {
    EXPECT_TRUE(SolidImage(8, 8, 0xffffffffu)->m_flags & c_Image::kWholeSurface);
    EXPECT_FALSE(SolidImage(8, 8, 0xffffffffu, 1, c_Image::kBorderX)->m_flags & c_Image::kWholeSurface);
    EXPECT_FALSE(SolidImage(8, 8, 0xffffffffu, 2)->m_flags & c_Image::kWholeSurface);
}

TEST_F(ModuleTest, StripOfZeroFramesCountsAsOne) {
    c_Image* image = SolidImage(8, 8, 0xffffffffu, 0);
    EXPECT_EQ(image->m_frames.Length(), 1);
    EXPECT_EQ(image->m_width, 8);
}

TEST_F(ModuleTest, SetHandleMovesTheHandleAndClearsCentreHandle) {
    c_Image* image = SolidImage(8, 8, 0xffffffffu);
    image->m_flags |= c_Image::kCentreHandle;
    image->p_SetHandle(2, 3);
    EXPECT_FLOAT_EQ(image->m_tx, 2);
    EXPECT_FLOAT_EQ(image->m_ty, 3);
    EXPECT_FALSE(image->m_flags & c_Image::kCentreHandle);
}

TEST_F(ModuleTest, ImagePathsWithoutFolderAreReadFromTheDataFolder) {
    mkdir("data", 0755);
    WriteFile("data/tile.png", GridPng());
    EXPECT_NE(bb_graphics_LoadImage(String("tile.png"), 1, 0), nullptr);
    EXPECT_NE(bb_graphics_LoadImage2(String("tile.png"), 16, 16, 2, 0), nullptr);
    EXPECT_EQ(bb_graphics_LoadImage(String("missing.png"), 1, 0), nullptr);
    EXPECT_EQ(bb_graphics_LoadImage2(String("missing.png"), 16, 16, 2, 0), nullptr);
}

// ---------------------------------------------------------------------------
// Drawing images
// ---------------------------------------------------------------------------

TEST_F(ModuleTest, DrawImageSubtractsTheHandleBeforeTheMatrix) {
    c_Image* image = SolidImage(10, 10, 0xffff0000u);
    image->p_SetHandle(5, 5);
    bb_graphics_Scale(2, 2);
    bb_graphics_DrawImage(image, 50, 50, 0);
    // (45..55) scaled by 2.
    EXPECT_TRUE(PixelNear(91, 91, 255, 0, 0));
    EXPECT_TRUE(PixelNear(109, 109, 255, 0, 0));
    EXPECT_TRUE(PixelNear(89, 100, 0, 0, 0));
    EXPECT_TRUE(PixelNear(111, 100, 0, 0, 0));
}

TEST_F(ModuleTest, DrawImageShowsTheRequestedGridFrame) {
    WriteFile("grid.png", GridPng());
    c_Image* image = bb_graphics_LoadImage2(String("./grid.png"), 16, 16, 8, 0);
    ASSERT_NE(image, nullptr);
    bb_graphics_DrawImage(image, 100, 100, 5);
    bb_graphics_DrawImage(image, 200, 100, 7);
    EXPECT_TRUE(PixelNear(100, 100, 150, 105, 100));
    EXPECT_TRUE(PixelNear(115, 115, 150, 105, 100));
    EXPECT_TRUE(PixelNear(116, 108, 0, 0, 0));
    EXPECT_TRUE(PixelNear(208, 108, 210, 45, 100));
}

TEST_F(ModuleTest, DrawImageOfAStripFrameWithBordersShowsOnlyTheInside) {
    // 3 frames of 10 pixels: white border columns, red inside.
    gxtkSurface* s = MakeSurface(30, 4, [](int x, int) { return x % 10 == 0 || x % 10 == 9 ? 0xffffffffu : 0xffff0000u; });
    c_Image* image = (new c_Image())->m_new()->p_Init(s, 3, c_Image::kBorderX);
    bb_graphics_DrawImage(image, 100, 100, 1);
    EXPECT_TRUE(PixelNear(100, 101, 255, 0, 0));
    EXPECT_TRUE(PixelNear(107, 101, 255, 0, 0));
    EXPECT_TRUE(PixelNear(108, 101, 0, 0, 0));
    EXPECT_TRUE(PixelNear(99, 101, 0, 0, 0));
}

TEST_F(ModuleTest, DrawImage2TurnsAndScalesAboutTheHandle) {
    // 10 x 20 with a red top row, green elsewhere; handle at its centre.
    gxtkSurface* s = MakeSurface(10, 20, [](int, int y) { return y == 0 ? 0xffff0000u : 0xff00ff00u; });
    c_Image* image = (new c_Image())->m_new()->p_Init(s, 1, 0);
    image->p_SetHandle(5, 10);
    bb_graphics_DrawImage2(image, 100, 100, 90, 1, 1, 0);
    // Turned a quarter anticlockwise: it covers x 90..110, y 95..105, and
    // its top row became the left column.
    EXPECT_TRUE(PixelNear(90, 100, 255, 0, 0));
    EXPECT_TRUE(PixelNear(91, 95, 0, 255, 0));
    EXPECT_TRUE(PixelNear(109, 104, 0, 255, 0));
    EXPECT_TRUE(PixelNear(89, 100, 0, 0, 0));
    EXPECT_TRUE(PixelNear(110, 100, 0, 0, 0));
    EXPECT_TRUE(PixelNear(100, 94, 0, 0, 0));
    EXPECT_TRUE(PixelNear(100, 105, 0, 0, 0));

    bb_graphics_DrawImage2(image, 300, 200, 0, 2, 3, 0);
    // 20 x 60 around (300, 200), the red row three pixels high.
    EXPECT_TRUE(PixelNear(291, 172, 255, 0, 0));
    EXPECT_TRUE(PixelNear(291, 173, 0, 255, 0));
    EXPECT_TRUE(PixelNear(309, 229, 0, 255, 0));
    EXPECT_TRUE(PixelNear(289, 200, 0, 0, 0));
    EXPECT_TRUE(PixelNear(310, 200, 0, 0, 0));
    EXPECT_TRUE(PixelNear(300, 231, 0, 0, 0));
}

TEST_F(ModuleTest, DrawImage2DrawsGridFramesToo) {
    WriteFile("grid.png", GridPng());
    c_Image* image = bb_graphics_LoadImage2(String("./grid.png"), 16, 16, 8, c_Image::kCentreHandle);
    ASSERT_NE(image, nullptr);
    bb_graphics_DrawImage2(image, 100, 100, 180, 2, 2, 3);
    EXPECT_TRUE(PixelNear(100, 100, 90, 165, 100));
    EXPECT_TRUE(PixelNear(85, 85, 90, 165, 100));
    EXPECT_TRUE(PixelNear(114, 114, 90, 165, 100));
    EXPECT_TRUE(PixelNear(117, 100, 0, 0, 0));
}

TEST_F(ModuleTest, DrawImage2LeavesTheCallersMatrixInContextAndRenderer) {
    c_Image* image = SolidImage(4, 4, 0xffffffffu);
    bb_graphics_Translate(5, 6);
    bb_graphics_DrawImage2(image, 100, 100, 33, 2, 2, 0);
    EXPECT_FLOAT_EQ(ctx()->m_ix, 1);
    EXPECT_FLOAT_EQ(ctx()->m_tx, 5);
    EXPECT_FLOAT_EQ(ctx()->m_ty, 6);
    EXPECT_EQ(ctx()->m_matrixSp, 0);
    EXPECT_FLOAT_EQ(gfx()->ix, 1);
    EXPECT_FLOAT_EQ(gfx()->iy, 0);
    EXPECT_FLOAT_EQ(gfx()->tx, 5);
    EXPECT_FLOAT_EQ(gfx()->ty, 6);
}

TEST_F(ModuleTest, FrameIndexOutOfRangeDrawsNothing) {
    c_Image* image = SolidImage(16, 4, 0xffffffffu, 4);
    for (int frame : {-1, 4, 1000, -2147483647 - 1}) {
        bb_graphics_DrawImage(image, 10, 10, frame);
        bb_graphics_DrawImage2(image, 10, 10, 45, 2, 2, frame);
    }
    EXPECT_EQ(gfx()->primCount, 0);
    EXPECT_TRUE(PixelNear(12, 11, 0, 0, 0));
}

TEST_F(ModuleTest, WholeSurfaceImageIgnoresTheFrameIndex) {
    // Nothing is looked up for an image that is its whole surface.
    c_Image* image = SolidImage(4, 4, 0xffffffffu);
    bb_graphics_DrawImage(image, 10, 10, 3);
    EXPECT_TRUE(PixelNear(11, 11, 255, 255, 255));
}

TEST_F(ModuleTest, NullImageDrawsNothing) {
    bb_graphics_DrawImage(nullptr, 0, 0, 0);
    bb_graphics_DrawImage2(nullptr, 0, 0, 0, 1, 1, 0);
    EXPECT_EQ(gfx()->primCount, 0);
}

// ---------------------------------------------------------------------------
// Shapes and state
// ---------------------------------------------------------------------------

TEST_F(ModuleTest, EllipseIsGivenByCentreAndRadii) {
    bb_graphics_DrawEllipse(100, 100, 50, 30);
    EXPECT_EQ(gfx()->primType, 80);
    EXPECT_FLOAT_EQ(gfx()->vertices[0].x, 150);
    EXPECT_FLOAT_EQ(gfx()->vertices[0].y, 100);
    EXPECT_TRUE(PixelNear(100, 100, 255, 255, 255));
    EXPECT_TRUE(PixelNear(100, 133, 0, 0, 0));
}

TEST_F(ModuleTest, RectsAndLinesFollowTheMatrix) {
    bb_graphics_Translate(100, 0);
    bb_graphics_DrawRect(0, 0, 10, 10);
    bb_graphics_DrawLine(0, 20.5f, 10, 20.5f);
    EXPECT_TRUE(PixelNear(105, 5, 255, 255, 255));
    EXPECT_TRUE(PixelNear(105, 20, 255, 255, 255));
    EXPECT_TRUE(PixelNear(5, 5, 0, 0, 0));
}

TEST_F(ModuleTest, StateIsKeptInTheContextAndPassedOn) {
    bb_graphics_SetColor(10, 20, 30);
    bb_graphics_SetAlpha(0.5f);
    bb_graphics_SetBlend(1);
    EXPECT_FLOAT_EQ(ctx()->m_colorG, 20);
    EXPECT_FLOAT_EQ(ctx()->m_alpha, 0.5f);
    EXPECT_EQ(ctx()->m_blend, 1);
    EXPECT_FLOAT_EQ(gfx()->b, 30);
    EXPECT_FLOAT_EQ(gfx()->alpha, 0.5f);
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE);
}

TEST_F(ModuleTest, ScissorValuesAreTruncatedForTheRenderer) {
    bb_graphics_SetScissor(10.9f, 20.7f, 30.2f, 40.9f);
    EXPECT_FLOAT_EQ(ctx()->m_scissorX, 10.9f);
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ((std::vector<int>{box[0], box[1], box[2], box[3]}), (std::vector<int>{10, kWindowH - 20 - 40, 30, 40}));
    // Values without an int clip to an empty box instead of being undefined.
    bb_graphics_SetScissor(NAN, 1e20f, -1e20f, INFINITY);
    bb_graphics_DrawRect(0, 0, kWindowW, kWindowH);
    EXPECT_TRUE(PixelNear(5, 5, 0, 0, 0));
}

TEST_F(ModuleTest, ReadPixelsWithPitchZeroUsesTheWidth) {
    bb_graphics_DrawRect(0, 0, 2, 1);
    Array<int> px(4);
    bb_graphics_ReadPixels(px, 0, 0, 2, 2, 0, 0);
    EXPECT_EQ(static_cast<uint32_t>(px[1]), 0xffffffffu);
    EXPECT_EQ(static_cast<uint32_t>(px[2]), 0xff000000u);
}

// ---------------------------------------------------------------------------
// Matrix
// ---------------------------------------------------------------------------

TEST_F(ModuleTest, PushTranslatePopRestoresTheMatrixAndMarksItDirty) {
    bb_graphics_Scale(2, 3);
    bb_graphics_DrawRect(0, 0, 1, 1);  // validates
    EXPECT_EQ(ctx()->m_matDirty, 0);
    bb_graphics_PushMatrix();
    EXPECT_EQ(ctx()->m_matDirty, 0);
    EXPECT_EQ(ctx()->m_matrixSp, 6);
    bb_graphics_Translate(10, 0);
    bb_graphics_PopMatrix();
    EXPECT_EQ(ctx()->m_matrixSp, 0);
    EXPECT_FLOAT_EQ(ctx()->m_ix, 2);
    EXPECT_FLOAT_EQ(ctx()->m_jy, 3);
    EXPECT_FLOAT_EQ(ctx()->m_tx, 0);
    EXPECT_EQ(ctx()->m_tformed, 1);
    EXPECT_EQ(ctx()->m_matDirty, 1);
}

TEST_F(ModuleTest, TransformMultipliesInFrontOfTheCurrentMatrix) {
    bb_graphics_Translate(10, 0);
    bb_graphics_Scale(2, 2);
    // Local point (1, 0) is scaled first, then moved: (12, 0).
    EXPECT_FLOAT_EQ(ctx()->m_ix * 1 + ctx()->m_tx, 12);
    bb_graphics_Transform2(Array<float>({1, 0, 0, 1, 5, 5}));
    EXPECT_FLOAT_EQ(ctx()->m_tx, 20);
    EXPECT_FLOAT_EQ(ctx()->m_ty, 10);
    bb_graphics_SetMatrix2(Array<float>({1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(ctx()->m_tformed, 0);
}

TEST_F(ModuleTest, MatrixArraysShorterThanSixAreIgnored) {
    bb_graphics_Translate(3, 4);
    bb_graphics_SetMatrix2(Array<float>({9, 9}));
    bb_graphics_Transform2(Array<float>());
    EXPECT_FLOAT_EQ(ctx()->m_tx, 3);
    EXPECT_FLOAT_EQ(ctx()->m_ix, 1);
}

TEST_F(ModuleTest, PositiveRotationTurnsAnticlockwiseOnScreen) {
    bb_graphics_Rotate(90);
    // The x axis now points up the screen.
    EXPECT_NEAR(ctx()->m_ix, 0, 1e-6);
    EXPECT_FLOAT_EQ(ctx()->m_iy, -1);
    EXPECT_FLOAT_EQ(ctx()->m_jx, 1);
    EXPECT_EQ(D2R, static_cast<float>(M_PI / 180));
}

TEST_F(ModuleTest, TransformsBackToIdentityClearTformed) {
    bb_graphics_Translate(5, 0);
    EXPECT_EQ(ctx()->m_tformed, 1);
    bb_graphics_Translate(-5, 0);
    EXPECT_EQ(ctx()->m_tformed, 0);
}

TEST_F(ModuleTest, TheRendererGetsTheMatrixOnlyWhenSomethingIsDrawn) {
    long long calls = gfx()->drawCalls;
    bb_graphics_DrawRect(0, 0, 1, 1);
    bb_graphics_Translate(10, 0);
    bb_graphics_Rotate(30);
    EXPECT_EQ(ctx()->m_matDirty, 1);
    EXPECT_FLOAT_EQ(gfx()->tx, 0);
    bb_graphics_DrawRect(0, 0, 1, 1);
    EXPECT_EQ(ctx()->m_matDirty, 0);
    EXPECT_FLOAT_EQ(gfx()->tx, 10);
    EXPECT_FLOAT_EQ(gfx()->ix, ctx()->m_ix);
    // Both rects share the batch: matrix changes never flush.
    EXPECT_EQ(gfx()->primCount, 8);
    EXPECT_EQ(gfx()->drawCalls, calls);
}

TEST_F(ModuleTest, PushesBeyondThirtyTwoLevelsStillRestoreInOrder) {
    for (int i = 0; i < 40; ++i) {
        bb_graphics_PushMatrix();
        bb_graphics_Translate(1, 0);
    }
    EXPECT_EQ(ctx()->m_matrixSp, 240);
    EXPECT_FLOAT_EQ(ctx()->m_tx, 40);
    for (int i = 39; i >= 0; --i) {
        bb_graphics_PopMatrix();
        ASSERT_FLOAT_EQ(ctx()->m_tx, static_cast<float>(i));
    }
    EXPECT_EQ(ctx()->m_matrixSp, 0);
}

TEST_F(ModuleTest, PopWithoutPushGivesTheIdentity) {
    bb_graphics_Translate(7, 7);
    bb_graphics_PopMatrix();
    bb_graphics_PopMatrix();
    EXPECT_EQ(ctx()->m_matrixSp, 0);
    EXPECT_FLOAT_EQ(ctx()->m_tx, 0);
    EXPECT_EQ(ctx()->m_tformed, 0);
    EXPECT_EQ(ctx()->m_matDirty, 1);
}

// ---------------------------------------------------------------------------
// Frames of drawing
// ---------------------------------------------------------------------------

TEST_F(ModuleTest, EveryFrameStartsWhiteOpaqueUnclippedAndUntransformed) {
    bb_graphics_SetColor(255, 0, 0);
    bb_graphics_SetAlpha(0.25f);
    bb_graphics_SetBlend(1);
    bb_graphics_SetScissor(1, 1, 2, 2);
    bb_graphics_PushMatrix();
    bb_graphics_Translate(300, 300);
    bb_graphics_DrawRect(0, 0, 1, 1);
    EndFrame();

    BeginFrame();
    EXPECT_EQ(bb_graphics_renderDevice, bb_graphics_device);
    EXPECT_FLOAT_EQ(ctx()->m_colorR, 255);
    EXPECT_FLOAT_EQ(ctx()->m_colorG, 255);
    EXPECT_FLOAT_EQ(ctx()->m_alpha, 1);
    EXPECT_EQ(ctx()->m_blend, 0);
    EXPECT_FLOAT_EQ(ctx()->m_scissorW, kWindowW);
    EXPECT_FLOAT_EQ(ctx()->m_scissorH, kWindowH);
    EXPECT_EQ(ctx()->m_matrixSp, 0);
    EXPECT_EQ(ctx()->m_tformed, 0);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_EQ(gfx()->color, 0xffffffffu);
    EXPECT_FALSE(gfx()->tformed);

    bb_graphics_SetColor(100, 100, 100);
    bb_graphics_DrawRect(10, 10, 10, 10);
    bb_graphics_DrawRect(10, 10, 10, 10);  // alpha blending: no sum
    EXPECT_TRUE(PixelNear(15, 15, 100, 100, 100));
}

TEST_F(ModuleTest, OutsideAFrameStateIsKeptAndNothingIsDrawn) {
    c_Image* image = SolidImage(4, 4, 0xffffffffu);
    EndFrame();
    EXPECT_EQ(bb_graphics_renderDevice, nullptr);
    bb_graphics_SetColor(1, 2, 3);
    bb_graphics_SetAlpha(0.5f);
    bb_graphics_SetScissor(1, 2, 3, 4);
    bb_graphics_Cls(255, 0, 0);
    bb_graphics_DrawRect(0, 0, 10, 10);
    bb_graphics_DrawLine(0, 0, 10, 10);
    bb_graphics_DrawEllipse(0, 0, 10, 10);
    bb_graphics_DrawImage(image, 0, 0, 0);
    bb_graphics_DrawImage2(image, 0, 0, 10, 1, 1, 0);
    Array<int> px(1);
    bb_graphics_ReadPixels(px, 0, 0, 1, 1, 0, 0);
    EXPECT_FLOAT_EQ(ctx()->m_colorB, 3);
    EXPECT_FLOAT_EQ(ctx()->m_scissorH, 4);
    EXPECT_EQ(gfx()->primCount, 0);
    EXPECT_EQ(bb_graphics_DeviceWidth(), kWindowW);
    EXPECT_EQ(bb_graphics_DeviceHeight(), kWindowH);
}

// ---------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------

class FontTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        gc_assign(ctx()->m_defaultFont, nullptr);
        gc_assign(ctx()->m_font, nullptr);
    }
    void WriteDefaultFont() {
        mkdir("data", 0755);
        // 96 glyphs of 8 pixels, each with a 1-pixel border left and right.
        WriteFile("data/quib_font.png", MakePng(96 * 8, 10, 4, [](int, int, int) { return 255; }));
    }
};

TEST_F(FontTest, MissingDefaultFontLeavesNoFont) {
    bb_graphics_SetFont(nullptr, 65);
    EXPECT_EQ(ctx()->m_font, nullptr);
    EXPECT_EQ(ctx()->m_defaultFont, nullptr);
    EXPECT_EQ(ctx()->m_firstChar, 32);
}

TEST_F(FontTest, DefaultFontIsLoadedFromTheDataFolderWithFirstCharacter32) {
    WriteDefaultFont();
    bb_graphics_SetFont(nullptr, 65);
    ASSERT_NE(ctx()->m_font, nullptr);
    EXPECT_EQ(ctx()->m_font, ctx()->m_defaultFont);
    EXPECT_EQ(ctx()->m_firstChar, 32);
    c_Image* font = ctx()->m_font;
    EXPECT_EQ(font->m_frames.Length(), 96);
    EXPECT_EQ(font->m_width, 6);
    EXPECT_EQ(font->m_frames[1]->m_x, 9);
}

TEST_F(FontTest, AGivenFontIsSelectedWithItsFirstCharacter) {
    WriteDefaultFont();
    c_Image* mine = SolidImage(64, 8, 0xffffffffu, 8);
    bb_graphics_SetFont(mine, 40);
    EXPECT_EQ(ctx()->m_font, mine);
    EXPECT_EQ(ctx()->m_firstChar, 40);
    bb_graphics_SetFont(nullptr, 40);
    EXPECT_NE(ctx()->m_font, mine);
    EXPECT_EQ(ctx()->m_font, ctx()->m_defaultFont);
    EXPECT_EQ(ctx()->m_firstChar, 32);
}

}  // namespace
