// tools/bench_graphics/bench_graphics.cpp - what a sprite costs on its way into the batch.
//
// Each iteration submits 250 sprites (1000 vertices, just under a full batch)
// through the graphics module and then drops the batch unsent, so the figures
// are the CPU work of drawing: matrix validation, the batching test, vertex
// writing and transforming. "per_sprite" is the time for one sprite; "allocs"
// counts the heap allocations (C++ and collected bytes) of one pass of 250
// sprites and must stay 0.
//
// With a display (run under xvfb-run) one more benchmark opens a window and
// times sending full batches through OpenGL, for comparison.
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "alloc_count.h"
#include "graphics/graphics.h"
#include "host/desktop.h"

namespace {

const int kSprites = 250;

c_Image* g_whole;  // one frame covering its surface
c_Image* g_strip;  // eight frames in a strip

gxtkSurface* make_surface(int w, int h) {
    gxtkSurface* s = new gxtkSurface();
    unsigned char* pixels = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(w) * h, 4));
    s->SetData(pixels, w, h, 4);
    s->Bind();
    return s;
}

void mark_roots() {
    gc_mark_q(g_whole);
    gc_mark_q(g_strip);
}

// The module and renderer as the framework leaves them at the start of a frame.
void set_up(bool withWindow) {
    gc_init();
    bb_graphics_init();
    gc_add_roots(mark_roots);
    if (withWindow) {
        new BBDesktopGame();
        BBGlfwGame::_glfwGame->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    }
    bb_graphics_SetGraphicsDevice(new gxtkGraphics());
    gc_assign(g_whole, (new c_Image())->m_new()->p_Init(make_surface(32, 32), 1, c_Image::kCentreHandle));
    gc_assign(g_strip, (new c_Image())->m_new()->p_Init(make_surface(256, 32), 8, c_Image::kBorderX));
    if (withWindow) {
        bb_graphics_device->BeginRender();
        bb_graphics_BeginRender();
    } else {
        // No OpenGL context: only the CPU side of starting a frame.
        gc_assign(bb_graphics_renderDevice, bb_graphics_device);
        bb_graphics_SetColor(255, 255, 255);
        bb_graphics_SetAlpha(1);
        bb_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    }
}

// Runs `submit` per iteration, dropping the batch unsent afterwards.
template <class F>
void run(benchmark::State& state, F submit) {
    gxtkGraphics* gfx = bb_graphics_device;
    // One untimed pass to count what drawing allocates.
    int gcBytes = gc_new_bytes;
    double allocs;
    {
        AllocCount count;
        submit();
        allocs = static_cast<double>(count.Calls() + (gc_new_bytes - gcBytes));
    }
    gfx->primCount = 0;

    for (auto _ : state) {
        submit();
        benchmark::DoNotOptimize(gfx->vertices[0]);
        gfx->primCount = 0;
    }
    state.counters["per_sprite"] =
        benchmark::Counter(kSprites, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["allocs"] = allocs;
}

void BM_DrawImage_WholeSurface(benchmark::State& state) {
    bb_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    run(state, [] {
        for (int i = 0; i < kSprites; ++i) bb_graphics_DrawImage(g_whole, static_cast<float>(i), 100, 0);
    });
}

void BM_DrawImage_StripFrame(benchmark::State& state) {
    bb_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    run(state, [] {
        for (int i = 0; i < kSprites; ++i) bb_graphics_DrawImage(g_strip, static_cast<float>(i), 100, i & 7);
    });
}

void BM_DrawImage_UnderScaledMatrix(benchmark::State& state) {
    bb_graphics_SetMatrix(1.5f, 0, 0, 1.5f, 20, 10);
    run(state, [] {
        for (int i = 0; i < kSprites; ++i) bb_graphics_DrawImage(g_strip, static_cast<float>(i), 100, i & 7);
    });
    bb_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
}

void BM_DrawImage2_RotatedScaled(benchmark::State& state) {
    run(state, [] {
        for (int i = 0; i < kSprites; ++i) {
            bb_graphics_DrawImage2(g_strip, static_cast<float>(i), 100, static_cast<float>(i * 3), 1.5f, 2, i & 7);
        }
    });
}

void BM_DrawRect(benchmark::State& state) {
    run(state, [] {
        for (int i = 0; i < kSprites; ++i) bb_graphics_DrawRect(static_cast<float>(i), 100, 8, 8);
    });
}

// Flushing a full batch of sprites through OpenGL (Mesa's software renderer
// under Xvfb here), to set the CPU figures above against.
void BM_FlushFullBatchThroughOpenGL(benchmark::State& state) {
    gxtkGraphics* gfx = bb_graphics_device;
    for (auto _ : state) {
        for (int i = 0; i < 256; ++i) bb_graphics_DrawImage(g_whole, static_cast<float>(i * 2), 100, 0);
        gfx->Flush();
    }
    glFinish();
    state.counters["per_sprite"] =
        benchmark::Counter(256, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bool display = glfwInit();
    set_up(display);
    benchmark::RegisterBenchmark("BM_DrawImage_WholeSurface", BM_DrawImage_WholeSurface);
    benchmark::RegisterBenchmark("BM_DrawImage_StripFrame", BM_DrawImage_StripFrame);
    benchmark::RegisterBenchmark("BM_DrawImage_UnderScaledMatrix", BM_DrawImage_UnderScaledMatrix);
    benchmark::RegisterBenchmark("BM_DrawImage2_RotatedScaled", BM_DrawImage2_RotatedScaled);
    benchmark::RegisterBenchmark("BM_DrawRect", BM_DrawRect);
    if (display) benchmark::RegisterBenchmark("BM_FlushFullBatchThroughOpenGL", BM_FlushFullBatchThroughOpenGL);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
