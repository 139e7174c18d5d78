// Badges in the shipped game: one earned in a round played with real keys
// announces itself with a pop-up, and the badges box opens from the menu by
// key and by click and closes without quitting.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "game_window.h"

namespace {

// At 640 x 480: inside the bottom pop-up's bar, dark blue at alpha 0.8; on
// the badges box's orange edge.
const int kPopUpX = 8, kPopUpY = 462;
const int kBoxEdgeX = 70, kBoxEdgeY = 240;

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

// A maze with a beacon a few steps right of the start, so the first badge
// of the round is the beacon's, wherever a maze of the clock's choosing
// would put it.
class KnownMazeBadgesTest : public BadgesProcessTest {
protected:
    KnownMazeBadgesTest() {
        command.push_back("--seed");
        command.push_back(std::to_string(kBeaconNearStartSeed));
    }
};

TEST_F(KnownMazeBadgesTest, StartingABeaconInARoundShowsTheBadgePopUpAndTheRoundSavesIt) {
    ASSERT_TRUE(WaitForMenu());
    Focus();
    ASSERT_TRUE(PressUntil("space", [&] { return ShowsEnergyBar(); })) << "no round";
    std::remove(".vorlinstate");  // the end of the round saves it again
    EXPECT_TRUE(Walk(0, "Right", [&] { return ShowsPopUp() && ShowsEnergyBar(); })) << "no badge pop-up during play";
    // End the round from the pause menu. The banner stays 90 updates, then
    // the menu saves; a busy machine may take many seconds for them.
    ASSERT_TRUE(PressUntil("Escape", [&] { return ShowsPauseMenu(); })) << "no pause menu";
    ASSERT_TRUE(ClickUntil(GameView::kEndGameX, GameView::kEndGameY, [&] { return !ShowsPauseMenu(); }))
        << "the round did not end";
    std::string state;
    ASSERT_TRUE(XScreen::WaitUntil([&] { return !(state = ReadFile(".vorlinstate")).empty(); }, 30)) << "no save";
    // The first badge word follows the 26 values of the settings block.
    size_t at = 0;
    for (int bars = 0; bars < 26; ++bars) {
        at = state.find('|', at);
        ASSERT_NE(at, std::string::npos) << state;
        ++at;
    }
    EXPECT_EQ(std::atoi(state.c_str() + at) & 2, 2) << "badge 1 in the first badge word: " << state;
}

TEST_F(BadgesProcessTest, TheBadgesBoxOpensByKeyAndByClickAndEscapeOnlyClosesIt) {
    ASSERT_TRUE(WaitForMenu());
    Focus();
    usleep(700000);  // the menu slides in
    ASSERT_TRUE(PressUntil("b", [&] { return ShowsBadgesBox(); })) << "action 14 should open it";
    EXPECT_TRUE(PressUntil("Escape", [&] { return !ShowsBadgesBox(); }));
    usleep(300000);
    EXPECT_TRUE(game->Running()) << "Escape closes the box, not the game";

    ASSERT_TRUE(ClickUntil(640 - 26, 26, [&] { return ShowsBadgesBox(); })) << "the trophy should open it";
    EXPECT_TRUE(PressUntil("Escape", [&] { return !ShowsBadgesBox(); }));
    usleep(300000);
    ASSERT_TRUE(game->Running());
    // A second, separate press on the bare menu quits.
    ASSERT_TRUE(PressUntil("Escape", [&] { return game->Wait(0.5); })) << "still running after the quit key";
    EXPECT_EQ(game->result().status, 0);
}
