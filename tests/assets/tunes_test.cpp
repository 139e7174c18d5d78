// tests/assets/tunes_test.cpp - the procedural music player's tune images
// decode, as the player reads them, to the notes the generator composed, and
// those notes are music by the player's rules.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "asset_loaders.h"
#include "tune_format.h"

using namespace assettest;
using assetgen::TuneData;

namespace {

// The player's reading: 64 frames of 64 x 64 cut as the image loader cuts
// them; each value is the pixel's blue >> 3 over an opaque background.
TuneData ReadTuneImage(const std::string& path, bool& ok) {
    TuneData t;
    DecodedImage img = DecodeImageFile(path);
    ok = img.ok() && img.depth == 4;
    if (!ok) return t;
    std::vector<FramePos> frames = CutFrames(img.width, img.height, 64, 64, 64);
    ok = frames.size() == 64;
    if (!ok) return t;
    for (int p = 0; p < 63; ++p)  // the player reads frames 0..62
        for (int track = 0; track < 8; ++track)
            for (int step = 0; step < 64; ++step)
                for (int k = 0; k < 8; ++k) {
                    const uint8_t* px = &img.pixels[((frames[p].y + step) * img.width + frames[p].x + track * 8 + k) * 4];
                    if (px[3] != 255) ok = false;
                    t.At(p, track, step, k) = static_cast<uint8_t>(px[2] >> 3);
                }
    return t;
}

TEST(Tunes, ImagesDecodeToTheComposedNotes) {
    for (const assetgen::TuneFile& tune : assetgen::AllTunes()) {
        SCOPED_TRACE(tune.name);
        bool ok = false;
        TuneData read = ReadTuneImage(DataDir() + "/tunes/" + tune.name + ".png", ok);
        ASSERT_TRUE(ok) << "missing, too small for 64 frames, or not opaque";
        int differences = 0;
        for (int p = 0; p < 63; ++p)
            for (int t = 0; t < 8; ++t)
                for (int s = 0; s < 64; ++s)
                    for (int k = 0; k < 8; ++k)
                        if (read.At(p, t, s, k) != tune.data.At(p, t, s, k)) ++differences;
        EXPECT_EQ(differences, 0);
    }
}

TEST(Tunes, GameFileNamesExist) {
    for (const char* name : {"Hollow Ridge/Tune_12", "Retro/Cavern Digger", "Retro/HopperEsque"}) {
        bool ok = false;
        ReadTuneImage(DataDir() + "/tunes/" + name + ".png", ok);
        EXPECT_TRUE(ok) << name;
    }
}

TEST(Tunes, NotesFollowThePlayersRules) {
    const std::set<int> drumNotes = {13, 15, 17, 18, 20, 22, 24, 25};
    for (const assetgen::TuneFile& tune : assetgen::AllTunes()) {
        SCOPED_TRACE(tune.name);
        const TuneData& d = tune.data;
        int slides = 0, breaks = 0;
        for (int t = 0; t < 8; ++t) {
            int lastPattern = -1;
            for (int p = 0; p < 63; ++p)
                for (int s = 0; s < 64; ++s) {
                    int note = d.At(p, t, s, 0), volume = d.At(p, t, s, 1), effect = d.At(p, t, s, 2);
                    if (note || volume || effect) lastPattern = std::max(lastPattern, p);
                    if (effect >= 1 && effect <= 4) ++slides;
                    if (effect == 8) ++breaks;
                    if (note == 0) continue;
                    // Every note sets its level: the player keeps the last
                    // level, which starts at silence.
                    EXPECT_GE(volume, 1) << "track " << t << " pattern " << p << " step " << s;
                    EXPECT_LE(volume, 30);
                    if (t <= 1) EXPECT_TRUE(drumNotes.count(note)) << "drum track " << t << " plays note " << note;
                    else EXPECT_LE(note, 31);
                    EXPECT_LE(t, 4) << "tracks 5 to 7 are never played";
                }
            if (t <= 4) EXPECT_GE(lastPattern, 1) << "track " << t << " needs several patterns to vary";
            else EXPECT_EQ(lastPattern, -1);
            // Patterns from 0 to the last are all used, so a random pick
            // never lands on an empty one.
            for (int p = 0; p <= lastPattern; ++p) {
                bool any = false;
                for (int s = 0; s < 64; ++s) any = any || d.At(p, t, s, 0) != 0;
                EXPECT_TRUE(any) << "track " << t << " pattern " << p << " is empty";
            }
        }
        EXPECT_GE(slides, 2);
        EXPECT_GE(breaks, 1);
    }
}

TEST(Tunes, BranchesStayWithinTheTracksPatterns) {
    for (const assetgen::TuneFile& tune : assetgen::AllTunes())
        for (int t = 0; t < 5; ++t) {
            int last = 0;
            for (int p = 0; p < 63; ++p)
                for (int s = 0; s < 64; ++s)
                    if (tune.data.At(p, t, s, 0)) last = p;
            for (int p = 0; p < 63; ++p)
                for (int s = 0; s < 64; ++s)
                    if (tune.data.At(p, t, s, 2) == 27) {
                        int param = tune.data.At(p, t, s, 3);
                        int target = p + (param == 1 ? 1 : (param == 2 ? -1 : 0));
                        EXPECT_GE(target, 0);
                        EXPECT_LE(target, last) << tune.name << " track " << t;
                    }
        }
}

}  // namespace
