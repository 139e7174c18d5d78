// tests/audio/audio_fixture.cpp - the real OpenAL device for the audio tests.
#include "audio_fixture.h"

#include <AL/al.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <thread>

#include "common/test_support.h"
#include "host/desktop.h"
#include "sound_files.h"

namespace {

ScopedTempDir* temp_dir;

}  // namespace

void AudioTest::SetUpTestSuite() { Device(); }

gxtkAudio* AudioTest::Device() {
    static gxtkAudio* device = [] {
        if (!BBGame::_game) new BBDesktopGame();
        temp_dir = new ScopedTempDir();  // also the working directory
        bb_audio_init();
        gxtkAudio* audio = new gxtkAudio();
        bb_audio_SetAudioDevice(audio);
        return audio;
    }();
    return device;
}

std::string AudioTest::SoundPath(const std::string& name) {
    Device();
    std::string path = temp_dir->path() + "/" + name + ".wav";
    static std::map<std::string, bool> written;
    if (!written[name]) {
        if (name == "tone") {
            WriteFile(path, PcmWav(1, 22050, 16, SineSamples16(5 * 22050, 1, 22050, 440, 0.5)));
        } else if (name == "blip") {
            WriteFile(path, PcmWav(1, 22050, 16, SineSamples16(882, 1, 22050, 440, 0.5)));
        } else if (name == "stereo") {
            WriteFile(path, PcmWav(2, 44100, 16, SineSamples16(44100, 2, 44100, 440, 0.5)));
        } else {
            ADD_FAILURE() << "no test sound called " << name;
        }
        written[name] = true;
    }
    return path;
}

int AudioTest::SourceState(int channel) {
    ALint state = 0;
    alGetSourcei(Device()->channels[channel].source, AL_SOURCE_STATE, &state);
    return state;
}

bool AudioTest::WaitForEnd(int channel) {
    const gxtkChannel& chan = Device()->channels[channel];
    return WaitFor([&] {
        double at = chan.offset + (Device()->PlayClock() - chan.since) * chan.pitch;
        return SourceState(channel) == AL_STOPPED && chan.sample && at >= chan.sample->seconds;
    });
}

bool AudioTest::WaitFor(const std::function<bool()>& done, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string TestRole() {
    const char* role = std::getenv("LANTERN_AUDIO_ROLE");
    return role ? role : "";
}

ChildResult RunTestInNewProcess(const std::string& test, const std::string& role,
                                const std::vector<std::string>& env) {
    std::vector<std::string> all = env;
    all.push_back("LANTERN_AUDIO_ROLE=" + role);
    return RunProgram({"/proc/self/exe", "--gtest_filter=" + test}, all, "", 60);
}
