// The real executable under the virtual display: its window, a close request,
// running without a display, and a runtime error.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "common/test_support.h"
#include "game_driver/game_process.h"
#include "game_driver/game_view.h"
#include "game_driver/x_screen.h"
#include "host/title.h"

namespace {

std::string Exe() { return LANTERN_EXE_PATH; }

// The game runs in a fresh folder (its state file goes there) that sees the
// generated data folder.
class GameProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (symlink(LANTERN_DATA_PATH, "data") != 0) FAIL() << "cannot link the data folder";
    }
    // Starts the game and waits for its window; returns the window id or "".
    std::string StartGame() {
        game.reset(new GameProcess({Exe()}, {"ALSOFT_DRIVERS=null"}));
        // By process as well as title: a window of a game that just ended may
        // still be around for a moment.
        unsigned long window = WaitForGameWindow(screen, game->pid(), 20);
        return window ? std::to_string(window) : "";
    }
    ScopedTempDir dir;
    XScreen screen;
    std::unique_ptr<GameProcess> game;
};

bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

// A display name that no server on this machine answers to (":180" to ":199"), or "".
std::string FreeDisplay() {
    for (int n = 180; n < 200; ++n) {
        struct stat st;
        std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        if (stat(lock.c_str(), &st) != 0) return ":" + std::to_string(n);
    }
    return "";
}

}  // namespace

// The line and the status stay as they were; the reason goes to standard error.
TEST_F(GameProcessTest, WithoutADisplayItSaysSoAndWhyAndExitsWithMinusOne) {
    ChildResult r = RunProgram({Exe()}, {"DISPLAY", "WAYLAND_DISPLAY"});
    EXPECT_EQ(r.out, "glfwInit failed\n");
    EXPECT_EQ(r.status, 255);
    EXPECT_NE(r.err.find("the window system could not start: X11: The DISPLAY environment variable is missing"),
              std::string::npos)
        << r.err;

    std::string display = FreeDisplay();
    ASSERT_NE(display, "") << "no free display number";
    r = RunProgram({Exe()}, {"DISPLAY=" + display, "WAYLAND_DISPLAY"});
    EXPECT_EQ(r.out, "glfwInit failed\n");
    EXPECT_EQ(r.status, 255);
    EXPECT_NE(r.err.find("Failed to open display " + display + "\n"), std::string::npos) << r.err;
}

TEST_F(GameProcessTest, WithoutOpenGLItSaysSoAndExitsWithMinusOne) {
    // A display server without the GLX extension: the window system starts,
    // but no window with an OpenGL context can be made.
    std::string display = FreeDisplay();
    ASSERT_NE(display, "") << "no free display number";
    std::string number = display.substr(1);
    BackgroundProcess server({"Xvfb", display, "-screen", "0", "800x600x24", "-extension", "GLX", "-nolisten", "tcp"});
    std::string socket = "/tmp/.X11-unix/X" + number;
    struct stat st;
    for (int i = 0; i < 500 && stat(socket.c_str(), &st) != 0; ++i) usleep(10000);
    ChildResult r = RunProgram({Exe()}, {"DISPLAY=" + display, "ALSOFT_DRIVERS=null"});
    server.Signal(SIGTERM);
    server.Wait(5);
    EXPECT_EQ(r.status, 255);
    EXPECT_NE(r.err.find("could not open a 640 x 480 window"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(GameProcessTest, OpensA640By480WindowWithTheGamesTitle) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    std::string wid = StartGame();
    ASSERT_FALSE(wid.empty()) << "no window appeared";
    std::string geometry = Shell("xwininfo -id " + wid + " | grep -E 'Width|Height' | tr -s ' ' | cut -d' ' -f3 | tr '\\n' ' '");
    EXPECT_EQ(geometry, "640 480 ");
    EXPECT_EQ(Shell("xdotool getwindowname " + wid), kWindowTitle);
    EXPECT_TRUE(game->Running());
}

TEST_F(GameProcessTest, CloseRequestEndsTheProcessAtOnceWithStatusZero) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    std::string wid = StartGame();
    ASSERT_FALSE(wid.empty()) << "no window appeared";
    ASSERT_TRUE(screen.SendCloseRequest(std::stoul(wid)));
    ASSERT_TRUE(game->Wait(5)) << "still running after the close request";
    EXPECT_EQ(game->result().status, 0);
    EXPECT_EQ(game->result().signal, 0);
}

TEST_F(GameProcessTest, RuntimeErrorIsReportedAndEndsWithMinusOneWithoutADebugger) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    std::string wid = StartGame();
    ASSERT_FALSE(wid.empty()) << "no window appeared";
    // A memory fault is turned into a runtime error by the game's handler;
    // standard input is at its end, so no debugging host answers.
    game->Signal(SIGSEGV);
    ASSERT_TRUE(game->Wait(5));
    EXPECT_EQ(game->result().out, "Vorlin Runtime Error : Memory access violation\n\n");
    EXPECT_EQ(game->result().err, "{{~~~~}}\n\n");
    EXPECT_EQ(game->result().status, 255);
}
