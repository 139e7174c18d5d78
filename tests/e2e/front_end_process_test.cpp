// The shipped game's front end under real key presses and mouse clicks: a
// crafted state file, each variant played, paused, resumed and ended into the
// highscore lists, the quit key closing a box before it quits, options kept
// across a restart past a damaged section, the ways out that do not save and
// the exact state a first run saves.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "game_window.h"

namespace {

const char* const kStateFile = ".vorlinstate";
const unsigned kCreditsKnob = 0x5a3c1e;  // the inside of the credits box's corner knobs
// The options box: its orange ground, the sound row's bar when selected, and
// a point on the "M" of "SFX + Music" in that row.
const unsigned kOptionsGround = 0x824207;
const unsigned kSelectedRow = 0x417b82;
const int kGroundX = 600, kGroundY = 400;
const int kSoundRowX = 540, kSoundRowY = 140;
const int kMusicX = 304, kMusicY = 135;

const std::string kLoadedAll =
    "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n";

// The saved state as the game writes it: each section's values, then its
// 32-bit wrapping checksum, every value followed by a bar.
struct SavedState {
    int options[25] = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 64, 64, 10, 0, 1};
    uint32_t badgeWords[8] = {};
    int best[3][10] = {}, recent[3][10] = {};

    std::string Text() const {
        std::string out;
        uint32_t sum = 0;
        auto close = [&] {
            out += std::to_string(static_cast<int32_t>(sum)) + "|";
            sum = 0;
        };
        for (int i = 0; i < 25; ++i) {
            out += std::to_string(options[i]) + "|";
            sum += static_cast<uint32_t>(i) * static_cast<uint32_t>(options[i]);
        }
        close();
        for (uint32_t w : badgeWords) {
            out += std::to_string(static_cast<int32_t>(w)) + "|";
            sum += w;
        }
        close();
        for (int t = 0; t < 3; ++t) {
            for (int r = 0; r < 10; ++r) {
                out += std::to_string(best[t][r]) + "|" + std::to_string(recent[t][r]) + "|";
                sum += static_cast<uint32_t>(r + 4) * static_cast<uint32_t>(best[t][r]) +
                       static_cast<uint32_t>(t + 3 + r) * static_cast<uint32_t>(recent[t][r]);
            }
            close();
        }
        return out;
    }
};

}  // namespace

class FrontEndProcessTest : public GameWindowTest {
protected:
    // Its rounds are paused at once and ended; in a maze where nobody comes
    // near the player for some seconds, however slowly the keys arrive.
    FrontEndProcessTest() {
        startAtSetUp = false;
        command.push_back("--seed");
        command.push_back(std::to_string(kWalkerUntouchedSeed));
    }
    // Starts the game and waits until its menu has slid in.
    void StartToMenu() {
        Start();
        ASSERT_TRUE(WaitForMenu()) << "no menu";
        usleep(700 * 1000);
    }
    bool ShowsCredits() { return ColourNear(screen.Pixel(window, 20, 60), kCreditsKnob, 6); }
    bool ShowsOptionsBox() { return ColourNear(screen.Pixel(window, kGroundX, kGroundY), kOptionsGround, 24); }
    bool SoundRowSelected() { return ColourNear(screen.Pixel(window, kSoundRowX, kSoundRowY), kSelectedRow, 24); }
    bool SoundModeHasMusic() { return ColourNear(screen.Pixel(window, kMusicX, kMusicY), 0xffffff, 40); }
    // Quits from the bare menu and checks that the game left quietly.
    void QuitFromMenu() {
        PressUntil("Escape", [&] { return game->Wait(0.5); });
        ASSERT_TRUE(game->Wait(10)) << "still running after the quit key";
        EXPECT_EQ(game->result().status, 0);
        EXPECT_EQ(game->result().err, "");
    }
    // Opens the options box from the menu and steps the sound mode once
    // ("SFX + Music" becomes "SFX"), leaving the box open.
    void ChangeTheSoundMode() {
        ASSERT_TRUE(PressUntil("Right", [&] { return CentreVariant() == 3; }));
        ASSERT_TRUE(PressUntil("Right", [&] { return CentreVariant() != 3; }));  // the options cog
        ASSERT_TRUE(PressUntil("Return", [&] { return ShowsOptionsBox(); })) << "no options box";
        ASSERT_TRUE(PressUntil("Down", [&] { return SoundRowSelected(); })) << "the sound row";
        ASSERT_TRUE(PressUntil("Return", [&] { return !SoundModeHasMusic(); })) << "the sound mode did not change";
    }
    static std::string State() { return ReadFile(kStateFile); }
    // Where the value after the first `values` values of a state begins:
    // the badge block after 26, the highscore blocks after 35.
    static size_t After(const std::string& state, int values) {
        size_t at = 0;
        for (int bars = 0; bars < values; ++bars)
            if ((at = state.find('|', at) + 1) == 0) return state.size();
        return at;
    }
    // Rounds played also earn badges and count in an option, which these
    // tests leave to the tests of play: they compare the highscore blocks.
    static std::string Tables(const std::string& state) { return state.substr(After(state, 35)); }
};

TEST_F(FrontEndProcessTest, ACraftedStateLoadsBackUnchangedThroughASave) {
    SavedState crafted;
    crafted.options[5] = 2;
    crafted.options[10] = 200;
    crafted.options[12] = 15;
    crafted.options[24] = -7;
    crafted.badgeWords[0] = 0x80000001u;  // badges 0 and 31
    crafted.badgeWords[7] = 0x80000000u;  // badge 255
    for (int t = 0; t < 3; ++t)
        for (int r = 0; r < 10; ++r) {
            crafted.best[t][r] = 100000 * (t + 1) - 1000 * r;
            crafted.recent[t][r] = 17 * r + t;
        }
    std::string text = crafted.Text();
    WriteFile(kStateFile, text);
    StartToMenu();
    QuitFromMenu();
    EXPECT_EQ(game->result().out, kLoadedAll);
    EXPECT_EQ(State(), text);
}

TEST_F(FrontEndProcessTest, EachVariantIsPlayedAndEndedIntoBothListsWithKeysOrClicks) {
    SavedState before;
    for (int t = 0; t < 3; ++t)
        for (int r = 0; r < 10; ++r) {
            before.best[t][r] = r < 3 ? 30 - 10 * r : -1;
            before.recent[t][r] = 7;
        }
    WriteFile(kStateFile, before.Text());
    StartToMenu();
    // The menu starts on variant 2: left for 1, then right for 2. Each step
    // waits for the screen to answer, so a press a busy machine missed is
    // pressed again instead of throwing the sequence out of step.
    for (const char* step : {"Left", "Right"}) {
        SCOPED_TRACE(step);
        const int variant = std::string(step) == "Left" ? 1 : 2;
        ASSERT_TRUE(PressUntil(step, [&] { return CentreVariant() == variant; })) << "variant not selected";
        ASSERT_TRUE(PressUntil("Return", [&] { return ShowsEnergyBar(); })) << "no round";
        // Pause and resume: were the round still paused, the keys below
        // would resume it instead of ending it, and nothing would be recorded.
        ASSERT_TRUE(PressUntil("Escape", [&] { return ShowsPauseMenu(); })) << "no pause";
        ASSERT_TRUE(PressUntil("Return", [&] { return !ShowsPauseMenu() && ShowsEnergyBar(); })) << "no resume";
        ASSERT_TRUE(PressUntil("Escape", [&] { return ShowsPauseMenu(); })) << "no second pause";
        ASSERT_TRUE(PressUntil("Left", [&] { return EndGameSelected(); })) << "\"End Game\" not selected";
        ASSERT_TRUE(PressUntil("Return", [&] { return !ShowsPauseMenu(); })) << "the round did not end";
        // The banner builds up, then the menu returns with the variant selected.
        ASSERT_TRUE(XScreen::WaitUntil([&] { return CentreVariant() == variant; }, 30)) << "no menu after the round";
        ASSERT_TRUE(game->Running());
    }
    // Variant 3 lies one step right of the selected variant 2, under the
    // title. A click selects only once the menu has slid in; held down, the
    // press waits for that. A press that reaches the game in the same update
    // as the pointer's move to it is a drag of the line, which carries on
    // after the release and may settle on another variant: then the item
    // right of the middle is clicked again.
    bool onThree = false;
    for (int click = 0; click < 4 && !onThree; ++click) {
        ClickUntil(256 + 88, 346, [&] { return CentreVariant() == 3; });
        usleep(1000 * 1000);
        onThree = XScreen::WaitUntil([&] { return CentreVariant() == 3; }, 2);
    }
    ASSERT_TRUE(onThree) << "variant 3 not selected";
    ASSERT_TRUE(ClickUntil(640 - 70, 480 - 48, [&] { return ShowsEnergyBar(); })) << "the start button";
    ASSERT_TRUE(PressUntil("Escape", [&] { return ShowsPauseMenu(); })) << "no pause";
    ASSERT_TRUE(ClickUntil(GameView::kEndGameX, GameView::kEndGameY, [&] { return !ShowsPauseMenu(); }))
        << "\"End Game\"";
    ASSERT_TRUE(XScreen::WaitUntil([&] { return CentreVariant() == 3; }, 30)) << "no menu after the round";

    EXPECT_FALSE(ShowsCredits());
    EXPECT_TRUE(ClickUntil(640 - 140 - 17, 38, [&] { return ShowsCredits(); })) << "the credits icon";
    EXPECT_TRUE(ClickUntil(320, 240, [&] { return !ShowsCredits(); }));
    QuitFromMenu();
    // One round each, all scoring 0: above the -1 entries, below the 10.
    SavedState after = before;
    for (int t = 0; t < 3; ++t) {
        after.best[t][3] = 0;
        for (int r = 4; r < 10; ++r) after.best[t][r] = -1;
        after.recent[t][0] = 0;
    }
    EXPECT_EQ(Tables(State()), Tables(after.Text()));
}

TEST_F(FrontEndProcessTest, TheQuitKeyClosesABoxFirstAndOptionsAreKeptAfterARestartPastADamagedSection) {
    StartToMenu();
    ChangeTheSoundMode();
    ASSERT_TRUE(PressUntil("Escape", [&] { return !ShowsOptionsBox(); })) << "the box stayed open";
    usleep(500 * 1000);
    ASSERT_TRUE(game->Running()) << "the quit key only closed the box";
    EXPECT_EQ(State().substr(0, 12), "0|0|0|0|0|2|") << "closing the box saved";

    // The credits box: the quit key closes it, the next press quits.
    ASSERT_TRUE(PressUntil("o", [&] { return ShowsCredits(); })) << "no credits";
    ASSERT_TRUE(PressUntil("Escape", [&] { return !ShowsCredits(); })) << "the credits stayed open";
    usleep(500 * 1000);
    ASSERT_TRUE(game->Running());
    QuitFromMenu();

    // The first badge word damaged: only that section is reset, the game
    // starts, and the options are as they were left.
    std::string state = State();
    ASSERT_EQ(state.substr(After(state, 26), 2), "0|");
    WriteFile(kStateFile, state.replace(After(state, 26), 1, "1"));
    StartToMenu();
    QuitFromMenu();
    EXPECT_EQ(game->result().out,
              "Settings Loaded\nBadge Checksum Invalid\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n");
    SavedState kept;
    kept.options[5] = 2;
    EXPECT_EQ(State(), kept.Text());
}

TEST_F(FrontEndProcessTest, F4AndTheCloseRequestLeaveWithoutSavingSoTheNextRunIsAFirstRun) {
    for (bool f4 : {true, false}) {
        SCOPED_TRACE(f4 ? "F4" : "close request");
        StartToMenu();
        ChangeTheSoundMode();  // and the box is not closed
        if (f4) {
            Key("F4");
        } else {
            ASSERT_TRUE(screen.SendCloseRequest(window));
        }
        ASSERT_TRUE(game->Wait(10));
        EXPECT_EQ(game->result().status, 0);
        EXPECT_EQ(access(kStateFile, F_OK), -1) << "nothing was saved";
    }
    // Nothing to load, nothing printed; the quit key leaves at once and saves
    // exactly the default state.
    StartToMenu();
    QuitFromMenu();
    EXPECT_EQ(game->result().out, "");
    EXPECT_EQ(State(), SavedState().Text());
}
