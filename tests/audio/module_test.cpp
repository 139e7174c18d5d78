// tests/audio/module_test.cpp - the audio module the game calls.
#include <AL/al.h>

#include <sys/stat.h>

#include "audio_fixture.h"
#include "sound_files.h"

namespace {

using AudioModule = AudioTest;

TEST_F(AudioModule, LoadSoundReadsGameFileNamesFromTheDataFolder) {
    mkdir("data", 0755);
    mkdir("data/sfx", 0755);
    WriteFile("data/sfx/001.wav", ReadFile(SoundPath("blip")));
    c_Sound* sound = bb_audio_LoadSound(String("sfx/001.wav"));
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(sound->m_sample, nullptr);
    EXPECT_TRUE(alIsBuffer(sound->m_sample->buffer));
    EXPECT_NE(bb_audio_LoadSound(String("vorlin://data/sfx/001.wav")), nullptr);
}

TEST_F(AudioModule, LoadSoundOfAMissingOrUnknownFileIsNull) {
    EXPECT_EQ(bb_audio_LoadSound(String("sfx/none.wav")), nullptr);
    mkdir("data", 0755);
    WriteFile("data/tune.mp3", ReadFile(SoundPath("blip")));
    EXPECT_EQ(bb_audio_LoadSound(String("tune.mp3")), nullptr);
}

TEST_F(AudioModule, PlayingANullSoundTouchesNoChannel) {
    const int ch = 13;
    EXPECT_EQ(bb_audio_PlaySound(nullptr, ch, 0), 0);
    EXPECT_EQ(bb_audio_PlaySound((new c_Sound())->m_new2(), ch, 0), 0);
    EXPECT_EQ(Device()->channels[ch].source, 0u);
    EXPECT_EQ(Device()->ChannelState(ch), 0);
}

TEST_F(AudioModule, ChannelVolumeAppliesToEverySoundPlayedThere) {
    const int ch = 14;
    c_Sound* sound = bb_audio_LoadSound(String(SoundPath("tone").c_str()));
    bb_audio_SetChannelVolume(ch, 0);
    bb_audio_PlaySound(sound, ch, 0);
    float gain = -1;
    alGetSourcef(Device()->channels[ch].source, AL_GAIN, &gain);
    EXPECT_EQ(gain, 0.0f);
    EXPECT_EQ(Device()->ChannelState(ch), 1);
    bb_audio_SetChannelPan(ch, -1);
    bb_audio_SetChannelRate(ch, 0.5f);
    float pitch = -1;
    alGetSourcef(Device()->channels[ch].source, AL_PITCH, &pitch);
    EXPECT_EQ(pitch, 0.5f);
    bb_audio_StopChannel(ch);
    EXPECT_EQ(Device()->ChannelState(ch), 0);
}

TEST_F(AudioModule, ChannelNumbersOutsideZeroTo32NeverReachTheDevice) {
    c_Sound* sound = bb_audio_LoadSound(String(SoundPath("blip").c_str()));
    // A device that records every channel number it is handed.
    struct Recorder : gxtkAudio {
        Recorder() : gxtkAudio(NoOpenAl()) {}
        std::vector<int> seen;
        int PlaySample(gxtkSample*, int ch, int) override { seen.push_back(ch); return 0; }
        int StopChannel(int ch) override { seen.push_back(ch); return 0; }
        int SetVolume(int ch, float) override { seen.push_back(ch); return 0; }
        int SetPan(int ch, float) override { seen.push_back(ch); return 0; }
        int SetRate(int ch, float) override { seen.push_back(ch); return 0; }
    };
    Recorder* recorder = new Recorder();
    bb_audio_SetAudioDevice(recorder);
    for (int ch : {-1, 33, 64, -2147483647 - 1, 2147483647}) {
        bb_audio_PlaySound(sound, ch, 0);
        bb_audio_StopChannel(ch);
        bb_audio_SetChannelVolume(ch, 1);
        bb_audio_SetChannelPan(ch, 0);
        bb_audio_SetChannelRate(ch, 1);
    }
    bb_audio_PlaySound(sound, 0, 0);
    bb_audio_PlaySound(sound, 32, 0);
    std::vector<int> seen = recorder->seen;
    bb_audio_SetAudioDevice(Device());
    EXPECT_EQ(seen, (std::vector<int>{0, 32}));
}

TEST_F(AudioModule, PlayMusicTwiceStopsTheFirstEvenWhenTheSecondIsMissing) {
    mkdir("data", 0755);
    WriteFile("data/tune.wav", ReadFile(SoundPath("tone")));
    EXPECT_EQ(bb_audio_PlayMusic(String("tune.wav"), 1), 0);
    EXPECT_EQ(Device()->MusicState(), 1);
    bb_audio_PauseMusic();
    EXPECT_EQ(Device()->MusicState(), 2);
    bb_audio_ResumeMusic();
    EXPECT_EQ(Device()->MusicState(), 1);
    EXPECT_EQ(bb_audio_PlayMusic(String("missing.ogg"), 1), -1);
    EXPECT_EQ(Device()->MusicState(), 0);
    bb_audio_StopMusic();
}

TEST_F(AudioModule, EverythingIsHarmlessBeforeTheDeviceExists) {
    bb_audio_SetAudioDevice(nullptr);
    EXPECT_EQ(bb_audio_LoadSound(String(SoundPath("blip").c_str())), nullptr);
    EXPECT_EQ(bb_audio_PlaySound((new c_Sound())->m_new(new gxtkSample()), 0, 0), 0);
    EXPECT_EQ(bb_audio_StopChannel(0), 0);
    EXPECT_EQ(bb_audio_SetChannelVolume(0, 1), 0);
    EXPECT_EQ(bb_audio_SetChannelPan(0, 1), 0);
    EXPECT_EQ(bb_audio_SetChannelRate(0, 1), 0);
    EXPECT_EQ(bb_audio_PlayMusic(String("tune.wav"), 1), -1);
    EXPECT_EQ(bb_audio_StopMusic(), 0);
    EXPECT_EQ(bb_audio_PauseMusic(), 0);
    EXPECT_EQ(bb_audio_ResumeMusic(), 0);
    bb_audio_SetAudioDevice(Device());
}

}  // namespace
