// tools/bench_memory/bench_memory.cpp - the cost of starting the tune and the
// memory the game holds across reloads.
//
// The whole game is started as the framework would, without a window, at a
// 1280 x 720 device ("-hd" art would need a smaller one; this one loads the
// largest art). Figures:
//   tune/decode in the call  what starting the tune cost when the call itself
//                            decoded the Ogg file (loading it as a new sample)
//   tune/first p_PlayTune    the first start after the loading screen
//   tune/p_PlayTune          later starts (median of 50)
//   tune/upload              main-thread work once the worker has decoded it:
//                            the upload into OpenAL (done during loading)
//   reload/...               live surfaces and samples, the native bytes they
//                            hold and the resident memory after the first load
//                            and after 50 reloads
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "game/globals.h"
#include "game/myapp.h"
#include "host/files.h"
#include "host/glfwgame.h"
#include "host/startup.h"
#include "common/headless_game.h"

namespace {

c_MyApp* g_app;
BBGlfwGame* g_host;

double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void frame() {
    HeadlessRender(g_app);
    g_host->gc_collect();
    g_host->UpdateGame();
}

// Runs frames until the loader is done and the collector has let go of what
// the load replaced.
void finish_loading() {
    for (int i = 0; i < 200 && g_app->m_LoadStage != 0; ++i) frame();
    if (g_app->m_LoadStage != 0) std::abort();
    for (int i = 0; i < 60; ++i) frame();
}

void start_game() {
    g_app = StartHeadlessGame(&g_host, 1280, 720);
    frame();
    finish_loading();
}

void print_memory(const char* when) {
    std::printf("reload/%-22s %3d surfaces %7.1f MB  %3d samples %6.1f MB  VmRSS %6.1f MB\n", when,
                gxtkLiveSurfaces(), gxtkSurfaceNativeBytes() / 1048576.0, gxtkLiveSamples(),
                gxtkSampleNativeBytes() / 1048576.0, ResidentKiB() / 1024.0);
}

void bench_tune() {
    g_app->m_Options[5] = 1;
    double t = now_ms();
    bb_audio_device->LoadSample(bb_data_FixDataPath(String("sfx/Firstlight.ogg")));
    std::printf("tune/decode in the call     %8.3f ms\n", now_ms() - t);

    t = now_ms();
    g_app->p_PlayTune(String("Firstlight"), 1);
    std::printf("tune/first p_PlayTune       %8.3f ms\n", now_ms() - t);
    std::vector<double> times;
    for (int i = 0; i < 50; ++i) {
        t = now_ms();
        g_app->p_PlayTune(String("Firstlight"), 1);
        times.push_back(now_ms() - t);
    }
    std::sort(times.begin(), times.end());
    std::printf("tune/p_PlayTune             %8.3f ms (median of 50, slowest %.3f ms)\n", times[25], times.back());
    g_app->p_StopTune();

    // The same file under another name is a new tune to the device.
    String alias("./data/sfx/../sfx/Firstlight.ogg");
    bb_audio_device->PrepareMusic(alias);
    usleep(1000000);
    t = now_ms();
    bb_audio_device->PlayMusic(alias, 1);
    std::printf("tune/upload                 %8.3f ms (with the start)\n", now_ms() - t);
    bb_audio_device->StopMusic();
}

}  // namespace

int main() {
    start_game();
    bench_tune();
    finish_loading();
    print_memory("after the first load");
    for (int i = 0; i < 50; ++i) {
        g_app->m_LoadStage = 1;
        finish_loading();
    }
    print_memory("after 50 reloads");
    return 0;
}
