// host/glfwgame.h - the desktop host on GLFW: window, main loop and frame clock.
//
// BBGlfwGame owns the one window (and its OpenGL context) and runs the main
// loop on the main thread: poll events, follow the window's focus and
// iconified state with SuspendGame/ResumeGame, run at most four updates on the
// fixed schedule, render, repeat. Window callbacks run only inside the loop's
// poll and wait calls, so no event arrives during an update or a render.
//
// The loop reads the clock and the window through the protected hooks Now,
// SleepFor, PollEvents, WaitEvents, WindowOpen, WindowIconified and
// WindowActive, which a test host may replace to drive the loop with a clock
// of its own.
//
// BBVorlinGame is the concrete class start-up creates; it adds only its
// destructor and the process entry Main.
#ifndef VORLIN_HOST_GLFWGAME_H
#define VORLIN_HOST_GLFWGAME_H

#include "host/game.h"
#include "host/title.h"

struct GLFWwindow;

// Incremented each time a window is opened: textures made under an earlier
// value belong to a context that is gone.
extern int glfwGraphicsSeq;


// The size in pixels of a window `width` x `height` in the desktop's logical
// pixels at the content scale (scaleX, scaleY): 640 x 480 at 2 is 1280 x 960.
// Rounded to whole pixels; a scale that is not a positive number counts as 1.
void WindowPixelSize(int width, int height, float scaleX, float scaleY, int* pixelWidth, int* pixelHeight);

class BBGlfwVideoMode : public Object {
public:
    int Width = 0;
    int Height = 0;
    int RedBits = 0;
    int GreenBits = 0;
    int BlueBits = 0;
    BBGlfwVideoMode* m_new(int width, int height, int red, int green, int blue);
};

class BBGlfwGame : public BBGame {
public:
    BBGlfwGame();
    ~BBGlfwGame() override;

    static BBGlfwGame* _glfwGame;  // the one host, as a desktop host

    void SetUpdateRate(int updatesPerSecond) override;
    int Millisecs() override;
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons) override;
    void OpenUrl(String url) override;
    void SetMouseVisible(bool visible) override;
    String PathToFilePath(String path) override;

    // Decoded pixels (malloc'd, caller frees) and their size and bytes per
    // pixel, or null.
    virtual unsigned char* LoadImageData(String path, int* width, int* height, int* depth);
    // Decoded interleaved samples (malloc'd, caller frees), or null.
    virtual unsigned char* LoadAudioData(String path, int* length, int* channels, int* format, int* hertz);
    // (Re)opens the window. An ordinary window's size is in the desktop's
    // logical pixels (see WindowPixelSize), a full-screen window's in the
    // mode's pixels. Returns false when no window could be opened.
    virtual bool SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                               int stencil, bool fullscreen);
    virtual BBGlfwVideoMode* GetGlfwDesktopMode();
    virtual Array<BBGlfwVideoMode*> GetGlfwVideoModes();
    virtual void Run();

    GLFWwindow* Window() const { return _window; }

    // GLFW callbacks, installed on every window.
    static void OnKey(GLFWwindow* window, int key, int scancode, int action, int mods);
    static void OnChar(GLFWwindow* window, unsigned int codepoint);
    static void OnMouseButton(GLFWwindow* window, int button, int action, int mods);
    static void OnMousePos(GLFWwindow* window, double x, double y);
    static void OnWindowClose(GLFWwindow* window);
    static void OnFocus(GLFWwindow* window, int focused);
    static void OnIconify(GLFWwindow* window, int iconified);

protected:
    // Clock and window hooks used by Run (see the file comment).
    virtual double Now();                // seconds on the GLFW clock
    virtual void SleepFor(double seconds);  // may return early when an event arrives
    virtual void PollEvents();
    virtual void WaitEvents();
    virtual bool WindowOpen();
    virtual bool WindowIconified();
    virtual bool WindowActive();

    bool _iconified;          // the current suspension came from iconifying
    double _nextUpdateTime;   // seconds (GLFW clock) when the next update is due
    double _updateInterval;   // seconds per update
    GLFWwindow* _window;
    bool _mouseHidden = false;  // SetMouseVisible(false) applies to every new window too
    // The window's focus and iconified state as its events last reported
    // them. Asking the window system instead costs a round trip to the X
    // server on every pass of the loop, several per frame.
    bool _windowFocused = false;
    bool _windowIconified = false;

private:
    // Releases every key GLFW reports held, so none stays down across a window change.
    void ReleaseHeldKeys();
    GLFWwindow* OpenWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                           int stencil, bool fullscreen);
};

class BBVorlinGame : public BBGlfwGame {
public:
    ~BBVorlinGame() override;
    // The process start-up after static initialisation; returns when the main
    // loop ends.
    static void Main(int argc, const char** argv);
};

#endif
