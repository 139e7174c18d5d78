// tests/assets/generator_core_test.cpp - the generator's building blocks:
// shape coverage, tile seams, the tune image format and the sound helpers.
#include <gtest/gtest.h>

#include <cmath>

#include "canvas.h"
#include "sprite.h"
#include "synth.h"
#include "tune_format.h"

using namespace assetgen;

namespace {

float AlphaAt(const Canvas& c, int x, int y) { return c.At(x, y)[3]; }

TEST(Raster, EdgesOnPixelBoundariesAreHardAtEveryScale) {
    for (int scale : {1, 2, 4}) {
        Canvas c(16 * scale, 16 * scale);
        View v(&c, 0, 0, c.Width(), c.Height(), static_cast<float>(scale));
        Fill(v, Rect(4, 4, 12, 12), Color(1, 1, 1));
        EXPECT_FLOAT_EQ(AlphaAt(c, 4 * scale, 4 * scale), 1.0f);
        EXPECT_FLOAT_EQ(AlphaAt(c, 4 * scale - 1, 4 * scale), 0.0f);
        EXPECT_FLOAT_EQ(AlphaAt(c, 12 * scale - 1, 8 * scale), 1.0f);
        EXPECT_FLOAT_EQ(AlphaAt(c, 12 * scale, 8 * scale), 0.0f);
    }
}

TEST(Raster, AnEdgeThroughAPixelCentreHalfCoversIt) {
    Canvas c(8, 8);
    View v(&c, 0, 0, 8, 8, 1);
    Fill(v, Rect(0, 0, 4.5f, 8), Color(1, 1, 1));
    EXPECT_NEAR(AlphaAt(c, 4, 2), 0.5f, 1e-4f);
}

TEST(Raster, DrawingStaysInsideItsFrame) {
    Canvas c(32, 16);
    View left(&c, 0, 0, 16, 16, 1);
    Fill(left, Circle({16, 8}, 10), Color(1, 0, 0));  // reaches far into the right frame
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x) ASSERT_EQ(AlphaAt(c, x, y), 0.0f);
}

TEST(Raster, HardClipsOfNeighboursAddUpToOneCoverEverywhere) {
    // Two halves split along a diagonal, as neighbouring stair steps are:
    // every pixel is drawn by exactly one of them.
    Canvas c(64, 64);
    View v(&c, 0, 0, 64, 64, 4);
    auto half = [](bool lower) { return HardClip([lower](Vec2 p) { return (p.x - p.y < 0) == lower; }, {0, 0, 16, 16}); };
    Fill(v, half(true), Color(1, 1, 1, 0.5f));
    Fill(v, half(false), Color(1, 1, 1, 0.5f));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_FLOAT_EQ(AlphaAt(c, x, y), 0.5f) << x << "," << y;
}

TEST(Raster, StraightAlphaOutputKeepsColourAndClearsTransparentPixels) {
    Canvas c(2, 1);
    View v(&c, 0, 0, 2, 1, 1);
    Fill(v, Rect(0, 0, 1, 1), Color(1, 0.5f, 0, 0.5f));
    std::vector<uint8_t> px = c.ToRgba8();
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 128);
    EXPECT_EQ(px[3], 128);
    EXPECT_EQ(px[4] + px[5] + px[6] + px[7], 0);
}

TEST(TuneFormat, ValuesRoundTripThroughTheImageAndAStripLayout) {
    TuneData t;
    t.At(0, 0, 0, 0) = 13;
    t.At(7, 2, 63, 3) = 31;   // last column of the first row of frames
    t.At(8, 4, 10, 1) = 17;   // first frame of the second row
    t.At(62, 7, 5, 7) = 1;
    std::vector<uint8_t> px = TuneImagePixels(t);
    TuneData back = DecodeTuneImage(px.data(), kTuneImageSize, kTuneImageSize, 4);
    EXPECT_EQ(back.values, t.values);
    for (size_t i = 3; i < px.size(); i += 4) ASSERT_EQ(px[i], 255) << "every pixel is opaque";
    // The same frames laid out as one 4096 x 64 strip read the same.
    std::vector<uint8_t> strip(4096 * 64 * 4);
    for (int p = 0; p < 64; ++p)
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                for (int k = 0; k < 4; ++k)
                    strip[(y * 4096 + p * 64 + x) * 4 + k] = px[(((p / 8) * 64 + y) * kTuneImageSize + (p % 8) * 64 + x) * 4 + k];
    EXPECT_EQ(DecodeTuneImage(strip.data(), 4096, 64, 4).values, t.values);
}

TEST(Synth, FadedEdgesStartAndEndAtZero) {
    Buffer b(1000, 0.8f);
    FadeEdges(b, 0.002f, 0.005f);
    EXPECT_EQ(b.front(), 0.0f);
    EXPECT_EQ(b.back(), 0.0f);
    EXPECT_FLOAT_EQ(b[500], 0.8f);
    for (size_t i = 1; i < 100; ++i) EXPECT_GE(b[i], b[i - 1]) << "the fade-in rises smoothly";
}

TEST(Synth, NormalizeSetsThePeakAndTrimKeepsTheSound) {
    Buffer b(Samples(0.5f), 0.0f);
    for (int i = 0; i < Samples(0.1f); ++i) b[i] = 0.2f * std::sin(i * 0.1f);
    Normalize(b, 0.7f);
    float peak = 0;
    for (float v : b) peak = std::max(peak, std::fabs(v));
    EXPECT_NEAR(peak, 0.7f, 1e-5f);
    TrimTail(b, 0.001f);
    EXPECT_LT(b.size(), static_cast<size_t>(Samples(0.12f)));
    EXPECT_GE(b.size(), static_cast<size_t>(Samples(0.1f)) - 20);
}

TEST(Synth, BandLimitedWaveformsStayInRange) {
    Osc o;
    for (int shape = 0; shape < 4; ++shape)
        for (int i = 0; i < 5000; ++i) {
            float v = o.Next(3000.0f, shape, 0.25f);
            ASSERT_LE(std::fabs(v), 1.6f) << "shape " << shape;
        }
    EXPECT_NEAR(NoteHz(69), 440.0f, 1e-3f);
    EXPECT_NEAR(NoteHz(81), 880.0f, 1e-2f);
}

}  // namespace
