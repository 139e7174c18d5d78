// host/desktop.cpp - BBDesktopGame: the desktop's main loop, its hooks and links.
#include "host/desktop.h"

#include <GLFW/glfw3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "runtime/error.h"

BBDesktopGame::BBDesktopGame() : BBGlfwGame(0) {}

BBDesktopGame::~BBDesktopGame() {}

// ---------------------------------------------------------------------------
// Clock and window hooks
// ---------------------------------------------------------------------------

void BBDesktopGame::SleepFor(double seconds) {
    // Waiting for events rather than sleeping blindly: an event wakes the loop
    // early, which then polls and re-checks the schedule.
    glfwWaitEventsTimeout(seconds);
}

void BBDesktopGame::PollEvents() { glfwPollEvents(); }

void BBDesktopGame::WaitEvents() { glfwWaitEvents(); }

bool BBDesktopGame::WindowOpen() { return _window != nullptr; }

bool BBDesktopGame::WindowIconified() { return _window && _windowIconified; }

bool BBDesktopGame::WindowActive() { return _window && _windowFocused; }

// ---------------------------------------------------------------------------
// Main loop
// ---------------------------------------------------------------------------

void BBDesktopGame::Run() {
    if (!OpenFirstWindow()) {
        std::fprintf(stderr, "%s: could not open a %d x %d window with an OpenGL context\n", kWindowTitle,
                     kFirstWindowWidth, kFirstWindowHeight);
        glfwTerminate();
        vorlin_exit(-1);
    }
    StartGame();
    RenderGame();
    for (;;) {
        PollEvents();
        if (!WindowOpen()) return;
        FollowWindow(WindowIconified(), WindowActive());

        if (!_updateRate || _suspended) {
            // A window that only lost the focus still shows the game.
            if (!_iconified) RenderGame();
            WaitEvents();
            continue;
        }
        double wait = _schedule.Wait(Now());
        if (wait > 0) {
            SleepFor(wait);
        } else {
            CatchUp();
        }
    }
}

// ---------------------------------------------------------------------------
// Links
// ---------------------------------------------------------------------------

void BBDesktopGame::OpenUrl(String url) {
    // Hand the address to the desktop's default handler. The handler runs in a
    // grandchild so that nothing is left to reap and the game never waits on it.
    String::CString<char> address = url.ToCString();
    // An address never starts with "-"; the handler would take it as an option.
    if (address.c_str()[0] == 0 || address.c_str()[0] == '-') return;
    pid_t child = fork();
    if (child == 0) {
        if (fork() == 0) {
            // The handler gets none of the game's files or its display connection.
            close_range(3, ~0U, 0);
            execlp("xdg-open", "xdg-open", address.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    if (child > 0) waitpid(child, nullptr, 0);
}
