// tests/assets/images_test.cpp - the images of the data folder: every file
// the game asks for exists at every resolution, cuts into the frames the
// game asks for, holds exactly the pixels the generator drew, and the sprite
// geometry matches how the game places it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asset_loaders.h"
#include "sheet.h"
#include "tune_format.h"

using namespace assettest;

namespace {

// What the game's loader asks for: name, nominal frame size, frame count.
struct Wanted {
    const char* name;
    int frameW, frameH, frames;
};
const Wanted kWanted[] = {
    {"common/icons", 32, 32, 16},     {"common/Buttons", 64, 64, 16},  {"common/dpad", 32, 32, 16},
    {"common/HOLTLogo", 256, 256, 1}, {"common/Testcard_Circle", 256, 256, 1}, {"fonts/ribbonmono", 16, 16, 128},
    {"menu", 256, 256, 4},            {"logo", 256, 128, 1},           {"parts", 8, 8, 256},
    {"BadgesA", 64, 64, 64},          {"gfx", 32, 32, 64},
};

std::string ImagePath(const std::string& name, int hd) {
    return DataDir() + "/" + name + (hd == 2 ? "-hd" : (hd == 4 ? "-hd2" : "")) + ".png";
}

struct Sheet {
    DecodedImage image;
    std::vector<FramePos> frames;
    int hd = 1, fw = 0, fh = 0;
    // Whether any pixel of frame f has alpha above `threshold`.
    bool Drawn(int f, int threshold = 0) const {
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x)
                if (image.Alpha(frames[f].x + x, frames[f].y + y) > threshold) return true;
        return false;
    }
    // Alpha at nominal position (nx, ny) of frame f (nominal pixel centre).
    int AlphaAt(int f, float nx, float ny) const {
        return image.Alpha(frames[f].x + static_cast<int>(nx * hd), frames[f].y + static_cast<int>(ny * hd));
    }
    // Lowest and highest canvas rows of frame f with alpha above threshold.
    int BottomRow(int f, int threshold = 128) const {
        for (int y = fh - 1; y >= 0; --y)
            for (int x = 0; x < fw; ++x)
                if (image.Alpha(frames[f].x + x, frames[f].y + y) > threshold) return y;
        return -1;
    }
};

Sheet LoadSheet(const std::string& name, int fw, int fh, int count, int hd) {
    Sheet s;
    s.hd = hd;
    s.fw = fw * hd;
    s.fh = fh * hd;
    s.image = DecodeImageFile(ImagePath(name, hd));
    if (s.image.ok()) s.frames = CutFrames(s.image.width, s.image.height, s.fw, s.fh, count);
    return s;
}

class EveryImage : public ::testing::TestWithParam<int> {};

TEST_P(EveryImage, LoadsAtItsResolutionWithTheFramesTheGameAsksFor) {
    const int hd = GetParam();
    for (const Wanted& w : kWanted) {
        SCOPED_TRACE(ImagePath(w.name, hd));
        Sheet s = LoadSheet(w.name, w.frameW, w.frameH, w.frames, hd);
        ASSERT_TRUE(s.image.ok()) << "missing or undecodable";
        EXPECT_EQ(s.image.depth, 4) << "RGBA expected";
        ASSERT_EQ(static_cast<int>(s.frames.size()), w.frames) << "frames do not fit the surface";
        // No more than one row of frames' worth of waste.
        EXPECT_LE(s.image.width, w.frameW * hd * w.frames);
        EXPECT_EQ(s.image.width % (w.frameW * hd), 0);
        EXPECT_EQ(s.image.height % (w.frameH * hd), 0);
    }
}

// Whatever form the encoder chose for a file (RGBA, or a palette for art of
// few colours), the game's loader gives back exactly the generator's pixels,
// as the 4 channels it has always reported for these files.
TEST_P(EveryImage, HoldsExactlyThePixelsTheGeneratorDrew) {
    const int hd = GetParam();
    for (const assetgen::ImageAsset& asset : assetgen::AllImages()) {
        if (!asset.variants && hd != 1) continue;
        const std::string path = DataDir() + "/" + asset.name + assetgen::ResolutionSuffix(hd) + ".png";
        SCOPED_TRACE(path);
        const assetgen::Canvas drawn = assetgen::RenderImage(asset, hd);
        DecodedImage file = DecodeImageFile(path);
        ASSERT_TRUE(file.ok());
        EXPECT_EQ(file.depth, 4);
        ASSERT_EQ(file.width, drawn.Width());
        ASSERT_EQ(file.height, drawn.Height());
        EXPECT_TRUE(file.pixels == drawn.ToRgba8()) << "the file's pixels differ from the drawing";
    }
}

INSTANTIATE_TEST_SUITE_P(Resolutions, EveryImage, ::testing::Values(1, 2, 4),
                         [](const ::testing::TestParamInfo<int>& i) { return i.param == 1 ? std::string("Base") : (i.param == 2 ? std::string("Hd") : std::string("Hd2")); });

TEST(Images, TuneImagesHoldExactlyTheirEncodedPixels) {
    for (const assetgen::TuneFile& tune : assetgen::AllTunes()) {
        SCOPED_TRACE(tune.name);
        DecodedImage file = DecodeImageFile(DataDir() + "/tunes/" + tune.name + ".png");
        ASSERT_TRUE(file.ok());
        EXPECT_EQ(file.depth, 4);
        EXPECT_TRUE(file.pixels == assetgen::TuneImagePixels(tune.data));
    }
}

TEST(Images, FramesTheGameDrawsAreNotEmpty) {
    for (int hd : {1, 2, 4}) {
        SCOPED_TRACE(hd);
        Sheet gfx = LoadSheet("gfx", 32, 32, 64, hd);
        ASSERT_EQ(gfx.frames.size(), 64u);
        for (int f : {0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20, 21, 22, 25, 26, 27, 28, 32, 33, 34, 35, 36, 40, 41, 42,
                      43, 44, 45, 46})
            EXPECT_TRUE(gfx.Drawn(f, 128)) << "gfx frame " << f;
        Sheet icons = LoadSheet("common/icons", 32, 32, 16, hd);
        for (int f : {0, 1, 2, 7}) EXPECT_TRUE(icons.Drawn(f, 128)) << "icon " << f;
        Sheet pad = LoadSheet("common/dpad", 32, 32, 16, hd);
        for (int f : {0, 1, 4, 5, 6, 9}) EXPECT_TRUE(pad.Drawn(f, 128)) << "pad frame " << f;
        Sheet buttons = LoadSheet("common/Buttons", 64, 64, 16, hd);
        for (int f : {0, 1, 2, 3, 8, 9, 10}) EXPECT_TRUE(buttons.Drawn(f, 128)) << "button " << f;
        Sheet parts = LoadSheet("parts", 8, 8, 256, hd);
        for (int f = 0; f < 256; ++f) EXPECT_TRUE(parts.Drawn(f, 100)) << "particle " << f;
        Sheet font = LoadSheet("fonts/ribbonmono", 16, 16, 128, hd);
        for (int f = 1; f < 95; ++f) EXPECT_TRUE(font.Drawn(f, 128)) << "glyph of character " << f + 32;
        EXPECT_FALSE(font.Drawn(0)) << "the space is blank";
    }
}

TEST(Images, BackdropTileIsOpaqueAndRepeatsWithoutSeams) {
    for (int hd : {1, 2, 4}) {
        Sheet menu = LoadSheet("menu", 256, 256, 4, hd);
        ASSERT_EQ(menu.frames.size(), 4u);
        const int n = 256 * hd;
        long edgeJump = 0, innerJump = 0;
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(menu.image.Alpha(i, 0), 255);
            ASSERT_EQ(menu.image.Alpha(0, i), 255);
            auto grey = [&](int x, int y) {
                const uint8_t* p = &menu.image.pixels[(y * menu.image.width + x) * 4];
                return p[0] + p[1] + p[2];
            };
            // Across the wrap (last column to first) versus inside the tile.
            edgeJump += std::abs(grey(n - 1, i) - grey(0, i)) + std::abs(grey(i, n - 1) - grey(i, 0));
            innerJump += std::abs(grey(n / 2 - 1, i) - grey(n / 2, i)) + std::abs(grey(i, n / 2 - 1) - grey(i, n / 2));
        }
        EXPECT_LT(edgeJump, innerJump * 2 + n * 6) << "the backdrop shows a seam at its edges (hd " << hd << ")";
    }
}

// A standing hero shares its floor cell's centre: its soles and the floor's
// top surface are one line at every resolution.
TEST(Images, HeroStandsOnTheFloorAndItemsStandOnItToo) {
    for (int hd : {1, 2, 4}) {
        SCOPED_TRACE(hd);
        Sheet gfx = LoadSheet("gfx", 32, 32, 64, hd);
        // Floor: solid across the whole cell just under its top (y 20..26).
        for (float x = 8.25f; x < 24; x += 0.5f) {
            EXPECT_EQ(gfx.AlphaAt(32, x, 21), 255) << "floor gap at x " << x;
            EXPECT_EQ(gfx.AlphaAt(32, x, 25), 255) << "floor gap at x " << x;
            EXPECT_EQ(gfx.AlphaAt(32, x, 15), 0) << "floor reaches too high at x " << x;
        }
        // Outside the cell's columns a floor tile draws nothing.
        for (float y = 0.25f; y < 32; y += 0.5f) {
            EXPECT_EQ(gfx.AlphaAt(32, 7.75f, y), 0);
            EXPECT_EQ(gfx.AlphaAt(32, 24.25f, y), 0);
        }
        // The hero's soles: its lowest solid row is the floor's top (y 20).
        for (int f = 0; f < 4; ++f) {
            int bottom = gfx.BottomRow(f);
            EXPECT_GE(bottom, 19 * hd) << "frame " << f;
            EXPECT_LT(bottom, 20 * hd + hd / 2 + 1) << "frame " << f;
        }
        // A hero of 24 to 32 screen pixels at size 1.5: 16 to 21 frame pixels.
        int top = 0;
        for (int y = 0; y < gfx.fh && top == 0; ++y)
            for (int x = 0; x < gfx.fw; ++x)
                if (gfx.image.Alpha(gfx.frames[0].x + x, gfx.frames[0].y + y) > 128) {
                    top = y;
                    break;
                }
        float height = (gfx.BottomRow(0) - top + 1) / static_cast<float>(hd);
        EXPECT_GE(height * 1.5f, 24.0f);
        EXPECT_LE(height * 1.5f, 32.0f);
        // Beacons and prizes at size 2 rest on the same line: y 19 of their frames.
        for (int f : {12, 16, 19}) {
            int bottom = gfx.BottomRow(f);
            EXPECT_GE(bottom, 18 * hd) << "frame " << f;
            EXPECT_LT(bottom, 20 * hd) << "frame " << f;
        }
    }
}

// Steps rising right drawn one cell up and one across join into one stair:
// along the walking line there is stair under the hero's soles all the way.
TEST(Images, StairStepsJoinDiagonally) {
    for (int hd : {1, 2, 4}) {
        SCOPED_TRACE(hd);
        Sheet gfx = LoadSheet("gfx", 32, 32, 64, hd);
        for (int frame : {25, 26}) {
            bool right = frame == 25;
            // Composite coverage of three consecutive steps, in step-1 frame
            // coordinates: the step above sits 16 up and 16 across.
            auto covered = [&](float x, float y) {
                for (int k = -1; k <= 1; ++k) {
                    float fx = x - (right ? 16.0f * k : -16.0f * k), fy = y + 16.0f * k;
                    if (fx >= 0 && fy >= 0 && fx < 32 && fy < 32 && gfx.AlphaAt(frame, fx, fy) > 200) return true;
                }
                return false;
            };
            for (float t = 8.25f; t < 24; t += 0.5f) {
                float x = right ? t : 32 - t;
                float sole = 36 - t;  // soles at the cell centre are at y 20
                EXPECT_TRUE(covered(x, sole + 2.5f)) << "no stair under the walking line at " << x;
                EXPECT_FALSE(covered(x, sole - 5.0f)) << "stair above the walking line at " << x;
            }
        }
    }
}

TEST(Images, QuibFontIsAStripOf96FramesWithEmptyBorderColumns) {
    DecodedImage font = DecodeImageFile(DataDir() + "/quib_font.png");
    ASSERT_TRUE(font.ok());
    ASSERT_EQ(font.width % 96, 0);
    const int fw = font.width / 96;
    ASSERT_GE(fw, 3);
    int drawn = 0;
    for (int f = 0; f < 96; ++f) {
        for (int y = 0; y < font.height; ++y) {
            EXPECT_EQ(font.Alpha(f * fw, y), 0) << "left border of frame " << f;
            EXPECT_EQ(font.Alpha(f * fw + fw - 1, y), 0) << "right border of frame " << f;
        }
        for (int y = 0; y < font.height; ++y)
            for (int x = 1; x < fw - 1; ++x)
                if (font.Alpha(f * fw + x, y) > 128) {
                    ++drawn;
                    y = font.height;
                    break;
                }
    }
    EXPECT_GE(drawn, 94) << "every printable character has a glyph";
}

// Glyphs are centred in their frames and fit the 7-pixel advance.
TEST(Images, RibbonGlyphsAreCentredAndFitTheAdvance) {
    for (int hd : {1, 2, 4}) {
        Sheet font = LoadSheet("fonts/ribbonmono", 16, 16, 128, hd);
        for (int f = 1; f < 95; ++f) {
            int x0 = font.fw, x1 = -1;
            for (int y = 0; y < font.fh; ++y)
                for (int x = 0; x < font.fw; ++x)
                    if (font.image.Alpha(font.frames[f].x + x, font.frames[f].y + y) > 160) {
                        x0 = std::min(x0, x);
                        x1 = std::max(x1, x);
                    }
            ASSERT_GE(x1, 0) << "glyph " << f;
            float centre = (x0 + x1 + 1) / 2.0f / hd;
            float width = (x1 - x0 + 1) / static_cast<float>(hd);
            EXPECT_NEAR(centre, 8.0f, 1.6f) << "glyph of character " << f + 32 << " at hd " << hd;
            EXPECT_LE(width, 9.0f) << "glyph of character " << f + 32 << " at hd " << hd;
        }
    }
}

}  // namespace
