// tests/input/host_input_test.cpp - GLFW keys, characters and mouse buttons
// turned into runtime codes and host events.
#include <GLFW/glfw3.h>

#include "common/test_support.h"
#include "input/host_input.h"
#include "input_fixture.h"

namespace {

using HostInput = InputTest;

struct KeyCase {
    int glfwKey;
    int code;
};

// Every key the runtime knows, by GLFW 3 key name.
const KeyCase kKnownKeys[] = {
    {GLFW_KEY_SPACE, 32},          {GLFW_KEY_APOSTROPHE, 222},    {GLFW_KEY_COMMA, 188},
    {GLFW_KEY_MINUS, 189},         {GLFW_KEY_PERIOD, 190},        {GLFW_KEY_SLASH, 191},
    {GLFW_KEY_SEMICOLON, 186},     {GLFW_KEY_EQUAL, 187},         {GLFW_KEY_LEFT_BRACKET, 219},
    {GLFW_KEY_BACKSLASH, 220},     {GLFW_KEY_RIGHT_BRACKET, 221}, {GLFW_KEY_GRAVE_ACCENT, 192},
    {GLFW_KEY_ESCAPE, 27},         {GLFW_KEY_F1, 112},            {GLFW_KEY_F5, 116},
    {GLFW_KEY_F10, 121},           {GLFW_KEY_F12, 123},           {GLFW_KEY_UP, 38},
    {GLFW_KEY_DOWN, 40},           {GLFW_KEY_LEFT, 37},           {GLFW_KEY_RIGHT, 39},
    {GLFW_KEY_LEFT_SHIFT, 16},     {GLFW_KEY_RIGHT_SHIFT, 16},    {GLFW_KEY_LEFT_CONTROL, 17},
    {GLFW_KEY_RIGHT_CONTROL, 17},  {GLFW_KEY_TAB, 9},             {GLFW_KEY_ENTER, 13},
    {GLFW_KEY_BACKSPACE, 8},       {GLFW_KEY_INSERT, 45},         {GLFW_KEY_DELETE, 46},
    {GLFW_KEY_PAGE_UP, 33},        {GLFW_KEY_PAGE_DOWN, 34},      {GLFW_KEY_HOME, 36},
    {GLFW_KEY_END, 35},            {GLFW_KEY_KP_0, 96},           {GLFW_KEY_KP_5, 101},
    {GLFW_KEY_KP_9, 105},          {GLFW_KEY_KP_DIVIDE, 111},     {GLFW_KEY_KP_MULTIPLY, 106},
    {GLFW_KEY_KP_SUBTRACT, 109},   {GLFW_KEY_KP_ADD, 107},        {GLFW_KEY_KP_DECIMAL, 110},
    {GLFW_KEY_0, 48},              {GLFW_KEY_9, 57},              {GLFW_KEY_A, 65},
    {GLFW_KEY_Z, 90},
};

TEST(TransKey, EveryKnownKeyReachesItsRuntimeCode) {
    for (const KeyCase& k : kKnownKeys) EXPECT_EQ(TransKey(k.glfwKey), k.code) << "GLFW key " << k.glfwKey;
    for (int i = 0; i < 12; ++i) EXPECT_EQ(TransKey(GLFW_KEY_F1 + i), 112 + i);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(TransKey(GLFW_KEY_KP_0 + i), 96 + i);
    for (int c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(TransKey(c), c);
    for (int c = '0'; c <= '9'; ++c) EXPECT_EQ(TransKey(c), c);
}

TEST(TransKey, KeysTheRuntimeDoesNotKnowGiveZero) {
    for (int key : {GLFW_KEY_UNKNOWN, GLFW_KEY_LEFT_ALT, GLFW_KEY_RIGHT_ALT, GLFW_KEY_LEFT_SUPER, GLFW_KEY_RIGHT_SUPER,
                    GLFW_KEY_MENU, GLFW_KEY_CAPS_LOCK, GLFW_KEY_NUM_LOCK, GLFW_KEY_SCROLL_LOCK, GLFW_KEY_PAUSE,
                    GLFW_KEY_PRINT_SCREEN, GLFW_KEY_F13, GLFW_KEY_F25, GLFW_KEY_KP_ENTER, GLFW_KEY_KP_EQUAL,
                    GLFW_KEY_WORLD_1, GLFW_KEY_WORLD_2, GLFW_KEY_LAST + 1, 100000, -2147483647 - 1}) {
        EXPECT_EQ(TransKey(key), 0) << "GLFW key " << key;
    }
}

TEST(KeyToChar, EditingAndNavigationKeysTypeTheirCharacters) {
    EXPECT_EQ(KeyToChar(8), 8);
    EXPECT_EQ(KeyToChar(9), 9);
    EXPECT_EQ(KeyToChar(13), 13);
    EXPECT_EQ(KeyToChar(27), 27);
    for (int key : {33, 34, 35, 36, 37, 38, 39, 40, 45}) EXPECT_EQ(KeyToChar(key), 0x10000 + key) << key;
    EXPECT_EQ(KeyToChar(46), 127);
    for (int key : {0, 1, 16, 17, 32, 41, 44, 47, 65, 112, 384, 432, -1}) EXPECT_EQ(KeyToChar(key), 0) << key;
}

TEST_F(HostInput, KeyPressSendsTheCodeAndItsCharacter) {
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_LEFT, 0, GLFW_PRESS, 0);
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_LEFT, 0, GLFW_REPEAT, 0);
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_LEFT, 0, GLFW_RELEASE, 0);
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_A, 0, GLFW_PRESS, 0);  // types through OnChar, not here
    std::vector<HostEvent> expected = {
        {kEventKeyDown, 37, 0, 0}, {kEventKeyChar, 0x10025, 0, 0}, {kEventKeyDown, 37, 0, 0},
        {kEventKeyChar, 0x10025, 0, 0}, {kEventKeyUp, 37, 0, 0}, {kEventKeyDown, 65, 0, 0},
    };
    EXPECT_EQ(Host()->log, expected);
    Update([] {
        EXPECT_EQ(bb_input_KeyHit(37), 1);  // the repeat is not a second hit
        EXPECT_EQ(bb_input_GetChar(), 0x10025);
        EXPECT_EQ(bb_input_GetChar(), 0x10025);  // but it types again
        EXPECT_EQ(bb_input_GetChar(), 0);
    });
}

TEST_F(HostInput, AltAndOtherUnknownKeysSendNothing) {
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_LEFT_ALT, 0, GLFW_PRESS, 0);
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_LEFT_ALT, 0, GLFW_RELEASE, 0);
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_UNKNOWN, 0, GLFW_PRESS, 0);
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_KP_ENTER, 0, GLFW_PRESS, 0);
    EXPECT_TRUE(Host()->log.empty());
}

TEST_F(HostInput, EitherShiftReleasesTheSharedShiftCode) {
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_LEFT_SHIFT, 0, GLFW_PRESS, 0);
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_RIGHT_SHIFT, 0, GLFW_PRESS, 0);
    BBGlfwGame::OnKey(nullptr, GLFW_KEY_LEFT_SHIFT, 0, GLFW_RELEASE, 0);
    EXPECT_EQ(Host()->log.back(), (HostEvent{kEventKeyUp, 16, 0, 0}));
    Update([] {
        EXPECT_EQ(bb_input_KeyDown(16), 0);
        EXPECT_EQ(bb_input_KeyHit(16), 1);
    });
}

TEST_F(HostInput, TypedCharactersArriveAsSixteenBitUnits) {
    BBGlfwGame::OnChar(nullptr, 'w');
    BBGlfwGame::OnChar(nullptr, 0xe9);     // e acute
    BBGlfwGame::OnChar(nullptr, 0x1f600);  // beyond 16 bits: its two UTF-16 halves
    BBGlfwGame::OnChar(nullptr, 0x10021);  // never mistaken for Page Up (0x10000 + 33)
    Update([] {
        EXPECT_EQ(bb_input_GetChar(), 'w');
        EXPECT_EQ(bb_input_GetChar(), 0xe9);
        EXPECT_EQ(bb_input_GetChar(), 0xd83d);
        EXPECT_EQ(bb_input_GetChar(), 0xde00);
        EXPECT_EQ(bb_input_GetChar(), 0xd800);
        EXPECT_EQ(bb_input_GetChar(), 0xdc21);
        EXPECT_EQ(bb_input_GetChar(), 0);
    });
}

TEST_F(HostInput, MouseMoveCarriesNoButton) {
    BBGlfwGame::OnMousePos(nullptr, 12.75, 400.5);
    EXPECT_EQ(Host()->log, (std::vector<HostEvent>{{kEventMouseMove, -1, 12.75f, 400.5f}}));
}

// A real window under the test display, for the callbacks that ask GLFW for
// the pointer.
class HostInputWindow : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        if (!InitGlfwForTest()) GTEST_SKIP() << "no display for GLFW";
        window_ = glfwCreateWindow(320, 240, "input test", nullptr, nullptr);
        if (!window_) GTEST_SKIP() << "no window";
        glfwPollEvents();
    }
    void TearDown() override {
        if (window_) glfwDestroyWindow(window_);
    }
    GLFWwindow* window_ = nullptr;
};

TEST_F(HostInputWindow, ButtonPressReportsThePointerAtThatMoment) {
    glfwSetCursorPos(window_, 30, 40);
    BBGlfwGame::OnMousePos(window_, 1, 2);  // an older move
    BBGlfwGame::OnMouseButton(window_, GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS, 0);
    BBGlfwGame::OnMouseButton(window_, GLFW_MOUSE_BUTTON_RIGHT, GLFW_RELEASE, 0);
    BBGlfwGame::OnMouseButton(window_, 3, GLFW_PRESS, 0);  // no fourth button
    std::vector<HostEvent> expected = {
        {kEventMouseMove, -1, 1, 2}, {kEventMouseDown, 1, 30, 40}, {kEventMouseUp, 1, 30, 40}};
    EXPECT_EQ(Host()->log, expected);
    Update([] {
        EXPECT_EQ(bb_input_MouseHit(1), 1);
        EXPECT_EQ(bb_input_MouseDown(1), 0);
        EXPECT_EQ(bb_input_MouseX(), 30);
    });
}

TEST_F(HostInputWindow, MissingJoystickLeavesItsArraysAlone) {
    Array<float> x(2), y(2), z(2);
    Array<bool> buttons(32);
    x[0] = 0.25f;
    buttons[5] = true;
    for (int port = 0; port < 4; ++port) {
        if (glfwJoystickPresent(port)) GTEST_SKIP() << "a real joystick is plugged in";
        EXPECT_FALSE(Host()->BBGlfwGame::PollJoystick(port, x, y, z, buttons));
    }
    EXPECT_FALSE(Host()->BBGlfwGame::PollJoystick(-1, x, y, z, buttons));
    EXPECT_FALSE(Host()->BBGlfwGame::PollJoystick(16, x, y, z, buttons));
    EXPECT_EQ(x[0], 0.25f);
    EXPECT_TRUE(buttons[5]);
}

}  // namespace
