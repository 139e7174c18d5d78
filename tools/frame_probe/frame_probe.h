// tools/frame_probe/frame_probe.h - what the frame probe reports, shared
// between the probe (preloaded into a program that draws with GLFW and
// OpenGL) and the benchmark that reads it while that program runs.
//
// The benchmark creates a file of sizeof(FrameProbeReport) zero bytes and
// names it in FRAME_PROBE_FILE; the probe, preloaded with LD_PRELOAD, maps it
// shared and keeps the counters below up to date, so the reader sees them
// change while the program runs. All counters only grow (except maxGapNs,
// which the reader may set back to 0 to start a new measurement), so the
// reader measures an interval by taking the difference of two readings.
//
// Times are CLOCK_MONOTONIC nanoseconds, comparable between processes.
//
// FRAME_PROBE_PIXEL="x,y" (window pixels from the top left) makes the probe
// read that pixel of each frame's back buffer just before the swap and log it
// with the frame's time, for the first kProbeLogSize frames; this costs a
// pipeline flush per frame, so it is meant for start-up timing only.
//
// FRAME_PROBE_TRACE="first,count" prints a backtrace to standard error for
// every heap request the executable's own code makes in frames first ..
// first + count - 1 (resolve the addresses with addr2line -f -C -i -e EXE):
// the way to find what allocates during play.
#ifndef LANTERN_TOOLS_FRAME_PROBE_FRAME_PROBE_H
#define LANTERN_TOOLS_FRAME_PROBE_FRAME_PROBE_H

#include <atomic>
#include <cstdint>

const uint32_t kFrameProbeMagic = 0x46505242;  // set by the probe once it reports
const int kProbeLogSize = 4096;                // frames whose probe pixel is logged
const int kSizeClasses = 12;                   // triangle size classes, see sizeClass

struct FrameProbeSample {
    int64_t timeNs;  // when the frame was handed to the swap
    uint32_t rgb;    // 0xRRGGBB of the probe pixel
    uint32_t pad;
};

// The layout of the game's `lantern_requested_geometry` (graphics/renderer.h),
// which the probe finds by name in the program it is preloaded into.
struct FrameProbeRequested {
    int64_t quads;
    double pixels;
    int64_t sizeClass[kSizeClasses];
    int32_t counting;  // the probe sets it: the game counts nothing until then
};

struct FrameProbeReport {
    std::atomic<uint32_t> magic;
    std::atomic<int32_t> pid;
    // Frames: one per glfwSwapBuffers (or SDL_RenderPresent).
    std::atomic<int64_t> swaps;
    std::atomic<int64_t> firstSwapNs;
    std::atomic<int64_t> lastSwapNs;
    std::atomic<int64_t> maxGapNs;    // longest time between two swaps since the reader last cleared it
    std::atomic<int64_t> lateFrames;  // gaps longer than 25 ms (one and a half 60 Hz frames)
    // Heap requests (malloc, calloc, realloc, operator new): in every thread,
    // on the main thread, and made directly by the program's own executable
    // (its code, not a shared library it calls).
    std::atomic<int64_t> allocsAll;
    std::atomic<int64_t> allocsMain;
    std::atomic<int64_t> allocsOwn;
    // Geometry sent to OpenGL: draw calls, filled triangles, and the window
    // pixels those triangles cover (summed, so overdraw counts each time).
    std::atomic<int64_t> drawCalls;
    std::atomic<int64_t> triangles;
    std::atomic<int64_t> coveredPixels;
    // Filled triangles by size: class k counts those whose area is that of a
    // square of side 2^k to 2^(k+1) pixels cut in half (so a sprite's two
    // triangles fall into the class of its side).
    std::atomic<int64_t> sizeClass[kSizeClasses];
    // What the game asked to draw, before its renderer left out what does not
    // show (see FrameProbeRequested): copied at every swap; zero in programs
    // that do not export it.
    std::atomic<int64_t> requestedQuads;
    std::atomic<int64_t> requestedPixels;
    std::atomic<int64_t> requestedSizeClass[kSizeClasses];
    // The probe pixel log (see the file comment).
    std::atomic<int32_t> probeCount;
    FrameProbeSample probe[kProbeLogSize];
};

#endif
