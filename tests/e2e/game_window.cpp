// tests/e2e/game_window.cpp - starting the shipped game and looking at it.
#include "game_window.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace {

// The loading screen's band: (250, 160, 60) at alpha 0.7 over (40, 40, 80).
const unsigned kLoadingBand = 0xbb7c42;
const unsigned kLoadingBackground = 0x282850;
// A point inside the energy bar, full green while energy lasts.
const int kBarX = 265, kBarY = 44;
// The pause menu's orange line under its band, and the middle of its
// "End Game" icon, white when selected.
const int kPauseLineX = 4, kPauseLineY = 302;
const int kEndGameX = 320 - 150, kEndGameY = 240;
// Two points on the rim of the selected variant's tile, in the middle of the
// item line, and the rim's colour for variants 1 to 3.
const int kTileRimX[2] = {214, 300}, kTileRimY = 310;
const unsigned kTileRim[3] = {0x88d36c, 0xf4ce64, 0xe78785};

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

bool GameWindowTest::ShowsEnergyBar() { return ColourNear(screen.Pixel(window, kBarX, kBarY), 0x00ff00, 8); }

bool GameWindowTest::ShowsPauseMenu() {
    long p = screen.Pixel(window, kPauseLineX, kPauseLineY);
    return p >= 0 && (p >> 16 & 0xff) > 200 && (p >> 8 & 0xff) > 90 && (p >> 8 & 0xff) < 150 && (p & 0xff) < 60;
}

bool GameWindowTest::EndGameSelected() {
    return ShowsPauseMenu() && ColourNear(screen.Pixel(window, kEndGameX, kEndGameY), 0xffffff, 20);
}

int GameWindowTest::CentreVariant() {
    for (int variant = 1; variant <= 3; ++variant) {
        bool rim = true;
        for (int x : kTileRimX) rim = rim && ColourNear(screen.Pixel(window, x, kTileRimY), kTileRim[variant - 1], 24);
        if (rim) return variant;
    }
    return 0;
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

namespace {

// How long a press is held waiting for its answer, and how long the answer
// may still take after the release, before the press counts as missed.
const double kHoldSeconds = 3;
const double kLateAnswerSeconds = 2;

}  // namespace

bool GameWindowTest::HoldUntil(const std::string& key, const std::function<bool()>& answered, double seconds) {
    Xdo("keydown " + key);
    bool ok = XScreen::WaitUntil(answered, seconds);
    // The release needs no focus: the answer may have been the window closing.
    std::string release = "xdotool keyup " + key + " 2>/dev/null";
    if (std::system(release.c_str()) != 0) ADD_FAILURE() << "could not release " << key;
    return ok;
}

bool GameWindowTest::PressUntil(const std::string& key, const std::function<bool()>& answered, int tries) {
    for (int i = 0; i < tries; ++i) {
        if (HoldUntil(key, answered, kHoldSeconds) || XScreen::WaitUntil(answered, kLateAnswerSeconds)) return true;
    }
    return false;
}

bool GameWindowTest::ClickUntil(int x, int y, const std::function<bool()>& answered, int tries) {
    // The game sees the pointer's move before the press, most of the time: a
    // move and a press in the same update make a drag where the press lands.
    Xdo("mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " + std::to_string(y));
    usleep(300 * 1000);
    for (int i = 0; i < tries; ++i) {
        if (std::system("xdotool mousedown 1") != 0) return false;
        bool ok = XScreen::WaitUntil(answered, kHoldSeconds);
        if (std::system("xdotool mouseup 1") != 0) return false;
        if (ok || XScreen::WaitUntil(answered, kLateAnswerSeconds)) return true;
    }
    return false;
}

bool GameWindowTest::Walk(int leg, const std::string& key, const std::function<bool()>& done) {
    Xdo("keydown " + key);
    bool ok = XScreen::WaitUntil(done, LegSeconds(leg));
    // Then on until the view has stood still for a second (the player is at
    // the wall; only small animations change), at most 15 seconds more.
    int w = 0, h = 0;
    std::vector<unsigned> last = screen.Grab(window, &w, &h);
    for (int look = 0, still = 0; !ok && look < 60 && still < 4; ++look) {
        ok = XScreen::WaitUntil(done, 0.25);
        std::vector<unsigned> next = screen.Grab(window, &w, &h);
        still = ShareChanged(last, next, 16) < 0.02 ? still + 1 : 0;
        last.swap(next);
    }
    std::string release = "xdotool keyup " + key + " 2>/dev/null";
    if (std::system(release.c_str()) != 0) ADD_FAILURE() << "could not release " << key;
    return ok;
}

bool GameWindowTest::SwitchFullScreen(const char* what, int width, int height) {
    Key("F11");
    unsigned long next = screen.WaitForWindow(kTitle, game->pid(), 10, window);
    EXPECT_NE(next, 0u) << "no window " << what;
    if (!next) return false;
    int w = 0, h = 0;
    screen.Size(next, &w, &h);
    EXPECT_EQ(w, width) << what;
    EXPECT_EQ(h, height) << what;
    window = next;
    Focus();
    bool menu = WaitForMenu();
    EXPECT_TRUE(menu) << what << ": no menu, band pixel " << std::hex << BandPixel();
    return menu;
}
