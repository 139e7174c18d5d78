// A desktop host whose clock and window state the test controls: Run executes
// the real main loop, but time only moves when the loop sleeps or a script
// moves it, and the "window" is a set of flags.
#ifndef LANTERN_TESTS_HOST_FAKE_HOST_H
#define LANTERN_TESTS_HOST_FAKE_HOST_H

#include <functional>
#include <string>
#include <vector>

#include "host/desktop.h"

class FakeHost : public BBDesktopGame {
public:
    double now = 0;                     // seconds
    bool open = true, iconified = false, active = true;
    int polls = 0, maxPolls = 1000;     // the window "closes" after maxPolls polls
    std::vector<std::string>* log = nullptr;
    std::function<void(FakeHost&)> onPoll;   // runs inside each poll, like window events
    std::function<void(FakeHost&)> onWait;   // runs inside each blocking wait

    bool SetGlfwWindow(int, int, int, int, int, int, int, int, bool) override { return true; }
    double nextUpdate() const { return _schedule.Next(); }
    bool iconifiedFlag() const { return _iconified; }

protected:
    double Now() override { return now; }
    void SleepFor(double seconds) override {
        // Sleeping until the update is due lands exactly on it.
        Log("sleep");
        now += seconds;
        if (now < _schedule.Next() && _schedule.Next() - now < 1e-9) now = _schedule.Next();
    }
    void PollEvents() override {
        ++polls;
        if (onPoll) onPoll(*this);
    }
    void WaitEvents() override {
        Log("wait");
        if (onWait) onWait(*this);
    }
    bool WindowOpen() override { return open && polls < maxPolls; }
    bool WindowIconified() override { return iconified; }
    bool WindowActive() override { return active; }

private:
    void Log(const char* what) {
        if (log) log->push_back(what);
    }
};

// Records every delegate call; hooks let a test act inside an update.
class RecordingDelegate : public BBGameDelegate {
public:
    std::vector<std::string> calls;
    FakeHost* host = nullptr;
    int rate = 60;
    std::function<void(int)> onUpdate;  // argument: number of the update, from 1
    int updates = 0;

    void StartGame() override {
        calls.push_back("start");
        host->SetUpdateRate(rate);
    }
    void SuspendGame() override { calls.push_back("suspend"); }
    void ResumeGame() override { calls.push_back("resume"); }
    void UpdateGame() override {
        ++updates;
        calls.push_back("update");
        if (onUpdate) onUpdate(updates);
    }
    void RenderGame() override { calls.push_back("render"); }
};

#endif
