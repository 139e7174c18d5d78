// tests/audio/reconnect_test.cpp - the device while its sound device is gone
// and when one is there again: the same answers either way, every sample and
// channel back in OpenAL afterwards, and nothing left behind.
#include <AL/al.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "audio_fixture.h"
#include "sound_files.h"

namespace {

// A clock the test moves by hand, so that both runs of a script see the same
// times however busy the machine is.
double fake_now;
double FakeClock() { return fake_now; }

// Ends the collector's cycle and destroys what it found dead, so that counts
// of live samples stay put while the test runs no cycle of its own.
void CollectFully() {
    GcFinishCycle();
    GcFinishCycle();
    while (gc_free_bytes > 0) (void)Array<int>(1024);
}

class AudioReconnect : public AudioTest {
protected:
    void SetUp() override {
        fake_now = gxtkAudioClock();
        gxtkAudioClock = FakeClock;
        ASSERT_NE(Device()->alcContext, nullptr);
    }
    void TearDown() override {
        for (int ch : {13, 14, 16, 17, 18, 19, 25, 26, 32}) Device()->StopChannel(ch);
        // Leave with a device open, whatever happened.
        WaitForDevice();
        fake_now = gxtkAudioClock();
        gxtkAudioClock = [] {
            using namespace std::chrono;
            return duration<double>(steady_clock::now().time_since_epoch()).count();
        };
    }
    static void Advance(double seconds) { fake_now += seconds; }
    // Runs updates (as the game's would, the clock keeping pace with real
    // time) until a device is open and every sample is back in it.
    static bool WaitForDevice() {
        auto last = std::chrono::steady_clock::now();
        return WaitFor([&] {
            auto now = std::chrono::steady_clock::now();
            Advance(std::chrono::duration<double>(now - last).count());
            last = now;
            Device()->Update();
            return Device()->alcContext && !Device()->Restoring();
        }, 20);
    }
    static float SourceFloat(int channel, ALenum param) {
        float value = -1;
        alGetSourcef(Device()->channels[channel].source, param, &value);
        return value;
    }
    // Where the device says the channel's sound is (seconds into one turn).
    static double ModelPosition(int channel) {
        const gxtkChannel& chan = Device()->channels[channel];
        double at = chan.offset + (Device()->PlayClock() - chan.since) * chan.pitch;
        return chan.flags ? std::fmod(at, chan.sample->seconds) : at;
    }
    static int SourceInt(int channel, ALenum param) {
        int value = -1;
        alGetSourcei(Device()->channels[channel].source, param, &value);
        return value;
    }
};

// Everything the game can ask of the audio module and the device, along a
// script of play: loads, one-shot and looping sounds at other rates, pauses,
// the application's suspension, music and the collector's view of channels.
std::vector<int> PlayScript(void (*advance)(double)) {
    gxtkAudio* audio = AudioTest::Device();
    std::vector<int> answers;
    for (int ch : {13, 14}) bb_audio_SetChannelRate(ch, 1);  // rates stay with channels
    c_Sound* blip = bb_audio_LoadSound(String(AudioTest::SoundPath("blip").c_str()));  // 40 ms
    c_Sound* tone = bb_audio_LoadSound(String(AudioTest::SoundPath("tone").c_str()));  // 5 s
    answers.push_back(blip != nullptr);
    answers.push_back(tone != nullptr);
    answers.push_back(bb_audio_LoadSound(String("missing.wav")) != nullptr);
    answers.push_back(bb_audio_PlayMusic(String("missing.ogg"), 1));

    // A blip played at double speed lasts 20 ms.
    bb_audio_PlaySound(blip, 13, 0);
    bb_audio_SetChannelRate(13, 2);
    answers.push_back(audio->ChannelState(13));
    advance(0.015);
    answers.push_back(audio->ChannelState(13));
    advance(0.010);
    answers.push_back(audio->ChannelState(13));
    audio->PauseChannel(13);  // ended: stays stopped
    answers.push_back(audio->ChannelState(13));

    // Paused time does not count; a rate change counts from when it is made.
    bb_audio_PlaySound(tone, 14, 0);
    advance(1);
    audio->PauseChannel(14);
    advance(10);
    answers.push_back(audio->ChannelState(14));
    audio->ResumeChannel(14);
    advance(1);
    bb_audio_SetChannelRate(14, 0.5f);  // 3 s of sound left take 6 s
    advance(5.9);
    answers.push_back(audio->ChannelState(14));
    advance(0.2);
    answers.push_back(audio->ChannelState(14));

    // A loop never ends; neither does time pass while the application is suspended.
    bb_audio_PlaySound(blip, 16, 1);
    bb_audio_PlaySound(blip, 17, 0);
    audio->Suspend();
    advance(100);
    answers.push_back(audio->ChannelState(17));
    audio->Resume();
    advance(0.05);
    answers.push_back(audio->ChannelState(16));
    answers.push_back(audio->ChannelState(17));

    // Music: loaded, played, paused and resumed by the game every update.
    answers.push_back(bb_audio_PlayMusic(String(AudioTest::SoundPath("tone").c_str()), 1));
    advance(7);
    bb_audio_PauseMusic();
    answers.push_back(audio->MusicState());
    bb_audio_ResumeMusic();
    answers.push_back(audio->MusicState());

    // The collector keeps the samples of sounding channels only.
    bb_audio_PlaySound(blip, 18, 0);
    bb_audio_PlaySound(tone, 19, 0);
    advance(0.5);
    GcFinishCycle();
    answers.push_back(audio->channels[18].sample != nullptr);
    answers.push_back(audio->channels[19].sample != nullptr);
    answers.push_back(audio->channels[16].sample != nullptr);
    for (int ch : {14, 16, 17, 19, 32}) bb_audio_StopChannel(ch);
    return answers;
}

TEST_F(AudioReconnect, AnswersWithoutADeviceMatchAnswersWithOne) {
    std::vector<int> connected = PlayScript(Advance);
    Device()->Disconnect();
    ASSERT_EQ(Device()->alcContext, nullptr);
    std::vector<int> disconnected = PlayScript(Advance);
    EXPECT_EQ(disconnected, connected);
    EXPECT_EQ(connected, (std::vector<int>{1, 1, 0, -1, 1, 1, 0, 0, 2, 1, 0, 1, 1, 0, 0, 2, 1, 0, 1, 1}));
}

TEST_F(AudioReconnect, ALostDeviceComesBackWithEverySampleAndChannel) {
    CollectFully();
    c_Sound* tone = bb_audio_LoadSound(String(SoundPath("tone").c_str()));
    c_Sound* stereo = bb_audio_LoadSound(String(SoundPath("stereo").c_str()));
    ASSERT_EQ(bb_audio_PlayMusic(String(SoundPath("tone").c_str()), 1), 0);
    Device()->SetMusicVolume(0.25f);
    bb_audio_PlaySound(tone, 25, 0);
    bb_audio_SetChannelRate(25, 0.5f);
    bb_audio_SetChannelVolume(25, 0.5f);
    bb_audio_SetChannelPan(25, 1);
    bb_audio_PlaySound(tone, 26, 1);
    Device()->PauseChannel(26);
    Advance(7.5);  // the music is 2.5 s into its second turn, channel 25 3.75 s into the tone

    int liveSamples = gxtkLiveSamples();
    int64_t nativeBytes = gxtkSampleNativeBytes();
    Device()->Disconnect();
    EXPECT_EQ(Device()->channels[32].source, 0u);
    EXPECT_EQ(tone->m_sample->buffer, 0u);
    EXPECT_EQ(gxtkSampleNativeBytes(), nativeBytes) << "the samples are still the game's";
    // Loaded and played while there is no device.
    c_Sound* blip = bb_audio_LoadSound(String(SoundPath("blip").c_str()));
    ASSERT_NE(blip, nullptr);
    bb_audio_PlaySound(blip, 13, 1);

    testing::internal::CaptureStdout();
    ASSERT_TRUE(WaitForDevice());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "OpenAl: audio device connected\n");

    for (c_Sound* s : {tone, stereo, blip}) {
        ALint size = -1;
        alGetBufferi(s->m_sample->buffer, AL_SIZE, &size);
        EXPECT_EQ(size, s->m_sample->bytes);
    }
    EXPECT_EQ(gxtkLiveSamples(), liveSamples + 1);
    EXPECT_EQ(gxtkSampleNativeBytes(), nativeBytes + blip->m_sample->bytes);

    // The music loops on, from where it was, at its volume.
    EXPECT_EQ(Device()->MusicState(), 1);
    EXPECT_EQ(SourceInt(32, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_EQ(SourceInt(32, AL_LOOPING), AL_TRUE);
    EXPECT_FLOAT_EQ(SourceFloat(32, AL_GAIN), 0.25f);
    EXPECT_NEAR(ModelPosition(32), 2.5, 1.0);
    EXPECT_NEAR(SourceFloat(32, AL_SEC_OFFSET), ModelPosition(32), 0.25);
    // The one-shot goes on at its rate, volume and direction.
    EXPECT_EQ(SourceInt(25, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_FLOAT_EQ(SourceFloat(25, AL_PITCH), 0.5f);
    EXPECT_FLOAT_EQ(SourceFloat(25, AL_GAIN), 0.5f);
    float x = 0, y = 0, z = 0;
    alGetSource3f(Device()->channels[25].source, AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(x, std::sin(1.0f));
    EXPECT_FLOAT_EQ(z, -std::cos(1.0f));
    EXPECT_NEAR(SourceFloat(25, AL_SEC_OFFSET), ModelPosition(25), 0.25);
    // The paused channel waits at its place until the game resumes it.
    EXPECT_EQ(Device()->ChannelState(26), 2);
    EXPECT_NE(SourceInt(26, AL_SOURCE_STATE), AL_PLAYING);
    Device()->ResumeChannel(26);
    EXPECT_EQ(SourceInt(26, AL_SOURCE_STATE), AL_PLAYING);
    // What was played without a device sounds now, and so do new sounds.
    EXPECT_EQ(SourceInt(13, AL_SOURCE_STATE), AL_PLAYING);
    bb_audio_PlaySound(stereo, 14, 0);
    EXPECT_EQ(SourceInt(14, AL_SOURCE_STATE), AL_PLAYING);
}

TEST_F(AudioReconnect, AHundredLossesLeaveNothingBehind) {
    c_Sound* tone = bb_audio_LoadSound(String(SoundPath("tone").c_str()));
    bb_audio_PlaySound(tone, 13, 1);
    gxtkSample* looping = tone->m_sample;  // kept by its channel
    CollectFully();
    int liveSamples = gxtkLiveSamples();
    int64_t nativeBytes = gxtkSampleNativeBytes();
    for (int i = 0; i < 100; ++i) {
        Device()->Disconnect();
        ASSERT_TRUE(WaitForDevice()) << "after " << i << " losses";
    }
    EXPECT_EQ(gxtkLiveSamples(), liveSamples);
    EXPECT_EQ(gxtkSampleNativeBytes(), nativeBytes);
    EXPECT_EQ(DiscardedBufferCount(), 0);
    for (gxtkSample* s = looping; s; s = s->nextLive) EXPECT_TRUE(alIsBuffer(s->buffer) || s->bytes == 0);
    EXPECT_EQ(SourceInt(13, AL_SOURCE_STATE), AL_PLAYING);
}

}  // namespace
