// The main loop's schedule, catch-up, suspension and waiting, driven by a
// clock the test controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fake_host.h"
#include "runtime/error.h"

namespace {

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        delegate = new RecordingDelegate();
        delegate->host = &host;
        host.SetDelegate(delegate);
        host.log = &delegate->calls;
    }
    // The calls after start, joined with spaces.
    std::string Calls(size_t from = 1) const {
        std::string s;
        for (size_t i = from; i < delegate->calls.size(); ++i) s += (s.empty() ? "" : " ") + delegate->calls[i];
        return s;
    }
    int Count(const std::string& what) const {
        return static_cast<int>(std::count(delegate->calls.begin(), delegate->calls.end(), what));
    }
    FakeHost host;
    RecordingDelegate* delegate = nullptr;
};

}  // namespace

TEST_F(MainLoopTest, RunsOneUpdateAndOneRenderPerIntervalWhenOnTime) {
    host.maxPolls = 7;
    host.Run();
    // Start renders once; then each pass sleeps until the update is due, updates, renders.
    EXPECT_EQ(Calls(), "render sleep update render sleep update render sleep update render");
    EXPECT_NEAR(host.now, 3.0 / 60, 1e-9);
}

TEST_F(MainLoopTest, SetUpdateRateSchedulesOneIntervalAfterTheCall) {
    host.now = 5.0;
    host.SetUpdateRate(20);
    EXPECT_DOUBLE_EQ(host.nextUpdate(), 5.05);
    host.SetUpdateRate(0);
    EXPECT_DOUBLE_EQ(host.nextUpdate(), 5.05) << "a rate of 0 leaves the schedule";
}

TEST_F(MainLoopTest, AStallCatchesUpByAtMostFourUpdatesThenReanchors) {
    host.onPoll = [](FakeHost& h) {
        if (h.polls == 3) h.now += 1.0;  // the machine stalls for a second
    };
    host.maxPolls = 5;
    host.Run();
    // After the stall: four updates in a row, one render, and the schedule
    // restarts from the current time (no further catch-up).
    EXPECT_EQ(Calls(), "render sleep update render update update update update render update render");
    EXPECT_EQ(delegate->updates, 6);
    EXPECT_DOUBLE_EQ(host.nextUpdate(), host.now + 1.0 / 60);
}

TEST_F(MainLoopTest, RateZeroDuringAnUpdateEndsTheCatchUpAndRenders) {
    delegate->onUpdate = [this](int n) {
        if (n == 1) {
            host.now += 1.0;  // far behind...
            host.SetUpdateRate(0);  // ...but the game stops the fixed rate
        }
    };
    host.maxPolls = 5;
    host.Run();
    // One update, a render, then the loop waits for events and renders once per wake-up.
    EXPECT_EQ(Calls(), "render sleep update render render wait render wait");
}

TEST_F(MainLoopTest, FocusLossSuspendsOnceAndResumeRestartsTheSchedule) {
    host.onPoll = [](FakeHost& h) {
        if (h.polls == 3) h.active = false;
        if (h.polls == 6) h.now += 10.0;  // time passes while suspended
        if (h.polls == 7) h.active = true;
    };
    host.maxPolls = 9;
    host.Run();
    EXPECT_EQ(Count("suspend"), 1);
    EXPECT_EQ(Count("resume"), 1);
    // While unfocused it renders on each event but never updates; after the
    // resume no update is caught up for the ten seconds spent suspended.
    std::string calls = Calls();
    std::string afterSuspend = calls.substr(calls.find("suspend"));
    EXPECT_EQ(afterSuspend.substr(0, afterSuspend.find("resume")),
              "suspend render wait render wait render wait render wait ");
    EXPECT_EQ(afterSuspend.substr(afterSuspend.find("resume")), "resume update render sleep");
}

TEST_F(MainLoopTest, IconifiedWindowIsNeitherUpdatedNorRendered) {
    host.onPoll = [](FakeHost& h) {
        if (h.polls == 2) h.iconified = true;
        if (h.polls == 5) h.iconified = false;
    };
    host.maxPolls = 6;
    host.Run();
    std::string calls = Calls();
    std::string during = calls.substr(calls.find("suspend"), calls.find("resume") - calls.find("suspend"));
    EXPECT_EQ(during, "suspend wait wait wait ");
    EXPECT_EQ(Count("resume"), 1);
}

TEST_F(MainLoopTest, IconifyingAfterFocusLossKeepsRenderingOnEvents) {
    host.onPoll = [](FakeHost& h) {
        if (h.polls == 2) h.active = false;
        if (h.polls == 3) h.iconified = true;
    };
    host.maxPolls = 6;
    host.Run();
    EXPECT_FALSE(host.iconifiedFlag());
    std::string calls = Calls();
    EXPECT_EQ(calls.substr(calls.find("suspend")), "suspend render wait render wait render wait render wait");
}

TEST_F(MainLoopTest, NoFixedRateRendersOncePerWakeUp) {
    delegate->rate = 0;
    host.maxPolls = 4;
    host.Run();
    EXPECT_EQ(Calls(), "render render wait render wait render wait");
    EXPECT_EQ(delegate->updates, 0);
}

TEST_F(MainLoopTest, ClosedWindowEndsTheLoopWithoutAnotherFrame) {
    host.onPoll = [](FakeHost& h) {
        if (h.polls == 3) h.open = false;
    };
    host.Run();
    EXPECT_EQ(Calls(), "render sleep update render");
}

TEST_F(MainLoopTest, EventsAreIgnoredUntilTheGameHasStarted) {
    host.KeyEvent(1, 65);
    host.UpdateGame();
    host.RenderGame();
    host.SuspendGame();
    EXPECT_TRUE(delegate->calls.empty());
    EXPECT_FALSE(host.Suspended());
}

TEST_F(MainLoopTest, MillisecsFollowsTheClock) {
    host.now = 1.2345;
    EXPECT_EQ(host.Millisecs(), 1234);
    host.now = 2.0;
    EXPECT_EQ(host.Millisecs(), 2000);
}

TEST_F(MainLoopTest, AnEventDeliveredInsideAnUpdateDoesNotCollect) {
    // Re-opening the window during an update releases held keys from inside
    // the update; the update may still hold objects in local variables only.
    int cyclesEnded = 0;
    bool stillLive = false;
    delegate->onUpdate = [&](int n) {
        if (n != 1) return;
        Object* heldByALocal = new Object();
        int bit = gc_markbit;
        gc_new_bytes = GC_CYCLE_BYTES + 1;  // the next collection step would end the cycle
        host.KeyEvent(2, 65);
        cyclesEnded += gc_markbit != bit;
        stillLive = dbg_find_live_object(heldByALocal) != nullptr;
    };
    host.maxPolls = 3;
    host.Run();
    EXPECT_EQ(cyclesEnded, 0) << "the nested delivery must not collect";
    EXPECT_TRUE(stillLive) << "the update's local object is still live after the nested event";
}
