// host/glfwgame.h - what the desktop host and the web page's host share: a
// window on GLFW, its events, joysticks, the clock and the update schedule.
//
// BBGlfwGame owns the one window and its OpenGL context, on GLFW 3 on the
// desktop and on Emscripten's GLFW in a page (where the "window" is the
// canvas). The window's callbacks only forward to the translation code in
// input/ and run only while the host polls or waits for events, so no event
// arrives during an update or a render.
//
// The two hosts that derive from it run different loops over the same parts:
// the desktop's blocking loop (BBDesktopGame, host/desktop.h) and the page's
// animation frames (BBWebGame, host/web/webgame.h). Both keep one
// UpdateSchedule (host/schedule.h), run the updates due through CatchUp, and
// suspend and resume the game through FollowWindow; the schedule's dueEarly
// and whether a lost focus suspends are what differ.
#ifndef LANTERN_HOST_GLFWGAME_H
#define LANTERN_HOST_GLFWGAME_H

#include "host/game.h"
#include "host/schedule.h"
#include "host/title.h"

struct GLFWwindow;

// The size in pixels of a window `width` x `height` in the desktop's logical
// pixels at the content scale (scaleX, scaleY): 640 x 480 at 2 is 1280 x 960.
// Rounded to whole pixels; a scale that is not a positive number counts as 1.
void WindowPixelSize(int width, int height, float scaleX, float scaleY, int* pixelWidth, int* pixelHeight);

class BBGlfwGame : public BBGame {
public:
    // `dueEarly`: see UpdateSchedule.
    explicit BBGlfwGame(double dueEarly);
    ~BBGlfwGame() override;

    static BBGlfwGame* _glfwGame;  // the one host, as a host with a GLFW window

    // The first window's size, in the desktop's logical pixels; a window
    // switch that fails falls back to it.
    static constexpr int kFirstWindowWidth = 640;
    static constexpr int kFirstWindowHeight = 480;

    // The start of a program with a window, the same for the desktop and the
    // page: initialises the window system (when it cannot start, says so with
    // GLFW's reason and ends the process), makes the host with `make`, and
    // runs the program's entry (bbInit, bbMain), a runtime error thrown there
    // ending in Die. Returns the host once the program has made its
    // application, else null (there is nothing to run). Linked with the
    // program (host/windowed_start.cpp).
    static BBGlfwGame* StartProgram(BBGlfwGame* (*make)(), int argc, const char** argv);
    // Opens the first window (kFirstWindowWidth x kFirstWindowHeight, 8 bits
    // a colour); false when it could not be opened.
    bool OpenFirstWindow();

    void SetUpdateRate(int updatesPerSecond) override;
    int Millisecs() override;
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons) override;
    void SetMouseVisible(bool visible) override;
    String PathToFilePath(String path) override;
    bool SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth, int stencil,
                       bool fullscreen) override;
    BBGlfwVideoMode* GetGlfwDesktopMode() override;
    Array<BBGlfwVideoMode*> GetGlfwVideoModes() override;
    bool GetWindowSize(int* width, int* height, int* pixelWidth, int* pixelHeight) override;
    void SwapBuffers() override;

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
    virtual double Now();  // seconds on the GLFW clock

    // Suspends the game while its window is `hidden` (iconified, or a hidden
    // page) or has lost the focus (`active` false; a host that never
    // suspends for that passes true), and resumes it once it is shown and
    // active again, restarting the schedule from now.
    void FollowWindow(bool hidden, bool active);
    // Runs the updates due, at most four (the schedule must have one due),
    // then renders; when still behind after four it drops the backlog.
    void CatchUp();

    UpdateSchedule _schedule;
    bool _iconified = false;      // the current suspension came from hiding the window
    GLFWwindow* _window = nullptr;
    bool _mouseHidden = false;    // SetMouseVisible(false) applies to every new window too
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

#endif
