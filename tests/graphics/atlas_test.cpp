// tests/graphics/atlas_test.cpp - images packed into an atlas page, and the
// renderer's opaque batches, white texel and whole-window clears.
#include <cmath>
#include <vector>

#include "gl_world.h"

namespace {

// A sheet of 4 frames of 12 x 10 in a 2 x 2 grid: frame 0 opaque stripes,
// frame 1 a translucent disc with transparent margins, frame 2 empty, frame 3
// opaque with a one-pixel hard edge in another colour.
uint32_t SheetPixel(int x, int y) {
    int frame = (y / 10) * 2 + x / 12, fx = x % 12, fy = y % 10;
    switch (frame) {
        case 0: return (fx + fy) % 3 ? 0xff2080c0u : 0xfff0e010u;
        case 1: {
            float dx = fx - 6.5f, dy = fy - 5.5f;
            return dx * dx + dy * dy < 9 ? 0x80ff4000u : 0;
        }
        case 2: return 0;
        default: return fx == 0 || fy == 9 ? 0xff00ff00u : 0xff800080u;
    }
}

class AtlasTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        BeginFrame();
    }

    c_Image* Sheet() {
        gxtkSurface* s = MakeSurface(24, 20, SheetPixel);
        return (new c_Image())->m_new()->p_Init2(s, 0, 0, 12, 10, 4, c_Image::kCentreHandle, nullptr, 0, 0, 24, 20);
    }
    c_Image* Single(uint32_t argb) {
        gxtkSurface* s = MakeSurface(8, 8, [argb](int, int) { return argb; });
        return (new c_Image())->m_new()->p_Init(s, 1, 0);
    }

    // Frame f of the sheet as an image of its own, whose edges are clamped
    // as a packed frame's ring repeats them.
    c_Image* FrameAlone(int f) {
        gxtkSurface* s = MakeSurface(12, 10, [f](int x, int y) { return SheetPixel(x + f % 2 * 12, y + f / 2 * 10); });
        return (new c_Image())->m_new()->p_Init(s, 1, c_Image::kCentreHandle);
    }

    // Draws every frame turned, scaled and at fractional positions, and the
    // single image with a frame index it does not have, and reads the window.
    template <class FrameImage>
    std::vector<int> DrawAll(FrameImage frame, c_Image* single) {
        bb_graphics_Cls(30, 40, 50);
        for (int f = 0; f < 4; ++f) {
            c_Image* image = frame(f);
            int index = image->m_frames.Length() == 1 ? 0 : f;
            bb_graphics_DrawImage2(image, 40.25f + 60 * f, 50.5f, 0, 0.5f, 0.5f, index);
            bb_graphics_DrawImage2(image, 40.6f + 60 * f, 100.3f, 33, 3.7f, 2.9f, index);
            bb_graphics_DrawImage2(image, 40 + 60 * f, 160, 0, -2, 2, index);
            bb_graphics_DrawImage2(image, 40 + 60 * f, 200, 0, 0.5f, 0.5f, index);
        }
        bb_graphics_DrawImage(single, 300, 200, 5);
        Array<int> pixels(kWindowW * 240);
        gfx()->ReadPixels(pixels, 0, 0, kWindowW, 240, 0, kWindowW);
        return std::vector<int>(pixels.begin(), pixels.end());
    }
};

}  // namespace

TEST_F(AtlasTest, PackedImagesKeepTheirFramesAndDrawTheSamePixels) {
    c_Image* alone[4];
    for (int f = 0; f < 4; ++f) alone[f] = FrameAlone(f);
    c_Image* single = Single(0xff40c040u);
    std::vector<int> before = DrawAll([&](int f) { return alone[f]; }, single);

    c_Image* sheet = Sheet();
    c_Image* images[] = {sheet, single, nullptr, sheet};
    EXPECT_EQ(bb_graphics_PackImages(images, 4), 2);
    gxtkSurface* page = sheet->m_surface;
    EXPECT_EQ(single->m_surface, page);
    EXPECT_EQ(sheet->m_width, 12);
    EXPECT_EQ(sheet->m_height, 10);
    EXPECT_EQ(sheet->m_tx, 6);
    EXPECT_EQ(sheet->m_ty, 5);
    EXPECT_EQ(sheet->m_frames.Length(), 4);
    EXPECT_FALSE(single->m_flags & c_Image::kWholeSurface);
    EXPECT_TRUE(single->m_flags & c_Image::kSoleFrame);

    // Edges, turned and scaled, included: nothing bleeds in from the
    // neighbouring frames, nothing of a frame is lost.
    std::vector<int> after = DrawAll([&](int) { return sheet; }, single);
    int differing = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i] == before[i]) continue;
        if (++differing <= 5)
            ADD_FAILURE() << "at " << i % kWindowW << ", " << i / kWindowW << ": " << Hex(after[i]) << " instead of "
                          << Hex(before[i]);
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(AtlasTest, FramesAreMeasuredAndRingedWithTheirOwnEdgeTexels) {
    c_Image* sheet = Sheet();
    c_Image* images[] = {sheet};
    ASSERT_EQ(bb_graphics_PackImages(images, 1), 1);
    gxtkSurface* page = sheet->m_surface;
    ASSERT_TRUE(page->HasWhiteTexel());
    const unsigned char* white = page->data + (page->whiteY * page->width + page->whiteX) * 4;
    EXPECT_EQ(white[0] & white[1] & white[2] & white[3], 255);

    c_Frame* const* f = sheet->m_frames.begin();
    EXPECT_TRUE(f[0]->m_opaque);
    EXPECT_FALSE(f[1]->m_opaque);
    EXPECT_TRUE(f[3]->m_opaque);
    // The disc with one transparent texel kept round it; nothing of the empty frame.
    EXPECT_EQ(f[0]->m_boxW, 12);
    EXPECT_EQ(f[1]->m_boxX, 3);
    EXPECT_EQ(f[1]->m_boxY, 2);
    EXPECT_EQ(f[1]->m_boxW, 8);
    EXPECT_EQ(f[1]->m_boxH, 8);
    EXPECT_EQ(f[2]->m_boxW, 0);

    // Frame 3's ring repeats its edge: green on the left and at the bottom.
    auto texel = [page](int x, int y) {
        const unsigned char* p = page->data + (y * page->width + x) * 4;
        return uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    };
    int x = f[3]->m_x, y = f[3]->m_y;
    EXPECT_EQ(texel(x - 1, y + 4), 0xff00ff00u);
    EXPECT_EQ(texel(x + 12, y + 4), 0xff800080u);
    EXPECT_EQ(texel(x + 5, y - 1), 0xff800080u);
    EXPECT_EQ(texel(x + 5, y + 10), 0xff00ff00u);
    EXPECT_EQ(texel(x - 1, y + 10), 0xff00ff00u);

    // Pixels written into the page afterwards are drawn: what was measured
    // before no longer counts.
    Array<int> red(4);
    for (int& v : red) v = static_cast<int>(0xffff0000u);
    gfx()->WritePixels2(sheet->m_surface, red, f[2]->m_x + 5, f[2]->m_y + 4, 2, 2, 0, 2);
    bb_graphics_DrawImage2(sheet, 300, 300, 0, 4, 4, 2);
    EXPECT_TRUE(PixelNear(300, 300, 255, 0, 0, 0));

    // An image without pixels is left as it was.
    c_Image* gone = Single(0xffffffffu);
    gxtkSurface* own = gone->m_surface;
    own->Discard();
    c_Image* again[] = {gone};
    EXPECT_EQ(bb_graphics_PackImages(again, 1), 0);
    EXPECT_EQ(gone->m_surface, own);
}

TEST_F(AtlasTest, OpaqueQuadsGoOutUnblendedUntilOneNeedsBlendingAndRectsJoinThroughTheWhiteTexel) {
    c_Image* sheet = Sheet();
    c_Image* images[] = {sheet};
    ASSERT_EQ(bb_graphics_PackImages(images, 1), 1);
    long long calls = gfx()->drawCalls;
    lantern_requested_geometry.counting = 1;  // as the benchmark's probe does
    RequestedGeometry asked = lantern_requested_geometry;

    bb_graphics_SetColor(200, 100, 50);
    bb_graphics_DrawRect(10, 10, 20, 20);  // opaque, untextured
    bb_graphics_SetColor(255, 255, 255);
    bb_graphics_DrawImage(sheet, 100, 100, 0);  // opaque: the rect takes on the page
    EXPECT_EQ(gfx()->primSurf, sheet->m_surface);
    EXPECT_TRUE(gfx()->primOpaque);
    EXPECT_EQ(gfx()->primCount, 8);
    bb_graphics_DrawImage(sheet, 120, 100, 1);  // needs blending: the opaque batch goes out
    EXPECT_EQ(gfx()->drawCalls, calls + 1);
    EXPECT_FALSE(gfx()->primOpaque);
    bb_graphics_DrawImage(sheet, 140, 100, 0);  // opaque, blended from now on
    bb_graphics_SetColor(10, 20, 30);
    bb_graphics_SetAlpha(0.5f);
    bb_graphics_DrawRect(40, 10, 20, 20);
    bb_graphics_DrawImage(sheet, 160, 100, 2);  // nothing shows: no quad
    EXPECT_EQ(gfx()->primCount, 12);
    EXPECT_EQ(gfx()->drawCalls, calls + 1);
    EXPECT_TRUE(PixelNear(15, 15, 200, 100, 50, 0));
    EXPECT_TRUE(PixelNear(45, 15, 5, 10, 15, 1));  // half of (10, 20, 30) over black

    // What was asked for counts whole frames, the empty one too: two rects of
    // 20 x 20 and four frames of 12 x 10, all with sides of 8 to 16 pixels.
    EXPECT_EQ(lantern_requested_geometry.quads - asked.quads, 6);
    EXPECT_DOUBLE_EQ(lantern_requested_geometry.pixels - asked.pixels, 2 * 400 + 4 * 120);
    EXPECT_EQ(lantern_requested_geometry.sizeClass[4] - asked.sizeClass[4], 4);
    EXPECT_EQ(lantern_requested_geometry.sizeClass[3] - asked.sizeClass[3], 8);
}

TEST_F(AtlasTest, AnOpaqueRectOverTheWholeWindowIsAClearUnlessClippedOrSeeThrough) {
    long long calls = gfx()->drawCalls;
    bb_graphics_DrawRect(5, 5, 10, 10);
    bb_graphics_SetColor(0, 0, 80);
    bb_graphics_DrawRect(-1, -1, kWindowW + 2, kWindowH + 2);
    EXPECT_EQ(gfx()->primCount, 0);
    EXPECT_EQ(gfx()->drawCalls, calls);
    EXPECT_TRUE(PixelNear(10, 10, 0, 0, 80, 0));

    bb_graphics_Cls(0, 0, 0);
    bb_graphics_SetAlpha(0.5f);
    bb_graphics_DrawRect(-1, -1, kWindowW + 2, kWindowH + 2);
    EXPECT_EQ(gfx()->primCount, 4);
    EXPECT_TRUE(PixelNear(10, 10, 0, 0, 40, 1));

    bb_graphics_SetAlpha(1);
    bb_graphics_SetScissor(0, 0, 100, 100);
    bb_graphics_SetColor(255, 0, 0);
    bb_graphics_DrawRect(-1, -1, kWindowW + 2, kWindowH + 2);
    bb_graphics_SetScissor(0, 0, kWindowW, kWindowH);
    EXPECT_TRUE(PixelNear(10, 10, 255, 0, 0, 0));
    EXPECT_TRUE(PixelNear(200, 200, 0, 0, 40, 1));
}

TEST_F(AtlasTest, PackingGivesBackTheReplacedTexturesAndThePixelsOfSurfacesNoOtherImageHas) {
    // Alone on its surface: nobody can draw from the old one any more.
    c_Image* lone = Single(0xff40c040u);
    gxtkSurface* loneOld = lone->m_surface;
    int64_t loneBefore = gxtkSurfaceNativeBytes();
    c_Image* lonely[] = {lone};
    ASSERT_EQ(bb_graphics_PackImages(lonely, 1), 1);
    EXPECT_EQ(loneOld->data, nullptr);
    EXPECT_EQ(loneOld->seq, -1);
    EXPECT_EQ(gxtkSurfaceNativeBytes() - loneBefore,
              lone->m_surface->dataBytes + lone->m_surface->textureBytes - 2 * 8 * 8 * 4);

    c_Image* sheet = Sheet();
    gxtkSurface* old = sheet->m_surface;
    // Another image on the same surface, left out of the packing.
    c_Image* sharer = (new c_Image())->m_new()->p_Init2(old, 0, 0, 12, 10, 4, 0, nullptr, 0, 0, 24, 20);
    ASSERT_GT(old->seq, 0);
    ASSERT_GT(old->textureBytes, 0);
    int64_t pixelBytes = old->dataBytes;
    int64_t before = gxtkSurfaceNativeBytes();

    c_Image* images[] = {sheet};
    ASSERT_EQ(bb_graphics_PackImages(images, 1), 1);
    gxtkSurface* page = sheet->m_surface;
    ASSERT_NE(page, old);
    EXPECT_EQ(old->seq, -1);
    EXPECT_EQ(old->textureBytes, 0);
    ASSERT_NE(old->data, nullptr);
    EXPECT_EQ(old->dataBytes, pixelBytes);
    // What the packing holds on top: the page, and nothing of the old texture.
    EXPECT_EQ(gxtkSurfaceNativeBytes() - before, page->dataBytes + page->textureBytes - 24 * 20 * 4);

    // The image still on the old surface draws its frames as before; its
    // texture is made again from the kept pixels.
    bb_graphics_Cls(0, 0, 0);
    bb_graphics_DrawImage(sharer, 0, 0, 3);
    bb_graphics_DrawImage(sheet, 20 + 6, 5, 3);  // its handle is at the centre
    Array<int> pixels(40 * 10);
    gfx()->ReadPixels(pixels, 0, 0, 40, 10, 0, 40);
    EXPECT_GT(old->seq, 0);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            uint32_t want = SheetPixel(12 + x, 10 + y) | 0xff000000u;
            EXPECT_EQ(Hex(pixels[y * 40 + x]), Hex(static_cast<int>(want))) << "old surface at " << x << ", " << y;
            EXPECT_EQ(Hex(pixels[y * 40 + 20 + x]), Hex(static_cast<int>(want))) << "page at " << x << ", " << y;
        }
    }
}

TEST_F(AtlasTest, ThePageIsNoBiggerThanItsFramesNeed) {
    // Four frames of 100 x 100 (102 x 102 with their rings) fill a square
    // page of 204 x 204 up to the white block: a page as wide as the next
    // power of two, 256, would waste a fifth of its texels.
    c_Image* images[4];
    for (int i = 0; i < 4; ++i) {
        gxtkSurface* s = MakeSurface(100, 100, [i](int x, int y) { return 0xff000000u | (x * 2 + i) << 8 | y; });
        images[i] = (new c_Image())->m_new()->p_Init(s, 1, 0);
    }
    ASSERT_EQ(bb_graphics_PackImages(images, 4), 4);
    gxtkSurface* page = images[0]->m_surface;
    long long needed = 4 * 102 * 102 + 3 * 3;
    EXPECT_LE(static_cast<long long>(page->width) * page->height, needed * 105 / 100)
        << "page of " << page->width << " x " << page->height;
    // Still every frame where its image says.
    for (int i = 0; i < 4; ++i) {
        c_Frame* f = images[i]->m_frames[0];
        ASSERT_LE(f->m_x + 101, page->width);
        ASSERT_LE(f->m_y + 101, page->height);
        const unsigned char* p = page->data + (static_cast<size_t>(f->m_y + 7) * page->width + f->m_x + 5) * 4;
        EXPECT_EQ(p[1], 10 + i);  // green: x * 2 + i
        EXPECT_EQ(p[2], 7);       // blue: y
    }
}
