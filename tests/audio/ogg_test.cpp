// tests/audio/ogg_test.cpp - the Ogg Vorbis decoder on files encoded here,
// damaged ones and the system's own sounds.
#include <gtest/gtest.h>

#include <glob.h>

#include <random>

#include "common/test_support.h"
#include "decoded.h"

namespace {

uint32_t Le32(const std::string& s, size_t at) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(s.data() + at);
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

// Encoding takes a moment: each shape of file is made once.
const std::string& StereoTone() {
    static const std::string ogg = EncodeOggSine(10000, 2, 44100, 441);
    return ogg;
}

const std::string& LongMonoTone() {
    static const std::string ogg = EncodeOggSine(3 * 22050, 1, 22050, 300);
    return ogg;
}

TEST(LoadOgg, StereoFileGivesEveryFrameAs16BitSamples) {
    Decoded d;
    DecodeBytes(LoadOGG, StereoTone(), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 10000);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.format, 2);
    EXPECT_EQ(d.hertz, 44100);
}

TEST(LoadOgg, DecodedSamplesCarryTheEncodedTone) {
    Decoded d;
    DecodeBytes(LoadOGG, StereoTone(), d);
    ASSERT_NE(d.data, nullptr);
    // A 441 Hz tone crosses zero 882 times a second: 200 times in 10000 frames.
    for (int channel = 0; channel < 2; ++channel) {
        int crossings = ZeroCrossings16(d.data, d.length, 2, channel);
        EXPECT_NEAR(crossings, 200, 6) << "channel " << channel;
    }
    // Amplitude 0.5 of full scale: RMS 0.5 / sqrt(2) x 32767, about 11585.
    EXPECT_NEAR(Rms16(d.data, 2L * d.length), 11585, 1200);
}

TEST(LoadOgg, LongFileGrowsItsBufferAndKeepsEveryFrame) {
    Decoded d;
    DecodeBytes(LoadOGG, LongMonoTone(), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 3 * 22050);
    EXPECT_EQ(d.channels, 1);
    EXPECT_EQ(d.hertz, 22050);
    EXPECT_NEAR(ZeroCrossings16(d.data, d.length, 1, 0), 1800, 20);
}

TEST(LoadOgg, BytesAfterTheEndOfTheStreamAreIgnored) {
    Decoded d;
    DecodeBytes(LoadOGG, StereoTone() + "ID3 tag or other trailing bytes", d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 10000);
}

TEST(LoadOgg, OnlyTheFirstOfTwoChainedStreamsIsDecoded) {
    // A stereo stream whose last page lacks the end mark, then a mono stream
    // with its own serial number: both reach the decoder, which must stop
    // where the first one ends rather than mix the two layouts.
    std::string first = StereoTone();
    first[OggPageOffsets(first).back() + 5] &= ~0x04;
    std::string second = LongMonoTone();
    for (size_t page : OggPageOffsets(second)) second[page + 14] ^= 0x55;
    std::string chained = first + second;
    FixOggChecksums(chained);
    Decoded d;
    DecodeBytes(LoadOGG, chained, d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.hertz, 44100);
    EXPECT_EQ(d.length, 10000);
}

TEST(LoadOgg, DamagedFilesAreRejected) {
    const std::string& good = StereoTone();
    std::vector<size_t> pages = OggPageOffsets(good);
    ASSERT_GE(pages.size(), 3u);  // identification, setup headers, audio
    std::string flipped = good;
    flipped[pages[2] + 40] ^= 0x10;  // inside the audio
    std::string badHeader = good;
    badHeader[pages[1] + 60] ^= 0x01;  // inside the setup headers
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"text file", "This is not an Ogg file at all."},
        {"capture pattern only", "OggS"},
        {"a WAV file", PcmWav(1, 8000, 8, std::string(100, '\x80'))},
        {"first page only", good.substr(0, pages[1])},
        {"cut in the middle", good.substr(0, good.size() / 2)},
        {"last byte missing", good.substr(0, good.size() - 1)},
        {"bit flipped in the audio", flipped},
        {"bit flipped in the headers", badHeader},
    };
    for (const Case& c : cases) {
        Decoded d;
        DecodeBytes(LoadOGG, c.bytes, d);
        EXPECT_EQ(d.data, nullptr) << c.what;
        EXPECT_TRUE(d.Untouched()) << c.what;
    }
}

TEST(LoadOgg, CommentHeaderClaimingMoreThanItHoldsIsRejected) {
    // Lengths that would make the decoder allocate gigabytes, or fail to and
    // crash, are caught before it runs, even behind valid checksums.
    const std::string& good = StereoTone();
    size_t comments = good.find("\x03vorbis");
    ASSERT_NE(comments, std::string::npos);
    size_t vendorLength = comments + 7;
    uint32_t vendor = Le32(good, vendorLength);
    size_t countAt = vendorLength + 4 + vendor;
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
    } cases[] = {
        {"vendor length", vendorLength, 0x7ffffff0u},
        {"vendor length of -1", vendorLength, 0xffffffffu},
        {"comment count", countAt, 0x20000000u},
        {"comment count of -1", countAt, 0xffffffffu},
    };
    for (const Case& c : cases) {
        std::string bad = good;
        bad.replace(c.at, 4, U32(c.value));
        FixOggChecksums(bad);
        Decoded d;
        DecodeBytes(LoadOGG, bad, d);
        EXPECT_EQ(d.data, nullptr) << c.what;
    }
}

TEST(LoadOgg, DamageBehindValidChecksumsNeverCrashesTheDecoder) {
    // Corrupt the packets themselves and re-seal the pages, so that the
    // Vorbis decoder, not the page check, has to cope.
    const std::string& good = StereoTone();
    std::mt19937 random(20240611);
    int decoded = 0;
    for (int round = 0; round < 300; ++round) {
        std::string bad = good;
        int hits = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < hits; ++i) {
            size_t at = 58 + random() % (bad.size() - 58);  // past the first page header
            bad[at] = static_cast<char>(random());
        }
        FixOggChecksums(bad);
        Decoded d;
        DecodeBytes(LoadOGG, bad, d);
        if (!d.data) continue;
        ++decoded;
        EXPECT_GT(d.channels, 0);
        EXPECT_GE(d.length, 0);
        EXPECT_EQ(d.format, 2);
    }
    std::printf("%d of 300 damaged files still decoded\n", decoded);
}

TEST(LoadOgg, RealVorbisFilesFromTheSystemDecode) {
    glob_t found;
    if (glob("/usr/share/sounds/freedesktop/stereo/*.oga", 0, nullptr, &found) != 0) {
        GTEST_SKIP() << "no freedesktop sound theme here";
    }
    for (size_t i = 0; i < found.gl_pathc; ++i) {
        const char* path = found.gl_pathv[i];
        FILE* f = std::fopen(path, "rb");
        ASSERT_NE(f, nullptr) << path;
        Decoded d;
        DecodeInto(LoadOGG, f, d);
        std::fclose(f);
        ASSERT_NE(d.data, nullptr) << path;
        // What the stream itself declares: channels and rate in the
        // identification header, the frame count in the last page's granule.
        std::string bytes = ReadFile(path);
        std::vector<size_t> pages = OggPageOffsets(bytes);
        ASSERT_FALSE(pages.empty()) << path;
        size_t id = 27 + static_cast<unsigned char>(bytes[26]);  // first packet
        ASSERT_EQ(bytes.compare(id, 7, "\x01vorbis"), 0) << path;
        int channels = static_cast<unsigned char>(bytes[id + 11]);
        int rate = static_cast<int>(Le32(bytes, id + 12));
        long frames = static_cast<long>(Le32(bytes, pages.back() + 6));
        EXPECT_EQ(d.channels, channels) << path;
        EXPECT_EQ(d.hertz, rate) << path;
        EXPECT_EQ(d.length, frames) << path;
        EXPECT_EQ(d.format, 2) << path;
        EXPECT_GT(Rms16(d.data, static_cast<long>(d.length) * d.channels), 30.0) << path;
    }
    globfree(&found);
}

}  // namespace
