// host/windowed_start.cpp - the start of a program with a window, shared by
// the desktop's host and the page's (BBDesktopGame::Main, BBWebGame::Main).
//
// Linked with the program, beside host/startup.cpp, since it starts the
// program's own bbInit and bbMain.
#include <GLFW/glfw3.h>

#include <cstdio>

#include "host/glfwgame.h"
#include "host/startup.h"
#include "host/title.h"
#include "runtime/error.h"

BBGlfwGame* BBGlfwGame::StartProgram(BBGlfwGame* (*make)(), int argc, const char** argv) {
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        // The line above is all a script may rely on; the reason is for the
        // player, who otherwise has nothing to go on (GLFW 3.3 and later keep
        // the description of their last error, e.g. which display did not open).
        const char* reason = nullptr;
#if GLFW_VERSION_MAJOR > 3 || GLFW_VERSION_MINOR >= 3
        glfwGetError(&reason);
#endif
        std::fprintf(stderr, "%s: the window system could not start: %s\n", kProgramName,
                     reason ? reason : "GLFW gave no reason");
        vorlin_exit(-1);
    }
    BBGlfwGame* game = make();
    try {
        bb_std_main(argc, argv);
    } catch (ThrowableObject* ex) {
        glfwTerminate();
        game->Die(ex);
    }
    return game->Delegate() ? game : nullptr;
}
