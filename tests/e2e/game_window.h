// tests/e2e/game_window.h - the shipped game running under the virtual display,
// seen and driven from outside through the game driver (tools/game_driver):
// its window through Xlib, its keyboard and pointer through xdotool.
#ifndef LANTERN_TESTS_E2E_GAME_WINDOW_H
#define LANTERN_TESTS_E2E_GAME_WINDOW_H

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "game_driver/game_process.h"
#include "game_driver/game_view.h"
#include "game_driver/x_screen.h"

class GameWindowTest : public ::testing::Test {
protected:
    // Starts the game in a fresh folder that sees the generated data folder
    // and waits for its window, unless a test cleared startAtSetUp to prepare
    // the folder first and call Start itself.
    void SetUp() override;
    void TearDown() override;
    // Starts the game (again, once the last run has ended) and waits for its window.
    void Start();
    // Loading takes a second or two; a checked build on a busy machine may
    // take many times that, so the wait is long (it ends when the menu shows).
    bool WaitForMenu(double seconds = 60) {
        return XScreen::WaitUntil([&] { return ShowsMenu(); }, seconds);
    }

    // The game's window as the driver sees it (see game_driver/game_view.h
    // for what each look reads).
    GameView View() { return GameView(screen, window); }
    long BandPixel() { return View().BandPixel(); }
    bool ShowsLoadingScreen() { return View().ShowsLoadingScreen(); }
    bool ShowsMenu() { return View().ShowsMenu(); }
    bool ShowsEnergyBar() { return View().ShowsEnergyBar(); }
    bool ShowsPauseMenu() { return View().ShowsPauseMenu(); }
    bool EndGameSelected() { return View().EndGameSelected(); }
    int CentreVariant() { return View().CentreVariant(); }
    // What a window manager does for a new window: give it the input focus.
    // (Without focus the game counts as suspended and does not update.)
    void Focus();
    // Presses F11 and follows the game to the window it opens in place of
    // the last one (full screen or back): checks the new window's size,
    // focuses it and waits for the menu. False, after reporting why (`what`
    // names the step), when no window came or the menu did not show.
    bool SwitchFullScreen(const char* what, int width, int height);
    // xdotool key arguments, e.g. "F11", "space", "keydown Right".
    void Xdo(const std::string& args);
    void Key(const std::string& key) { Xdo("key " + key); }
    void MovePointer(int x, int y);
    // A press held for a tenth of a second, as a player's is. A machine busy
    // enough to stall one pass of the main loop for longer than a press
    // lasts delivers the press and its release in one go, and the game never
    // sees it: where the answer can be seen, PressUntil holds the key until
    // it comes.
    void Press(const std::string& key) { ASSERT_TRUE(View().Press(key)) << "xdotool could not press " << key; }
    // Holds `key` down until `answered` holds, at most `seconds`; whether it did.
    bool HoldUntil(const std::string& key, const std::function<bool()>& answered, double seconds);
    // Holds `key` until `answered` holds (a held key acts once: the game
    // latches it until it is released), and presses again when a press went
    // unanswered for a while, at most `tries` times: a player would press again.
    bool PressUntil(const std::string& key, const std::function<bool()>& answered, int tries = 3);
    // A left click at window pixel (x, y), held as long as a press. The
    // button goes through the real pointer: chained after the focus, xdotool
    // would send it to the window as a synthetic event instead.
    void Click(int x, int y);
    // A click at (x, y) held until `answered` holds, repeated like PressUntil.
    bool ClickUntil(int x, int y, const std::function<bool()>& answered, int tries = 3);
    // How long to hold Left or Right for the `leg`th leg of a walk through a
    // round that turns at the walls: the player starts mid-floor, so the
    // first leg reaches a wall in half the time a floor takes (64 cells at 12
    // a second), and each later one crosses the whole floor. Shorter legs
    // would pace the same half floor again and again.
    static double LegSeconds(int leg) { return leg == 0 ? 3 : 6; }
    // Holds `key` (Left or Right) for one leg of such a walk, until `done`
    // holds. A leg lasts LegSeconds, and longer while the view still scrolls:
    // a machine too busy to keep the game's pace would otherwise turn the
    // player round before the wall. Whether `done` came.
    bool Walk(int leg, const std::string& key, const std::function<bool()>& done);

    bool startAtSetUp = true;
    // What Start runs, and the variables it adds to the environment.
    std::vector<std::string> command{LANTERN_EXE_PATH};
    std::vector<std::string> environment{"ALSOFT_DRIVERS=null"};
    XScreen screen;
    ScopedTempDir dir;
    std::unique_ptr<GameProcess> game;
    unsigned long window = 0;
};

#endif
