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
//   device/...               the sound device lost in a round with the tune on:
//                            the longest update while no device would open
//                            (against the longest before), then until every
//                            sample is back (updates 16 ms apart), and the
//                            resident memory after 1 and after 100 losses.
//                            Losses are made by Disconnect; openings fail by
//                            ALSOFT_DRIVERS naming no backend, which works
//                            because the library is loaded afresh each time
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
#include "host/desktop.h"
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

// The longest of `n` updates 16 ms apart (ms), stopping early once `done` holds.
double longest_update(int n, bool (*done)(), int* updates) {
    double longest = 0;
    for (*updates = 0; *updates < n && !done(); ++*updates) {
        double t = now_ms();
        g_host->UpdateGame();
        longest = std::max(longest, now_ms() - t);
        HeadlessRender(g_app);
        g_host->gc_collect();
        usleep(16000);
    }
    return longest;
}

bool never() { return false; }
bool sound_back() { return bb_audio_device->alcContext && !bb_audio_device->Restoring(); }

void bench_device_loss() {
    g_app->m_Options[5] = 1;
    g_app->p_PlayTune(String("Firstlight"), 1);
    int updates = 0;
    double before = longest_update(120, never, &updates);
    setenv("ALSOFT_DRIVERS", "no-such-backend", 1);
    bb_audio_device->Disconnect();
    double failing = longest_update(300, never, &updates);
    std::printf("device/update, none opens   %8.3f ms longest of 300 (5 s, tries every 2 s); before %.3f ms\n",
                failing, before);
    setenv("ALSOFT_DRIVERS", "null", 1);
    double back = longest_update(1000, sound_back, &updates);
    std::printf("device/update, coming back  %8.3f ms longest, %d updates until every sample was back\n", back,
                updates);
    print_memory("device after 1 loss");
    for (int i = 0; i < 99; ++i) {
        bb_audio_device->Disconnect();
        longest_update(1000, sound_back, &updates);
        if (!sound_back()) std::abort();
    }
    print_memory("device after 100 losses");
    g_app->p_StopTune();
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
    bench_device_loss();
    return 0;
}
