// host/web/include/GLFW/glfw3.h - Emscripten's GLFW with the gamepad calls of GLFW 3.3.
//
// The web build puts this folder first on the include path. Emscripten's own
// glfw3.h (GLFW 3.2) is included as it is; when it lacks the gamepad
// interface of GLFW 3.3, the declarations below supply it, and
// host/web/web_host.js implements the two calls on the browser's Gamepad API
// (pads in the browser's "standard" layout are gamepads; other controllers
// are read raw through glfwGetJoystickAxes and glfwGetJoystickButtons).
#ifndef LANTERN_HOST_WEB_INCLUDE_GLFW_GLFW3_H
#define LANTERN_HOST_WEB_INCLUDE_GLFW_GLFW3_H

#include_next <GLFW/glfw3.h>

#ifndef GLFW_GAMEPAD_BUTTON_A
#define GLFW_GAMEPAD_BUTTON_A 0
#define GLFW_GAMEPAD_BUTTON_B 1
#define GLFW_GAMEPAD_BUTTON_X 2
#define GLFW_GAMEPAD_BUTTON_Y 3
#define GLFW_GAMEPAD_BUTTON_LEFT_BUMPER 4
#define GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER 5
#define GLFW_GAMEPAD_BUTTON_BACK 6
#define GLFW_GAMEPAD_BUTTON_START 7
#define GLFW_GAMEPAD_BUTTON_GUIDE 8
#define GLFW_GAMEPAD_BUTTON_LEFT_THUMB 9
#define GLFW_GAMEPAD_BUTTON_RIGHT_THUMB 10
#define GLFW_GAMEPAD_BUTTON_DPAD_UP 11
#define GLFW_GAMEPAD_BUTTON_DPAD_RIGHT 12
#define GLFW_GAMEPAD_BUTTON_DPAD_DOWN 13
#define GLFW_GAMEPAD_BUTTON_DPAD_LEFT 14
#define GLFW_GAMEPAD_BUTTON_LAST GLFW_GAMEPAD_BUTTON_DPAD_LEFT

#define GLFW_GAMEPAD_AXIS_LEFT_X 0
#define GLFW_GAMEPAD_AXIS_LEFT_Y 1
#define GLFW_GAMEPAD_AXIS_RIGHT_X 2
#define GLFW_GAMEPAD_AXIS_RIGHT_Y 3
#define GLFW_GAMEPAD_AXIS_LEFT_TRIGGER 4
#define GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER 5
#define GLFW_GAMEPAD_AXIS_LAST GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER

#ifdef __cplusplus
extern "C" {
#endif

typedef struct GLFWgamepadstate {
    unsigned char buttons[15];  // GLFW_PRESS or GLFW_RELEASE, by GLFW_GAMEPAD_BUTTON_*
    float axes[6];              // -1 .. 1; triggers -1 released .. 1 pulled
} GLFWgamepadstate;

int glfwJoystickIsGamepad(int jid);
int glfwGetGamepadState(int jid, GLFWgamepadstate* state);

#ifdef __cplusplus
}
#endif
#endif  // GLFW_GAMEPAD_BUTTON_A

// GLFW 3.3's content scale. The page sizes its canvas in device pixels
// itself (host/web/web_host.js), so a monitor's scale here is always 1.
#ifndef GLFW_SCALE_TO_MONITOR
#ifdef __cplusplus
extern "C" {
#endif
void glfwGetMonitorContentScale(GLFWmonitor* monitor, float* xscale, float* yscale);
#ifdef __cplusplus
}
#endif
#endif  // GLFW_SCALE_TO_MONITOR

#endif
