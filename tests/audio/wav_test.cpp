// tests/audio/wav_test.cpp - the WAV reader on files built chunk by chunk.
#include <gtest/gtest.h>

#include <glob.h>

#include "alloc_count.h"
#include "decoded.h"

namespace {

std::string Bytes(int n, char fill) { return std::string(static_cast<size_t>(n), fill); }

TEST(LoadWav, Stereo16BitGivesFramesFromTheDataSize) {
    std::string samples = SineSamples16(250, 2, 44100, 440, 0.5);
    ASSERT_EQ(samples.size(), 1000u);
    Decoded d;
    DecodeBytes(LoadWAV, PcmWav(2, 44100, 16, samples), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 250);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.format, 2);
    EXPECT_EQ(d.hertz, 44100);
    EXPECT_EQ(d.Bytes(), samples);
}

TEST(LoadWav, Mono8BitKeepsTheUnsignedBytes) {
    std::string samples("\x80\xff\x00\x7f\x81", 5);
    Decoded d;
    DecodeBytes(LoadWAV, PcmWav(1, 8000, 8, samples), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 5);
    EXPECT_EQ(d.channels, 1);
    EXPECT_EQ(d.format, 1);
    EXPECT_EQ(d.hertz, 8000);
    EXPECT_EQ(d.Bytes(), samples);
}

TEST(LoadWav, LengthCountsOnlyWholeFrames) {
    Decoded d;
    DecodeBytes(LoadWAV, PcmWav(2, 22050, 16, Bytes(10, '\x01')), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 2);  // 10 bytes = 2 frames of 4 bytes and 2 bytes left over
}

TEST(LoadWav, EmptyDataChunkIsASilentSoundOfNoFrames) {
    Decoded d;
    DecodeBytes(LoadWAV, PcmWav(1, 22050, 16, ""), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 0);
}

TEST(LoadWav, ExtendedFmtAndListChunkBeforeDataDecode) {
    std::string samples = SineSamples16(100, 1, 22050, 440, 0.5);
    std::string file = Riff({Chunk("fmt ", FmtBody(1, 1, 22050, 16, 2)), Chunk("LIST", "INFOISFT" + U32(4) + "test"),
                             Chunk("data", samples)});
    Decoded d;
    DecodeBytes(LoadWAV, file, d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 100);
    EXPECT_EQ(d.Bytes(), samples);
}

TEST(LoadWav, OddSizedChunksAreFollowedByTheirPadByte) {
    // An odd fmt extension and an odd metadata chunk, both padded as RIFF writers do.
    std::string samples = SineSamples16(64, 2, 48000, 1000, 0.25);
    std::string file = Riff({Chunk("fmt ", FmtBody(1, 2, 48000, 16, 1)), Chunk("note", "abc"),
                             Chunk("data", samples)});
    Decoded d;
    DecodeBytes(LoadWAV, file, d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 64);
    EXPECT_EQ(d.Bytes(), samples);
}

TEST(LoadWav, OddSizedDataChunkAtTheEndWithoutPadByteStillLoads) {
    std::string file = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8, 0)), "data" + U32(3) + "\x10\x20\x30"});
    Decoded d;
    DecodeBytes(LoadWAV, file, d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 3);
}

TEST(LoadWav, ChunksBeforeTheFmtChunkAreSkipped) {
    std::string samples = Bytes(40, '\x22');
    std::string file = Riff({Chunk("JUNK", Bytes(28, '\0')), Chunk("fmt ", FmtBody(1, 2, 44100, 16)),
                             Chunk("data", samples)});
    Decoded d;
    DecodeBytes(LoadWAV, file, d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 10);
}

TEST(LoadWav, TwelveBitSamplesAreReadFromTwoByteContainers) {
    Decoded d;
    DecodeBytes(LoadWAV, Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 12)), Chunk("data", Bytes(8, '\x10'))}), d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.format, 2);
    EXPECT_EQ(d.length, 4);
}

TEST(LoadWav, UnusableFormatsAreRejectedWithoutTouchingTheResults) {
    struct Case {
        const char* what;
        std::string fmt;
    } cases[] = {
        {"float samples", FmtBody(3, 2, 44100, 32)},
        {"extensible format", FmtBody(0xfffe, 2, 44100, 16)},
        {"zero channels", FmtBody(1, 0, 44100, 16)},
        {"zero bits per sample", FmtBody(1, 2, 44100, 0)},
        {"four bits per sample", FmtBody(1, 2, 44100, 4)},
        {"zero sample rate", FmtBody(1, 2, 0, 16)},
        {"sample rate beyond int", FmtBody(1, 2, 0x80000000u, 16)},
        {"fmt chunk of 14 bytes", FmtBody(1, 2, 44100, 16).substr(0, 14)},
    };
    for (const Case& c : cases) {
        Decoded d;
        DecodeBytes(LoadWAV, Riff({Chunk("fmt ", c.fmt), Chunk("data", Bytes(64, '\x11'))}), d);
        EXPECT_EQ(d.data, nullptr) << c.what;
        EXPECT_TRUE(d.Untouched()) << c.what;
    }
}

TEST(LoadWav, BrokenFilesAreRejected) {
    std::string good = PcmWav(1, 22050, 16, Bytes(100, '\x05'));
    std::string badRiff = good;
    badRiff.replace(0, 4, "RIFX");
    std::string badWave = good;
    badWave.replace(8, 4, "AVI ");
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"RIFX tag", badRiff},
        {"not WAVE", badWave},
        {"header only", good.substr(0, 12)},
        {"no data chunk", Riff({Chunk("fmt ", FmtBody(1, 1, 22050, 16)), Chunk("LIST", "abcd")})},
        {"data before fmt", Riff({Chunk("data", Bytes(8, 'x')), Chunk("fmt ", FmtBody(1, 1, 22050, 16))})},
        {"cut inside the data", good.substr(0, good.size() - 1)},
        {"cut inside a chunk header", good.substr(0, 40)},
        {"fmt cut short", good.substr(0, 30)},
        {"text file", "Just some words, not a sound at all.\n"},
    };
    for (const Case& c : cases) {
        Decoded d;
        DecodeBytes(LoadWAV, c.bytes, d);
        EXPECT_EQ(d.data, nullptr) << c.what;
        EXPECT_TRUE(d.Untouched()) << c.what;
    }
}

TEST(LoadWav, SizeFieldsBeyondTheEndOfTheFileAllocateNothingLarge) {
    if (!AllocCount::Available()) GTEST_SKIP() << "allocations are not counted in sanitizer builds";
    std::string fmt = Chunk("fmt ", FmtBody(1, 2, 44100, 16));
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"huge data chunk", Riff({fmt}) + "data" + U32(0x7ffffff0u) + Bytes(100, 'a')},
        {"data chunk beyond int", Riff({fmt}) + "data" + U32(0xfffffff0u) + Bytes(100, 'a')},
        {"huge metadata chunk", Riff({fmt}) + "LIST" + U32(0xfffffff0u) + Bytes(100, 'a')},
        {"huge fmt chunk", Riff({}) + "fmt " + U32(0xfffffff0u) + FmtBody(1, 2, 44100, 16)},
    };
    for (const Case& c : cases) {
        Decoded d;
        size_t largest = 0;
        {
            AllocCount probe;
            DecodeBytes(LoadWAV, c.bytes, d);
            largest = probe.Largest();
        }
        EXPECT_EQ(d.data, nullptr) << c.what;
        EXPECT_LT(largest, 1u << 20) << c.what;
    }
}

TEST(LoadWav, ReadsFromTheCurrentPositionAndLeavesTheFileOpen) {
    std::string file = "prefix" + PcmWav(1, 11025, 8, Bytes(20, '\x80')) + "trailer";
    FILE* f = OpenBytes(file);
    ASSERT_EQ(std::fseek(f, 6, SEEK_SET), 0);
    Decoded d;
    DecodeInto(LoadWAV, f, d);
    ASSERT_NE(d.data, nullptr);
    EXPECT_EQ(d.length, 20);
    char rest[8] = {};
    EXPECT_EQ(std::fread(rest, 1, 7, f), 7u);  // still open, positioned after the data
    EXPECT_STREQ(rest, "trailer");
    std::fclose(f);
}

TEST(LoadWav, RealPcmFilesFromTheSystemDecode) {
    glob_t found;
    if (glob("/usr/share/sounds/alsa/*.wav", 0, nullptr, &found) != 0) GTEST_SKIP() << "no ALSA sample sounds here";
    for (size_t i = 0; i < found.gl_pathc; ++i) {
        const char* path = found.gl_pathv[i];
        FILE* f = std::fopen(path, "rb");
        ASSERT_NE(f, nullptr) << path;
        std::fseek(f, 0, SEEK_END);
        long size = std::ftell(f);
        std::rewind(f);
        Decoded d;
        DecodeInto(LoadWAV, f, d);
        std::fclose(f);
        ASSERT_NE(d.data, nullptr) << path;
        EXPECT_EQ(d.channels, 1) << path;
        EXPECT_EQ(d.format, 2) << path;
        EXPECT_EQ(d.hertz, 48000) << path;
        // Header, fmt and data headers take 44 bytes; everything else is samples.
        EXPECT_EQ(d.length, (size - 44) / 2) << path;
        EXPECT_GT(Rms16(d.data, d.length), 100.0) << path;
    }
    globfree(&found);
}

}  // namespace
