// tests/audio/device_test.cpp - gxtkAudio on OpenAL Soft: channels, music,
// suspension and the deferred deletion of buffers.
#include <AL/al.h>

#include <cmath>
#include <thread>

#include "audio_fixture.h"
#include "sound_files.h"

namespace {

using AudioDevice = AudioTest;

float SourceFloat(int channel, ALenum param) {
    float value = -1;
    alGetSourcef(AudioTest::Device()->channels[channel].source, param, &value);
    return value;
}

bool IsBuffer(unsigned int name) { return alIsBuffer(name) == AL_TRUE; }

TEST_F(AudioDevice, OpensOnTheNullBackend) {
    EXPECT_NE(Device()->alcDevice, nullptr);
    EXPECT_NE(Device()->alcContext, nullptr);
}

TEST_F(AudioDevice, LoadSampleUploadsTheWholeFileIntoOneBuffer) {
    gxtkSample* sample = Device()->LoadSample(String(SoundPath("stereo").c_str()));
    ASSERT_NE(sample, nullptr);
    ASSERT_TRUE(IsBuffer(sample->buffer));
    ALint size = 0, channels = 0, bits = 0, frequency = 0;
    alGetBufferi(sample->buffer, AL_SIZE, &size);
    alGetBufferi(sample->buffer, AL_CHANNELS, &channels);
    alGetBufferi(sample->buffer, AL_BITS, &bits);
    alGetBufferi(sample->buffer, AL_FREQUENCY, &frequency);
    EXPECT_EQ(size, 44100 * 2 * 2);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(frequency, 44100);
}

TEST_F(AudioDevice, LoadSampleOfAMissingOrUnknownFileIsNull) {
    EXPECT_EQ(Device()->LoadSample(String("/nonexistent/x.wav")), nullptr);
    WriteFile("sound.mp3", ReadFile(SoundPath("blip")));
    EXPECT_EQ(Device()->LoadSample(String("sound.mp3")), nullptr);
}

TEST_F(AudioDevice, ChannelStateFollowsPlayPauseResumeAndStop) {
    const int ch = 0;
    gxtkSample* tone = Device()->LoadSample(String(SoundPath("tone").c_str()));
    ASSERT_NE(tone, nullptr);
    EXPECT_EQ(Device()->ChannelState(ch), 0);

    Device()->PlaySample(tone, ch, 0);
    EXPECT_EQ(Device()->ChannelState(ch), 1);
    EXPECT_EQ(SourceState(ch), AL_PLAYING);

    Device()->PauseChannel(ch);
    EXPECT_EQ(Device()->ChannelState(ch), 2);
    EXPECT_EQ(SourceState(ch), AL_PAUSED);

    Device()->ResumeChannel(ch);
    EXPECT_EQ(Device()->ChannelState(ch), 1);
    EXPECT_EQ(SourceState(ch), AL_PLAYING);

    Device()->StopChannel(ch);
    EXPECT_EQ(Device()->ChannelState(ch), 0);
    EXPECT_EQ(SourceState(ch), AL_STOPPED);

    Device()->ResumeChannel(ch);  // only a paused channel resumes
    EXPECT_EQ(Device()->ChannelState(ch), 0);
    EXPECT_EQ(SourceState(ch), AL_STOPPED);
}

TEST_F(AudioDevice, OneShotSoundReachesStoppedAndDoesNotResume) {
    const int ch = 1;
    gxtkSample* blip = Device()->LoadSample(String(SoundPath("blip").c_str()));
    ASSERT_NE(blip, nullptr);
    Device()->PlaySample(blip, ch, 0);
    ASSERT_TRUE(WaitFor([&] { return Device()->ChannelState(ch) == 0; }));
    Device()->ResumeChannel(ch);
    EXPECT_EQ(Device()->ChannelState(ch), 0);
    EXPECT_EQ(SourceState(ch), AL_STOPPED);
}

TEST_F(AudioDevice, PausingASoundThatHasEndedStopsTheChannel) {
    const int ch = 2;
    gxtkSample* blip = Device()->LoadSample(String(SoundPath("blip").c_str()));
    Device()->PlaySample(blip, ch, 0);
    ASSERT_TRUE(WaitForEnd(ch));
    Device()->PauseChannel(ch);
    EXPECT_EQ(Device()->ChannelState(ch), 0);
}

TEST_F(AudioDevice, LoopingSoundKeepsPlayingPastItsEnd) {
    const int ch = 3;
    gxtkSample* blip = Device()->LoadSample(String(SoundPath("blip").c_str()));
    Device()->PlaySample(blip, ch, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // five times its length
    EXPECT_EQ(Device()->ChannelState(ch), 1);
    EXPECT_EQ(SourceState(ch), AL_PLAYING);
    Device()->StopChannel(ch);
}

TEST_F(AudioDevice, SuspendAndResumeLeaveAGamePausedChannelPaused) {
    const int playing = 4, paused = 5;
    gxtkSample* tone = Device()->LoadSample(String(SoundPath("tone").c_str()));
    Device()->PlaySample(tone, playing, 1);
    Device()->PlaySample(tone, paused, 1);
    Device()->PauseChannel(paused);

    Device()->Suspend();
    EXPECT_EQ(SourceState(playing), AL_PAUSED);
    EXPECT_EQ(Device()->ChannelState(playing), 1);  // the game still sees it playing
    EXPECT_EQ(Device()->ChannelState(paused), 2);

    Device()->Resume();
    EXPECT_EQ(SourceState(playing), AL_PLAYING);
    EXPECT_EQ(Device()->ChannelState(playing), 1);
    EXPECT_EQ(SourceState(paused), AL_PAUSED);
    EXPECT_EQ(Device()->ChannelState(paused), 2);

    Device()->StopChannel(playing);
    Device()->StopChannel(paused);
}

TEST_F(AudioDevice, VolumeSetBeforeTheFirstSoundStaysWithTheChannel) {
    const int ch = 6;
    ASSERT_EQ(Device()->channels[ch].source, 0u);
    Device()->SetVolume(ch, 0.5f);
    ASSERT_NE(Device()->channels[ch].source, 0u);  // the source was made for it
    gxtkSample* tone = Device()->LoadSample(String(SoundPath("tone").c_str()));
    Device()->PlaySample(tone, ch, 0);
    EXPECT_FLOAT_EQ(SourceFloat(ch, AL_GAIN), 0.5f);
    Device()->PlaySample(tone, ch, 0);
    EXPECT_FLOAT_EQ(SourceFloat(ch, AL_GAIN), 0.5f);
    Device()->StopChannel(ch);
}

TEST_F(AudioDevice, PanTurnsTheSoundAroundTheListener) {
    const int ch = 7;
    float x = 0, y = 0, z = 0;
    Device()->SetPan(ch, 0);
    alGetSource3f(Device()->channels[ch].source, AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(x, 0);
    EXPECT_FLOAT_EQ(y, 0);
    EXPECT_FLOAT_EQ(z, -1);  // straight ahead
    Device()->SetPan(ch, 1);
    alGetSource3f(Device()->channels[ch].source, AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(x, std::sin(1.0f));  // about 57 degrees to the right
    EXPECT_FLOAT_EQ(z, -std::cos(1.0f));
}

TEST_F(AudioDevice, RateSetsThePlaybackSpeed) {
    const int ch = 8;
    Device()->SetRate(ch, 1.5f);
    EXPECT_FLOAT_EQ(SourceFloat(ch, AL_PITCH), 1.5f);
}

TEST_F(AudioDevice, ChannelNumbersOutsideTheDeviceAreIgnored) {
    gxtkSample* blip = Device()->LoadSample(String(SoundPath("blip").c_str()));
    for (int ch : {-1, 33, 1000, -2147483647 - 1}) {
        EXPECT_EQ(Device()->PlaySample(blip, ch, 0), 0);
        EXPECT_EQ(Device()->ChannelState(ch), 0);
        Device()->PauseChannel(ch);
        Device()->ResumeChannel(ch);
        Device()->StopChannel(ch);
        Device()->SetVolume(ch, 1);
        Device()->SetPan(ch, 1);
        Device()->SetRate(ch, 1);
    }
}

TEST_F(AudioDevice, MusicPlaysOnChannel32AndAMissingFileStopsIt) {
    ASSERT_EQ(Device()->PlayMusic(String(SoundPath("tone").c_str()), 1), 0);
    EXPECT_EQ(Device()->MusicState(), 1);
    EXPECT_EQ(Device()->ChannelState(32), 1);
    Device()->SetMusicVolume(0.25f);
    EXPECT_FLOAT_EQ(SourceFloat(32, AL_GAIN), 0.25f);
    Device()->PauseMusic();
    EXPECT_EQ(Device()->MusicState(), 2);
    Device()->ResumeMusic();
    EXPECT_EQ(Device()->MusicState(), 1);

    EXPECT_EQ(Device()->PlayMusic(String("/nonexistent/music.ogg"), 1), -1);
    EXPECT_EQ(Device()->MusicState(), 0);
    EXPECT_EQ(SourceState(32), AL_STOPPED);
}

// ---------------------------------------------------------------------------
// Deferred buffer deletion
// ---------------------------------------------------------------------------

TEST_F(AudioDevice, DiscardedBufferOfAPlayingSoundIsDeletedOnlyAfterItsChannelMovesOn) {
    const int ch = 9;  // and 10
    gxtkSample* tone = Device()->LoadSample(String(SoundPath("tone").c_str()));
    gxtkSample* blip = Device()->LoadSample(String(SoundPath("blip").c_str()));
    unsigned int buffer = tone->buffer;
    Device()->PlaySample(tone, ch, 0);
    tone->Discard();
    EXPECT_EQ(tone->buffer, 0u);

    // OpenAL hands out a deleted name again at once, so each check comes
    // straight after the flush, before any new buffer is made.
    Device()->PlaySample(blip, ch + 1, 0);  // flushes while the tone plays
    EXPECT_TRUE(IsBuffer(buffer));
    EXPECT_EQ(SourceState(ch), AL_PLAYING);

    Device()->StopChannel(ch);  // stopped by the game: the source still holds it
    FlushDiscarded(Device());
    EXPECT_TRUE(IsBuffer(buffer));

    Device()->PlaySample(blip, ch, 0);  // the channel takes another buffer
    Device()->PlaySample(blip, ch + 1, 0);
    EXPECT_FALSE(IsBuffer(buffer));
}

TEST_F(AudioDevice, DiscardedBufferOfAFinishedOneShotIsDetachedAndDeleted) {
    const int ch = 15;
    gxtkSample* blip = Device()->LoadSample(String(SoundPath("blip").c_str()));
    unsigned int buffer = blip->buffer;
    Device()->PlaySample(blip, ch, 0);
    blip->Discard();
    ASSERT_TRUE(WaitForEnd(ch));
    EXPECT_TRUE(IsBuffer(buffer));
    int queued = DiscardedBufferCount();
    gxtkSample* next = Device()->LoadSample(String(SoundPath("blip").c_str()));  // flushes first
    EXPECT_EQ(DiscardedBufferCount(), queued - 1);
    EXPECT_EQ(Device()->ChannelState(ch), 0);
    EXPECT_TRUE(next->buffer == buffer || !IsBuffer(buffer));  // OpenAL may reuse the name
}

TEST_F(AudioDevice, EarlierOpenAlErrorDoesNotKeepADeletedBufferQueued) {
    gxtkSample* idle = Device()->LoadSample(String(SoundPath("blip").c_str()));
    unsigned int buffer = idle->buffer;
    int queued = DiscardedBufferCount();
    idle->Discard();
    EXPECT_EQ(DiscardedBufferCount(), queued + 1);
    alSourcef(Device()->channels[11].AL_Source(), AL_GAIN, -1.0f);  // leaves AL_INVALID_VALUE pending
    FlushDiscarded(Device());
    EXPECT_FALSE(IsBuffer(buffer));
    EXPECT_EQ(DiscardedBufferCount(), queued);
}

TEST_F(AudioDevice, LoadingIntoASampleAgainLetsItsEarlierBufferGo) {
    int64_t bytes = gxtkSampleNativeBytes();
    gxtkSample* sample = Device()->LoadSample(String(SoundPath("tone").c_str()));
    ASSERT_NE(sample, nullptr);
    unsigned int first = sample->buffer;
    ASSERT_EQ(Device()->LoadSample__UNSAFE__(sample, String(SoundPath("blip").c_str())), sample);
    EXPECT_EQ(gxtkSampleNativeBytes() - bytes, 882 * 2);
    FlushDiscarded(Device());
    EXPECT_FALSE(IsBuffer(first));
    EXPECT_TRUE(IsBuffer(sample->buffer));
}

TEST_F(AudioDevice, UnreadableSampleFormatGivesASilentSample) {
    WriteFile("wide.wav", PcmWav(1, 22050, 24, std::string(300, '\x10')));
    gxtkSample* wide = Device()->LoadSample(String("wide.wav"));
    ASSERT_NE(wide, nullptr);
    ALint size = -1;
    alGetBufferi(wide->buffer, AL_SIZE, &size);
    EXPECT_EQ(size, 0);
    Device()->PlaySample(wide, 12, 0);  // plays nothing, harms nothing
    Device()->StopChannel(12);
}

}  // namespace
