// tests/e2e/game_window.cpp - starting the shipped game and working it, with
// the test's checks on each step.
#include "game_window.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

void GameWindowTest::SetUp() {
    if (!screen.ok()) GTEST_SKIP() << "needs a display";
    if (symlink(LANTERN_DATA_PATH, "data") != 0) FAIL() << "cannot link the data folder";
    if (startAtSetUp) Start();
}

void GameWindowTest::Start() {
    game.reset(new GameProcess(command, environment));
    window = WaitForGameWindow(screen, game->pid(), 20);
    ASSERT_NE(window, 0u) << "no window appeared";
}

void GameWindowTest::TearDown() {
    if (!game) return;
    bool endedByItself = !game->Running();
    if (!endedByItself) {
        game->Signal(SIGKILL);
        game->Wait(5);
    }
    // A failed test says how the game fared: one that ended by itself (a
    // crash, a sanitizer's report) explains a window that went away.
    if (HasFailure() && game->Wait(0)) {
        const ProcessResult& r = game->result();
        if (endedByItself) {
            std::printf("The game had ended by itself (status %d, signal %d).", r.status, r.signal);
        } else {
            std::printf("The game was still running.");
        }
        std::printf(" Its standard error:\n%s\n", r.err.c_str());
    }
}

void GameWindowTest::Focus() { ASSERT_TRUE(View().Focus()) << GameView::LastXdotoolError(); }

void GameWindowTest::Xdo(const std::string& args) { ASSERT_TRUE(View().Xdo(args)) << GameView::LastXdotoolError(); }

void GameWindowTest::MovePointer(int x, int y) {
    ASSERT_TRUE(View().MovePointer(x, y)) << GameView::LastXdotoolError();
}

void GameWindowTest::Click(int x, int y) {
    MovePointer(x, y);
    ASSERT_TRUE(GameView::Xdotool("mousedown 1 sleep 0.1 mouseup 1")) << GameView::LastXdotoolError();
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
    if (!GameView::Xdotool("keyup " + key)) ADD_FAILURE() << GameView::LastXdotoolError();
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
    MovePointer(x, y);
    usleep(300 * 1000);
    for (int i = 0; i < tries; ++i) {
        if (!GameView::Xdotool("mousedown 1")) return false;
        bool ok = XScreen::WaitUntil(answered, kHoldSeconds);
        if (!GameView::Xdotool("mouseup 1")) return false;
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
    if (!GameView::Xdotool("keyup " + key)) ADD_FAILURE() << GameView::LastXdotoolError();
    return ok;
}

bool GameWindowTest::SwitchFullScreen(const char* what, int width, int height) {
    Key("F11");
    unsigned long next = WaitForGameWindow(screen, game->pid(), 10, window);
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
