// The shipped game's front end under real key presses and mouse clicks: the
// state file of a first run, a crafted one and a damaged one, each variant
// played, paused, resumed and ended into the highscore lists, options kept
// across a restart, the quit key closing a box before it quits, and the ways
// out that do not save.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "x_screen.h"

namespace {

const char* const kTitle = "Bramblet in The Lantern Vault";
const char* const kStateFile = ".vorlinstate";
const unsigned kLoadingBand = 0xbb7c42;
const unsigned kLoadingBackground = 0x282850;
const unsigned kCreditsKnob = 0x5a3c1e;  // the inside of the credits box's corner knobs

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
        for (int i = 0; i < 25; ++i) {
            out += std::to_string(options[i]) + "|";
            sum += static_cast<uint32_t>(i) * static_cast<uint32_t>(options[i]);
        }
        out += std::to_string(static_cast<int32_t>(sum)) + "|";
        sum = 0;
        for (uint32_t w : badgeWords) {
            out += std::to_string(static_cast<int32_t>(w)) + "|";
            sum += w;
        }
        out += std::to_string(static_cast<int32_t>(sum)) + "|";
        for (int t = 0; t < 3; ++t) {
            sum = 0;
            for (int r = 0; r < 10; ++r) {
                out += std::to_string(best[t][r]) + "|" + std::to_string(recent[t][r]) + "|";
                sum += static_cast<uint32_t>(r + 4) * static_cast<uint32_t>(best[t][r]) +
                       static_cast<uint32_t>(t + 3 + r) * static_cast<uint32_t>(recent[t][r]);
            }
            out += std::to_string(static_cast<int32_t>(sum)) + "|";
        }
        return out;
    }
};

class FrontEndProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!screen.ok()) GTEST_SKIP() << "needs a display";
        if (symlink(LANTERN_DATA_PATH, "data") != 0) FAIL() << "cannot link the data folder";
    }
    void TearDown() override {
        if (game && game->Running()) {
            game->Signal(SIGKILL);
            game->Wait(5);
        }
    }
    // Starts the game and waits until its menu has slid in.
    void Start() {
        game.reset(new BackgroundProcess({LANTERN_EXE_PATH}, {"ALSOFT_DRIVERS=null"}));
        window = screen.WaitForWindow(kTitle, game->pid(), 20);
        ASSERT_NE(window, 0u) << "no window appeared";
        ASSERT_TRUE(XScreen::WaitUntil([&] { return ShowsMenu(); }, 20)) << "no menu";
        usleep(700 * 1000);
    }
    long PixelAt(int x, int y) { return screen.Pixel(window, x, y); }
    bool ShowsMenu() {
        int w = 0, h = 0;
        if (!screen.Size(window, &w, &h)) return false;
        long p = PixelAt(w / 10, h / 2);
        return p > 0 && !ColourNear(p, kLoadingBand, 12) && !ColourNear(p, kLoadingBackground, 4);
    }
    bool ShowsCredits() { return ColourNear(PixelAt(20, 60), kCreditsKnob, 6); }
    // A key held long enough for several updates to see it, then released.
    void Key(const std::string& key) {
        Run("windowfocus --sync " + std::to_string(window) + " keydown " + key);
        usleep(120 * 1000);
        Run("keyup " + key);
        usleep(150 * 1000);
    }
    void Click(int x, int y) {
        Run("windowfocus --sync " + std::to_string(window) + " mousemove --window " + std::to_string(window) + " " +
            std::to_string(x) + " " + std::to_string(y));
        Run("mousedown 1");
        usleep(120 * 1000);
        Run("mouseup 1");
        usleep(150 * 1000);
    }
    void Run(const std::string& args) { ASSERT_EQ(std::system(("xdotool " + args + " 2>/dev/null").c_str()), 0); }
    // Quits from the bare menu and checks that the game left quietly.
    void QuitFromMenu() {
        Key("Escape");
        ASSERT_TRUE(game->Wait(10)) << "still running after the quit key";
        EXPECT_EQ(game->result().status, 0);
        EXPECT_EQ(game->result().err, "");
    }
    // Ends a running round from the pause menu and waits for the menu to return.
    void EndRoundWithKeys() {
        Key("Escape");
        usleep(400 * 1000);
        Key("Left");
        Key("Return");
        usleep(2500 * 1000);  // the banner builds up for 1.5 seconds
    }
    static std::string State() { return ReadFile(kStateFile); }
    // The three highscore blocks: everything after the settings and badge
    // blocks (35 values). Rounds played also earn badges and count in an
    // option, which these tests leave to the tests of play.
    static std::string Tables(const std::string& state) {
        size_t at = 0;
        for (int bars = 0; bars < 35; ++bars) {
            at = state.find('|', at);
            if (at == std::string::npos) return std::string();
            ++at;
        }
        return state.substr(at);
    }

    XScreen screen;
    ScopedTempDir dir;
    std::unique_ptr<BackgroundProcess> game;
    unsigned long window = 0;
};

}  // namespace

TEST_F(FrontEndProcessTest, AFirstRunSavesExactlyTheDefaultStateAndTheQuitKeyLeavesAtOnce) {
    Start();
    QuitFromMenu();
    EXPECT_EQ(game->result().out, "") << "nothing to load, nothing printed";
    EXPECT_EQ(State(), SavedState().Text());
}

TEST_F(FrontEndProcessTest, ACraftedStateLoadsBackUnchangedAndADamagedOneStillStarts) {
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
    Start();
    QuitFromMenu();
    EXPECT_EQ(game->result().out, kLoadedAll);
    EXPECT_EQ(State(), text);

    // One changed digit in the options and in the second table.
    std::string damaged = text;
    damaged[damaged.find("|200|") + 1] = '3';
    damaged.replace(damaged.find("|199000|"), 8, "|199001|");
    WriteFile(kStateFile, damaged);
    Start();
    EXPECT_TRUE(game->Running());
    QuitFromMenu();
    EXPECT_EQ(game->result().out,
              "Settings Checksum Invalid\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Checksum Invalid\n"
              "Highscore 2 Loaded\n");
    SavedState repaired = crafted;
    for (int i = 0; i < 25; ++i) repaired.options[i] = SavedState().options[i];
    for (int r = 0; r < 10; ++r) repaired.best[1][r] = repaired.recent[1][r] = 0;
    EXPECT_EQ(State(), repaired.Text());
}

TEST_F(FrontEndProcessTest, EachVariantIsPlayedPausedResumedAndEndedIntoBothLists) {
    SavedState before;
    for (int t = 0; t < 3; ++t)
        for (int r = 0; r < 10; ++r) {
            before.best[t][r] = r < 3 ? 30 - 10 * r : -1;
            before.recent[t][r] = 7;
        }
    WriteFile(kStateFile, before.Text());
    Start();
    // The menu starts on variant 2: left for 1, then right once per variant.
    const char* const steps[3] = {"Left", "Right", "Right"};
    for (int variant = 1; variant <= 3; ++variant) {
        SCOPED_TRACE("variant " + std::to_string(variant));
        Key(steps[variant - 1]);
        Key("Return");
        usleep(800 * 1000);
        // Pause and resume: were the round still paused, the keys below
        // would resume it instead of ending it, and nothing would be recorded.
        Key("Escape");
        usleep(400 * 1000);
        Key("Return");
        usleep(600 * 1000);
        EndRoundWithKeys();
        ASSERT_TRUE(game->Running());
    }
    QuitFromMenu();
    SavedState after = before;
    for (int t = 0; t < 3; ++t) {
        after.best[t][3] = 0;  // the round scored 0: above the -1 entries, below the 10
        for (int r = 4; r < 10; ++r) after.best[t][r] = -1;
        after.recent[t][0] = 0;
    }
    EXPECT_EQ(Tables(State()), Tables(after.Text()));
}

TEST_F(FrontEndProcessTest, ClicksChooseAVariantStartItEndItAndOpenAndCloseTheCredits) {
    SavedState before;
    for (int t = 0; t < 3; ++t)
        for (int r = 0; r < 10; ++r) before.recent[t][r] = 7;
    WriteFile(kStateFile, before.Text());
    Start();
    // Variant 3 lies one step right of the selected variant 2, under the title.
    Click(256 + 88, 346);
    usleep(400 * 1000);
    Click(640 - 70, 480 - 48);  // the start button
    usleep(800 * 1000);
    Key("Escape");
    usleep(500 * 1000);
    Click(320 - 150, 240);  // "End Game"
    usleep(2500 * 1000);

    EXPECT_FALSE(ShowsCredits());
    Click(640 - 30, 30);  // the credits icon
    EXPECT_TRUE(XScreen::WaitUntil([&] { return ShowsCredits(); }, 3));
    Click(320, 240);
    EXPECT_TRUE(XScreen::WaitUntil([&] { return !ShowsCredits(); }, 3));
    QuitFromMenu();
    SavedState after = before;
    after.recent[2][0] = 0;  // the round of variant 3, and only that one
    EXPECT_EQ(Tables(State()), Tables(after.Text()));
}

TEST_F(FrontEndProcessTest, TheQuitKeyClosesABoxFirstAndChangedOptionsAreKeptAfterARestart) {
    Start();
    Key("Right");
    Key("Right");  // the options cog
    Key("Return");
    usleep(700 * 1000);
    Key("Down");  // the sound row
    Key("Return");  // "SFX + Music" becomes "SFX"
    Key("Escape");
    usleep(800 * 1000);
    ASSERT_TRUE(game->Running()) << "the quit key only closed the box";
    EXPECT_EQ(State().substr(0, 12), "0|0|0|0|0|2|") << "closing the box saved";

    // The credits box: the quit key closes it, the next press quits.
    Key("o");
    ASSERT_TRUE(XScreen::WaitUntil([&] { return ShowsCredits(); }, 3));
    Key("Escape");
    usleep(800 * 1000);
    ASSERT_TRUE(game->Running());
    EXPECT_FALSE(ShowsCredits());
    QuitFromMenu();

    Start();
    QuitFromMenu();
    EXPECT_EQ(game->result().out, kLoadedAll);
    SavedState kept;
    kept.options[5] = 2;
    EXPECT_EQ(State(), kept.Text());
}

TEST_F(FrontEndProcessTest, F4AndTheCloseRequestLeaveWithoutSaving) {
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "F4" : "close request");
        std::remove(kStateFile);
        Start();
        // Change an option without closing the box.
        Key("Right");
        Key("Right");
        Key("Return");
        usleep(700 * 1000);
        Key("Down");
        Key("Return");
        if (way == 0) {
            Run("windowfocus --sync " + std::to_string(window) + " key F4");
        } else {
            ASSERT_TRUE(screen.SendCloseRequest(window));
        }
        ASSERT_TRUE(game->Wait(10));
        EXPECT_EQ(game->result().status, 0);
        EXPECT_EQ(access(kStateFile, F_OK), -1) << "nothing was saved";
    }
}
