// Reloads give back what they replace: after many changes of the window size
// the live surfaces and samples, and the native bytes they hold, come back to
// one art set's worth within a few frames, with the heap check on after every
// collection step. Sounds still playing and the tune survive the reloads.
#include <AL/al.h>
#include <unistd.h>

#include "game_world.h"

namespace {

struct NativeUse {
    int surfaces, samples;
    int64_t surfaceBytes, sampleBytes;
    bool operator==(const NativeUse& o) const {
        return surfaces == o.surfaces && samples == o.samples && surfaceBytes == o.surfaceBytes &&
               sampleBytes == o.sampleBytes;
    }
};

std::ostream& operator<<(std::ostream& out, const NativeUse& u) {
    return out << u.surfaces << " surfaces (" << u.surfaceBytes << " bytes), " << u.samples << " samples ("
               << u.sampleBytes << " bytes)";
}

NativeUse Now() { return {gxtkLiveSurfaces(), gxtkLiveSamples(), gxtkSurfaceNativeBytes(), gxtkSampleNativeBytes()}; }

class ReloadMemoryTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(gc_check_each_step);
        ReloadAt(640, 480);
        // Sounds still playing (the start-up jingle, earlier tests) would
        // count as part of a second set; the tune, decoded once, belongs to
        // the first. The loader started decoding it: a later load takes it in.
        for (int c = 0; c < gxtkAudio::kChannels; ++c) bb_audio_StopChannel(c);
        for (int i = 0; i < 500 && !bb_audio_device->music; ++i) {
            usleep(10000);
            bb_audio_LoadSound(String("sfx/001.wav"));
        }
        ASSERT_NE(bb_audio_device->music, nullptr) << "the loader prepares the tune";
        ReloadAt(640, 480);
    }
    // Changes the window size (which restarts the loader) and loads everything.
    static void ReloadAt(int w, int h) {
        Resize(w, h);
        if (app()->m_LoadStage == 0) app()->m_LoadStage = 1;  // the same size reloads too
        FinishLoading();
    }
    // Frames until the native memory in use equals `want`; how many it took,
    // or -1 when it did not within `limit` frames.
    static int FramesUntil(const NativeUse& want, int limit) {
        for (int i = 0; i < limit; ++i) {
            if (Now() == want) return i;
            Frame();
        }
        return Now() == want ? limit : -1;
    }
    // The native memory of one loaded set, once the dead ones are gone.
    static NativeUse Settled() {
        NativeUse last = Now();
        for (int quiet = 0, i = 0; quiet < 20 && i < 300; ++i) {
            Frame();
            NativeUse now = Now();
            quiet = now == last ? quiet + 1 : 0;
            last = now;
        }
        return last;
    }
};

}  // namespace

TEST_F(ReloadMemoryTest, FiftyReloadsComeBackToOneSetWithinAFewFrames) {
    NativeUse oneSet = Settled();
    ASSERT_GE(oneSet.surfaces, 12) << "eleven images and the font";
    ASSERT_GE(oneSet.samples, 13) << "thirteen sound effects";

    const int sizes[][2] = {{800, 600}, {1024, 768}, {640, 480}, {700, 500}, {1300, 900}};
    for (int i = 0; i < 50; ++i) {
        ReloadAt(sizes[i % 5][0], sizes[i % 5][1]);
        // Never more than the new set, the old one and what is on its way out.
        ASSERT_LT(gxtkLiveSurfaces(), 3 * oneSet.surfaces) << "reload " << i;
        ASSERT_LT(gxtkLiveSamples(), 3 * oneSet.samples) << "reload " << i;
    }
    ReloadAt(640, 480);
    EXPECT_GE(FramesUntil(oneSet, 30), 0) << "now " << Now() << ", one set is " << oneSet;
    EXPECT_EQ(gc_check_heap(), 0);
}

TEST_F(ReloadMemoryTest, ASoundStillPlayingOutlivesTheReloadThatReplacedIt) {
    NativeUse oneSet = Settled();
    const int channel = 30;
    c_Sound* jingle = app()->m_Sfx[96];
    ASSERT_NE(jingle, nullptr);
    unsigned int buffer = jingle->m_sample->buffer;
    bb_audio_PlaySound(jingle, channel, 1);
    jingle = nullptr;

    ReloadAt(800, 600);
    ReloadAt(640, 480);
    Settled();
    EXPECT_EQ(gxtkLiveSamples(), oneSet.samples + 1) << "the looping jingle is still alive";
    EXPECT_TRUE(alIsBuffer(buffer));
    EXPECT_EQ(bb_audio_device->ChannelState(channel), 1);

    // Stopped, it is garbage like any other and goes with the next load.
    bb_audio_StopChannel(channel);
    ReloadAt(640, 480);
    EXPECT_GE(FramesUntil(oneSet, 30), 0) << "now " << Now() << ", one set is " << oneSet;
}

TEST_F(ReloadMemoryTest, TheTuneIsDecodedWhileLoadingAndStartsFromTheBeginning) {
    app()->m_Options[5] = 1;
    app()->p_PlayTune(String("Firstlight"), 1);
    gxtkSample* tune = bb_audio_device->music;
    ASSERT_NE(tune, nullptr);
    EXPECT_EQ(bb_audio_device->MusicState(), 1);
    ALint offset = -1;
    alGetSourcei(bb_audio_device->channels[gxtkAudio::kMusicChannel].source, AL_SAMPLE_OFFSET, &offset);
    EXPECT_LT(offset, 44100 / 2) << "starts at its beginning";

    // Reloads neither decode it again nor let it go while it plays.
    ReloadAt(800, 600);
    ReloadAt(640, 480);
    Settled();
    EXPECT_EQ(bb_audio_device->music, tune);
    app()->p_PlayTune(String("Firstlight"), 1);
    EXPECT_EQ(bb_audio_device->channels[gxtkAudio::kMusicChannel].sample, tune);
    app()->p_StopTune();
}
