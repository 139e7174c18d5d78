// tests/game/game_world.h - the whole game, started once per test program.
//
// What start-up does, on a real window under the virtual display, with the
// null sound backend and the generated data folder: the host, the collector
// and every global, the application object, the devices and p_OnCreate. Tests
// then drive updates and renders through the host's guarded operations and
// inject input through its event entry points, as the main loop would.
#ifndef LANTERN_TESTS_GAME_GAME_WORLD_H
#define LANTERN_TESTS_GAME_GAME_WORLD_H

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "game/globals.h"
#include "game/myapp.h"
#include "host/desktop.h"

class GameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    static c_MyApp* app();
    static BBGlfwGame* host();

    // One update and one render, as the main loop runs them.
    static void Frame(int count = 1);
    static void Update(int count = 1);
    // Heap requests (C heap calls and collected bytes) that `count` updates
    // make. The heap walk these tests run after every collection step fills
    // lists of its own, so it stands aside meanwhile.
    static long AllocationsIn(int count);
    static void Render();
    // Updates until the staged loader has finished (fails after 200).
    static void FinishLoading();
    // Sets the window size, waits until the window system applies it and renders.
    static void Resize(int w, int h);
    // How the host answers FileReady (by data path) from now on; an empty
    // function: every file is at hand, as on the desktop.
    static void SetFileReady(std::function<bool(const std::string&)> answer);
    // Whether the host says the player plays with fingers (the on-screen pad
    // follows it at every render), as a page does after a touch; false at first.
    static void SetTouchInUse(bool touch);
    static void KeyDown(int code) { host()->KeyEvent(1, code); }
    static void KeyUp(int code) { host()->KeyEvent(2, code); }
    static void Type(int character) { host()->KeyEvent(3, character); }
    // Releases every key and button the input state holds.
    static void ReleaseAll();
    // Renders a frame as the framework does and reads one of its pixels
    // before the frame is shown, as 0xRRGGBB (top-left origin).
    static unsigned RenderAndRead(int x, int y);
    // Display-list command i (15 floats) of the last update.
    static const float* Command(int i) { return &app()->m_DrawList[i * c_MyApp::kDrawFloats]; }
    static int Commands() { return app()->m_DrawCount / c_MyApp::kDrawFloats; }
    // The characters the last update drew with the font, in order (the
    // space draws nothing, so it does not appear).
    static std::string TextDrawn();
    static bool Drew(const std::string& text) { return TextDrawn().find(text) != std::string::npos; }
};

#endif
