// tests/input/input_fixture.h - a started host with the framework's delegate.
//
// Events go in where the window system puts them (the host's KeyEvent,
// MouseEvent ... or the GLFW callbacks), pass the real c_GameDelegate, and
// land in a fresh c_InputDevice for every test. Update() runs one host update
// with the test's code as the application's p_OnUpdate, where the game
// would query the input module. Joysticks are scripted: PollJoystick answers
// from `joysticks` and records which ports were asked.
#ifndef LANTERN_TESTS_INPUT_INPUT_FIXTURE_H
#define LANTERN_TESTS_INPUT_INPUT_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <iosfwd>
#include <vector>

#include "host/desktop.h"
#include "input/device.h"
#include "input/joystick.h"

// One event as the host received it.
struct HostEvent {
    int event;
    int data;
    float x, y;
    bool operator==(const HostEvent& o) const { return event == o.event && data == o.data && x == o.x && y == o.y; }
};
std::ostream& operator<<(std::ostream& os, const HostEvent& e);

class TestHost : public BBDesktopGame {
public:
    struct Joystick {
        bool present = false;
        JoyValues values;
    };
    Joystick joysticks[4];
    std::vector<int> polled;     // ports asked, in order
    std::vector<HostEvent> log;  // key and mouse events received

    void Start() { _started = true; }
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) override;
    void KeyEvent(int event, int data) override;
    void MouseEvent(int event, int data, float x, float y) override;
};

class InputTest : public ::testing::Test {
protected:
    void SetUp() override;

    static TestHost* Host();
    // The device the delegate feeds in this test.
    c_InputDevice* Input() const { return input_; }
    // One host update; `during` runs as the application's p_OnUpdate.
    static void Update(const std::function<void()>& during = {});
    // Key down and up through the host, as one press between updates.
    static void Press(int code);

private:
    c_InputDevice* input_ = nullptr;
};

#endif
