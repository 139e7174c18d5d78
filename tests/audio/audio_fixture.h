// tests/audio/audio_fixture.h - the real OpenAL device for the audio tests.
//
// One gxtkAudio per test process, as in the game: it is created on first use
// (with a host for file loading) and registered as bb_audio_device. Tests run
// it on OpenAL Soft's null backend (ALSOFT_DRIVERS=null), which mixes in real
// time without a sound card, so source states advance as they would on
// speakers. Each test uses channels of its own, so tests stay independent
// when the whole program runs in one process.
#ifndef LANTERN_TESTS_AUDIO_AUDIO_FIXTURE_H
#define LANTERN_TESTS_AUDIO_AUDIO_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "audio/audio.h"
#include "common/test_support.h"

class AudioTest : public ::testing::Test {
public:
    static void SetUpTestSuite();

    // The process's device.
    static gxtkAudio* Device();
    // Absolute path of a WAV file in the suite's temporary folder (the
    // working directory), written on first use: "tone" is 5 s of a mono
    // 16-bit 440 Hz tone at 22050 Hz, "blip" 40 ms of it, "stereo" 1 s of
    // stereo.
    static std::string SoundPath(const std::string& name);
    // OpenAL's view of a channel's source.
    static int SourceState(int channel);
    // Waits until a one-shot sound on `channel` is over for OpenAL and for the
    // device, without asking the device (ChannelState would stop the channel).
    // The device times sounds by its own clock; OpenAL's mixer may start and
    // end a sound up to one of its periods earlier or later.
    static bool WaitForEnd(int channel);
    // Polls `done` every 5 ms for up to `seconds`.
    static bool WaitFor(const std::function<bool()>& done, double seconds = 3.0);
};

// Runs this test program again with only `test` selected, the extra
// environment (NAME=VALUE, or NAME alone to remove it) and `role` in
// LANTERN_AUDIO_ROLE; what the other run printed and how it ended.
ChildResult RunTestInNewProcess(const std::string& test, const std::string& role,
                                const std::vector<std::string>& env);
// The role this process was started for, or "" in a normal run.
std::string TestRole();

#endif
