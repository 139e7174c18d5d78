// The real game as a player meets it: the loading screen, the menu, resizing,
// the fullscreen switch and quitting, watched through the X server while real
// key presses go in.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "common/test_support.h"
#include "x_screen.h"

namespace {

const char* const kTitle = "Bramblet in The Lantern Vault";
// The loading screen's band: (250, 160, 60) at alpha 0.7 over (40, 40, 80).
const unsigned kLoadingBand = 0xbb7c42;
const unsigned kLoadingBackground = 0x282850;

class GameFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!screen.ok()) GTEST_SKIP() << "needs a display";
        if (symlink(LANTERN_DATA_PATH, "data") != 0) FAIL() << "cannot link the data folder";
        game.reset(new BackgroundProcess({LANTERN_EXE_PATH}, {"ALSOFT_DRIVERS=null"}));
        window = screen.WaitForWindow(kTitle, game->pid(), 20);
        ASSERT_NE(window, 0u) << "no window appeared";
    }
    void TearDown() override {
        if (game && game->Running()) {
            game->Signal(SIGKILL);
            game->Wait(5);
        }
    }
    // The pixel at a fraction of the window's size, in the left part of the band.
    long BandPixel() {
        int w = 0, h = 0;
        if (!screen.Size(window, &w, &h)) return -1;
        return screen.Pixel(window, w / 10, h / 2);
    }
    bool ShowsLoadingScreen() { return ColourNear(BandPixel(), kLoadingBand, 4); }
    bool ShowsMenu() {
        long p = BandPixel();
        return p >= 0 && !ColourNear(p, kLoadingBand, 12) && !ColourNear(p, kLoadingBackground, 4) && p != 0;
    }
    // What a window manager does for a new window: give it the input focus.
    // (Without focus the game counts as suspended and does not update.)
    void Focus() {
        std::string cmd = "xdotool windowfocus --sync " + std::to_string(window) + " 2>/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    void Key(const std::string& key) {
        std::string cmd = "xdotool windowfocus --sync " + std::to_string(window) + " key " + key + " 2>/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }

    XScreen screen;
    ScopedTempDir dir;
    std::unique_ptr<BackgroundProcess> game;
    unsigned long window = 0;
};

}  // namespace

TEST_F(GameFlowTest, StartsWithTheLoadingScreenAndThenShowsTheMenu) {
    EXPECT_TRUE(XScreen::WaitUntil([&] { return ShowsLoadingScreen(); }, 10)) << std::hex << BandPixel();
    EXPECT_TRUE(XScreen::WaitUntil([&] { return ShowsMenu(); }, 20)) << std::hex << BandPixel();
    EXPECT_TRUE(game->Running());
}

TEST_F(GameFlowTest, ResizingReloadsBehindTheLoadingScreenAndCarriesOn) {
    ASSERT_TRUE(XScreen::WaitUntil([&] { return ShowsMenu(); }, 20));
    std::string resize = "xdotool windowsize " + std::to_string(window) + " 1024 768";
    ASSERT_EQ(std::system(resize.c_str()), 0);
    EXPECT_TRUE(XScreen::WaitUntil([&] { return ShowsLoadingScreen(); }, 10)) << std::hex << BandPixel();
    EXPECT_TRUE(XScreen::WaitUntil([&] { return ShowsMenu(); }, 20)) << std::hex << BandPixel();
    int w = 0, h = 0;
    screen.Size(window, &w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_TRUE(game->Running());
}

TEST_F(GameFlowTest, F11SwitchesToFullScreenAndBackToA640By480Window) {
    ASSERT_TRUE(XScreen::WaitUntil([&] { return ShowsMenu(); }, 20));
    std::string resize = "xdotool windowsize " + std::to_string(window) + " 800 600";
    ASSERT_EQ(std::system(resize.c_str()), 0);
    Key("F11");
    unsigned long full = screen.WaitForWindow(kTitle, game->pid(), 10, window);
    ASSERT_NE(full, 0u) << "no full-screen window";
    int w = 0, h = 0;
    screen.Size(full, &w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 1024);
    window = full;
    Focus();
    ASSERT_TRUE(XScreen::WaitUntil([&] { return ShowsMenu(); }, 20)) << std::hex << BandPixel();
    Key("F11");
    unsigned long back = screen.WaitForWindow(kTitle, game->pid(), 10, full);
    ASSERT_NE(back, 0u) << "no window after leaving full screen";
    screen.Size(back, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    window = back;
    Focus();
    EXPECT_TRUE(XScreen::WaitUntil([&] { return ShowsMenu(); }, 20)) << std::hex << BandPixel();
    EXPECT_TRUE(game->Running());
}

TEST_F(GameFlowTest, F4QuitsAtOnceWithStatusZero) {
    ASSERT_TRUE(XScreen::WaitUntil([&] { return ShowsMenu(); }, 20));
    Key("F4");
    ASSERT_TRUE(game->Wait(5)) << "still running after F4";
    EXPECT_EQ(game->result().status, 0);
    EXPECT_EQ(game->result().signal, 0);
}
