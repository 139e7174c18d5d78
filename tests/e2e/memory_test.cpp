// The shipped game keeps its memory flat while the player drags the window
// edge and switches full screen on and off: every change of size reloads all
// art and sound, and what the reload replaced must leave the process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "common/test_support.h"
#include "x_screen.h"

namespace {

const char* const kTitle = "Bramblet in The Lantern Vault";
const unsigned kLoadingBand = 0xbb7c42;  // the loading screen's band
const unsigned kLoadingBackground = 0x282850;
const long kAllowedGrowthKiB = 25 * 1024;

// Resident memory of a process, KiB, or -1.
long ResidentKiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

class MemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!screen.ok()) GTEST_SKIP() << "needs a display";
        if (symlink(LANTERN_DATA_PATH, "data") != 0) FAIL() << "cannot link the data folder";
        game.reset(new BackgroundProcess({LANTERN_EXE_PATH}, {"ALSOFT_DRIVERS=null"}));
        window = screen.WaitForWindow(kTitle, game->pid(), 20);
        ASSERT_NE(window, 0u) << "no window appeared";
        Run("windowfocus --sync " + std::to_string(window));
    }
    void TearDown() override {
        if (game && game->Running()) {
            game->Signal(SIGKILL);
            game->Wait(5);
        }
    }
    void Run(const std::string& args) {
        ASSERT_EQ(std::system(("xdotool " + args + " 2>/dev/null").c_str()), 0) << args;
    }
    long Band() {
        int w = 0, h = 0;
        return screen.Size(window, &w, &h) ? screen.Pixel(window, w / 10, h / 2) : -1;
    }
    bool Menu() {
        long p = Band();
        return p > 0 && !ColourNear(p, kLoadingBand, 12) && !ColourNear(p, kLoadingBackground, 4);
    }
    // After a change of size: the loading screen comes (it may come and go
    // between two looks), then the menu again.
    void AwaitReload() {
        XScreen::WaitUntil([&] { return ColourNear(Band(), kLoadingBand, 4); }, 1);
        ASSERT_TRUE(XScreen::WaitUntil([&] { return Menu(); }, 20)) << Diagnosis();
    }
    // Full screen on or off: the game opens a new window, which gets the focus
    // a window manager would give it.
    void ToggleFullScreen() {
        Run("windowfocus --sync " + std::to_string(window) + " key F11");
        unsigned long next = screen.WaitForWindow(kTitle, game->pid(), 10, window);
        ASSERT_NE(next, 0u) << "no new window";
        window = next;
        Run("windowfocus --sync " + std::to_string(window));
        AwaitReload();
    }
    // What the window and the game look like when a wait failed.
    std::string Diagnosis() {
        char text[64];
        std::snprintf(text, sizeof text, "band pixel %lx, window %lu", Band(), window);
        std::string what = text;
        if (game->Running()) return what + ", the game runs";
        game->Wait(1);
        return what + ", the game ended with status " + std::to_string(game->result().status) + ", signal " +
               std::to_string(game->result().signal) + ": " + game->result().err;
    }
    // Resident memory once the collector has had a moment to finish.
    long SettledKiB() {
        usleep(1000000);
        return ResidentKiB(game->pid());
    }

    XScreen screen;
    ScopedTempDir dir;
    std::unique_ptr<BackgroundProcess> game;
    unsigned long window = 0;
};

}  // namespace

TEST_F(MemoryTest, FiftyResizesAndTenFullScreenSwitchesLeaveResidentMemoryFlat) {
    ASSERT_TRUE(XScreen::WaitUntil([&] { return Menu(); }, 20)) << Diagnosis();
    long first = SettledKiB();
    ASSERT_GT(first, 0);

    const char* sizes[] = {"800 600", "1024 768", "700 500", "960 720", "640 480"};
    for (int i = 0; i < 50; ++i) {
        Run("windowsize " + std::to_string(window) + " " + sizes[i % 5]);
        AwaitReload();
        if (HasFatalFailure()) return;
    }
    for (int i = 0; i < 10; ++i) {
        ToggleFullScreen();
        if (HasFatalFailure()) return;
    }
    int w = 0, h = 0;
    screen.Size(window, &w, &h);
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    long last = SettledKiB();
    std::printf("resident memory: %ld KiB after the first load, %ld KiB after 50 resizes and 10 switches\n", first,
                last);
    EXPECT_LT(last - first, kAllowedGrowthKiB);
    EXPECT_TRUE(game->Running());
}
