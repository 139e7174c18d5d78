// The device keeps its music decoded: a prepared or replayed tune starts at
// once from its beginning, a changed or missing file behaves as a new one, and
// a destroyed sample gives its buffer back without waiting for a load or play.
#include <AL/al.h>

#include <cstdio>

#include "audio_fixture.h"
#include "sound_files.h"

namespace {

using MusicAndMemory = AudioTest;

ALint MusicOffset() {
    ALint offset = -1;
    alGetSourcei(AudioTest::Device()->channels[gxtkAudio::kMusicChannel].source, AL_SAMPLE_OFFSET, &offset);
    return offset;
}

TEST_F(MusicAndMemory, PreparedMusicIsDecodedOnceAndRestartsFromItsBeginning) {
    WriteFile("ogg-tune.ogg", EncodeOggSine(3 * 22050, 1, 22050, 440));
    EXPECT_EQ(Device()->PrepareMusic(String("missing.ogg")), -1);
    ASSERT_EQ(Device()->PrepareMusic(String("ogg-tune.ogg")), 0);
    // Finished on demand (the loader does so before its big images): the
    // decoded copy is gone and the device holds the tune.
    EXPECT_EQ(Device()->FinishMusic(), 0);
    gxtkSample* tune = Device()->music;
    ASSERT_NE(tune, nullptr);
    EXPECT_EQ(tune->bytes, 3 * 22050 * 2);
    ASSERT_EQ(Device()->PlayMusic(String("ogg-tune.ogg"), 1), 0);
    EXPECT_EQ(Device()->music, tune);
    ASSERT_TRUE(WaitFor([] { return MusicOffset() > 2205; }));
    ASSERT_EQ(Device()->PlayMusic(String("ogg-tune.ogg"), 1), 0);
    EXPECT_EQ(Device()->music, tune) << "not decoded again";
    EXPECT_LT(MusicOffset(), 2205) << "from the beginning";
    EXPECT_EQ(Device()->MusicState(), 1);

    // Rewritten (one second instead of three): read again. Removed: fails as
    // before, with the music stopped.
    WriteFile("ogg-tune.ogg", EncodeOggSine(22050, 1, 22050, 440));
    ASSERT_EQ(Device()->PlayMusic(String("ogg-tune.ogg"), 1), 0);
    EXPECT_EQ(Device()->music->bytes, 22050 * 2);
    std::remove("ogg-tune.ogg");
    EXPECT_EQ(Device()->PlayMusic(String("ogg-tune.ogg"), 1), -1);
    EXPECT_EQ(Device()->MusicState(), 0);
}

TEST_F(MusicAndMemory, ADestroyedSampleDeletesItsBufferAtOnce) {
    int64_t bytes = gxtkSampleNativeBytes();
    gxtkSample* blip = Device()->LoadSample(String(SoundPath("blip").c_str()));
    ASSERT_NE(blip, nullptr);
    unsigned int buffer = blip->buffer;
    EXPECT_EQ(gxtkSampleNativeBytes() - bytes, 882 * 2);
    blip = nullptr;

    GcFinishCycle();
    GcFinishCycle();
    for (int i = 0; i < 20 && alIsBuffer(buffer); ++i) gc_collect();
    EXPECT_FALSE(alIsBuffer(buffer));
    EXPECT_LE(gxtkSampleNativeBytes(), bytes);
}

}  // namespace
