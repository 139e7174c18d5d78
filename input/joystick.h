// input/joystick.h - turning GLFW joystick readings into a c_JoyState's values.
//
// What the game sees per joystick: joyx, joyy and joyz with two entries each
// (entry 0 the first stick or control, entry 1 the second), values -1 to 1
// with up and right positive, and 32 buttons. Two readings lead there:
//
// - A pad GLFW knows (it has a gamepad mapping for it) is read through its
//   standard layout, so every common pad lands on the same button numbers:
//   0 A, 1 B, 2 X, 3 Y, 4 left shoulder, 5 right shoulder, 6 back, 7 start,
//   8 pad left, 9 pad up, 10 pad right, 11 pad down, 12 left stick click,
//   13 right stick click, 14 guide/menu; the other buttons read as released.
//   The left stick goes to entry 0 of joyx/joyy, the right stick to entry 1,
//   the left and right triggers to joyz, 0 released to 1 fully pulled.
// - Any other joystick is read raw: at most 6 axes and 32 buttons, the axes
//   distributed by how many the joystick reports (4 axes: x a0 a3, y a1 a2;
//   5 axes: x a0 a4, y a1 a3, z a2; otherwise x a0 a3, y a1 a4, z a2 a5);
//   buttons beyond the reported count keep their previous state.
//
// GLFW 3 reports a stick pushed up as negative Y; both readings flip Y so
// that up is positive. The functions below are pure: they read only the
// arrays they are given (never past the counts, never past 6 axes or 32
// buttons) and write only their outputs.
#ifndef LANTERN_INPUT_JOYSTICK_H
#define LANTERN_INPUT_JOYSTICK_H

#include "runtime/array.h"

struct GLFWgamepadstate;

const int kJoyAxesRead = 6;   // axes read from a raw joystick
const int kJoyButtons = 32;   // buttons of a c_JoyState

// The values of one c_JoyState.
struct JoyValues {
    float joyx[2] = {0, 0};
    float joyy[2] = {0, 0};  // up positive
    float joyz[2] = {0, 0};
    bool buttons[kJoyButtons] = {};
};

// Raw axes: `axes` holds `count` values (null when count is 0).
void TranslateRawAxes(const float* axes, int count, JoyValues& out);
// Raw buttons: `pressed` holds `count` GLFW button states; the first
// min(count, 32) buttons of `out` are set, the rest keep their values.
void TranslateRawButtons(const unsigned char* pressed, int count, JoyValues& out);
// A pad in GLFW's standard gamepad layout: sets every value of `out`.
void TranslateGamepad(const GLFWgamepadstate& state, JoyValues& out);

// Reads joystick `port` from GLFW into a c_JoyState's arrays (host's
// PollJoystick): false, with nothing changed, when there is no such joystick.
bool PollGlfwJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons);

#endif
