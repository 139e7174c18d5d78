// Sound effects on their channel rotation, the sound modes and the tune.
#include "game_world.h"

namespace {

class SoundTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (IsSkipped()) return;
        FinishLoading();
        app()->m_Options[5] = 1;
        app()->p_StopTune();
        for (int c = 0; c < 32; ++c) bb_audio_StopChannel(c);
    }
    void TearDown() override {
        if (!app()) return;
        app()->m_Options[5] = 1;
        app()->p_StopTune();
    }
    static int State(int channel) { return bb_audio_device->ChannelState(channel); }
};

}  // namespace

TEST_F(SoundTest, EffectsRotateOverTwentyFourChannels) {
    c_MyApp* a = app();
    a->m_SfxChan = 0;
    a->p_PlaySFX2(9, 1);  // game over: long enough to still sound
    EXPECT_EQ(a->m_SfxChan, 1);
    EXPECT_EQ(State(1), 1);
    for (int i = 0; i < 23; ++i) a->p_PlaySFX(9, 1.0f, 0.5f, 0);
    EXPECT_EQ(a->m_SfxChan, 0);
    for (int c = 0; c < 24; ++c) EXPECT_EQ(State(c), 1) << "channel " << c;
    EXPECT_EQ(State(24), 0) << "effects never reach channel 24";
    a->p_PlaySFX2(1, 1);  // the 25th lands where the first did, cutting it
    EXPECT_EQ(a->m_SfxChan, 1);
}

TEST_F(SoundTest, ModesWithoutEffectsNeitherStopNorStartAnything) {
    c_MyApp* a = app();
    a->m_SfxChan = 5;
    a->p_PlaySFX2(9, 1);
    ASSERT_EQ(State(6), 1);
    for (int mode : {0, 3}) {
        a->m_Options[5] = mode;
        a->m_SfxChan = 5;
        a->p_PlaySFX2(9, 1);
        EXPECT_EQ(a->m_SfxChan, 5) << "mode " << mode;
        EXPECT_EQ(State(6), 1) << "mode " << mode;
    }
    a->m_Options[5] = 2;
    a->p_PlaySFX2(9, 1);
    EXPECT_EQ(a->m_SfxChan, 6);
}

TEST_F(SoundTest, AMissingEffectStillCutsItsChannel) {
    c_MyApp* a = app();
    a->m_SfxChan = 2;
    a->p_PlaySFX2(9, 1);
    ASSERT_EQ(State(3), 1);
    a->m_SfxChan = 2;
    a->p_PlaySFX(50, 1.0f, 1.0f, 0);  // slot 50 holds no sound
    EXPECT_EQ(State(3), 0);
    a->p_PlaySFX(-1, 1.0f, 1.0f, 0);  // nor does a slot outside the table
    EXPECT_EQ(a->m_SfxChan, 4);
}

TEST_F(SoundTest, TheTunePlaysOnlyInMusicModesAndFollowsThePause) {
    c_MyApp* a = app();
    a->p_PlayTune(String("Firstlight"), 1);
    EXPECT_EQ(a->m_TunePlaying, 1);
    EXPECT_EQ(bb_audio_device->MusicState(), 1);

    a->m_Paused = 1;
    Update();
    EXPECT_EQ(bb_audio_device->MusicState(), 2) << "paused with the game";
    Update();
    EXPECT_EQ(bb_audio_device->MusicState(), 2);
    a->m_Paused = 0;
    Update();
    EXPECT_EQ(bb_audio_device->MusicState(), 1);

    a->m_Options[5] = 2;
    a->p_PlayTune(String("Firstlight"), 1);
    EXPECT_EQ(a->m_TunePlaying, 0) << "a mode without music stops the running tune";
    EXPECT_EQ(bb_audio_device->MusicState(), 0);
    a->m_Options[5] = 3;
    a->p_PlayTune(String("Firstlight"), 1);
    EXPECT_EQ(bb_audio_device->MusicState(), 1);
    a->p_StopTune();
    EXPECT_EQ(a->m_TunePlaying, 0);
    EXPECT_EQ(bb_audio_device->MusicState(), 0);
}
