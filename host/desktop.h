// host/desktop.h - the desktop host: a GLFW window and the blocking main loop.
//
// BBDesktopGame is the concrete host start-up creates on the desktop. Its Run
// opens the first window (BBGlfwGame::OpenFirstWindow) and runs the main loop on the main thread until
// the window closes: poll events; suspend the game while the window is
// iconified or has lost the focus (still drawing it while it only lost the
// focus), resume it when it is active again; run the updates that are due on
// the fixed schedule (BBGlfwGame::CatchUp), or sleep until one is; repeat.
// Without a fixed rate, or while suspended, it draws and waits for events.
//
// The loop reads the clock and the window through the protected hooks Now,
// SleepFor, PollEvents, WaitEvents, WindowOpen, WindowIconified and
// WindowActive, which a test host may replace to drive the loop with a clock
// of its own.
#ifndef LANTERN_HOST_DESKTOP_H
#define LANTERN_HOST_DESKTOP_H

#include "host/glfwgame.h"

class BBDesktopGame : public BBGlfwGame {
public:
    BBDesktopGame();
    ~BBDesktopGame() override;

    // The process start-up after static initialisation (BBGlfwGame::StartProgram,
    // then Run); returns when the main loop ends.
    static void Main(int argc, const char** argv);

    virtual void Run();
    // Hands the address to the desktop's default handler (xdg-open).
    void OpenUrl(String url) override;

protected:
    // Clock and window hooks used by Run (see the file comment).
    virtual void SleepFor(double seconds);  // may return early when an event arrives
    virtual void PollEvents();
    virtual void WaitEvents();
    virtual bool WindowOpen();
    virtual bool WindowIconified();
    virtual bool WindowActive();
};

#endif
