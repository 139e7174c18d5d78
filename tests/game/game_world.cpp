// tests/game/game_world.cpp - bringing the whole game up once for the tests.
#include "game_world.h"

#include <GLFW/glfw3.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "alloc_count.h"
#include "common/test_support.h"
#include "host/startup.h"
#include "input/device.h"

namespace {

// The desktop's host, whose files may be made to arrive late and whose
// player may play with fingers, as a page's do.
class WorldHost : public BBDesktopGame {
public:
    bool FileReady(String path) override { return !fileReady || fileReady(path.ToUtf8()); }
    bool TouchInUse() override { return touchInUse; }
    std::function<bool(const std::string&)> fileReady;
    bool touchInUse = false;
};

WorldHost* g_host;
c_MyApp* g_app;
std::unique_ptr<ScopedTempDir> g_dir;

}  // namespace

void GameTest::SetUpTestSuite() {
    if (g_app) return;
    if (!std::getenv("DISPLAY")) return;
    setenv("ALSOFT_DRIVERS", "null", 0);
    // The game reads ./data and writes its state file into a folder of its own.
    g_dir.reset(new ScopedTempDir());
    if (symlink(LANTERN_DATA_PATH, "data") != 0) std::abort();
    if (!InitGlfwForTest()) std::abort();
    g_host = new WorldHost();
    gc_init();
    bbInit();
    gc_mark();
    gc_check_each_step = true;
    g_app = (new c_MyApp())->m_new();
    g_host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    g_host->StartGame();
    Render();
}

void GameTest::SetUp() {
    if (!g_app) GTEST_SKIP() << "needs a display";
}

c_MyApp* GameTest::app() { return g_app; }
BBGlfwGame* GameTest::host() { return g_host; }

void GameTest::SetTouchInUse(bool touch) { g_host->touchInUse = touch; }

void GameTest::SetFileReady(std::function<bool(const std::string&)> answer) { g_host->fileReady = std::move(answer); }

void GameTest::Update(int count) {
    for (int i = 0; i < count; ++i) {
        glfwPollEvents();
        g_host->UpdateGame();
    }
}

long GameTest::AllocationsIn(int count) {
    // OpenAL allocates inside every sound it starts (its source's buffer
    // queue entry): the sound is off while counting, so that only the game's
    // own work is counted.
    int soundMode = app()->m_Options[5];
    app()->m_Options[5] = 0;
    bool checking = gc_check_each_step;
    gc_check_each_step = false;
    int collected = gc_new_bytes;
    AllocCount calls;
    Update(count);
    long made = calls.Calls() + (gc_new_bytes - collected);
    gc_check_each_step = checking;
    app()->m_Options[5] = soundMode;
    return made;
}

void GameTest::Render() { g_host->RenderGame(); }

void GameTest::Frame(int count) {
    for (int i = 0; i < count; ++i) {
        Update();
        Render();
    }
}

void GameTest::FinishLoading() {
    for (int i = 0; i < 200 && g_app->m_LoadStage != 0; ++i) Frame();
    ASSERT_EQ(g_app->m_LoadStage, 0) << "loading did not finish";
}

void GameTest::Resize(int w, int h) {
    glfwSetWindowSize(g_host->Window(), w, h);
    for (int i = 0; i < 200; ++i) {
        glfwWaitEventsTimeout(0.01);
        int cw, ch;
        glfwGetWindowSize(g_host->Window(), &cw, &ch);
        if (cw == w && ch == h) break;
    }
    Render();
}

void GameTest::ReleaseAll() {
    for (int code = 1; code < 512; ++code)
        if (bb_input_device->m_keyDown[code]) KeyUp(code);
    for (int i = 0; i < g_app->m_VKeys.Length(); ++i) g_app->m_VKeys[i] = 0;
    Update();
}

unsigned GameTest::RenderAndRead(int x, int y) {
    Array<int> pixel(1);
    bb_graphics_device->BeginRender();
    bb_graphics_BeginRender();
    g_app->p_OnRender();
    bb_graphics_device->ReadPixels(pixel, x, y, 1, 1, 0, 1);
    bb_graphics_EndRender();
    bb_graphics_device->EndRender();
    return static_cast<unsigned>(pixel[0]) & 0xffffff;
}

std::string GameTest::TextDrawn() {
    std::string out;
    for (int i = 0; i < Commands(); ++i) {
        const float* c = Command(i);
        if (static_cast<int>(c[0]) == g_app->m_Font) out += static_cast<char>(static_cast<int>(c[6]) + 32);
    }
    return out;
}
