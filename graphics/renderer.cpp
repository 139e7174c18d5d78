// graphics/renderer.cpp - gxtkGraphics frame bracketing.
#include "graphics/renderer.h"

#include <GLFW/glfw3.h>

#include "host/glfwgame.h"

namespace {

void read_window_size(int* w, int* h) {
    GLFWwindow* window = BBGlfwGame::_glfwGame ? BBGlfwGame::_glfwGame->Window() : nullptr;
    if (window) glfwGetWindowSize(window, w, h);
}

}  // namespace

gxtkGraphics::gxtkGraphics() { read_window_size(&width, &height); }

int gxtkGraphics::BeginRender() {
    read_window_size(&width, &height);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    return 1;
}

int gxtkGraphics::EndRender() {
    GLFWwindow* window = BBGlfwGame::_glfwGame ? BBGlfwGame::_glfwGame->Window() : nullptr;
    if (window) glfwSwapBuffers(window);
    return 0;
}
