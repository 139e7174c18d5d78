// A desktop scaled to 200 %: on X11 the scale is the Xft.dpi resource over
// 96, which a virtual display of this test's own carries (192). The game's
// window opens at 640 x 480 logical pixels, 1280 x 960 real ones, draws its
// menu at that size, and comes back at that size from full screen.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game_window.h"

namespace {

// An Xvfb of 1600 x 1200 whose desktop asks for a scale of 2. It keeps its
// resources when the last client leaves (-noreset): the game connects after
// this test has set them and gone.
class ScaledDisplay {
public:
    ScaledDisplay() {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            dup2(fds[1], 3);
            int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            dup2(devnull, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1600x1200x24", "-nolisten", "tcp", "-noreset",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes its display number once it accepts clients.
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c;
        while (poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (number.empty()) return;
        name_ = ":" + number;
        Display* d = XOpenDisplay(name_.c_str());
        if (!d) {
            name_.clear();
            return;
        }
        const char* resources = "Xft.dpi:\t192\n";
        XChangeProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(resources), static_cast<int>(std::strlen(resources)));
        XSync(d, False);
        XCloseDisplay(d);
    }
    ~ScaledDisplay() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& name() const { return name_; }  // ":N", or empty when it did not start

private:
    pid_t pid_ = -1;
    std::string name_;
};

ScaledDisplay* g_display;
std::string g_laneDisplay;

}  // namespace

class ScaledScreenTest : public GameWindowTest {
protected:
    // The display is in place before the fixture connects to it; the game
    // inherits DISPLAY.
    static void SetUpTestSuite() {
        if (const char* lane = std::getenv("DISPLAY")) g_laneDisplay = lane;
        g_display = new ScaledDisplay();
        if (!g_display->name().empty()) setenv("DISPLAY", g_display->name().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete g_display;
        g_display = nullptr;
        if (!g_laneDisplay.empty()) setenv("DISPLAY", g_laneDisplay.c_str(), 1);
    }
    void SetUp() override {
        ASSERT_FALSE(g_display->name().empty()) << "the scaled virtual display did not start";
        GameWindowTest::SetUp();
    }
};

TEST_F(ScaledScreenTest, TheWindowIs640By480LogicalPixelsAndKeepsThatSizeAfterFullScreen) {
    int w = 0, h = 0;
    ASSERT_TRUE(screen.Size(window, &w, &h));
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);
    ASSERT_TRUE(WaitForMenu()) << std::hex << BandPixel();

    // Full screen takes the mode's own pixels.
    ASSERT_TRUE(SwitchFullScreen("entering full screen", 1600, 1200));
    SwitchFullScreen("leaving full screen", 1280, 960);
    EXPECT_TRUE(game->Running());
}
