// Badges in the shipped game: one earned in a round played with real keys
// announces itself with a pop-up, and the badges box opens from the menu by
// key and by click and closes without quitting.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game_window.h"

namespace {

// At 640 x 480: inside the bottom pop-up's bar, dark blue at alpha 0.8; on
// the badges box's orange edge; inside the energy bar.
const int kPopUpX = 8, kPopUpY = 462;
const int kBoxEdgeX = 70, kBoxEdgeY = 240;
// The pause menu's "End Game" icon.
const int kEndGameX = 320 - 150, kEndGameY = 240;

}  // namespace

class BadgesProcessTest : public GameWindowTest {
protected:
    bool ShowsPopUp() {
        long p = screen.Pixel(window, kPopUpX, kPopUpY);
        return p >= 0 && (p >> 16 & 0xff) < 20 && (p >> 8 & 0xff) < 20 && (p & 0xff) > 55;
    }
    bool ShowsBadgesBox() {
        long p = screen.Pixel(window, kBoxEdgeX, kBoxEdgeY);
        return p >= 0 && (p >> 16 & 0xff) > 180 && (p >> 8 & 0xff) > 80 && (p >> 8 & 0xff) < 140 && (p & 0xff) < 70;
    }
};

TEST_F(BadgesProcessTest, StartingABeaconInARoundShowsTheBadgePopUp) {
    ASSERT_TRUE(WaitForMenu());
    Focus();
    // Rounds: walk the floors from wall to wall, dropping through the gaps,
    // until a badge pops up, then cross the floor both ways (every floor has
    // a beacon, the bottom floor no gap) and end the round from the pause
    // menu; the state saved on the way to the menu says whether badge 1 was
    // earned. The first pop-up is not always a beacon's: three charges in the
    // pockets or the bottom floor reached earn badges of their own. Then
    // another round walks on. (A round the enemies end saves by itself.)
    bool seen = false, earned = false;
    std::string state;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    auto inTime = [&] { return std::chrono::steady_clock::now() < deadline; };
    while (!earned && inTime()) {
        if (!ShowsEnergyBar()) {
            // A round that ended announced itself ("... Keeper"): let that
            // pop-up leave before the next round starts.
            XScreen::WaitUntil([&] { return !ShowsPopUp(); }, 6);
            ASSERT_TRUE(PressUntil("space", [&] { return ShowsEnergyBar(); })) << "no round";
        }
        std::remove(".vorlinstate");  // the end of this round saves it again
        bool popped = false;
        for (int leg = 0; !popped && ShowsEnergyBar() && inTime(); ++leg)
            popped = Walk(leg, leg % 2 ? "Left" : "Right", [&] { return ShowsPopUp() && ShowsEnergyBar(); });
        seen = seen || popped;
        for (int leg = 1; leg <= 2 && ShowsEnergyBar(); ++leg) Walk(leg, leg % 2 ? "Left" : "Right", [] { return false; });
        if (ShowsEnergyBar()) {
            ASSERT_TRUE(PressUntil("Escape", [&] { return ShowsPauseMenu(); })) << "no pause menu";
            ASSERT_TRUE(ClickUntil(kEndGameX, kEndGameY, [&] { return !ShowsPauseMenu(); })) << "the round did not end";
        }
        // The banner stays 90 updates, then the menu saves; a busy machine
        // may take many seconds for them.
        ASSERT_TRUE(XScreen::WaitUntil([&] { return !(state = ReadFile(".vorlinstate")).empty(); }, 30)) << "no save";
        // The first badge word follows the 26 values of the settings block.
        size_t at = 0;
        for (int bars = 0; bars < 26; ++bars) {
            at = state.find('|', at);
            ASSERT_NE(at, std::string::npos) << state;
            ++at;
        }
        earned = (std::atoi(state.c_str() + at) & 2) == 2;
    }
    EXPECT_TRUE(seen) << "no badge pop-up during play";
    EXPECT_TRUE(earned) << "badge 1 in the first badge word: " << state;
}

TEST_F(BadgesProcessTest, TheBadgesBoxOpensByKeyAndByClickAndEscapeOnlyClosesIt) {
    ASSERT_TRUE(WaitForMenu());
    Focus();
    usleep(700000);  // the menu slides in
    ASSERT_TRUE(PressUntil("b", [&] { return ShowsBadgesBox(); })) << "action 14 should open it";
    EXPECT_TRUE(PressUntil("Escape", [&] { return !ShowsBadgesBox(); }));
    usleep(300000);
    EXPECT_TRUE(game->Running()) << "Escape closes the box, not the game";

    ASSERT_TRUE(ClickUntil(640 - 72, 30, [&] { return ShowsBadgesBox(); })) << "the trophy should open it";
    EXPECT_TRUE(PressUntil("Escape", [&] { return !ShowsBadgesBox(); }));
    usleep(300000);
    ASSERT_TRUE(game->Running());
    // A second, separate press on the bare menu quits.
    ASSERT_TRUE(PressUntil("Escape", [&] { return game->Wait(0.5); })) << "still running after the quit key";
    EXPECT_EQ(game->result().status, 0);
}
