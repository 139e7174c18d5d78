// Reloads give back what they replace: after many changes of the window size
// the live surfaces and samples, and the native bytes they hold, come back to
// one art set's worth within a few frames, with the heap check on after every
// collection step. A sound still playing and the tune survive the reloads.
#include <AL/al.h>
#include <unistd.h>

#include "common/test_support.h"
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

}  // namespace

class ReloadMemoryTest : public GameTest {
protected:
    // Changes the window size (which restarts the loader) and loads everything.
    static void ReloadAt(int w, int h) {
        Resize(w, h);
        if (app()->m_LoadStage == 0) app()->m_LoadStage = 1;  // the same size reloads too
        FinishLoading();
    }
};

// Fifty reloads; fifteen under AddressSanitizer, where each costs several times as much.
const int kReloads = kUnderAddressSanitizer ? 15 : 50;

TEST_F(ReloadMemoryTest, RepeatedReloadsComeBackToOneSetWithinAFewFramesWhilePlayingSoundsStay) {
    ASSERT_TRUE(gc_check_each_step);
    // Sounds still playing (the start-up jingle, earlier tests) would count
    // as part of a second set; the tune, decoded once, belongs to the first.
    // The loader started decoding it: a later load takes it in.
    ReloadAt(640, 480);
    for (int c = 0; c < gxtkAudio::kChannels; ++c) bb_audio_StopChannel(c);
    for (int i = 0; i < 500 && !bb_audio_device->music; ++i) {
        usleep(10000);
        bb_audio_LoadSound(String("sfx/001.wav"));
    }
    ASSERT_NE(bb_audio_device->music, nullptr) << "the loader prepares the tune";
    ReloadAt(640, 480);
    // One set, once the dead ones are gone: twenty quiet frames.
    NativeUse oneSet = Now();
    for (int quiet = 0, i = 0; quiet < 20 && i < 300; ++i) {
        Frame();
        quiet = Now() == oneSet ? quiet + 1 : 0;
        oneSet = Now();
    }
    // Eleven images and the default font, of which six images share the
    // page the art of a round is packed into.
    ASSERT_GE(oneSet.surfaces, 12 - 6 + 1) << "five images, the packed page and the font";
    ASSERT_GE(oneSet.samples, 13) << "thirteen sound effects";

    // The tune starts from the prepared samples; a looping jingle on a
    // channel is held by that channel alone.
    app()->m_Options[5] = 1;
    app()->p_PlayTune(String("Firstlight"), 1);
    gxtkSample* tune = bb_audio_device->music;
    ASSERT_NE(tune, nullptr);
    EXPECT_EQ(bb_audio_device->MusicState(), 1);
    const int channel = 30;
    ASSERT_NE(app()->m_Sfx[96], nullptr);
    unsigned int jingle = app()->m_Sfx[96]->m_sample->buffer;
    bb_audio_PlaySound(app()->m_Sfx[96], channel, 1);

    const int sizes[][2] = {{800, 600}, {1024, 768}, {640, 480}, {700, 500}, {1300, 900}};
    for (int i = 0; i < kReloads; ++i) {
        ReloadAt(sizes[i % 5][0], sizes[i % 5][1]);
        // Never more than the new set, the old one and what is on its way out.
        ASSERT_LT(gxtkLiveSurfaces(), 3 * oneSet.surfaces) << "reload " << i;
        ASSERT_LT(gxtkLiveSamples(), 3 * oneSet.samples) << "reload " << i;
    }
    EXPECT_TRUE(alIsBuffer(jingle));
    EXPECT_EQ(bb_audio_device->ChannelState(channel), 1);
    EXPECT_EQ(bb_audio_device->music, tune) << "neither decoded again nor let go while it plays";
    app()->p_PlayTune(String("Firstlight"), 1);
    EXPECT_EQ(bb_audio_device->channels[gxtkAudio::kMusicChannel].sample, tune);

    // Stopped, the jingle is garbage like any other and goes with the next
    // load, as do the sets replaced before.
    bb_audio_StopChannel(channel);
    ReloadAt(640, 480);
    NativeUse now = Now();
    for (int i = 0; i < 30 && !(now == oneSet); ++i) {
        Frame();
        now = Now();
    }
    EXPECT_EQ(now, oneSet);
    EXPECT_EQ(gc_check_heap(), 0);
    app()->p_StopTune();
}
