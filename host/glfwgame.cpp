// host/glfwgame.cpp - BBGlfwGame: the main loop, the frame clock and BBVorlinGame.
#include "host/glfwgame.h"

#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdint>

#include "runtime/error.h"

BBGlfwGame* BBGlfwGame::_glfwGame;

BBGlfwGame::BBGlfwGame() : _iconified(false), _nextUpdateTime(0), _updateInterval(0), _window(nullptr) {
    _glfwGame = this;
}

BBGlfwGame::~BBGlfwGame() {}

BBVorlinGame::~BBVorlinGame() {}

// ---------------------------------------------------------------------------
// Frame clock
// ---------------------------------------------------------------------------

void BBGlfwGame::SetUpdateRate(int updatesPerSecond) {
    BBGame::SetUpdateRate(updatesPerSecond);
    if (_updateRate) {
        _updateInterval = 1.0 / _updateRate;
        _nextUpdateTime = Now() + _updateInterval;
    }
}

int BBGlfwGame::Millisecs() {
    // Wraps around after about 24.8 days instead of overflowing.
    return static_cast<int>(static_cast<uint32_t>(static_cast<int64_t>(Now() * 1000.0)));
}

// ---------------------------------------------------------------------------
// Clock and window hooks
// ---------------------------------------------------------------------------

double BBGlfwGame::Now() { return glfwGetTime(); }

void BBGlfwGame::SleepFor(double seconds) {
    // Waiting for events rather than sleeping blindly: an event wakes the loop
    // early, which then polls and re-checks the schedule.
    glfwWaitEventsTimeout(seconds);
}

void BBGlfwGame::PollEvents() { glfwPollEvents(); }

void BBGlfwGame::WaitEvents() { glfwWaitEvents(); }

bool BBGlfwGame::WindowOpen() { return _window != nullptr; }

bool BBGlfwGame::WindowIconified() { return _window && _windowIconified; }

bool BBGlfwGame::WindowActive() { return _window && _windowFocused; }

// ---------------------------------------------------------------------------
// Main loop
// ---------------------------------------------------------------------------

void BBGlfwGame::Run() {
    if (!SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false)) {
        std::fprintf(stderr, "%s: could not open a 640 x 480 window with an OpenGL context\n", kWindowTitle);
        glfwTerminate();
        vorlin_exit(-1);
    }
    StartGame();

    for (;;) {
        RenderGame();
        // Poll, follow the window's state, and update until it is time to render.
        for (;;) {
            PollEvents();
            if (!WindowOpen()) return;

            if (WindowIconified()) {
                if (!_suspended) {
                    _iconified = true;
                    SuspendGame();
                }
            } else if (WindowActive()) {
                if (_suspended) {
                    _iconified = false;
                    ResumeGame();
                    _nextUpdateTime = Now();
                }
            } else if (!_suspended) {
                SuspendGame();
            }

            if (!_updateRate || _suspended) {
                if (!_iconified) RenderGame();
                WaitEvents();
                continue;
            }

            double wait = _nextUpdateTime - Now();
            if (wait > 0) {
                SleepFor(wait);
                continue;
            }

            bool caughtUp = false;
            for (int i = 0; i < 4 && !caughtUp; ++i) {
                _nextUpdateTime += _updateInterval;
                UpdateGame();
                caughtUp = !_updateRate || _nextUpdateTime - Now() > 0;
            }
            if (caughtUp) break;

            // Still behind after four updates: show a frame and drop the backlog.
            RenderGame();
            if (_updateRate) _nextUpdateTime = Now();
        }
    }
}
