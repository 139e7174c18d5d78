// tests/input/input_fixture.cpp - a started host with the framework's delegate.
#include "input_fixture.h"

#include <ostream>

#include "host/app.h"

namespace {

class TestApp : public c_App {
public:
    std::function<void()> onUpdate;
    int p_OnUpdate() override {
        if (onUpdate) onUpdate();
        return 0;
    }
};

TestApp* app;

}  // namespace

std::ostream& operator<<(std::ostream& os, const HostEvent& e) {
    return os << "{" << e.event << ", " << e.data << ", " << e.x << ", " << e.y << "}";
}

bool TestHost::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) {
    polled.push_back(port);
    if (port < 0 || port > 3 || !joysticks[port].present) return false;
    const JoyValues& v = joysticks[port].values;
    for (int i = 0; i < 2; ++i) {
        joyx[i] = v.joyx[i];
        joyy[i] = v.joyy[i];
        joyz[i] = v.joyz[i];
    }
    for (int b = 0; b < kJoyButtons; ++b) buttons[b] = v.buttons[b];
    return true;
}

void TestHost::KeyEvent(int event, int data) {
    log.push_back({event, data, 0, 0});
    BBGlfwGame::KeyEvent(event, data);
}

void TestHost::MouseEvent(int event, int data, float x, float y) {
    log.push_back({event, data, x, y});
    BBGlfwGame::MouseEvent(event, data, x, y);
}

TestHost* InputTest::Host() {
    static TestHost* host = [] {
        TestHost* h = new TestHost();
        bb_app_init();
        bb_input_init();
        app = new TestApp();
        app->m_new();
        h->Start();
        return h;
    }();
    return host;
}

void InputTest::SetUp() {
    TestHost* host = Host();
    input_ = (new c_InputDevice())->m_new();
    gc_assign(bb_app__delegate->m_input, input_);
    bb_input_SetInputDevice(input_);
    host->log.clear();
    host->polled.clear();
    for (TestHost::Joystick& j : host->joysticks) j = TestHost::Joystick();
    app->onUpdate = nullptr;
}

void InputTest::Update(const std::function<void()>& during) {
    app->onUpdate = during;
    Host()->UpdateGame();
    app->onUpdate = nullptr;
}

void InputTest::Press(int code) {
    Host()->KeyEvent(kEventKeyDown, code);
    Host()->KeyEvent(kEventKeyUp, code);
}
