// tools/bench_game/bench_game.cpp - what one update and one render of the game cost.
//
// The whole game is started as the framework would, without a window: the
// data loads, OpenGL calls have no context and do nothing, and sound goes to
// OpenAL's null backend. Figures:
//   Update/Menu         one p_OnUpdate on the main menu (the display list is
//                       cleared and refilled)
//   Update/Game         one p_OnUpdate of a round with the full maze, every
//                       enemy record hunting, all sixteen beacons active and
//                       the particle pool full (the scene is topped up each
//                       iteration with a few dozen stores, so it stays busy)
//   Render/FullList     one render replaying a display list of 2499 commands
//                       (sprites, rotated sprites, glyphs, rectangles and
//                       ovals), at a 1280 x 720 device
// "allocs" is the number of heap allocations (malloc and collected bytes) of
// one untimed pass and must stay 0.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "game/gameplay.h"
#include "game/globals.h"
#include "game/myapp.h"
#include "host/desktop.h"
#include "host/startup.h"
#include "alloc_count.h"
#include "common/headless_game.h"

namespace {

c_MyApp* g_app;
BBGlfwGame* g_host;

void render_frame() { HeadlessRender(g_app); }

void start_game() {
    if (g_app) return;
    g_app = StartHeadlessGame(&g_host, 1280, 720);
    for (int i = 0; i < 100 && (g_app->m_LoadStage != 0 || g_app->m_DevW != 1280); ++i) {
        render_frame();
        g_host->UpdateGame();
    }
    if (g_app->m_LoadStage != 0) std::abort();
}

// A display list as full as it gets, of the kinds a game frame holds.
void fill_display_list() {
    c_MyApp* a = g_app;
    a->p_CLS2D(20, 30, 60, 1);
    static const String kLine("Score 0012345  Energy 10  Lantern Vault");
    for (int i = 0; a->m_DrawCount <= c_MyApp::kDrawLast; ++i) {
        float x = static_cast<float>((i * 37) % 640), y = static_cast<float>((i * 53) % 360);
        switch (i % 8) {
            case 0: case 1: case 2:
                a->p_SetRot(0);
                a->p_SetSize(1.5f);
                a->p_DrawImg(1, x, y, 32 + i % 8);
                break;
            case 3:
                a->p_SetRot(static_cast<float>(i % 360));
                a->p_SetSize(2);
                a->p_DrawImg(1, x, y, 16);
                break;
            case 4:
                a->p_SetRot(0);
                a->p_SetSize(1);
                a->p_Text(x, y, kLine, 0, 1);
                break;
            case 5:
                a->p_SetCol(255, 200, 100, 0.5f);
                a->p_Rect(x, y, 20, 8);
                break;
            case 6:
                a->m_Blend = 3;
                a->p_DrawImg(96, x, y, i % 256);
                a->m_Blend = 1;
                break;
            case 7:
                a->p_Oval(x, y, 6, 6);
                break;
        }
    }
}

template <class F>
double count_allocations(F work) {
    int gcBefore = gc_new_bytes;
    AllocCount count;
    work();
    return static_cast<double>(count.Calls() + (gc_new_bytes - gcBefore));
}

void BM_Update_Menu(benchmark::State& state) {
    start_game();
    g_app->m_Mode = c_MyApp::kModeMenu;
    g_app->p_OnUpdate();
    state.counters["allocs"] = count_allocations([] { g_app->p_OnUpdate(); });
    for (auto _ : state) g_app->p_OnUpdate();
    state.counters["commands"] = g_app->m_DrawCount / c_MyApp::kDrawFloats;
}
BENCHMARK(BM_Update_Menu);

// Keeps a round as busy as it gets: every beacon active, every enemy record
// hunting, the player unhurt. New enemies start half a column off the
// beacons' columns, so that catching (and its sound) stays occasional as in
// play.
void top_up_round() {
    using namespace play;
    c_MyApp* a = g_app;
    for (int n = 1; n <= kLastEntity; ++n) {
        float* e = &a->m_Ents[n * kEntityFloats];
        if (n <= 16) {
            e[kEntKind] = kBeaconActive;
            e[kEntTimer] = 0;
        } else if (n > kLastCharge && e[kEntKind] != kEnemyHunting) {
            e[kEntKind] = kEnemyHunting;
            e[kEntX] = static_cast<float>(4 + n % 56) + 0.5f;
            e[kEntY] = static_cast<float>((n % 16) * 4 + 2);
            e[kEntSpeed] = 0.08f;
        }
    }
    a->m_Plr[kPlrEnergy] = 10;
    a->m_Plr[kPlrHurt] = 5;
}

void BM_Update_Game(benchmark::State& state) {
    using namespace play;
    start_game();
    g_app->m_GameType = 2;
    g_app->m_Mode = c_MyApp::kModeStartRound;
    g_app->p_OnUpdate();
    g_app->NewLevel(20261207);
    g_app->m_EnemyCap = kMaxEnemyCap;
    for (int i = 0; i < 200; ++i) {
        top_up_round();
        g_app->p_OnUpdate();
    }
    state.counters["allocs"] = count_allocations([] {
        top_up_round();
        g_app->p_OnUpdate();
    });
    for (auto _ : state) {
        top_up_round();
        g_app->p_OnUpdate();
    }
    int enemies = 0, particles = 0;
    for (int n = 1; n <= kLastEntity; ++n) enemies += g_app->m_Ents[n * kEntityFloats] >= kEnemyHunting &&
                                                      g_app->m_Ents[n * kEntityFloats] <= kEnemyDying;
    for (int i = 0; i <= g_app->m_PartMax; ++i) particles += g_app->m_Part[i * kParticleFloats] != 0;
    state.counters["enemies"] = enemies;
    state.counters["particles"] = particles;
    state.counters["commands"] = g_app->m_DrawCount / c_MyApp::kDrawFloats;
    g_app->m_Mode = c_MyApp::kModeMenu;
}
BENCHMARK(BM_Update_Game);

void BM_Render_FullList(benchmark::State& state) {
    start_game();
    fill_display_list();
    render_frame();
    state.counters["allocs"] = count_allocations(render_frame);
    for (auto _ : state) render_frame();
    state.counters["commands"] = g_app->m_DrawCount / c_MyApp::kDrawFloats;
    state.counters["per_command_ns"] =
        benchmark::Counter(static_cast<double>(g_app->m_DrawCount / c_MyApp::kDrawFloats),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Render_FullList);

}  // namespace

BENCHMARK_MAIN();
