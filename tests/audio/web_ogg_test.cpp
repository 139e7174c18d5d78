// tests/audio/web_ogg_test.cpp - the web build's Ogg Vorbis decoder
// (host/web/ogg_stb.cpp, stb_vorbis), compiled here under the name
// StbLoadOGG, against the desktop's (libvorbisfile): the same sounds from the
// game's own tune and from tones, the same files rejected.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "common/test_support.h"
#include "decoded.h"

unsigned char* StbLoadOGG(FILE* f, int* length, int* channels, int* format, int* hertz);

namespace {

// The largest difference between two decodes of one file, in 16-bit steps,
// over all but the last `skipFrames` frames.
int LargestDifference(const Decoded& a, const Decoded& b, int skipFrames) {
    int largest = 0;
    long count = static_cast<long>(a.length - skipFrames) * a.channels;
    for (long i = 0; i < count; ++i) {
        int16_t x, y;
        std::memcpy(&x, a.data + 2 * i, 2);
        std::memcpy(&y, b.data + 2 * i, 2);
        largest = std::max(largest, std::abs(x - y));
    }
    return largest;
}

// `tailFrames`: frames at the end where the two may differ.
void ExpectSameSound(const std::string& ogg, const char* what, int tailFrames = 0) {
    Decoded desktop, web;
    DecodeBytes(LoadOGG, ogg, desktop);
    DecodeBytes(StbLoadOGG, ogg, web);
    ASSERT_NE(desktop.data, nullptr) << what;
    ASSERT_NE(web.data, nullptr) << what;
    EXPECT_EQ(web.length, desktop.length) << what;
    EXPECT_EQ(web.channels, desktop.channels) << what;
    EXPECT_EQ(web.format, 2) << what;
    EXPECT_EQ(web.hertz, desktop.hertz) << what;
    if (web.length != desktop.length || web.channels != desktop.channels) return;
    // Two decoders of one stream round differently, by a step or two at most.
    EXPECT_LE(LargestDifference(desktop, web, tailFrames), 4) << what;
    if (tailFrames == 0) {
        EXPECT_NEAR(Rms16(web.data, 1L * web.length * web.channels),
                    Rms16(desktop.data, 1L * desktop.length * desktop.channels), 1)
            << what;
    }
}

}  // namespace

TEST(WebLoadOgg, DecodesTheGamesTuneAndTonesAsTheDesktopDoes) {
    ExpectSameSound(ReadFile(std::string(LANTERN_DATA_PATH) + "/sfx/Firstlight.ogg"), "the game's tune");
    ExpectSameSound(EncodeOggSine(10000, 2, 44100, 441), "stereo tone");
    ExpectSameSound(EncodeOggSine(3 * 22050, 1, 22050, 300), "long mono tone");
}

TEST(WebLoadOgg, RejectsWhatTheDesktopRejectsAndStopsAtTheFirstStream) {
    std::string good = EncodeOggSine(10000, 2, 44100, 441);
    std::vector<size_t> pages = OggPageOffsets(good);
    ASSERT_GE(pages.size(), 3u);
    std::string flipped = good;
    flipped[pages[2] + 40] ^= 0x10;
    for (const std::string& bytes : {std::string(), std::string("OggS"), good.substr(0, pages[1]),
                                     good.substr(0, good.size() / 2), flipped}) {
        Decoded d;
        DecodeBytes(StbLoadOGG, bytes, d);
        EXPECT_EQ(d.data, nullptr);
        EXPECT_TRUE(d.Untouched());
    }
    // Trailing bytes after the stream's end are not the decoder's business,
    // nor is a second stream after a first one that never marks its end.
    ExpectSameSound(good + "ID3 tag or other trailing bytes", "trailing bytes");
    std::string first = good;
    first[OggPageOffsets(first).back() + 5] &= ~0x04;
    std::string second = EncodeOggSine(3 * 22050, 1, 22050, 300);
    for (size_t page : OggPageOffsets(second)) second[page + 14] ^= 0x55;
    std::string chained = first + second;
    FixOggChecksums(chained);
    // The first stream's last packet, which never learnt that it is the last,
    // is where libvorbisfile goes quiet and stb_vorbis plays the tone on.
    ExpectSameSound(chained, "two chained streams", 128);
}
