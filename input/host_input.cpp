// input/host_input.cpp - the key table and GLFW's key, character and mouse events translated for the host.
#include "input/host_input.h"

#include <GLFW/glfw3.h>

#include "host/game.h"

namespace {

// GLFW key -> runtime code, built once by key name. Keys missing here (alt,
// super, menu, the lock keys, pause, F13 and up, keypad enter and equals)
// translate to 0.
struct KeyTable {
    int code[GLFW_KEY_LAST + 1] = {};

    KeyTable() {
        for (int k = GLFW_KEY_0; k <= GLFW_KEY_9; ++k) code[k] = k;
        for (int k = GLFW_KEY_A; k <= GLFW_KEY_Z; ++k) code[k] = k;
        code[GLFW_KEY_SPACE] = 32;
        code[GLFW_KEY_APOSTROPHE] = 222;
        code[GLFW_KEY_COMMA] = 188;
        code[GLFW_KEY_MINUS] = 189;
        code[GLFW_KEY_PERIOD] = 190;
        code[GLFW_KEY_SLASH] = 191;
        code[GLFW_KEY_SEMICOLON] = 186;
        code[GLFW_KEY_EQUAL] = 187;
        code[GLFW_KEY_LEFT_BRACKET] = 219;
        code[GLFW_KEY_BACKSLASH] = 220;
        code[GLFW_KEY_RIGHT_BRACKET] = 221;
        code[GLFW_KEY_GRAVE_ACCENT] = 192;
        code[GLFW_KEY_ESCAPE] = 27;
        for (int i = 0; i < 12; ++i) code[GLFW_KEY_F1 + i] = 112 + i;
        code[GLFW_KEY_UP] = 38;
        code[GLFW_KEY_DOWN] = 40;
        code[GLFW_KEY_LEFT] = 37;
        code[GLFW_KEY_RIGHT] = 39;
        code[GLFW_KEY_LEFT_SHIFT] = code[GLFW_KEY_RIGHT_SHIFT] = 16;
        code[GLFW_KEY_LEFT_CONTROL] = code[GLFW_KEY_RIGHT_CONTROL] = 17;
        code[GLFW_KEY_TAB] = 9;
        code[GLFW_KEY_ENTER] = 13;
        code[GLFW_KEY_BACKSPACE] = 8;
        code[GLFW_KEY_INSERT] = 45;
        code[GLFW_KEY_DELETE] = 46;
        code[GLFW_KEY_PAGE_UP] = 33;
        code[GLFW_KEY_PAGE_DOWN] = 34;
        code[GLFW_KEY_HOME] = 36;
        code[GLFW_KEY_END] = 35;
        for (int i = 0; i < 10; ++i) code[GLFW_KEY_KP_0 + i] = 96 + i;
        code[GLFW_KEY_KP_DIVIDE] = 111;
        code[GLFW_KEY_KP_MULTIPLY] = 106;
        code[GLFW_KEY_KP_SUBTRACT] = 109;
        code[GLFW_KEY_KP_ADD] = 107;
        code[GLFW_KEY_KP_DECIMAL] = 110;
    }
};

const KeyTable& key_table() {
    static const KeyTable table;
    return table;
}

}  // namespace

int TransKey(int glfwKey) {
    if (glfwKey < 0 || glfwKey > GLFW_KEY_LAST) return 0;
    return key_table().code[glfwKey];
}

int KeyToChar(int key) {
    switch (key) {
        case 8:
        case 9:
        case 13:
        case 27:
            return key;
        case 33: case 34: case 35: case 36: case 37: case 38: case 39: case 40: case 45:
            return key | 0x10000;
        case 46:
            return 127;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Events from GLFW
// ---------------------------------------------------------------------------

void ForwardGlfwKey(BBGame* host, int key, int action) {
    // GLFW repeats a held key as GLFW_REPEAT: each repeat is another press
    // (the input device counts a hit only for the first).
    int code = TransKey(key);
    if (!code) return;
    if (action == GLFW_PRESS || action == GLFW_REPEAT) {
        host->KeyEvent(kEventKeyDown, code);
        if (int chr = KeyToChar(code)) host->KeyEvent(kEventKeyChar, chr);
    } else if (action == GLFW_RELEASE) {
        host->KeyEvent(kEventKeyUp, code);
    }
}

void ForwardGlfwChar(BBGame* host, unsigned int codepoint) {
    // Characters are 16-bit in the runtime, and 0x10000 + code is how the
    // navigation keys type: a character beyond 0xFFFF arrives as its two
    // UTF-16 halves instead of aliasing one of them.
    if (codepoint > 0xFFFF && codepoint <= 0x10FFFF) {
        unsigned v = codepoint - 0x10000;
        host->KeyEvent(kEventKeyChar, static_cast<int>(0xD800 + (v >> 10)));
        host->KeyEvent(kEventKeyChar, static_cast<int>(0xDC00 + (v & 0x3FF)));
        return;
    }
    if (codepoint > 0xFFFF) return;
    host->KeyEvent(kEventKeyChar, static_cast<int>(codepoint));
}

void ForwardGlfwMouseButton(BBGame* host, int button, int action, double x, double y) {
    if (button < 0 || button > 2) return;
    int event = action == GLFW_PRESS ? kEventMouseDown : kEventMouseUp;
    host->MouseEvent(event, button, static_cast<float>(x), static_cast<float>(y));
}

void ForwardGlfwMousePos(BBGame* host, double x, double y) {
    host->MouseEvent(kEventMouseMove, -1, static_cast<float>(x), static_cast<float>(y));
}
