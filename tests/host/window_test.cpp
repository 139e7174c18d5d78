// The real window under the virtual display: size, title, placement,
// re-opening, full screen, video modes, held keys, the close request and the
// focus the main loop follows, and the window's size on a scaled desktop.
// Each case runs in a child process with its own connection to the display.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "host/desktop.h"
#include "host/title.h"

namespace {

class EventLog : public BBGameDelegate {
public:
    std::vector<std::string> events;
    void KeyEvent(int event, int data) override {
        events.push_back(std::to_string(event) + ":" + std::to_string(data));
    }
};

// Opens GLFW and a started host whose delegate logs key events.
BBGlfwGame* StartHost(EventLog*& log) {
    if (!InitGlfwForTest()) std::exit(3);
    BBGlfwGame* host = new BBDesktopGame();
    gc_init();
    log = new EventLog();
    host->SetDelegate(log);
    host->StartGame();
    return host;
}

// Shows what the main loop sees of the window.
class WatchedHost : public BBDesktopGame {
public:
    bool Active() { return WindowActive(); }
    bool Iconified() { return WindowIconified(); }
    // Polls events until the loop's view of the focus is `focused` (at most 2 s).
    bool WaitForFocus(bool focused) {
        for (int i = 0; i < 200 && Active() != focused; ++i) glfwWaitEventsTimeout(0.01);
        return Active() == focused;
    }
};

bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

#define REQUIRE_DISPLAY() \
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display"

// Whether the window system knows a window by exactly the game's title.
bool FoundByTitle() {
    std::string command = std::string("xdotool search --name '^") + kWindowTitle + "$' > /dev/null";
    return std::system(command.c_str()) == 0;
}

}  // namespace

TEST(WindowTest, StartWindowIs640By480CentredAndTitled) {
    REQUIRE_DISPLAY();
    ChildResult r = RunInChild([] {
        EventLog* log;
        BBGlfwGame* host = StartHost(log);
        if (!host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false)) std::exit(4);
        glfwPollEvents();
        int w, h, x, y;
        glfwGetWindowSize(host->Window(), &w, &h);
        glfwGetWindowPos(host->Window(), &x, &y);
        std::printf("%dx%d at %d,%d seq %d\n", w, h, x, y, graphicsContextSeq);
        std::fflush(stdout);
        // The window system knows it by its title.
        std::printf("found by title: %d\n", FoundByTitle());
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "640x480 at 320,272 seq 1\nfound by title: 1\n");
}

TEST(WindowTest, WindowLargerThanTheDesktopGetsANegativeCentredPosition) {
    REQUIRE_DISPLAY();
    ChildResult r = RunInChild([] {
        EventLog* log;
        BBGlfwGame* host = StartHost(log);
        host->SetGlfwWindow(2000, 1500, 8, 8, 8, 0, 0, 0, false);
        glfwPollEvents();
        int x, y;
        glfwGetWindowPos(host->Window(), &x, &y);
        std::printf("%d,%d\n", x, y);
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "-360,-238\n");
}

TEST(WindowTest, FullScreenAndBackReopenTheWindowAndCountTheContexts) {
    REQUIRE_DISPLAY();
    ChildResult r = RunInChild([] {
        EventLog* log;
        BBGlfwGame* host = StartHost(log);
        host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
        BBGlfwVideoMode* desktop = host->GetGlfwDesktopMode();
        host->SetGlfwWindow(desktop->Width, desktop->Height, desktop->RedBits, desktop->GreenBits,
                            desktop->BlueBits, 0, 0, 0, true);
        glfwPollEvents();
        int w, h;
        glfwGetWindowSize(host->Window(), &w, &h);
        std::printf("full %dx%d monitor %d seq %d\n", w, h, glfwGetWindowMonitor(host->Window()) != nullptr,
                    graphicsContextSeq);
        host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
        glfwPollEvents();
        glfwGetWindowSize(host->Window(), &w, &h);
        std::printf("window %dx%d monitor %d seq %d current %d\n", w, h,
                    glfwGetWindowMonitor(host->Window()) != nullptr, graphicsContextSeq,
                    glfwGetCurrentContext() == host->Window());
        std::fflush(stdout);
        std::printf("titled again: %d\n", FoundByTitle());
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "full 1280x1024 monitor 1 seq 2\nwindow 640x480 monitor 0 seq 3 current 1\ntitled again: 1\n");
}

TEST(WindowTest, VideoModesListTheDisplaysModes) {
    REQUIRE_DISPLAY();
    ChildResult r = RunInChild([] {
        EventLog* log;
        BBGlfwGame* host = StartHost(log);
        Array<BBGlfwVideoMode*> modes = host->GetGlfwVideoModes();
        BBGlfwVideoMode* desktop = host->GetGlfwDesktopMode();
        bool hasDesktop = false;
        for (BBGlfwVideoMode* m : modes) hasDesktop |= m->Width == desktop->Width && m->Height == desktop->Height;
        std::printf("modes>0 %d desktop %dx%d bits %d%d%d listed %d\n", modes.Length() > 0, desktop->Width,
                    desktop->Height, desktop->RedBits, desktop->GreenBits, desktop->BlueBits, hasDesktop);
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "modes>0 1 desktop 1280x1024 bits 888 listed 1\n");
}

TEST(WindowTest, KeysHeldWhileTheWindowIsReplacedAreReleased) {
    REQUIRE_DISPLAY();
    ChildResult r = RunInChild([] {
        EventLog* log;
        BBGlfwGame* host = StartHost(log);
        host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
        for (int i = 0; i < 20; ++i) glfwPollEvents();
        if (std::system("xdotool keydown a") != 0) std::exit(5);
        for (int i = 0; i < 200 && glfwGetKey(host->Window(), GLFW_KEY_A) != GLFW_PRESS; ++i)
            glfwWaitEventsTimeout(0.01);
        bool held = glfwGetKey(host->Window(), GLFW_KEY_A) == GLFW_PRESS;
        log->events.clear();
        host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
        if (std::system("xdotool keyup a") != 0) std::exit(6);
        std::printf("held %d events", held);
        for (const std::string& e : log->events) std::printf(" %s", e.c_str());
        std::printf("\n");
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "held 1 events 2:65\n");
}

TEST(WindowTest, CloseRequestBecomesTheCloseKeyAndKeepsTheWindow) {
    REQUIRE_DISPLAY();
    ChildResult r = RunInChild([] {
        EventLog* log;
        BBGlfwGame* host = StartHost(log);
        host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
        BBGlfwGame::OnWindowClose(host->Window());
        std::printf("%s %s close %d\n", log->events.at(0).c_str(), log->events.at(1).c_str(),
                    glfwWindowShouldClose(host->Window()));
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1:432 2:432 close 0\n");
}

TEST(WindowTest, LoopSeesTheFocusMoveAwayAndBackAndOnToAReopenedWindow) {
    REQUIRE_DISPLAY();
    ChildResult r = RunInChild([] {
        if (!InitGlfwForTest()) std::exit(3);
        WatchedHost* host = new WatchedHost();
        gc_init();
        host->SetDelegate(new EventLog());
        host->StartGame();
        host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
        bool first = host->WaitForFocus(true);
        // Another window shown takes the focus, as a second program's would.
        GLFWwindow* other = glfwCreateWindow(200, 200, "other", nullptr, nullptr);
        bool lost = host->WaitForFocus(false);
        glfwFocusWindow(host->Window());
        bool back = host->WaitForFocus(true);
        glfwDestroyWindow(other);
        host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
        bool reopened = host->WaitForFocus(true);
        std::printf("focus %d lost %d back %d reopened %d iconified %d\n", first, lost, back, reopened,
                    host->Iconified());
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "focus 1 lost 1 back 1 reopened 1 iconified 0\n");
}

TEST(WindowTest, LogicalSizesBecomePixelsAtTheDesktopsContentScale) {
    struct Case {
        float scaleX, scaleY;
        int w, h;
    };
    const float nan = std::nanf(""), inf = INFINITY;
    const Case cases[] = {
        {1, 1, 640, 480},     {2, 2, 1280, 960},  {1.5f, 1.5f, 960, 720}, {1.25f, 1.25f, 800, 600},
        {1.75f, 2, 1120, 960}, {0, 0, 640, 480},   {-2, -2, 640, 480},     {nan, nan, 640, 480},
        {inf, inf, 640, 480}, {1e-6f, 1e-6f, 1, 1},
    };
    for (const Case& c : cases) {
        int w = 0, h = 0;
        WindowPixelSize(640, 480, c.scaleX, c.scaleY, &w, &h);
        EXPECT_EQ(w, c.w) << c.scaleX;
        EXPECT_EQ(h, c.h) << c.scaleY;
    }
}
