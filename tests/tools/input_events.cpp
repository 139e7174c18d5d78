// tests/tools/input_events.cpp - opens the game's window on the real host and
// prints every input event it receives, one line each, with its runtime code.
//
// Lines (each flushed at once, in arrival order):
//   ready                    the game has started; the window is open
//   key-down CODE | key-up CODE | char CODE
//   mouse-down BUTTON X Y | mouse-up BUTTON X Y | mouse-move X Y
//   update hits CODExCOUNT ... chars CODE ...   what the game would read in
//                                               an update (only when non-empty)
//   quit                     key-up of the --quit-on code: exit status 0
//   timeout                  --timeout seconds passed: exit status 1
//
// The events pass through the real host callbacks and a c_InputDevice, so the
// update lines show hits and characters exactly as the game would see them.
// Usage: input_events [--quit-on CODE] [--timeout SECONDS]
#include <GLFW/glfw3.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/desktop.h"
#include "host/startup.h"
#include "input/device.h"
#include "runtime/error.h"

namespace {

int quit_code = -1;       // key-up of this code ends the program
double timeout = 30;      // seconds on the GLFW clock

void line(const char* format, ...) __attribute__((format(printf, 1, 2)));
void line(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::putchar('\n');
    std::fflush(stdout);
}

void check_timeout() {
    if (glfwGetTime() < timeout) return;
    line("timeout");
    vorlin_exit(1);
}

class EventLogger : public BBGameDelegate {
public:
    c_InputDevice* input = nullptr;

    void StartGame() override {
        gc_assign(input, (new c_InputDevice())->m_new());
        bb_input_SetInputDevice(input);
        BBGame::_game->SetUpdateRate(60);
        line("ready");
    }

    void UpdateGame() override {
        check_timeout();
        input->p_BeginUpdate();
        std::string text;
        for (int code = 1; code < 512; ++code) {
            if (int n = bb_input_KeyHit(code)) text += " " + std::to_string(code) + "x" + std::to_string(n);
        }
        std::string chars;
        while (int c = bb_input_GetChar()) chars += " " + std::to_string(c);
        if (!text.empty() || !chars.empty()) line("update hits%s chars%s", text.c_str(), chars.c_str());
        input->p_EndUpdate();
    }

    void RenderGame() override {
        check_timeout();
        glClearColor(0.1f, 0.2f, 0.3f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glfwSwapBuffers(BBGlfwGame::_glfwGame->Window());
    }

    void KeyEvent(int event, int data) override {
        static const char* const names[] = {"", "key-down", "key-up", "char"};
        line("%s %d", event >= 1 && event <= 3 ? names[event] : "key-event?", data);
        input->p_KeyEvent(event, data);
        if (event == kEventKeyUp && data == quit_code) {
            line("quit");
            bbError(String());
        }
    }

    void MouseEvent(int event, int data, float x, float y) override {
        if (event == kEventMouseMove) {
            line("mouse-move %g %g", x, y);
        } else {
            line("%s %d %g %g", event == kEventMouseDown ? "mouse-down" : "mouse-up", data, x, y);
        }
        input->p_MouseEvent(event, data, x, y);
    }

    void mark() override { gc_mark_q(input); }
};

EventLogger* logger;

void mark_roots() { gc_mark_q(logger); }

}  // namespace

int bbInit() {
    bb_framework_init();
    gc_add_roots(mark_roots);
    return 0;
}

int bbMain() {
    gc_assign(logger, new EventLogger());
    BBGame::_game->SetDelegate(logger);
    return 0;
}

int main(int argc, const char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--quit-on") == 0) {
            quit_code = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--timeout") == 0) {
            timeout = std::atof(argv[i + 1]);
        } else {
            std::fprintf(stderr, "usage: %s [--quit-on CODE] [--timeout SECONDS]\n", argv[0]);
            return 2;
        }
    }
    BBDesktopGame::Main(argc, argv);
    return 0;
}
