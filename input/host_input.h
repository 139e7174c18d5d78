// input/host_input.h - translation of window-system input into runtime codes.
//
// The runtime's key codes (1..511): mouse buttons 1-3, keyboard keys on their
// usual virtual-key numbers (letters 65-90, digits 48-57, arrows 37-40,
// F1-F12 112-123, keypad 96-111 ...), joystick buttons 256 + 32 x joystick +
// button, touches 384-415, back 416, close 432.
//
// The GLFW callbacks (BBGlfwGame::OnKey, OnChar, OnMouseButton, OnMousePos)
// only translate and forward to the host's KeyEvent and MouseEvent; they keep
// no state of their own.
#ifndef VORLIN_INPUT_HOST_INPUT_H
#define VORLIN_INPUT_HOST_INPUT_H

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

#endif
