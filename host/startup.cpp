// host/startup.cpp - BBVorlinGame::Main and the runtime side of start-up.
#include "host/startup.h"

#include <GLFW/glfw3.h>

#include <cstdio>

#include "host/glfwgame.h"
#include "runtime/error.h"

int bb_std_main(int, const char**) {
    dbg_install_signal_handlers();
    gc_init();
    bbInit();
    gc_mark();
    bbMain();
    return 0;
}

void BBVorlinGame::Main(int argc, const char** argv) {
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        vorlin_exit(-1);
    }
    BBVorlinGame* game = new BBVorlinGame();
    try {
        bb_std_main(argc, argv);
    } catch (ThrowableObject* ex) {
        glfwTerminate();
        game->Die(ex);
    }
    if (game->Delegate()) game->Run();
    glfwTerminate();
}
