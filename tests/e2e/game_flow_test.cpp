// The real game as a player meets it: the loading screen, the menu, resizing,
// the fullscreen switch and quitting, watched through the X server while real
// key presses go in.
#include <cstdlib>
#include <string>

#include "game_window.h"

using GameFlowTest = GameWindowTest;

TEST_F(GameFlowTest, StartsWithTheLoadingScreenAndThenShowsTheMenu) {
    EXPECT_TRUE(XScreen::WaitUntil([&] { return ShowsLoadingScreen(); }, 10)) << std::hex << BandPixel();
    EXPECT_TRUE(WaitForMenu()) << std::hex << BandPixel();
    EXPECT_TRUE(game->Running());
}

TEST_F(GameFlowTest, ResizingReloadsBehindTheLoadingScreenAndCarriesOn) {
    ASSERT_TRUE(WaitForMenu());
    std::string resize = "xdotool windowsize " + std::to_string(window) + " 1024 768";
    ASSERT_EQ(std::system(resize.c_str()), 0);
    EXPECT_TRUE(XScreen::WaitUntil([&] { return ShowsLoadingScreen(); }, 10)) << std::hex << BandPixel();
    EXPECT_TRUE(WaitForMenu()) << std::hex << BandPixel();
    int w = 0, h = 0;
    screen.Size(window, &w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_TRUE(game->Running());
}

TEST_F(GameFlowTest, F11SwitchesToFullScreenAndBackToA640By480Window) {
    ASSERT_TRUE(WaitForMenu());
    std::string resize = "xdotool windowsize " + std::to_string(window) + " 800 600";
    ASSERT_EQ(std::system(resize.c_str()), 0);
    ASSERT_TRUE(SwitchFullScreen("entering full screen", 1280, 1024));
    SwitchFullScreen("leaving full screen", 640, 480);
    EXPECT_TRUE(game->Running());
}

TEST_F(GameFlowTest, F4QuitsAtOnceWithStatusZero) {
    ASSERT_TRUE(WaitForMenu());
    Key("F4");
    ASSERT_TRUE(game->Wait(5)) << "still running after F4";
    EXPECT_EQ(game->result().status, 0);
    EXPECT_EQ(game->result().signal, 0);
}
