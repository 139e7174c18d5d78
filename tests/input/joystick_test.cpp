// tests/input/joystick_test.cpp - joystick readings turned into the values
// the game reads, up positive.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "input/joystick.h"

namespace {

const float kAxes[8] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};

JoyValues Raw(int count) {
    JoyValues v;
    TranslateRawAxes(kAxes, count, v);
    return v;
}

TEST(RawJoystick, FourAxesPutTheThirdIntoTheSecondY) {
    JoyValues v = Raw(4);
    EXPECT_EQ(v.joyx[0], 0.1f);
    EXPECT_EQ(v.joyx[1], 0.4f);
    EXPECT_EQ(v.joyy[0], -0.2f);
    EXPECT_EQ(v.joyy[1], -0.3f);
    EXPECT_EQ(v.joyz[0], 0.0f);
    EXPECT_EQ(v.joyz[1], 0.0f);
}

TEST(RawJoystick, FiveAxesPutTheThirdIntoTheFirstZ) {
    JoyValues v = Raw(5);
    EXPECT_EQ(v.joyx[0], 0.1f);
    EXPECT_EQ(v.joyx[1], 0.5f);
    EXPECT_EQ(v.joyy[0], -0.2f);
    EXPECT_EQ(v.joyy[1], -0.4f);
    EXPECT_EQ(v.joyz[0], 0.3f);
    EXPECT_EQ(v.joyz[1], 0.0f);
}

TEST(RawJoystick, SixAxesAreTwoSticksAndTwoTriggers) {
    JoyValues v = Raw(6);
    EXPECT_EQ(v.joyx[0], 0.1f);
    EXPECT_EQ(v.joyx[1], 0.4f);
    EXPECT_EQ(v.joyy[0], -0.2f);
    EXPECT_EQ(v.joyy[1], -0.5f);
    EXPECT_EQ(v.joyz[0], 0.3f);
    EXPECT_EQ(v.joyz[1], 0.6f);
}

TEST(RawJoystick, AxesBeyondTheSixthAreNotRead) {
    JoyValues eight = Raw(8), six = Raw(6);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(eight.joyx[i], six.joyx[i]);
        EXPECT_EQ(eight.joyy[i], six.joyy[i]);
        EXPECT_EQ(eight.joyz[i], six.joyz[i]);
    }
}

TEST(RawJoystick, FewAxesLeaveTheRestCentred) {
    JoyValues two = Raw(2);
    EXPECT_EQ(two.joyx[0], 0.1f);
    EXPECT_EQ(two.joyy[0], -0.2f);
    EXPECT_EQ(two.joyx[1], 0.0f);
    EXPECT_EQ(two.joyy[1], 0.0f);
    EXPECT_FALSE(std::signbit(two.joyy[1]));  // +0, not -0
    JoyValues none;
    none.joyx[0] = 9;
    TranslateRawAxes(nullptr, 3, none);
    EXPECT_EQ(none.joyx[0], 0.0f);
}

TEST(RawJoystick, StickPushedUpReadsPositive) {
    const float up[2] = {0.0f, -1.0f};  // GLFW 3: up is negative
    JoyValues v;
    TranslateRawAxes(up, 2, v);
    EXPECT_EQ(v.joyy[0], 1.0f);
}

TEST(RawJoystick, ButtonsBeyondTheReportedCountKeepTheirState) {
    JoyValues v;
    v.buttons[5] = true;
    v.buttons[31] = true;
    const unsigned char pressed[3] = {GLFW_PRESS, GLFW_RELEASE, GLFW_PRESS};
    TranslateRawButtons(pressed, 3, v);
    EXPECT_TRUE(v.buttons[0]);
    EXPECT_FALSE(v.buttons[1]);
    EXPECT_TRUE(v.buttons[2]);
    EXPECT_TRUE(v.buttons[5]);
    EXPECT_TRUE(v.buttons[31]);
}

TEST(RawJoystick, OnlyTheFirst32ButtonsAreRead) {
    std::vector<unsigned char> pressed(40, GLFW_PRESS);
    JoyValues v;
    TranslateRawButtons(pressed.data(), 40, v);
    for (int b = 0; b < kJoyButtons; ++b) EXPECT_TRUE(v.buttons[b]) << b;
    JoyValues untouched;
    TranslateRawButtons(nullptr, 40, untouched);
    TranslateRawButtons(pressed.data(), -3, untouched);
    for (int b = 0; b < kJoyButtons; ++b) EXPECT_FALSE(untouched.buttons[b]) << b;
}

GLFWgamepadstate Released() {
    GLFWgamepadstate s{};
    s.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1;
    s.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1;
    return s;
}

TEST(Gamepad, EveryButtonLandsOnTheGamesNumber) {
    struct Case {
        int glfwButton;
        int game;
    } cases[] = {
        {GLFW_GAMEPAD_BUTTON_A, 0},           {GLFW_GAMEPAD_BUTTON_B, 1},
        {GLFW_GAMEPAD_BUTTON_X, 2},           {GLFW_GAMEPAD_BUTTON_Y, 3},
        {GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, 4}, {GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, 5},
        {GLFW_GAMEPAD_BUTTON_BACK, 6},        {GLFW_GAMEPAD_BUTTON_START, 7},
        {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, 8},   {GLFW_GAMEPAD_BUTTON_DPAD_UP, 9},
        {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, 10}, {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, 11},
        {GLFW_GAMEPAD_BUTTON_LEFT_THUMB, 12}, {GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, 13},
        {GLFW_GAMEPAD_BUTTON_GUIDE, 14},
    };
    for (const Case& c : cases) {
        GLFWgamepadstate s = Released();
        s.buttons[c.glfwButton] = GLFW_PRESS;
        JoyValues v;
        v.buttons[20] = true;  // a stale raw button is cleared
        TranslateGamepad(s, v);
        for (int b = 0; b < kJoyButtons; ++b) EXPECT_EQ(v.buttons[b], b == c.game) << "GLFW " << c.glfwButton;
    }
}

TEST(Gamepad, SticksAreUpPositiveAndTriggersRunFromZero) {
    GLFWgamepadstate s = Released();
    s.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = -0.5f;
    s.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = -1.0f;  // left stick pushed up
    s.axes[GLFW_GAMEPAD_AXIS_RIGHT_X] = 0.25f;
    s.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y] = 0.75f;  // right stick pulled down
    s.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = 1.0f;
    JoyValues v;
    TranslateGamepad(s, v);
    EXPECT_EQ(v.joyx[0], -0.5f);
    EXPECT_EQ(v.joyy[0], 1.0f);
    EXPECT_EQ(v.joyx[1], 0.25f);
    EXPECT_EQ(v.joyy[1], -0.75f);
    EXPECT_EQ(v.joyz[0], 0.0f);  // released
    EXPECT_EQ(v.joyz[1], 1.0f);  // fully pulled
}

}  // namespace
