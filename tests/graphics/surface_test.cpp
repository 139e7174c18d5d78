// tests/graphics/surface_test.cpp - gxtkSurface: loading, premultiplication, textures, pixel transfer.
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

#include "graphics/png_decode.h"

#include "gl_world.h"

namespace {

class SurfaceTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        BeginFrame();
    }
    gxtkSurface* Load(const std::string& name) { return gfx()->LoadSurface(String(name.c_str())); }
    std::vector<int> Bytes(gxtkSurface* s) {
        return std::vector<int>(s->data, s->data + static_cast<size_t>(s->width) * s->height * s->depth);
    }
    ScopedTempDir dir_;
};

// A small RGBA image whose pixels differ from each other.
std::string SamplePng(int w = 8, int h = 8) {
    return MakePng(w, h, 4, [](int x, int y, int c) { return c == 3 ? 255 : (x * 31 + y * 17 + c * 50) % 256; });
}

// ---------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------

TEST_F(SurfaceTest, LoadedRgbaImageKeepsItsSizeAndGetsATextureAtOnce) {
    WriteFile("wide.png", MakePng(100, 60, 4, [](int, int, int) { return 255; }));
    gxtkSurface* s = Load("./wide.png");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Width(), 100);
    EXPECT_EQ(s->Height(), 60);
    EXPECT_EQ(s->depth, 4);
    EXPECT_EQ(s->format, static_cast<uint32_t>(GL_RGBA));
    EXPECT_EQ(s->seq, graphicsContextSeq);
    EXPECT_TRUE(glIsTexture(s->texture));
    // This OpenGL takes any texture size.
    EXPECT_FLOAT_EQ(s->uscale, 1.0f / 100);
    EXPECT_FLOAT_EQ(s->vscale, 1.0f / 60);
    EXPECT_EQ(s->Loaded(), 1);
}

TEST_F(SurfaceTest, PixelsWithAlphaAreStoredPremultiplied) {
    WriteFile("ga.png", MakePng(2, 1, 2, [](int x, int, int c) { return x == 0 ? (c == 0 ? 200 : 128) : 255; }));
    WriteFile("rgba.png", MakePng(2, 1, 4, [](int x, int, int c) {
                  static const int px[2][4] = {{255, 255, 255, 0}, {200, 100, 50, 128}};
                  return px[x][c];
              }));
    gxtkSurface* ga = Load("./ga.png");
    gxtkSurface* rgba = Load("./rgba.png");
    ASSERT_TRUE(ga && rgba);
    EXPECT_EQ(ga->format, static_cast<uint32_t>(GL_LUMINANCE_ALPHA));
    EXPECT_EQ(Bytes(ga), (std::vector<int>{100, 128, 255, 255}));
    EXPECT_EQ(Bytes(rgba), (std::vector<int>{0, 0, 0, 0, 100, 50, 25, 128}));
}

TEST_F(SurfaceTest, GreyAndRgbImagesKeepTheirBytes) {
    WriteFile("grey.png", MakePng(1, 1, 1, [](int, int, int) { return 77; }));
    WriteFile("rgb.png", MakePng(1, 1, 3, [](int, int, int c) { return c + 1; }));
    gxtkSurface* grey = Load("./grey.png");
    gxtkSurface* rgb = Load("./rgb.png");
    ASSERT_TRUE(grey && rgb);
    EXPECT_EQ(grey->format, static_cast<uint32_t>(GL_LUMINANCE));
    EXPECT_EQ(Bytes(grey), (std::vector<int>{77}));
    EXPECT_EQ(rgb->format, static_cast<uint32_t>(GL_RGB));
    EXPECT_EQ(Bytes(rgb), (std::vector<int>{1, 2, 3}));
}

TEST_F(SurfaceTest, LoadedImagesDrawWithTheirAlpha) {
    WriteFile("red.png", MakePng(4, 4, 4, [](int, int, int c) { return c == 0 ? 255 : c == 3 ? 128 : 0; }));
    WriteFile("grey.png", MakePng(4, 4, 1, [](int, int, int) { return 100; }));
    WriteFile("ga.png", MakePng(4, 4, 2, [](int, int, int c) { return c == 0 ? 200 : 128; }));
    gfx()->Cls(255, 255, 255);
    gfx()->DrawSurface(Load("./red.png"), 10, 10);
    gfx()->DrawSurface(Load("./grey.png"), 20, 10);
    gfx()->DrawSurface(Load("./ga.png"), 30, 10);
    // Premultiplied red (128, 0, 0) plus 127/255 of the white background.
    EXPECT_TRUE(PixelNear(11, 11, 255, 127, 127));
    EXPECT_TRUE(PixelNear(21, 11, 100, 100, 100));
    EXPECT_TRUE(PixelNear(31, 11, 227, 227, 227));
}

TEST_F(SurfaceTest, MissingFileLoadsAsNull) {
    EXPECT_EQ(Load("./nothing-here.png"), nullptr);
    EXPECT_EQ(Load("vorlin://data/nothing-here.png"), nullptr);
}

TEST_F(SurfaceTest, DamagedImageFilesLoadAsNull) {
    std::string good = SamplePng();
    WriteFile("good.png", good);
    ASSERT_NE(Load("./good.png"), nullptr);

    std::vector<std::pair<std::string, std::string>> damaged;
    damaged.push_back({"empty", ""});
    damaged.push_back({"text", "this is not an image at all\n"});
    std::string badSignature = good;
    badSignature[1] = 'X';
    damaged.push_back({"signature", badSignature});
    std::string zeroWidth = good;
    for (int i = 16; i < 20; ++i) zeroWidth[i] = 0;  // IHDR width
    damaged.push_back({"zero width", zeroWidth});
    std::string hugeSize = good;
    hugeSize[16] = 0x7f;  // IHDR width about two thousand million
    hugeSize[20] = 0x7f;
    damaged.push_back({"huge size", hugeSize});
    std::string badData = good;
    size_t idat = good.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    for (size_t i = idat + 4; i < idat + 24 && i < badData.size(); ++i) badData[i] = '\xff';
    damaged.push_back({"compressed data", badData});
    std::string badDeflate = good;
    for (size_t i = idat + 6; i < idat + 24 && i < badDeflate.size(); ++i) badDeflate[i] = '\xff';
    damaged.push_back({"deflate blocks", badDeflate});

    for (const auto& d : damaged) {
        WriteFile("bad.png", d.second);
        EXPECT_EQ(Load("./bad.png"), nullptr) << d.first;
        EXPECT_EQ(bb_graphics_LoadImage(String("./bad.png"), 1, 0), nullptr) << d.first;
    }
}

TEST_F(SurfaceTest, AnEmptyFirstDataChunkIsAllowed) {
    // Encoders may write an empty IDAT chunk before the real ones; its
    // checksum is the CRC-32 of the bare chunk type.
    std::string good = SamplePng();
    size_t idat = good.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    std::string withEmpty = good;
    withEmpty.insert(idat - 4, std::string("\0\0\0\0IDAT\x35\xaf\x06\x1e", 12));
    WriteFile("good.png", good);
    WriteFile("empty-chunk.png", withEmpty);
    gxtkSurface* expected = Load("./good.png");
    gxtkSurface* loaded = Load("./empty-chunk.png");
    ASSERT_NE(expected, nullptr);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Bytes(loaded), Bytes(expected));
}

// Only PNG is decoded: other formats a general image library would read, and
// pictures larger than the size limit, load as null like damaged files.
TEST_F(SurfaceTest, OtherFormatsAndOversizedPicturesLoadAsNull) {
    auto le = [](std::string& s, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i) & 0xff);
    };
    // A 1 x 1 BMP (24-bit, one padded row) and a 1 x 1 uncompressed TGA.
    std::string bmp = "BM";
    le(bmp, 58, 4), le(bmp, 0, 4), le(bmp, 54, 4);
    le(bmp, 40, 4), le(bmp, 1, 4), le(bmp, 1, 4), le(bmp, 1, 2), le(bmp, 24, 2);
    le(bmp, 0, 4), le(bmp, 4, 4), le(bmp, 2835, 4), le(bmp, 2835, 4), le(bmp, 0, 4), le(bmp, 0, 4);
    le(bmp, 0x00ff8040, 4);
    std::string tga;
    le(tga, 0, 2), le(tga, 2, 1), le(tga, 0, 4), le(tga, 0, 1), le(tga, 0, 4);
    le(tga, 1, 2), le(tga, 1, 2), le(tga, 24, 1), le(tga, 0, 1);
    le(tga, 0x4080ff, 3);
    std::string gif = std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00", 13) + ",";

    int w = 0, h = 0, depth = 0;
    auto decode = [&](const std::string& bytes) {
        WriteFile("picture", bytes);
        w = h = depth = 0;
        unsigned char* pixels = host()->LoadImageData(String("./picture"), &w, &h, &depth);
        std::free(pixels);
        return pixels != nullptr;
    };
    EXPECT_FALSE(decode(bmp)) << "BMP";
    EXPECT_FALSE(decode(tga)) << "TGA";
    EXPECT_FALSE(decode(gif)) << "GIF";

    auto grey = [](int x, int, int) { return x % 256; };
    EXPECT_TRUE(decode(MakePng(kPngMaxDimension, 1, 1, grey))) << "as wide as allowed";
    EXPECT_EQ(w, kPngMaxDimension);
    EXPECT_EQ(depth, 1);
    EXPECT_FALSE(decode(MakePng(kPngMaxDimension + 1, 1, 1, grey))) << "one pixel too wide";
    EXPECT_FALSE(decode(MakePng(1, kPngMaxDimension + 1, 1, grey))) << "one pixel too tall";
    EXPECT_EQ(w, 0) << "a failed load writes no size";
}

TEST_F(SurfaceTest, EveryTruncationOfAnImageFileLoadsAsNull) {
    std::string good = SamplePng();
    // The file ends with the end marker's 4-byte checksum, which the decoder
    // never reads: without it the picture is still complete. Every shorter
    // cut loses part of the image.
    ASSERT_EQ(good.substr(good.size() - 8, 4), "IEND");
    for (size_t n = 0; n < good.size() - 4; ++n) {
        WriteFile("cut.png", good.substr(0, n));
        EXPECT_EQ(Load("./cut.png"), nullptr) << "cut after " << n << " of " << good.size() << " bytes";
    }
}

TEST_F(SurfaceTest, CreatedSurfaceIsEmptyRgbaWithATexture) {
    gxtkSurface* s = gfx()->CreateSurface(16, 8);
    EXPECT_EQ(s->depth, 4);
    EXPECT_EQ(s->format, static_cast<uint32_t>(GL_RGBA));
    EXPECT_EQ(s->data, nullptr);
    EXPECT_EQ(s->seq, graphicsContextSeq);
    EXPECT_TRUE(glIsTexture(s->texture));
}

TEST_F(SurfaceTest, BindWithoutAWindowWaitsForOne) {
    int seq = graphicsContextSeq;
    graphicsContextSeq = 0;
    gxtkSurface* s = new gxtkSurface();
    s->width = s->height = 4;
    s->depth = 4;
    s->format = GL_RGBA;
    s->Bind();
    EXPECT_EQ(s->seq, -1);
    EXPECT_EQ(s->texture, 0u);
    graphicsContextSeq = seq;
    s->Bind();
    EXPECT_EQ(s->seq, seq);
}

// ---------------------------------------------------------------------------
// Writing pixels
// ---------------------------------------------------------------------------

TEST_F(SurfaceTest, WrittenPixelsAreStoredPremultipliedAndDrawn) {
    gxtkSurface* s = gfx()->CreateSurface(2, 1);
    gfx()->WritePixels2(s, Array<int>({static_cast<int>(0x80ff0000u), static_cast<int>(0xff102030u)}), 0, 0, 2, 1, 0, 2);
    EXPECT_EQ(Bytes(s), (std::vector<int>{128, 0, 0, 128, 0x10, 0x20, 0x30, 255}));
    gfx()->SetMatrix(10, 0, 0, 10, 0, 0);  // 10 x 10 pixels per texel
    gfx()->DrawSurface(s, 0, 0);
    EXPECT_TRUE(PixelNear(5, 5, 128, 0, 0));
    EXPECT_TRUE(PixelNear(15, 5, 0x10, 0x20, 0x30));
}

TEST_F(SurfaceTest, WritePixelsDrawsWhatWasQueuedBeforeTheChange) {
    gxtkSurface* s = MakeSurface(4, 4, [](int, int) { return 0xffff0000u; });
    gfx()->DrawSurface(s, 0, 0);
    Array<int> green(16);
    for (int& p : green) p = static_cast<int>(0xff00ff00u);
    gfx()->WritePixels2(s, green, 0, 0, 4, 4, 0, 4);
    gfx()->DrawSurface(s, 10, 0);
    EXPECT_TRUE(PixelNear(1, 1, 255, 0, 0));
    EXPECT_TRUE(PixelNear(11, 1, 0, 255, 0));
}

TEST_F(SurfaceTest, WritePixelsTakesOffsetAndPitchAndUpdatesPartOfTheTexture) {
    gxtkSurface* s = MakeSurface(4, 4, [](int, int) { return 0xff000000u; });
    // A 2 x 2 block taken from a 3-wide array starting at element 1.
    Array<int> src(7);
    for (int i = 0; i < 7; ++i) src[i] = static_cast<int>(0xff000000u | (i * 20) << 16);
    gfx()->WritePixels2(s, src, 1, 2, 2, 2, 1, 3);
    auto red_at = [&](int x, int y) { return s->data[(y * 4 + x) * 4]; };
    EXPECT_EQ(red_at(1, 2), 20);
    EXPECT_EQ(red_at(2, 2), 40);
    EXPECT_EQ(red_at(1, 3), 80);
    EXPECT_EQ(red_at(2, 3), 100);
    EXPECT_EQ(red_at(0, 2), 0);
    EXPECT_EQ(red_at(3, 3), 0);

    gfx()->SetMatrix(10, 0, 0, 10, 0, 0);
    gfx()->DrawSurface(s, 0, 0);
    EXPECT_TRUE(PixelNear(25, 35, 100, 0, 0));
    EXPECT_TRUE(PixelNear(5, 25, 0, 0, 0));
}

TEST_F(SurfaceTest, WritePixelsOutsideTheSurfaceIsClipped) {
    gxtkSurface* s = MakeSurface(2, 2, [](int, int) { return 0u; });
    Array<int> src(9);
    for (int i = 0; i < 9; ++i) src[i] = static_cast<int>(0xff000000u | (i + 1) << 16);
    // A 3 x 3 block one pixel up and left: only its lower right 2 x 2 lands.
    gfx()->WritePixels2(s, src, -1, -1, 3, 3, 0, 3);
    EXPECT_EQ(Bytes(s), (std::vector<int>{5, 0, 0, 255, 6, 0, 0, 255, 8, 0, 0, 255, 9, 0, 0, 255}));
    gfx()->WritePixels2(s, src, 5, 5, 3, 3, 0, 3);  // entirely outside
    EXPECT_EQ(s->data[0], 5);
}

TEST_F(SurfaceTest, WritePixelsThatWouldReadPastTheArrayWritesNothing) {
    gxtkSurface* s = MakeSurface(2, 2, [](int, int) { return 0xff0000ffu; });
    std::vector<int> before = Bytes(s);
    Array<int> three(3);
    gfx()->WritePixels2(s, three, 0, 0, 2, 2, 0, 2);
    gfx()->WritePixels2(s, three, 0, 0, 1, 1, -1, 1);
    gfx()->WritePixels2(s, three, 0, 0, 1, 1, 3, 1);
    gfx()->WritePixels2(s, Array<int>(4), 0, 0, 2, 2, 0, -2);  // rows running backwards from element 0
    EXPECT_EQ(Bytes(s), before);
}

TEST_F(SurfaceTest, WritePixelsLeavesSurfacesWithoutAlphaChannelAlone) {
    WriteFile("rgb.png", MakePng(1, 1, 3, [](int, int, int) { return 9; }));
    gxtkSurface* s = Load("./rgb.png");
    ASSERT_NE(s, nullptr);
    gfx()->WritePixels2(s, Array<int>({-1}), 0, 0, 1, 1, 0, 1);
    EXPECT_EQ(Bytes(s), (std::vector<int>{9, 9, 9}));
}

// ---------------------------------------------------------------------------
// Reading pixels
// ---------------------------------------------------------------------------

TEST_F(SurfaceTest, ReadPixelsGivesTheTopRowFirstAsArgb) {
    gfx()->SetColor(255, 0, 0);
    gfx()->DrawRect(0, 0, 2, 1);
    gfx()->SetColor(0, 0, 255);
    gfx()->DrawRect(0, 1, 2, 1);
    Array<int> px(4);
    gfx()->ReadPixels(px, 0, 0, 2, 2, 0, 2);
    EXPECT_EQ(static_cast<uint32_t>(px[0]), 0xffff0000u);
    EXPECT_EQ(static_cast<uint32_t>(px[1]), 0xffff0000u);
    EXPECT_EQ(static_cast<uint32_t>(px[2]), 0xff0000ffu);

    // The same pixel straight from OpenGL, whose rows count from the bottom.
    unsigned char rgba[4];
    glReadPixels(0, gfx()->fbHeight - 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    EXPECT_EQ(rgba[0], 255);
    EXPECT_EQ(rgba[2], 0);
}

TEST_F(SurfaceTest, ReadPixelsPlacesRowsByOffsetAndPitch) {
    gfx()->DrawRect(0, 0, 10, 10);
    Array<int> px(10);
    for (int& p : px) p = 7;
    gfx()->ReadPixels(px, 0, 0, 2, 2, 1, 4);
    std::vector<int> got(px.begin(), px.end());
    int w = static_cast<int>(0xffffffffu);
    EXPECT_EQ(got, (std::vector<int>{7, w, w, 7, 7, w, w, 7, 7, 7}));
}

TEST_F(SurfaceTest, ReadPixelsThatDoNotFitTheArrayReadNothing) {
    Array<int> px(3);
    for (int& p : px) p = 7;
    gfx()->ReadPixels(px, 0, 0, 2, 2, 0, 2);
    gfx()->ReadPixels(px, 0, 0, 1, 1, -1, 1);
    gfx()->ReadPixels(px, 0, 0, 2, 1, 2, 2);
    gfx()->ReadPixels(px, 0, 0, 0, 5, 0, 0);
    EXPECT_EQ(std::vector<int>(px.begin(), px.end()), (std::vector<int>{7, 7, 7}));
}

TEST_F(SurfaceTest, ReadPixelsBeyondTheWindowKeepTheArrayValuesThere) {
    gfx()->DrawRect(0, 0, 10, 10);
    Array<int> px(2);
    px[0] = px[1] = 7;
    gfx()->ReadPixels(px, -1, 0, 2, 1, 0, 2);
    EXPECT_EQ(px[0], 7);
    EXPECT_EQ(static_cast<uint32_t>(px[1]), 0xffffffffu);
}

// ---------------------------------------------------------------------------
// Lifetime of textures and pixels
// ---------------------------------------------------------------------------

TEST_F(SurfaceTest, DiscardReleasesTextureAndPixelsAndIsSafeToRepeat) {
    WriteFile("a.png", SamplePng());
    gxtkSurface* s = Load("./a.png");
    ASSERT_NE(s, nullptr);
    uint32_t texture = s->texture;
    ASSERT_TRUE(glIsTexture(texture));
    s->Discard();
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(s->data, nullptr);
    EXPECT_EQ(s->seq, -1);
    EXPECT_EQ(s->Width(), 8);
    s->Discard();
    EXPECT_EQ(s->data, nullptr);
}

TEST_F(SurfaceTest, ReopenedWindowGetsTexturesFromTheKeptPixels) {
    WriteFile("q.png", MakePng(4, 4, 4, [](int x, int, int c) {
                  static const int left[4] = {255, 0, 0, 255}, right[4] = {0, 0, 255, 255};
                  return x < 2 ? left[c] : right[c];
              }));
    gxtkSurface* loaded = Load("./q.png");
    gxtkSurface* written = MakeSurface(2, 2, [](int, int) { return 0xff00ff00u; });
    ASSERT_NE(loaded, nullptr);
    EndFrame();
    std::remove("q.png");  // nothing may be read from disk again

    int seq = graphicsContextSeq;
    ASSERT_TRUE(host()->SetGlfwWindow(kWindowW, kWindowH, 8, 8, 8, 0, 0, 0, false));
    ASSERT_EQ(graphicsContextSeq, seq + 1);
    BeginFrame();
    gfx()->SetMatrix(4, 0, 0, 4, 0, 0);
    gfx()->DrawSurface(loaded, 0, 0);
    gfx()->DrawSurface(written, 20, 0);
    EXPECT_TRUE(PixelNear(2, 2, 255, 0, 0));
    EXPECT_TRUE(PixelNear(14, 2, 0, 0, 255));
    EXPECT_TRUE(PixelNear(82, 2, 0, 255, 0));
    EXPECT_EQ(loaded->seq, graphicsContextSeq);
    EXPECT_TRUE(glIsTexture(loaded->texture));
}

// A fresh process whose OpenGL takes only power-of-two texture sizes.
TEST(SurfacePowerOfTwo, ImageLandsInTheCornerOfALargerTexture) {
    ChildResult r = RunTestsInFreshProcess("SurfacePowerOfTwoFresh.*",
                                           {"MESA_EXTENSION_OVERRIDE=-GL_ARB_texture_non_power_of_two"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("[  PASSED  ] 1 test"), std::string::npos) << r.out;
}

class SurfacePowerOfTwoFresh : public SurfaceTest {};

TEST_F(SurfacePowerOfTwoFresh, DISABLED_RetriesAtPowerOfTwoSize) {
    if (!InFreshProcess()) GTEST_SKIP();
    WriteFile("wide.png", MakePng(100, 60, 4, [](int, int, int c) { return c == 1 ? 0 : 255; }));
    gxtkSurface* s = Load("./wide.png");
    ASSERT_NE(s, nullptr);
    EXPECT_FLOAT_EQ(s->uscale, 1.0f / 128);
    EXPECT_FLOAT_EQ(s->vscale, 1.0f / 64);
    gfx()->DrawSurface(s, 0, 0);
    EXPECT_TRUE(PixelNear(0, 0, 255, 0, 255));
    EXPECT_TRUE(PixelNear(99, 59, 255, 0, 255));
    EXPECT_TRUE(PixelNear(100, 30, 0, 0, 0));
    EXPECT_TRUE(PixelNear(50, 60, 0, 0, 0));
}

}  // namespace
