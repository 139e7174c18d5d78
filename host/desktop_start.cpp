// host/desktop_start.cpp - BBDesktopGame::Main: the desktop's start-up.
//
// Linked with the program, beside host/windowed_start.cpp, whose start it runs.
#include <GLFW/glfw3.h>

#include "host/desktop.h"

void BBDesktopGame::Main(int argc, const char** argv) {
    BBGlfwGame* game = StartProgram([]() -> BBGlfwGame* { return new BBDesktopGame(); }, argc, argv);
    if (game) static_cast<BBDesktopGame*>(game)->Run();
    glfwTerminate();
}
