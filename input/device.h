// input/device.h - the input state the game polls, and the input module.
//
// c_InputDevice records; it never interprets. Between two updates the host's
// events set held flags, count hits, queue typed characters and move the
// pointer; p_BeginUpdate adds the joysticks; the game reads during its update
// through the bb_input_* functions; p_EndUpdate forgets this update's hits and
// characters, so a hit belongs to exactly one update.
//
// Invariants: 0 <= m_keyHitPut <= 33 and m_keyHit[c] counts exactly the
// entries c among the first m_keyHitPut of m_keyHitQueue; 0 <= m_charGet <=
// m_charPut <= 32. Every array is allocated once, at creation; recording
// allocates nothing. Codes and indices from callers are checked here, at the
// boundary: out-of-range numbers read as 0 and are never used as indices.
// Key codes are 1-511, fingers 0-31 (codes 384-415), joystick buttons 0-31
// of units 0-3 (codes 256 + 32 x unit + button), mouse buttons 0-510 (code
// button + 1). Events with numbers outside those ranges change nothing, and
// before the framework has made the device every query reads 0.
//
// The queues are short on purpose: 33 hits and 32 characters per update are
// far more than a player produces; further ones in the same update are
// dropped (a dropped hit is not counted either).
#ifndef LANTERN_INPUT_DEVICE_H
#define LANTERN_INPUT_DEVICE_H

#include "runtime/array.h"

class c_JoyState : public Object {
public:
    Array<float> m_joyx;    // entry 0 first stick, entry 1 second
    Array<float> m_joyy;    // up is positive
    Array<float> m_joyz;
    Array<bool> m_buttons;  // 32 buttons

    c_JoyState* m_new();
    void mark() override;
};

class c_InputDevice : public Object {
public:
    static const int kHitQueue = 33;
    static const int kCharQueue = 32;
    static const int kTouches = 32;

    Array<c_JoyState*> m_joyStates;  // ports 0..3
    Array<bool> m_keyDown;           // 512 key codes
    int m_keyHitPut = 0;
    Array<int> m_keyHitQueue;        // codes hit this update, in order
    Array<int> m_keyHit;             // hits per code this update
    int m_charGet = 0;
    int m_charPut = 0;
    Array<int> m_charQueue;          // characters typed this update
    float m_mouseX = 0, m_mouseY = 0;  // window pixels
    Array<float> m_touchX;
    Array<float> m_touchY;
    float m_accelX = 0, m_accelY = 0, m_accelZ = 0;

    c_InputDevice* m_new();
    void mark() override;

    void p_KeyEvent(int event, int data);
    void p_MouseEvent(int event, int button, float x, float y);
    void p_TouchEvent(int event, int finger, float x, float y);
    void p_MotionEvent(int event, int data, float x, float y, float z);
    void p_BeginUpdate();
    // (Inline, so that the replays' tape reader, which the world board links
    // without the rest of the input device, needs nothing else of it.)
    void p_EndUpdate() {
        for (int i = 0; i < m_keyHitPut; ++i) m_keyHit[m_keyHitQueue[i]] = 0;
        m_keyHitPut = 0;
        m_charGet = 0;
        m_charPut = 0;
    }

    int p_KeyDown(int key);
    int p_KeyHit(int key);
    int p_GetChar();

private:
    void p_PutKeyHit(int key);
    void ReleaseJoystick(int port);
    void KeyDown(int key);
    void KeyUp(int key);
};

extern c_InputDevice* bb_input_device;

int bb_input_SetInputDevice(c_InputDevice* device);
int bb_input_KeyDown(int key);
int bb_input_KeyHit(int key);
int bb_input_GetChar();
float bb_input_MouseX();
float bb_input_MouseY();
int bb_input_MouseDown(int button);
int bb_input_MouseHit(int button);
int bb_input_TouchDown(int finger);
float bb_input_TouchX(int finger);
float bb_input_TouchY(int finger);
float bb_input_JoyX(int index, int unit);
float bb_input_JoyY(int index, int unit);
int bb_input_JoyDown(int button, int unit);
int bb_input_JoyHit(int button, int unit);
float bb_input_AccelX();
float bb_input_AccelY();
int bb_input_EnableKeyboard();
int bb_input_DisableKeyboard();

void bb_input_init();

#endif
