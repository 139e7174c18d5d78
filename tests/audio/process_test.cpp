// tests/audio/process_test.cpp - the device in processes of their own: no
// sound device at all, and OpenAL Soft writing what it plays to a WAV file.
#include <AL/al.h>
#include <AL/alc.h>

#include <cstdlib>

#include "audio_fixture.h"
#include "sound_files.h"

namespace {

using AudioProcess = AudioTest;

// In the child: a device that cannot open. Every operation must still be
// safe, and the program goes on.
TEST(AudioWithoutDevice, PrintsTheErrorAndGoesOnSilently) {
    if (TestRole() == "no-device") {
        gxtkAudio* audio = AudioTest::Device();
        EXPECT_EQ(audio->alcDevice, nullptr);
        c_Sound* sound = bb_audio_LoadSound(String(AudioTest::SoundPath("blip").c_str()));
        bb_audio_PlaySound(sound, 0, 0);
        bb_audio_PlaySound(sound, 1, 1);
        bb_audio_SetChannelVolume(1, 0.5f);
        bb_audio_SetChannelPan(1, 0.5f);
        bb_audio_SetChannelRate(1, 2);
        audio->PauseChannel(1);
        audio->ResumeChannel(1);
        audio->Suspend();
        audio->Resume();
        bb_audio_PlayMusic(String(AudioTest::SoundPath("tone").c_str()), 1);
        bb_audio_PauseMusic();
        bb_audio_ResumeMusic();
        bb_audio_StopMusic();
        sound->m_sample->Discard();
        audio->LoadSample(String(AudioTest::SoundPath("blip").c_str()));
        // Silent, but timed as with sound: the blip ends after its 40 ms.
        EXPECT_TRUE(AudioTest::WaitFor([&] { return audio->ChannelState(0) == 0; }));
        EXPECT_EQ(audio->ChannelState(1), 1);  // looping
        std::printf("still running\n");
        return;
    }
    if (!TestRole().empty()) GTEST_SKIP();
    ChildResult r = RunTestInNewProcess("AudioWithoutDevice.*", "no-device", {"ALSOFT_DRIVERS=no-such-backend"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("OpenAl error: alcOpenDevice failed\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("still running"), std::string::npos) << r.out;
}

// Parses the samples of a 16-bit WAV file written by OpenAL Soft (plain or
// extensible format); their peak value, or -1 when the file is not usable.
int PeakOfWaveFile(const std::string& bytes) {
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0) return -1;
    size_t pos = 12;
    int bits = 0;
    while (pos + 8 <= bytes.size()) {
        const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data() + pos);
        uint32_t size = b[4] | b[5] << 8 | b[6] << 16 | static_cast<uint32_t>(b[7]) << 24;
        if (bytes.compare(pos, 4, "fmt ") == 0) bits = b[8 + 14] | b[8 + 15] << 8;
        if (bytes.compare(pos, 4, "data") == 0) {
            if (bits != 16) return -1;
            size_t end = bytes.size();  // the size field may not be final
            int peak = 0;
            for (size_t i = pos + 8; i + 1 < end; i += 2) {
                int v = static_cast<int16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8);
                peak = std::max(peak, std::abs(v));
            }
            return peak;
        }
        pos += 8 + size + (size & 1);
    }
    return -1;
}

TEST(AudioWaveOutput, PlayedSoundReachesTheWrittenFile) {
    if (TestRole() == "wave") {
        gxtkAudio* audio = AudioTest::Device();
        ASSERT_NE(audio->alcContext, nullptr);
        c_Sound* sound = bb_audio_LoadSound(String(AudioTest::SoundPath("tone").c_str()));
        bb_audio_SetChannelVolume(0, 0.8f);
        bb_audio_PlaySound(sound, 0, 0);
        AudioTest::WaitFor([] { return false; }, 0.5);
        bb_audio_StopChannel(0);
        // Closing finishes the file's header; the game never closes its device.
        audio->Disconnect();
        return;
    }
    if (!TestRole().empty()) GTEST_SKIP();
    ScopedTempDir dir;
    std::string out = dir.path() + "/out.wav";
    WriteFile(dir.path() + "/alsoft.conf",
              "[general]\ndrivers=wave\nsample-type=int16\nchannels=stereo\n[wave]\nfile=" + out + "\n");
    ChildResult r = RunTestInNewProcess("AudioWaveOutput.*", "wave",
                                        {"ALSOFT_DRIVERS", "ALSOFT_CONF=" + dir.path() + "/alsoft.conf"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::string written = ReadFile(out);
    ASSERT_GT(written.size(), 44u * 1000) << "the wave backend wrote almost nothing";
    int peak = PeakOfWaveFile(written);
    // The tone peaks at half scale; played at gain 0.8 it must be clearly audible.
    EXPECT_GT(peak, 4000);
    std::printf("peak of the written sound: %d of 32767\n", peak);
}

}  // namespace
