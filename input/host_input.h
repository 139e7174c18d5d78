// input/host_input.h - translation of window-system input into runtime codes.
//
// The runtime's key codes (1..511): mouse buttons 1-3, keyboard keys on their
// usual virtual-key numbers (letters 65-90, digits 48-57, arrows 37-40,
// F1-F12 112-123, keypad 96-111 ...), joystick buttons 256 + 32 x joystick +
// button, touches 384-415, back 416, close 432.
//
// The window's callbacks (host/glfwgame.cpp) hand GLFW's events to the
// Forward functions below, which translate them and deliver them to the
// host's KeyEvent and MouseEvent; they keep no state of their own.
#ifndef LANTERN_INPUT_HOST_INPUT_H
#define LANTERN_INPUT_HOST_INPUT_H

class BBGame;

const int kKeyTouch0 = 384;  // first touch; the left mouse button mirrors it
const int kKeyBack = 416;
const int kKeyClose = 432;   // the window's close request
const int kKeyJoy0 = 256;    // joystick 0, button 0
const int kKeyCodes = 512;   // key codes are 1..511

// Runtime key code for a GLFW key, or 0 for keys the runtime ignores.
int TransKey(int glfwKey);
// The character a key types on its own (backspace, tab, enter, escape, the
// navigation keys as 0x10000 + code, delete as 127), or 0.
int KeyToChar(int key);

// A GLFW key event (GLFW_PRESS, GLFW_REPEAT or GLFW_RELEASE): a press or
// repeat is a key down followed by the character the key types, if any; keys
// the runtime ignores are dropped.
void ForwardGlfwKey(BBGame* host, int key, int action);
// A typed character: characters beyond 0xFFFF arrive as their two UTF-16
// halves, anything beyond Unicode is dropped.
void ForwardGlfwChar(BBGame* host, unsigned int codepoint);
// A mouse button (0 to 2; others are dropped) going down or up at window
// position (x, y).
void ForwardGlfwMouseButton(BBGame* host, int button, int action, double x, double y);
void ForwardGlfwMousePos(BBGame* host, double x, double y);

#endif
