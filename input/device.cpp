// input/device.cpp - c_InputDevice, c_JoyState and the bb_input_* queries.
#include "input/device.h"

#include "host/game.h"
#include "input/host_input.h"

c_InputDevice* bb_input_device;

namespace {

bool valid_key(int key) { return key > 0 && key < kKeyCodes; }
bool valid_mouse_button(int button) { return button >= 0 && button < kKeyCodes - 1; }
bool valid_finger(int finger) { return finger >= 0 && finger < c_InputDevice::kTouches; }
bool valid_joy_button(int button, int unit) { return button >= 0 && button < 32 && unit >= 0 && unit < 4; }

void mark_roots() { gc_mark_q(bb_input_device); }

}  // namespace

void bb_input_init() {
    gc_assign(bb_input_device, nullptr);
    gc_add_roots(mark_roots);
}

// ---------------------------------------------------------------------------
// c_JoyState
// ---------------------------------------------------------------------------

c_JoyState* c_JoyState::m_new() {
    m_joyx = Array<float>(2);
    m_joyy = Array<float>(2);
    m_joyz = Array<float>(2);
    m_buttons = Array<bool>(32);
    return this;
}

void c_JoyState::mark() {
    gc_mark_q(m_joyx);
    gc_mark_q(m_joyy);
    gc_mark_q(m_joyz);
    gc_mark_q(m_buttons);
}

// ---------------------------------------------------------------------------
// c_InputDevice: events in
// ---------------------------------------------------------------------------

c_InputDevice* c_InputDevice::m_new() {
    m_joyStates = Array<c_JoyState*>(4);
    for (int i = 0; i < 4; ++i) gc_assign(m_joyStates[i], (new c_JoyState())->m_new());
    m_keyDown = Array<bool>(kKeyCodes);
    m_keyHitQueue = Array<int>(kHitQueue);
    m_keyHit = Array<int>(kKeyCodes);
    m_charQueue = Array<int>(kCharQueue);
    m_touchX = Array<float>(kTouches);
    m_touchY = Array<float>(kTouches);
    return this;
}

void c_InputDevice::mark() {
    gc_mark_q(m_joyStates);
    gc_mark_q(m_keyDown);
    gc_mark_q(m_keyHitQueue);
    gc_mark_q(m_keyHit);
    gc_mark_q(m_charQueue);
    gc_mark_q(m_touchX);
    gc_mark_q(m_touchY);
}

void c_InputDevice::p_PutKeyHit(int key) {
    if (m_keyHitPut >= kHitQueue) return;
    m_keyHit[key] += 1;
    m_keyHitQueue[m_keyHitPut++] = key;
}

void c_InputDevice::KeyDown(int key) {
    if (!valid_key(key) || m_keyDown[key]) return;
    m_keyDown[key] = true;
    p_PutKeyHit(key);
    // The left button and the first touch mirror each other.
    if (key == 1) {
        m_keyDown[kKeyTouch0] = true;
        p_PutKeyHit(kKeyTouch0);
    } else if (key == kKeyTouch0) {
        m_keyDown[1] = true;
        p_PutKeyHit(1);
    }
}

void c_InputDevice::KeyUp(int key) {
    if (!valid_key(key) || !m_keyDown[key]) return;
    m_keyDown[key] = false;
    if (key == 1) {
        m_keyDown[kKeyTouch0] = false;
    } else if (key == kKeyTouch0) {
        m_keyDown[1] = false;
    }
}

void c_InputDevice::p_KeyEvent(int event, int data) {
    switch (event) {
        case kEventKeyDown:
            KeyDown(data);
            break;
        case kEventKeyUp:
            KeyUp(data);
            break;
        case kEventKeyChar:
            if (m_charPut < kCharQueue) m_charQueue[m_charPut++] = data;
            break;
    }
}

void c_InputDevice::p_MouseEvent(int event, int button, float x, float y) {
    // A press or release of a button without a code (0-510) is dropped whole.
    bool pressOrRelease = event == kEventMouseDown || event == kEventMouseUp;
    if (pressOrRelease && !valid_mouse_button(button)) return;
    switch (event) {
        case kEventMouseDown:
            KeyDown(button + 1);
            [[fallthrough]];
        case kEventMouseMove:
            m_mouseX = x;
            m_mouseY = y;
            m_touchX[0] = x;
            m_touchY[0] = y;
            break;
        case kEventMouseUp:
            KeyUp(button + 1);
            break;
    }
}

void c_InputDevice::p_TouchEvent(int event, int finger, float x, float y) {
    // Only fingers 0-31 have codes (384-415) and positions.
    if (!valid_finger(finger)) return;
    switch (event) {
        case kEventTouchDown:
            KeyDown(kKeyTouch0 + finger);
            [[fallthrough]];
        case kEventTouchMove:
            m_touchX[finger] = x;
            m_touchY[finger] = y;
            if (finger == 0) {
                m_mouseX = x;
                m_mouseY = y;
            }
            break;
        case kEventTouchUp:
            KeyUp(kKeyTouch0 + finger);
            break;
    }
}

void c_InputDevice::p_MotionEvent(int event, int, float x, float y, float z) {
    if (event != kEventMotionAccel) return;
    m_accelX = x;
    m_accelY = y;
    m_accelZ = z;
}

void c_InputDevice::p_BeginUpdate() {
    if (!BBGame::_game) return;
    // Every port is polled: GLFW keeps a pad's number when the pad before it
    // is unplugged, so a gap does not mean that no pad follows.
    for (int port = 0; port < 4; ++port) {
        c_JoyState* joy = m_joyStates[port];
        bool present = BBGame::_game->PollJoystick(port, joy->m_joyx, joy->m_joyy, joy->m_joyz, joy->m_buttons);
        if (!present) ReleaseJoystick(port);
        for (int b = 0; b < 32; ++b) {
            int key = kKeyJoy0 + 32 * port + b;
            if (joy->m_buttons[b]) {
                if (!m_keyDown[key]) {
                    m_keyDown[key] = true;
                    p_PutKeyHit(key);
                }
            } else {
                m_keyDown[key] = false;
            }
        }
    }
}

void c_InputDevice::ReleaseJoystick(int port) {
    // A pad unplugged with a button held or a stick pushed must not leave the
    // game pressed or moving: its state goes back to rest.
    c_JoyState* joy = m_joyStates[port];
    for (int i = 0; i < 2; ++i) joy->m_joyx[i] = joy->m_joyy[i] = joy->m_joyz[i] = 0;
    for (int b = 0; b < 32; ++b) joy->m_buttons[b] = false;
}

// ---------------------------------------------------------------------------
// c_InputDevice: queries
// ---------------------------------------------------------------------------

int c_InputDevice::p_KeyDown(int key) { return valid_key(key) && m_keyDown[key] ? 1 : 0; }

int c_InputDevice::p_KeyHit(int key) { return valid_key(key) ? m_keyHit[key] : 0; }

int c_InputDevice::p_GetChar() { return m_charGet < m_charPut ? m_charQueue[m_charGet++] : 0; }

// ---------------------------------------------------------------------------
// Module functions
// ---------------------------------------------------------------------------

int bb_input_SetInputDevice(c_InputDevice* device) {
    gc_assign(bb_input_device, device);
    return 0;
}

// Before the framework has made the device every query reads as nothing.
int bb_input_KeyDown(int key) { return bb_input_device ? bb_input_device->p_KeyDown(key) : 0; }
int bb_input_KeyHit(int key) { return bb_input_device ? bb_input_device->p_KeyHit(key) : 0; }
int bb_input_GetChar() { return bb_input_device ? bb_input_device->p_GetChar() : 0; }
float bb_input_MouseX() { return bb_input_device ? bb_input_device->m_mouseX : 0.0f; }
float bb_input_MouseY() { return bb_input_device ? bb_input_device->m_mouseY : 0.0f; }

int bb_input_MouseDown(int button) { return valid_mouse_button(button) ? bb_input_KeyDown(button + 1) : 0; }
int bb_input_MouseHit(int button) { return valid_mouse_button(button) ? bb_input_KeyHit(button + 1) : 0; }

// Fingers outside 0-31 would otherwise read joystick buttons (-1 is code
// 383) or the back and close keys (32 is 416).
int bb_input_TouchDown(int finger) { return valid_finger(finger) ? bb_input_KeyDown(kKeyTouch0 + finger) : 0; }

float bb_input_TouchX(int finger) {
    return bb_input_device && valid_finger(finger) ? bb_input_device->m_touchX[finger] : 0.0f;
}

float bb_input_TouchY(int finger) {
    return bb_input_device && valid_finger(finger) ? bb_input_device->m_touchY[finger] : 0.0f;
}

namespace {

c_JoyState* joy_state(int unit) {
    return bb_input_device && unit >= 0 && unit < 4 ? bb_input_device->m_joyStates[unit] : nullptr;
}

}  // namespace

float bb_input_JoyX(int index, int unit) {
    c_JoyState* joy = joy_state(unit);
    return joy && (index == 0 || index == 1) ? joy->m_joyx[index] : 0.0f;
}

float bb_input_JoyY(int index, int unit) {
    c_JoyState* joy = joy_state(unit);
    return joy && (index == 0 || index == 1) ? joy->m_joyy[index] : 0.0f;
}

// Only buttons 0-31 of units 0-3: other numbers would alias another
// joystick's buttons (button 32 of unit 0 is button 0 of unit 1).
int bb_input_JoyDown(int button, int unit) {
    return valid_joy_button(button, unit) ? bb_input_KeyDown(button | 256 | (unit * 32)) : 0;
}

int bb_input_JoyHit(int button, int unit) {
    return valid_joy_button(button, unit) ? bb_input_KeyHit(button | 256 | (unit * 32)) : 0;
}

float bb_input_AccelX() { return bb_input_device ? bb_input_device->m_accelX : 0.0f; }
float bb_input_AccelY() { return bb_input_device ? bb_input_device->m_accelY : 0.0f; }

int bb_input_EnableKeyboard() {
    if (BBGame::_game) BBGame::_game->SetKeyboardEnabled(true);
    return 1;
}

int bb_input_DisableKeyboard() {
    if (BBGame::_game) BBGame::_game->SetKeyboardEnabled(false);
    return 1;
}
