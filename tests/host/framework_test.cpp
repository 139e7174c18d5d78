// The application framework on a real window: start-up order, the update
// bracket, rendering, the close and back keys, and the one-application rule.
// Each case runs in a child process, since an application exists once per
// process and quitting ends the process.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "common/test_support.h"
#include "graphics/graphics.h"
#include "host/app.h"
#include "host/desktop.h"
#include "input/device.h"
#include "runtime/error.h"

namespace {

// The real host with a scripted event source: each poll first delivers the
// real window events, then whatever the script injects; the window counts as
// closed after `maxPolls` polls.
class ScriptedHost : public BBDesktopGame {
public:
    int polls = 0, maxPolls = 20;
    std::function<void(int)> script;

protected:
    void PollEvents() override {
        BBDesktopGame::PollEvents();
        ++polls;
        if (script) script(polls);
    }
    bool WindowOpen() override { return BBDesktopGame::WindowOpen() && polls < maxPolls; }
    bool WindowActive() override { return true; }  // no window manager hands out focus reliably
};

class TestApp : public c_App {
public:
    int created = 0, updates = 0, renders = 0;
    bool devicesAtCreate = false, renderDeviceDuringRender = true;
    std::function<void(TestApp&)> onUpdate;

    int p_OnCreate() override {
        ++created;
        devicesAtCreate = bb_graphics_device && bb_input_device && bb_app__delegate->m_audio;
        bb_app_SetUpdateRate(60);
        return 0;
    }
    int p_OnUpdate() override {
        ++updates;
        if (onUpdate) onUpdate(*this);
        return 0;
    }
    int p_OnRender() override {
        ++renders;
        renderDeviceDuringRender = renderDeviceDuringRender && bb_graphics_renderDevice == bb_graphics_device;
        return 0;
    }
};

// Starts an application on a real window inside the calling (child) process.
TestApp* StartApp(ScriptedHost*& host) {
    setenv("ALSOFT_DRIVERS", "null", 0);  // no sound card needed, and no message about one
    if (!InitGlfwForTest()) {
        std::puts("no display");
        std::exit(3);
    }
    host = new ScriptedHost();
    bb_app__game = host;  // the program's start-up copies the host after creating it
    gc_check_each_step = true;
    TestApp* app = new TestApp();
    app->m_new();
    return app;
}

bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

}  // namespace

TEST(FrameworkTest, StartCreatesTheDevicesBeforeOnCreateAndRendersInsideTheFrame) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    ChildResult r = RunInChild([] {
        ScriptedHost* host;
        TestApp* app = StartApp(host);
        host->maxPolls = 12;
        host->Run();
        std::printf("created=%d devices=%d updates>0=%d renders>0=%d inside=%d after=%d\n", app->created,
                    app->devicesAtCreate, app->updates > 0, app->renders > 0, app->renderDeviceDuringRender,
                    bb_graphics_renderDevice == nullptr);
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "created=1 devices=1 updates>0=1 renders>0=1 inside=1 after=1\n");
}

TEST(FrameworkTest, KeyHitIsSeenByExactlyOneUpdate) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    ChildResult r = RunInChild([] {
        ScriptedHost* host;
        TestApp* app = StartApp(host);
        int pressedAt = -1;
        host->script = [&](int poll) {
            if (poll == 4) {
                pressedAt = app->updates;
                host->KeyEvent(1, 65);  // down and up between two updates
                host->KeyEvent(2, 65);
            }
        };
        std::string seen;
        app->onUpdate = [&](TestApp& a) {
            if (pressedAt >= 0 && a.updates <= pressedAt + 2)
                seen += std::to_string(bb_input_KeyHit(65)) + std::to_string(bb_input_KeyDown(65)) + " ";
        };
        host->Run();
        std::printf("%s\n", seen.c_str());
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "10 00 \n");
}

TEST(FrameworkTest, CloseKeyEndsTheProgramEvenWhenAlreadyHeld) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    ChildResult r = RunInChild([] {
        ScriptedHost* host;
        TestApp* app = StartApp(host);
        host->maxPolls = 1000;
        host->script = [&](int poll) {
            if (poll == 3) {
                host->KeyEvent(2, 432);  // an up alone changes nothing
                host->KeyEvent(2, 416);
                bb_input_device->m_keyDown[432] = true;
                std::printf("renders before close: %d\n", app->renders > 0);
                host->KeyEvent(1, 432);
                std::printf("still running\n");
            }
        };
        host->Run();
        std::printf("loop ended\n");
    });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "renders before close: 1\n");
}

TEST(FrameworkTest, BackKeyEndsTheProgram) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    ChildResult r = RunInChild([] {
        ScriptedHost* host;
        StartApp(host);
        host->script = [&](int poll) {
            if (poll == 2) host->KeyEvent(1, 416);
        };
        host->Run();
        std::printf("loop ended\n");
    });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST(FrameworkTest, SecondApplicationIsARuntimeError) {
    ChildResult r = RunInChild([] {
        gc_check_each_step = true;
        BBDesktopGame host;
        bb_app__game = &host;
        (new TestApp())->m_new();
        (new TestApp())->m_new();
    });
    EXPECT_EQ(r.status, 255) << r.err << " signal " << r.signal;
    EXPECT_EQ(r.out, "Vorlin Runtime Error : App has already been created\n\n");
}

TEST(FrameworkTest, RuntimeErrorThrownByTheGameEndsInDie) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
    ChildResult r = RunInChild([] {
        ScriptedHost* host;
        TestApp* app = StartApp(host);
        app->onUpdate = [](TestApp& a) {
            if (a.updates == 2) throw new ThrowableObject();
        };
        host->Run();
    });
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Vorlin Runtime Error : Uncaught Vorlin Exception\n");
}

TEST(FrameworkTest, EndAppQuitsWithStatusZero) {
    ChildResult r = RunInChild([] { bb_app_EndApp(); });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}
