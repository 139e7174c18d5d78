// tests/audio/collector_test.cpp - the device keeps playing samples alive and
// lets finished ones go.
#include <AL/al.h>

#include "audio_fixture.h"
#include "common/test_support.h"

#include <set>

namespace {

using DeviceAndCollector = AudioTest;

// Names of the probe samples destroyed so far (probes may outlive the test
// that made them, so they report here rather than to a test's locals).
std::set<std::string>& Destroyed() {
    static std::set<std::string> names;
    return names;
}

bool IsDestroyed(const std::string& name) { return Destroyed().count(name) != 0; }

// A sample that reports its own destruction.
class ProbeSample : public gxtkSample {
public:
    explicit ProbeSample(const std::string& name) : name_(name) {}
    ~ProbeSample() override { Destroyed().insert(name_); }

private:
    std::string name_;
};

// Ends the current collector cycle and destroys what it found dead (the
// collector destroys lazily, inside later allocations).
void CollectFully() {
    GcFinishCycle();
    GcFinishCycle();
    while (gc_free_bytes > 0) (void)Array<int>(1024);
}

ProbeSample* LoadProbe(const std::string& path, const std::string& name) {
    gxtkSample* s = AudioTest::Device()->LoadSample__UNSAFE__(new ProbeSample(name), String(path.c_str()));
    return static_cast<ProbeSample*>(s);
}

TEST_F(DeviceAndCollector, LoopingSampleHeldOnlyByItsChannelStaysAlive) {
    const int ch = 20;
    ProbeSample* sample = LoadProbe(SoundPath("blip"), "looping");
    ASSERT_NE(sample, nullptr);
    unsigned int buffer = sample->buffer;
    Device()->PlaySample(sample, ch, 1);
    sample = nullptr;  // the game forgets it

    CollectFully();
    EXPECT_FALSE(IsDestroyed("looping"));
    EXPECT_EQ(SourceState(ch), AL_PLAYING);
    EXPECT_TRUE(alIsBuffer(buffer));

    Device()->StopChannel(ch);
    CollectFully();
    EXPECT_TRUE(IsDestroyed("looping"));
    FlushDiscarded(Device());  // the stopped source still holds the buffer
    EXPECT_TRUE(alIsBuffer(buffer));
}

TEST_F(DeviceAndCollector, PausedSampleStaysAliveAndFinishedOneShotIsCollected) {
    const int pausedCh = 21, oneShotCh = 22;
    Device()->PlaySample(LoadProbe(SoundPath("tone"), "paused"), pausedCh, 0);
    Device()->PauseChannel(pausedCh);
    ProbeSample* oneShot = LoadProbe(SoundPath("blip"), "one-shot");
    unsigned int oneShotBuffer = oneShot->buffer;
    Device()->PlaySample(oneShot, oneShotCh, 0);
    oneShot = nullptr;
    ASSERT_TRUE(WaitForEnd(oneShotCh));

    CollectFully();
    EXPECT_FALSE(IsDestroyed("paused"));
    EXPECT_TRUE(IsDestroyed("one-shot"));
    EXPECT_EQ(Device()->ChannelState(pausedCh), 2);

    // Its buffer was queued by the destructor and goes at the next flush.
    FlushDiscarded(Device());
    EXPECT_FALSE(alIsBuffer(oneShotBuffer));
    Device()->StopChannel(pausedCh);
}

TEST_F(DeviceAndCollector, HeapStaysConsistentWhileChannelsPlay) {
    gc_check_each_step = true;
    Device()->PlaySample(LoadProbe(SoundPath("tone"), "kept"), 23, 1);
    for (int i = 0; i < 5; ++i) {
        c_Sound* sound = bb_audio_LoadSound(String(SoundPath("blip").c_str()));
        bb_audio_PlaySound(sound, 24, 0);
        gc_collect();
        EXPECT_EQ(gc_check_heap(), 0);
        GcFinishCycle();
    }
    EXPECT_FALSE(IsDestroyed("kept"));
    gc_check_each_step = false;
    Device()->StopChannel(23);
}

}  // namespace
