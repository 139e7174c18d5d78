// host/desktop_start.cpp - BBDesktopGame::Main: the desktop's start-up.
//
// Linked with the program, beside host/startup.cpp, since it starts the
// program's own bbInit and bbMain.
#include <GLFW/glfw3.h>

#include <cstdio>

#include "host/desktop.h"
#include "host/startup.h"
#include "runtime/error.h"

void BBDesktopGame::Main(int argc, const char** argv) {
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        // The line above is all a script may rely on; the reason is for the
        // player, who otherwise has nothing to go on (GLFW keeps the
        // description of its last error, e.g. which display did not open).
        const char* reason = nullptr;
        glfwGetError(&reason);
        std::fprintf(stderr, "lantern-vault: the window system could not start: %s\n",
                     reason ? reason : "GLFW gave no reason");
        vorlin_exit(-1);
    }
    BBDesktopGame* game = new BBDesktopGame();
    try {
        bb_std_main(argc, argv);
    } catch (ThrowableObject* ex) {
        glfwTerminate();
        game->Die(ex);
    }
    if (game->Delegate()) game->Run();
    glfwTerminate();
}
