// host/glfwgame.cpp - BBGlfwGame: the clock, the schedule, suspension, and
// the window's input forwarded to the translation code.
#include "host/glfwgame.h"

#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdint>

#include "host/files.h"
#include "input/host_input.h"
#include "input/joystick.h"

BBGlfwGame* BBGlfwGame::_glfwGame;

BBGlfwGame::BBGlfwGame(double dueEarly) : _schedule(dueEarly) { _glfwGame = this; }

BBGlfwGame::~BBGlfwGame() {}

// ---------------------------------------------------------------------------
// Clock and schedule
// ---------------------------------------------------------------------------

double BBGlfwGame::Now() { return glfwGetTime(); }

void BBGlfwGame::SetUpdateRate(int updatesPerSecond) {
    BBGame::SetUpdateRate(updatesPerSecond);
    _schedule.SetRate(_updateRate, Now());
}

int BBGlfwGame::Millisecs() {
    // Wraps around after about 24.8 days instead of overflowing.
    return static_cast<int>(static_cast<uint32_t>(static_cast<int64_t>(Now() * 1000.0)));
}

void BBGlfwGame::FollowWindow(bool hidden, bool active) {
    if (hidden) {
        if (!_suspended) {
            _iconified = true;
            SuspendGame();
        }
    } else if (active) {
        if (_suspended) {
            _iconified = false;
            ResumeGame();
            _schedule.Restart(Now());
        }
    } else if (!_suspended) {
        SuspendGame();
    }
}

void BBGlfwGame::CatchUp() {
    bool caughtUp = false;
    for (int i = 0; i < UpdateSchedule::kMaxCatchUp && !caughtUp; ++i) {
        _schedule.Advance();
        UpdateGame();
        caughtUp = !_updateRate || !_schedule.Due(Now());
    }
    RenderGame();
    // Still behind after four updates: drop the backlog.
    if (!caughtUp && _updateRate) _schedule.Restart(Now());
}

// ---------------------------------------------------------------------------
// Files, the window's size, joysticks
// ---------------------------------------------------------------------------

String BBGlfwGame::PathToFilePath(String path) { return MapGamePath(path); }

bool BBGlfwGame::GetWindowSize(int* width, int* height, int* pixelWidth, int* pixelHeight) {
    if (!_window) return false;
    glfwGetWindowSize(_window, width, height);
    glfwGetFramebufferSize(_window, pixelWidth, pixelHeight);
    return true;
}

void BBGlfwGame::SwapBuffers() {
    if (_window) glfwSwapBuffers(_window);
}

bool BBGlfwGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons) {
    return PollGlfwJoystick(port, joyx, joyy, joyz, buttons);
}

// ---------------------------------------------------------------------------
// Input callbacks: translated in input/, delivered to the host
// ---------------------------------------------------------------------------

void BBGlfwGame::OnKey(GLFWwindow*, int key, int, int action, int) { ForwardGlfwKey(_game, key, action); }

void BBGlfwGame::OnChar(GLFWwindow*, unsigned int codepoint) { ForwardGlfwChar(_game, codepoint); }

void BBGlfwGame::OnMouseButton(GLFWwindow* window, int button, int action, int) {
    // The position at the moment of the click, not the last move's.
    double x = 0, y = 0;
    if (window) glfwGetCursorPos(window, &x, &y);
    ForwardGlfwMouseButton(_game, button, action, x, y);
}

void BBGlfwGame::OnMousePos(GLFWwindow*, double x, double y) { ForwardGlfwMousePos(_game, x, y); }
