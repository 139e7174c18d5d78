// tests/audio/reconnect_test.cpp - the device while no sound device is open
// and once one is again: the same answers either way, every sample and
// channel back in OpenAL afterwards, and nothing left behind.
#include <AL/al.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "audio_fixture.h"

namespace {

double fake_now;  // the device's clock in these tests, moved by hand

class AudioReconnect : public AudioTest {
protected:
    void SetUp() override {
        real_clock = gxtkAudioClock;
        fake_now = real_clock();
        gxtkAudioClock = [] { return fake_now; };
    }
    void TearDown() override {
        for (int ch : {13, 14, 16, 17, 25, 26, 32}) Device()->StopChannel(ch);
        EXPECT_TRUE(WaitForDevice());
        gxtkAudioClock = real_clock;
    }
    // Runs updates as the game would, the clock keeping pace with real time,
    // until a device is open and every sample is back in it.
    static bool WaitForDevice() {
        auto last = std::chrono::steady_clock::now();
        return WaitFor([&] {
            auto now = std::chrono::steady_clock::now();
            fake_now += std::chrono::duration<double>(now - last).count();
            last = now;
            Device()->Update();
            return Device()->alcContext && !Device()->Restoring();
        }, 20);
    }
    // How far apart two places in a looping sound of `length` seconds are.
    static double LoopGap(double a, double b, double length) {
        double gap = std::fabs(std::fmod(a - b, length));
        return std::min(gap, length - gap);
    }
    static float SourceFloat(int ch, ALenum param) {
        float value = -1;
        alGetSourcef(Device()->channels[ch].source, param, &value);
        return value;
    }
    double (*real_clock)();
};

// What the game can ask of the module and the device along a script of play.
std::vector<int> PlayScript() {
    gxtkAudio* audio = AudioTest::Device();
    std::vector<int> a;
    auto state = [&](int ch) { a.push_back(audio->ChannelState(ch)); };
    c_Sound* blip = bb_audio_LoadSound(String(AudioTest::SoundPath("blip").c_str()));  // 40 ms
    c_Sound* tone = bb_audio_LoadSound(String(AudioTest::SoundPath("tone").c_str()));  // 5 s
    a.push_back(blip && tone);
    a.push_back(bb_audio_PlayMusic(String("missing.ogg"), 1));
    bb_audio_SetChannelRate(14, 1);  // rates stay with channels from one run to the next

    bb_audio_PlaySound(blip, 13, 0);  // at double speed: 20 ms
    bb_audio_SetChannelRate(13, 2);
    fake_now += 0.015;
    state(13);
    fake_now += 0.010;
    state(13);

    // Paused time does not count; a new rate counts from when it is set.
    bb_audio_PlaySound(tone, 14, 0);
    fake_now += 1;
    audio->PauseChannel(14);
    fake_now += 10;
    state(14);
    audio->ResumeChannel(14);
    fake_now += 1;
    bb_audio_SetChannelRate(14, 0.5f);  // 3 s of sound left take 6 s
    fake_now += 5.9;
    state(14);
    fake_now += 0.2;
    state(14);

    // A loop goes on; the clock stands still while the application is suspended.
    bb_audio_PlaySound(blip, 16, 1);
    bb_audio_PlaySound(blip, 17, 0);
    audio->Suspend();
    fake_now += 100;
    state(17);
    audio->Resume();
    fake_now += 0.05;
    state(16);
    state(17);

    a.push_back(bb_audio_PlayMusic(String(AudioTest::SoundPath("tone").c_str()), 1));
    fake_now += 7;
    bb_audio_PauseMusic();
    a.push_back(audio->MusicState());
    bb_audio_ResumeMusic();
    a.push_back(audio->MusicState());

    // The collector keeps the samples of the channels still sounding only.
    bb_audio_PlaySound(blip, 13, 0);
    fake_now += 0.5;
    GcFinishCycle();
    a.push_back(audio->channels[13].sample != nullptr);
    a.push_back(audio->channels[16].sample != nullptr);
    return a;
}

TEST_F(AudioReconnect, AnswersWithoutADeviceMatchAnswersWithOne) {
    std::vector<int> connected = PlayScript();
    Device()->Disconnect();
    ASSERT_EQ(Device()->alcContext, nullptr);
    EXPECT_EQ(PlayScript(), connected);
    EXPECT_EQ(connected, (std::vector<int>{1, -1, 1, 0, 2, 1, 0, 1, 1, 0, 0, 2, 1, 0, 1}));
}

TEST_F(AudioReconnect, ALostDeviceComesBackWithEverySampleAndChannelAndLeavesNothingBehind) {
    GcFinishCycle();
    GcFinishCycle();
    while (gc_free_bytes > 0) (void)Array<int>(1024);  // no sample dies later in the test
    c_Sound* tone = bb_audio_LoadSound(String(SoundPath("tone").c_str()));  // 5 s
    const double started = fake_now;  // the music and channel 25 start now
    ASSERT_EQ(bb_audio_PlayMusic(String(SoundPath("tone").c_str()), 1), 0);
    Device()->SetMusicVolume(0.25f);
    bb_audio_PlaySound(tone, 25, 0);
    bb_audio_SetChannelRate(25, 0.5f);
    bb_audio_SetChannelVolume(25, 0.5f);
    bb_audio_SetChannelPan(25, 1);
    bb_audio_PlaySound(tone, 26, 1);
    Device()->PauseChannel(26);
    fake_now += 7.5;  // the music 2.5 s into its second turn
    int liveSamples = gxtkLiveSamples();
    int64_t nativeBytes = gxtkSampleNativeBytes();

    Device()->Disconnect();
    EXPECT_EQ(tone->m_sample->buffer, 0u);
    c_Sound* blip = bb_audio_LoadSound(String(SoundPath("blip").c_str()));  // loaded and played meanwhile
    bb_audio_PlaySound(blip, 13, 1);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(WaitForDevice());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "OpenAl: audio device connected\n");
    ALint size = -1;
    alGetBufferi(tone->m_sample->buffer, AL_SIZE, &size);
    EXPECT_EQ(size, tone->m_sample->bytes);

    // While the device came back the test's clock moved with real time, as
    // OpenAL's mixer plays, so each sound must be where that much play time
    // takes it; OpenAL reports a source's place to within one mixing period.
    const double played = fake_now - started;
    const double kMixerSlack = 0.05;
    EXPECT_NEAR(played, 7.5, 1.0) << "the device came back within a second";
    // The music loops on from where it was (2.5 s into its second turn, and
    // on since), at its volume.
    EXPECT_EQ(Device()->MusicState(), 1);
    EXPECT_EQ(SourceState(32), AL_PLAYING);
    EXPECT_NEAR(LoopGap(SourceFloat(32, AL_SEC_OFFSET), played, 5.0), 0, kMixerSlack);
    EXPECT_FLOAT_EQ(SourceFloat(32, AL_GAIN), 0.25f);
    // The one-shot goes on at its place (half of the time played, at rate
    // 0.5), rate, volume and direction.
    EXPECT_EQ(SourceState(25), AL_PLAYING);
    EXPECT_NEAR(SourceFloat(25, AL_SEC_OFFSET), played * 0.5, kMixerSlack);
    EXPECT_FLOAT_EQ(SourceFloat(25, AL_PITCH), 0.5f);
    EXPECT_FLOAT_EQ(SourceFloat(25, AL_GAIN), 0.5f);
    float x = 0, y = 0, z = 0;
    alGetSource3f(Device()->channels[25].source, AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(x, std::sin(1.0f));
    // The paused channel waits until the game resumes it; what was played
    // without a device sounds, and so do new sounds.
    EXPECT_NE(SourceState(26), AL_PLAYING);
    Device()->ResumeChannel(26);
    EXPECT_EQ(SourceState(26), AL_PLAYING);
    EXPECT_EQ(SourceState(13), AL_PLAYING);
    bb_audio_PlaySound(blip, 14, 0);
    EXPECT_EQ(SourceState(14), AL_PLAYING);

    for (int i = 0; i < 99; ++i) {
        Device()->Disconnect();
        ASSERT_TRUE(WaitForDevice()) << "after " << i + 2 << " losses";
    }
    EXPECT_EQ(gxtkLiveSamples(), liveSamples + 1);
    EXPECT_EQ(gxtkSampleNativeBytes(), nativeBytes + blip->m_sample->bytes);
    EXPECT_EQ(DiscardedBufferCount(), 0);
    EXPECT_EQ(SourceState(13), AL_PLAYING);
}

TEST_F(AudioReconnect, ASampleGivenUpWhileItIsReadAgainIsNotUploaded) {
    c_Sound* blip = bb_audio_LoadSound(String(SoundPath("blip").c_str()));
    c_Sound* tone = bb_audio_LoadSound(String(SoundPath("tone").c_str()));
    bb_audio_PlaySound(blip, 17, 1);  // sounding: the first to be read again
    Device()->Disconnect();
    ASSERT_TRUE(WaitFor([&] {
        Device()->Update();
        return Device()->Restoring() && !blip->m_sample->reload;
    })) << "a device opened and the blip is being read";
    ASSERT_EQ(blip->m_sample->buffer, 0u);
    blip->m_sample->Discard();
    ASSERT_TRUE(WaitForDevice());
    EXPECT_EQ(blip->m_sample->buffer, 0u);
    EXPECT_NE(tone->m_sample->buffer, 0u);
    EXPECT_EQ(Device()->ChannelState(17), 1);
    EXPECT_EQ(DiscardedBufferCount(), 0);
}

}  // namespace
