// tests/e2e/game_window.cpp - starting the shipped game and looking at it.
#include "game_window.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace {

// The loading screen's band: (250, 160, 60) at alpha 0.7 over (40, 40, 80).
const unsigned kLoadingBand = 0xbb7c42;
const unsigned kLoadingBackground = 0x282850;

}  // namespace

void GameWindowTest::SetUp() {
    if (!screen.ok()) GTEST_SKIP() << "needs a display";
    if (symlink(LANTERN_DATA_PATH, "data") != 0) FAIL() << "cannot link the data folder";
    if (startAtSetUp) Start();
}

void GameWindowTest::Start() {
    game.reset(new BackgroundProcess(command, environment));
    window = screen.WaitForWindow(kTitle, game->pid(), 20);
    ASSERT_NE(window, 0u) << "no window appeared";
}

void GameWindowTest::TearDown() {
    if (game && game->Running()) {
        game->Signal(SIGKILL);
        game->Wait(5);
    }
}

long GameWindowTest::BandPixel() {
    int w = 0, h = 0;
    if (!screen.Size(window, &w, &h)) return -1;
    return screen.Pixel(window, w / 10, h / 2);
}

bool GameWindowTest::ShowsLoadingScreen() { return ColourNear(BandPixel(), kLoadingBand, 4); }

bool GameWindowTest::ShowsMenu() {
    long p = BandPixel();
    return p >= 0 && !ColourNear(p, kLoadingBand, 12) && !ColourNear(p, kLoadingBackground, 4) && p != 0;
}

void GameWindowTest::Focus() {
    std::string cmd = "xdotool windowfocus --sync " + std::to_string(window) + " 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

void GameWindowTest::Xdo(const std::string& args) {
    std::string cmd = "xdotool windowfocus --sync " + std::to_string(window) + " " + args + " 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

void GameWindowTest::Click(int x, int y) {
    Xdo("mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " + std::to_string(y));
    ASSERT_EQ(std::system("xdotool mousedown 1 sleep 0.1 mouseup 1"), 0);
    usleep(150 * 1000);
}

bool GameWindowTest::PressUntil(const std::string& key, const std::function<bool()>& answered, int tries) {
    for (int i = 0; i < tries; ++i) {
        Press(key);
        if (XScreen::WaitUntil(answered, 2)) return true;
    }
    return false;
}
