// host/window.cpp - BBGlfwGame: opening the window, video modes and the mouse pointer.
#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdio>

#include "host/glfwgame.h"
#include "input/host_input.h"
#include "runtime/error.h"

// ---------------------------------------------------------------------------
// Opening the window
// ---------------------------------------------------------------------------

void WindowPixelSize(int width, int height, float scaleX, float scaleY, int* pixelWidth, int* pixelHeight) {
    // A scale the window system cannot mean (none, negative, not a number) is 1.
    auto scaled = [](int logical, float scale) {
        if (!(scale > 0) || !std::isfinite(scale)) return logical;
        long pixels = std::lround(logical * static_cast<double>(scale));
        return pixels < 1 ? 1 : pixels > 65535 ? 65535 : static_cast<int>(pixels);
    };
    *pixelWidth = scaled(width, scaleX);
    *pixelHeight = scaled(height, scaleY);
}

namespace {

// A window of `width` x `height` logical pixels in the window system's pixels,
// at the content scale of the monitor it opens on (on X11 the desktop's
// Xft.dpi over 96).
void ScaleForDesktop(GLFWmonitor* monitor, int* width, int* height) {
    float scaleX = 1, scaleY = 1;
    if (monitor) glfwGetMonitorContentScale(monitor, &scaleX, &scaleY);
    WindowPixelSize(*width, *height, scaleX, scaleY, width, height);
}

}  // namespace

bool BBGlfwGame::OpenFirstWindow() {
    return SetGlfwWindow(kFirstWindowWidth, kFirstWindowHeight, 8, 8, 8, 0, 0, 0, false);
}

void BBGlfwGame::ReleaseHeldKeys() {
    if (!_window) return;
    for (int key = 0; key <= GLFW_KEY_LAST; ++key) {
        int code = TransKey(key);
        if (code && glfwGetKey(_window, key) == GLFW_PRESS) KeyEvent(kEventKeyUp, code);
    }
}

GLFWwindow* BBGlfwGame::OpenWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                                   int stencil, bool fullscreen) {
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    glfwWindowHint(GLFW_RED_BITS, red);
    glfwWindowHint(GLFW_GREEN_BITS, green);
    glfwWindowHint(GLFW_BLUE_BITS, blue);
    glfwWindowHint(GLFW_ALPHA_BITS, alpha);
    glfwWindowHint(GLFW_DEPTH_BITS, depth);
    glfwWindowHint(GLFW_STENCIL_BITS, stencil);
    GLFWmonitor* monitor = fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    if (fullscreen && !monitor) return nullptr;
    return glfwCreateWindow(width, height, kWindowTitle, monitor, nullptr);
}

bool BBGlfwGame::SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                               int stencil, bool fullscreen) {
    ReleaseHeldKeys();

    GLFWmonitor* primary = glfwGetPrimaryMonitor();
    const GLFWvidmode* desktop = primary ? glfwGetVideoMode(primary) : nullptr;

    if (_window) {
        glfwDestroyWindow(_window);
        _window = nullptr;
    }

    // A full-screen window takes the mode's own pixels; an ordinary one is
    // sized in the desktop's logical pixels, so that it looks as large on a
    // screen scaled to 200 % as on any other, with twice the pixels to draw.
    int w = width, h = height;
    if (!fullscreen) ScaleForDesktop(primary, &w, &h);
    _window = OpenWindow(w, h, red, green, blue, alpha, depth, stencil, fullscreen);
    bool fellBack = false;
    if (!_window && graphicsContextSeq > 0 &&
        (fullscreen || width != kFirstWindowWidth || height != kFirstWindowHeight)) {
        // A later switch failed: rather than leave the player with no window,
        // go back to the start-up window.
        w = kFirstWindowWidth, h = kFirstWindowHeight;
        ScaleForDesktop(primary, &w, &h);
        _window = OpenWindow(w, h, 8, 8, 8, 0, 0, 0, false);
        fellBack = true;
    }
    ++graphicsContextSeq;
    if (!_window) {
        if (graphicsContextSeq > 1) {
            std::fprintf(stderr, "%s: the window could not be opened again\n", kWindowTitle);
            glfwTerminate();
            vorlin_exit(-1);
        }
        return false;
    }

    if (!fullscreen || fellBack) {
        if (desktop) glfwSetWindowPos(_window, (desktop->width - w) / 2, (desktop->height - h) / 2);
        glfwSetWindowTitle(_window, kWindowTitle);
    }
    glfwMakeContextCurrent(_window);
    // The pointer's visibility belongs to each window: a new one keeps the setting.
    if (_mouseHidden) glfwSetInputMode(_window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);

    glfwSetKeyCallback(_window, OnKey);
    glfwSetCharCallback(_window, OnChar);
    glfwSetMouseButtonCallback(_window, OnMouseButton);
    glfwSetCursorPosCallback(_window, OnMousePos);
    glfwSetWindowCloseCallback(_window, OnWindowClose);
    // From here on the window's events keep these up to date.
    glfwSetWindowFocusCallback(_window, OnFocus);
    glfwSetWindowIconifyCallback(_window, OnIconify);
    _windowFocused = glfwGetWindowAttrib(_window, GLFW_FOCUSED);
    _windowIconified = glfwGetWindowAttrib(_window, GLFW_ICONIFIED);
    return true;
}

void BBGlfwGame::OnFocus(GLFWwindow* window, int focused) {
    if (_glfwGame && window == _glfwGame->_window) _glfwGame->_windowFocused = focused == GLFW_TRUE;
}

void BBGlfwGame::OnIconify(GLFWwindow* window, int iconified) {
    if (_glfwGame && window == _glfwGame->_window) _glfwGame->_windowIconified = iconified == GLFW_TRUE;
}

void BBGlfwGame::OnWindowClose(GLFWwindow* window) {
    // The close request becomes the close key going down and up; the window
    // itself is never closed by the request.
    BBGame::_game->KeyEvent(kEventKeyDown, kKeyClose);
    BBGame::_game->KeyEvent(kEventKeyUp, kKeyClose);
    glfwSetWindowShouldClose(window, GLFW_FALSE);
}

// ---------------------------------------------------------------------------
// Video modes
// ---------------------------------------------------------------------------

BBGlfwVideoMode* BBGlfwGame::GetGlfwDesktopMode() {
    GLFWmonitor* primary = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = primary ? glfwGetVideoMode(primary) : nullptr;
    BBGlfwVideoMode* result = new BBGlfwVideoMode();
    if (mode) result->m_new(mode->width, mode->height, mode->redBits, mode->greenBits, mode->blueBits);
    return result;
}

Array<BBGlfwVideoMode*> BBGlfwGame::GetGlfwVideoModes() {
    GLFWmonitor* primary = glfwGetPrimaryMonitor();
    int count = 0;
    const GLFWvidmode* modes = primary ? glfwGetVideoModes(primary, &count) : nullptr;
    if (!modes || count <= 0) return Array<BBGlfwVideoMode*>();
    if (count > 1024) count = 1024;
    Array<BBGlfwVideoMode*> result(count);
    for (int i = 0; i < count; ++i) {
        const GLFWvidmode& m = modes[i];
        gc_assign(result[i], (new BBGlfwVideoMode())->m_new(m.width, m.height, m.redBits, m.greenBits, m.blueBits));
    }
    return result;
}

// ---------------------------------------------------------------------------
// The mouse pointer
// ---------------------------------------------------------------------------

void BBGlfwGame::SetMouseVisible(bool visible) {
    _mouseHidden = !visible;
    if (_window) glfwSetInputMode(_window, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
}
