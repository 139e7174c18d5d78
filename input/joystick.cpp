// input/joystick.cpp - reading joysticks for the input device.
#include "input/joystick.h"

#include <GLFW/glfw3.h>

#include "runtime/array.h"

namespace {

// Game button number of each GLFW gamepad button, by GLFW index.
const int kGamepadButton[GLFW_GAMEPAD_BUTTON_LAST + 1] = {
    0,   // A
    1,   // B
    2,   // X
    3,   // Y
    4,   // left bumper
    5,   // right bumper
    6,   // back
    7,   // start
    14,  // guide
    12,  // left thumb
    13,  // right thumb
    9,   // pad up
    10,  // pad right
    11,  // pad down
    8,   // pad left
};

// GLFW 3 reports up as negative; the game wants up positive. (0 - v rather
// than -v keeps a centred axis at +0.)
float up_positive(float v) { return 0.0f - v; }

// A trigger from GLFW's -1 (released) .. 1 (pulled) to 0 .. 1.
float trigger(float v) { return (v + 1.0f) * 0.5f; }

}  // namespace

// ---------------------------------------------------------------------------
// Translation
// ---------------------------------------------------------------------------

void TranslateRawAxes(const float* axes, int count, JoyValues& out) {
    float a[kJoyAxesRead] = {};
    int n = axes && count > 0 ? (count < kJoyAxesRead ? count : kJoyAxesRead) : 0;
    for (int i = 0; i < n; ++i) a[i] = axes[i];

    int x1 = 3, y0 = 1, y1 = 4, z0 = 2, z1 = 5;
    if (count == 4) {
        y1 = 2, z0 = -1, z1 = -1;
    } else if (count == 5) {
        x1 = 4, y1 = 3, z1 = -1;
    }
    out.joyx[0] = a[0];
    out.joyx[1] = a[x1];
    out.joyy[0] = up_positive(a[y0]);
    out.joyy[1] = up_positive(a[y1]);
    out.joyz[0] = z0 < 0 ? 0.0f : a[z0];
    out.joyz[1] = z1 < 0 ? 0.0f : a[z1];
}

void TranslateRawButtons(const unsigned char* pressed, int count, JoyValues& out) {
    if (!pressed) return;
    int n = count < kJoyButtons ? count : kJoyButtons;
    for (int b = 0; b < n; ++b) out.buttons[b] = pressed[b] == GLFW_PRESS;
}

void TranslateGamepad(const GLFWgamepadstate& state, JoyValues& out) {
    out.joyx[0] = state.axes[GLFW_GAMEPAD_AXIS_LEFT_X];
    out.joyx[1] = state.axes[GLFW_GAMEPAD_AXIS_RIGHT_X];
    out.joyy[0] = up_positive(state.axes[GLFW_GAMEPAD_AXIS_LEFT_Y]);
    out.joyy[1] = up_positive(state.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y]);
    out.joyz[0] = trigger(state.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER]);
    out.joyz[1] = trigger(state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER]);
    for (bool& b : out.buttons) b = false;
    for (int i = 0; i <= GLFW_GAMEPAD_BUTTON_LAST; ++i) out.buttons[kGamepadButton[i]] = state.buttons[i] == GLFW_PRESS;
}

// ---------------------------------------------------------------------------
// Polling
// ---------------------------------------------------------------------------

namespace {

// Copies between a c_JoyState's arrays and JoyValues; arrays shorter than
// expected are filled as far as they go.
void copy_in(const Array<float>& from, float to[2]) {
    for (int i = 0; i < 2 && i < from.Length(); ++i) to[i] = from[i];
}

void copy_out(const float from[2], const Array<float>& to) {
    for (int i = 0; i < 2 && i < to.Length(); ++i) to[i] = from[i];
}

}  // namespace

bool PollGlfwJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) {
    if (port < GLFW_JOYSTICK_1 || port > GLFW_JOYSTICK_LAST || !glfwJoystickPresent(port)) return false;

    JoyValues values;
    for (int b = 0; b < kJoyButtons && b < buttons.Length(); ++b) values.buttons[b] = buttons[b];
    copy_in(joyx, values.joyx);
    copy_in(joyy, values.joyy);
    copy_in(joyz, values.joyz);

    GLFWgamepadstate pad;
    if (glfwJoystickIsGamepad(port) && glfwGetGamepadState(port, &pad)) {
        TranslateGamepad(pad, values);
    } else {
        int axisCount = 0, buttonCount = 0;
        const float* axes = glfwGetJoystickAxes(port, &axisCount);
        const unsigned char* pressed = glfwGetJoystickButtons(port, &buttonCount);
        TranslateRawAxes(axes, axisCount, values);
        TranslateRawButtons(pressed, buttonCount, values);
    }

    copy_out(values.joyx, joyx);
    copy_out(values.joyy, joyy);
    copy_out(values.joyz, joyz);
    for (int b = 0; b < kJoyButtons && b < buttons.Length(); ++b) buttons[b] = values.buttons[b];
    return true;
}
