// tests/assets/png_encode_test.cpp - the generator's PNG encoder, read back
// through the game's own image loader: both forms it writes (indexed and
// RGBA) decode to the very pixels it was given, always as 4 channels.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "asset_loaders.h"
#include "common/test_support.h"
#include "png_encode.h"

using namespace assettest;

namespace {

// `colours` distinct RGBA values spread over a w x h image, every fourth one
// translucent (some fully transparent with leftover colour) unless `opaque`.
std::vector<uint8_t> Pattern(int w, int h, int colours, bool opaque) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < w * h; ++i) {
        int c = (i * 7) % colours;  // 7 is coprime with the counts used: every colour appears
        // Red and green alone tell the colours apart (c < 512).
        uint8_t alpha = opaque || c % 4 ? 255 : static_cast<uint8_t>(c % 3 == 0 ? 0 : c & 0xFF);
        rgba.insert(rgba.end(), {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>((c >> 8) * 128 + 7),
                                 static_cast<uint8_t>(c * 5), alpha});
    }
    return rgba;
}

// Writes the encoder's file and reads it back as the game does; `colourType`
// gets IHDR's colour type byte (3 indexed, 6 RGBA).
DecodedImage EncodeAndLoad(const ScopedTempDir& tmp, int w, int h, const std::vector<uint8_t>& rgba, int* colourType) {
    std::vector<uint8_t> png = assetgen::EncodePng(w, h, rgba);
    *colourType = png.size() > 25 ? png[25] : -1;
    const std::string path = tmp.path() + "/image.png";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return DecodeImageFile(path);
}

TEST(PngEncoder, EveryFormDecodesThroughTheGamesLoaderToTheSamePixelsAsRgba) {
    ScopedTempDir tmp;
    struct Case {
        int w, h, colours;
        bool opaque;
        int colourType;
    };
    // Odd sizes, so that no row length is a multiple of anything handy.
    const Case cases[] = {
        {37, 23, 256, false, 3},  // the most a palette holds, translucent ones among them
        {37, 23, 257, false, 6},  // one more: RGBA
        {19, 11, 5, true, 3},     // all opaque: indexed, yet still read as 4 channels
        {1, 1, 1, false, 3},      // one transparent pixel
        {301, 3, 300, true, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << ", " << c.colours << " colours");
        std::vector<uint8_t> rgba = Pattern(c.w, c.h, c.colours, c.opaque);
        int colourType = 0;
        DecodedImage image = EncodeAndLoad(tmp, c.w, c.h, rgba, &colourType);
        EXPECT_EQ(colourType, c.colourType);
        ASSERT_TRUE(image.ok()) << "the game's loader refused the file";
        EXPECT_EQ(image.width, c.w);
        EXPECT_EQ(image.height, c.h);
        EXPECT_EQ(image.depth, 4);
        EXPECT_TRUE(image.pixels == rgba) << "pixels changed on the way through the file";
    }
}

TEST(PngEncoder, RefusesSizesThatDoNotMatchThePixels) {
    const std::vector<uint8_t> four(4 * 4 * 4, 200);
    EXPECT_FALSE(assetgen::EncodePng(4, 4, four).empty());
    EXPECT_TRUE(assetgen::EncodePng(4, 5, four).empty());
    EXPECT_TRUE(assetgen::EncodePng(0, 16, four).empty());
    EXPECT_TRUE(assetgen::EncodePng(-4, -4, four).empty());
    EXPECT_TRUE(assetgen::EncodePng(1 << 30, 1 << 30, four).empty());
}

}  // namespace
