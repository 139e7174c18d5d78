// host/game.h - the abstract host and the delegate it serves.
//
// BBGame is everything below host/ may ask of the host: time, the update
// rate, files and the saved state, decoded images and sounds, the window's
// size and the desktop's video mode, joysticks, the pointer. Nothing outside
// host/ knows which host runs; the desktop host (host/desktop.h), the web
// page's (host/web/webgame.h) and the host without a window that checks
// replays (host/headless.h) each fill this list.
//
// There is exactly one host object per process (BBGame::_game), created at
// start-up and never destroyed; it is an ordinary heap object, not collected.
// Every event reaches the game through one of the guarded operations from
// StartGame to DiscardGraphics: each checks its guard, hands the event to the
// delegate, turns an escaping ThrowableObject into Die, and then runs one
// collector step. When a guard fails nothing happens at all.
#ifndef LANTERN_HOST_GAME_H
#define LANTERN_HOST_GAME_H

#include <cstdio>

#include "runtime/array.h"

// Event codes passed to KeyEvent, MouseEvent, TouchEvent and MotionEvent.
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

// Incremented each time the host opens a window (and with it an OpenGL
// context): textures made under an earlier value belong to a context that is
// gone. 0 until the first window opens.
extern int graphicsContextSeq;

// A video mode: size in pixels and bits per colour channel.
class BBGlfwVideoMode : public Object {
public:
    int Width = 0;
    int Height = 0;
    int RedBits = 0;
    int GreenBits = 0;
    int BlueBits = 0;
    BBGlfwVideoMode* m_new(int width, int height, int red, int green, int blue);
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
    // True while the player plays by touch: a finger (not a mouse) was the
    // last thing used, not a key or a game pad. The game shows its on-screen
    // pad while it holds. Only a host with a touch screen ever says so.
    virtual bool TouchInUse();
    // The player has passed the start screen: the gesture that lets sound
    // start has just happened (a host may use it for what needs one).
    virtual void PlayerStarted();
    // Whether the file at `path` (a data path, as the loaders take it) can be
    // read now. A host that fetches its files as they are wanted starts
    // fetching one it does not have and answers false until it has arrived or
    // failed; a failed file answers true and then reads as a missing one. The
    // game runs no update that reads a file not ready (host/app.h). Files on
    // a disk are always ready.
    virtual bool FileReady(String path);
    virtual void SetMouseVisible(bool visible);
    virtual String PathToFilePath(String path);
    // The one way the host opens files; null when the path maps to nothing or
    // the open fails. The caller closes the file.
    virtual FILE* OpenFile(String path, String mode);
    // The whole file in one malloc'd block the caller frees; null on failure.
    virtual unsigned char* LoadData(String path, int* length);
    // Decoded pixels (malloc'd, caller frees) and their size and bytes per
    // pixel, or null (graphics/image_data.cpp).
    virtual unsigned char* LoadImageData(String path, int* width, int* height, int* depth);
    // Decoded interleaved samples (malloc'd, caller frees), or null (audio/decode.cpp).
    virtual unsigned char* LoadAudioData(String path, int* length, int* channels, int* format, int* hertz);

    // The window. (Re)opens it; an ordinary window's size is in the desktop's
    // logical pixels, a full-screen window's in the mode's pixels. False when
    // no window could be opened (always, for a host without one).
    virtual bool SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                               int stencil, bool fullscreen);
    // The desktop's mode (a mode of size 0 x 0 when there is none) and the
    // modes the screen offers.
    virtual BBGlfwVideoMode* GetGlfwDesktopMode();
    virtual Array<BBGlfwVideoMode*> GetGlfwVideoModes();
    // The window's size in its own coordinates and in pixels; false, with
    // nothing written, while there is no window.
    virtual bool GetWindowSize(int* width, int* height, int* pixelWidth, int* pixelHeight);
    // Shows what was drawn since the last call (nothing without a window).
    virtual void SwapBuffers();
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
