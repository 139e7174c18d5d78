// The shipped game keeps its memory flat while the player drags the window
// edge and switches full screen on and off: every change of size reloads all
// art and sound, and what the reload replaced must leave the process.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "game_window.h"

namespace {

const long kAllowedGrowthKiB = 25 * 1024;

// Resident memory of a process once the collector has had a moment to
// finish, KiB, or -1.
long SettledResidentKiB(int pid) {
    usleep(1000 * 1000);
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

}  // namespace

class MemoryTest : public GameWindowTest {
protected:
    // After a change of size: the loading screen comes (it may come and go
    // between two looks), then the menu again.
    void AwaitReload() {
        XScreen::WaitUntil([&] { return ShowsLoadingScreen(); }, 1);
        if (WaitForMenu()) return;
        long band = BandPixel();
        if (!game->Wait(1)) FAIL() << std::hex << "no menu, band pixel " << band << ", the game runs";
        const ProcessResult& r = game->result();
        FAIL() << "no menu: the game ended with status " << r.status << ", signal " << r.signal << "\n"
               << r.out << r.err;
    }
};

// Fifty resizes and ten switches; under AddressSanitizer, which checks them
// for memory errors only, fewer.
const int kResizes = kUnderAddressSanitizer ? 10 : 50;
const int kSwitches = kUnderAddressSanitizer ? 4 : 10;

TEST_F(MemoryTest, ResizesAndFullScreenSwitchesLeaveResidentMemoryFlat) {
    Focus();
    ASSERT_TRUE(WaitForMenu());
    long first = SettledResidentKiB(game->pid());
    ASSERT_GT(first, 0);

    const char* sizes[] = {"800 600", "1024 768", "700 500", "960 720", "640 480"};
    for (int i = 0; i < kResizes && !HasFatalFailure(); ++i) {
        Xdo("windowsize " + std::to_string(window) + " " + sizes[i % 5]);
        AwaitReload();
    }
    // Full screen on or off: the game opens a new window, which gets the
    // focus a window manager would give it.
    for (int i = 0; i < kSwitches && !HasFatalFailure(); ++i) {
        Key("F11");
        unsigned long next = WaitForGameWindow(screen, game->pid(), 10, window);
        ASSERT_NE(next, 0u) << "no new window";
        window = next;
        Focus();
        AwaitReload();
    }
    if (HasFatalFailure()) return;
    int w = 0, h = 0;
    screen.Size(window, &w, &h);
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    long last = SettledResidentKiB(game->pid());
    std::printf("resident memory: %ld KiB after the first load, %ld KiB after %d resizes and %d switches\n", first,
                last, kResizes, kSwitches);
    EXPECT_TRUE(game->Running());
    // AddressSanitizer holds freed memory back in its quarantine (up to
    // 256 MB), so there the resizes are checked for memory errors only.
    if (kUnderAddressSanitizer) GTEST_SKIP() << "resident memory is not checked under AddressSanitizer";
    EXPECT_LT(last - first, kAllowedGrowthKiB);
}
