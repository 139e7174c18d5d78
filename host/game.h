// host/game.h - the platform-independent host and the delegate it serves.
//
// There is exactly one host object per process (BBGame::_game), created at
// start-up and never destroyed; it is an ordinary heap object, not collected.
// Every event reaches the game through one of the guarded operations from
// StartGame to DiscardGraphics: each checks its guard, hands the event to the
// delegate, turns an escaping ThrowableObject into Die, and then runs one
// collector step. When a guard fails nothing happens at all.
//
// Event codes passed to KeyEvent, MouseEvent, TouchEvent and MotionEvent.
#ifndef VORLIN_HOST_GAME_H
#define VORLIN_HOST_GAME_H

#include <cstdio>

#include "runtime/array.h"

enum {
    kEventKeyDown = 1,
    kEventKeyUp = 2,
    kEventKeyChar = 3,
    kEventMouseDown = 4,
    kEventMouseUp = 5,
    kEventMouseMove = 6,
    kEventTouchDown = 7,
    kEventTouchUp = 8,
    kEventTouchMove = 9,
    kEventMotionAccel = 10,
};

// Receiver of every game event; c_GameDelegate is the framework's version.
class BBGameDelegate : public Object {
public:
    virtual void StartGame() {}
    virtual void SuspendGame() {}
    virtual void ResumeGame() {}
    virtual void UpdateGame() {}
    virtual void RenderGame() {}
    virtual void KeyEvent(int event, int data) { (void)event, (void)data; }
    virtual void MouseEvent(int event, int data, float x, float y) { (void)event, (void)data, (void)x, (void)y; }
    virtual void TouchEvent(int event, int data, float x, float y) { (void)event, (void)data, (void)x, (void)y; }
    virtual void MotionEvent(int event, int data, float x, float y, float z) {
        (void)event, (void)data, (void)x, (void)y, (void)z;
    }
    virtual void DiscardGraphics() {}
};

class BBGame {
public:
    BBGame();
    virtual ~BBGame();

    static BBGame* _game;  // the one host

    virtual void SetDelegate(BBGameDelegate* delegate);
    virtual BBGameDelegate* Delegate();
    virtual void SetKeyboardEnabled(bool enabled);
    virtual bool KeyboardEnabled();
    virtual void SetUpdateRate(int updatesPerSecond);
    virtual int UpdateRate();
    virtual bool Started();
    virtual bool Suspended();
    virtual int Millisecs();
    // Writes year, month, day, hour, minute, second, 0 into as many elements as
    // the array has (at most seven).
    virtual void GetDate(Array<int> date);
    virtual int SaveState(String state);  // 0 ok, -1 could not open, -2 short write
    virtual String LoadState();
    virtual String LoadString(String path);
    virtual bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons);
    virtual void OpenUrl(String url);
    // True where sound may start only after the player's first gesture (a
    // browser page); the game then asks for a click before its menu.
    virtual bool SoundNeedsGesture();
    virtual void SetMouseVisible(bool visible);
    virtual String PathToFilePath(String path);
    // The one way the host opens files; null when the path maps to nothing or
    // the open fails. The caller closes the file.
    virtual FILE* OpenFile(String path, String mode);
    // The whole file in one malloc'd block the caller frees; null on failure.
    virtual unsigned char* LoadData(String path, int* length);
    [[noreturn]] virtual void Die(ThrowableObject* ex);
    virtual void gc_collect();

    virtual void StartGame();
    virtual void SuspendGame();
    virtual void ResumeGame();
    virtual void UpdateGame();
    virtual void RenderGame();
    virtual void KeyEvent(int event, int data);
    virtual void MouseEvent(int event, int data, float x, float y);
    virtual void TouchEvent(int event, int data, float x, float y);
    virtual void MotionEvent(int event, int data, float x, float y, float z);
    virtual void DiscardGraphics();

protected:
    BBGameDelegate* _delegate;
    bool _keyboardEnabled;
    int _updateRate;  // updates per second; 0 = no fixed rate
    bool _started;
    bool _suspended;
};

#endif
