// tools/frame_probe/frame_probe.cpp - counts frames, heap requests and
// geometry of a program it is preloaded into (see frame_probe.h).
//
// Wraps glfwSwapBuffers and SDL_RenderPresent, the OpenGL draw calls and
// glVertexPointer (found with dlsym(RTLD_NEXT)), and malloc, calloc, realloc and the plain operator
// new (handed straight to glibc's allocator, as tools/alloc_count does).
// Everything it adds per call is a few atomic additions, so the program's
// own CPU time stays what it was, apart from the probe pixel, which is only
// read when asked for.
#include "frame_probe.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>

#ifndef GL_ARRAY_BUFFER_BINDING
#define GL_ARRAY_BUFFER_BINDING 0x8894
#endif

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
}

namespace {

FrameProbeReport* report;  // null until the constructor mapped the file
pthread_t mainThread;
uintptr_t ownBegin, ownEnd;  // the executable's code, for telling its own heap requests apart

int64_t now_ns() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// ---------------------------------------------------------------------------
// Set-up
// ---------------------------------------------------------------------------

// The first object dl_iterate_phdr lists is the executable itself.
int find_executable(dl_phdr_info* info, size_t, void*) {
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD || !(ph.p_flags & PF_X)) continue;
        uintptr_t begin = info->dlpi_addr + ph.p_vaddr;
        if (!ownBegin || begin < ownBegin) ownBegin = begin;
        ownEnd = std::max<uintptr_t>(ownEnd, begin + ph.p_memsz);
    }
    return 1;
}

int probeX = -1, probeY = -1;  // window pixel read before each swap, or -1
long traceFrom = -1, traceTo = -1;  // frames whose own heap requests are traced
thread_local bool tracing __attribute__((tls_model("initial-exec")));  // inside a trace (backtrace may allocate)

__attribute__((constructor)) void start_probe() {
    const char* path = std::getenv("FRAME_PROBE_FILE");
    if (!path) return;
    mainThread = pthread_self();
    dl_iterate_phdr(find_executable, nullptr);
    if (const char* pixel = std::getenv("FRAME_PROBE_PIXEL")) std::sscanf(pixel, "%d,%d", &probeX, &probeY);
    if (const char* trace = std::getenv("FRAME_PROBE_TRACE")) {
        long count = 1;
        std::sscanf(trace, "%ld,%ld", &traceFrom, &count);
        traceTo = traceFrom + count;
    }
    int fd = open(path, O_RDWR);
    if (fd < 0) return;
    void* map = mmap(nullptr, sizeof(FrameProbeReport), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (map == MAP_FAILED) return;
    report = static_cast<FrameProbeReport*>(map);
    report->pid = static_cast<int32_t>(getpid());
    report->magic = kFrameProbeMagic;
}

// ---------------------------------------------------------------------------
// Heap requests
// ---------------------------------------------------------------------------

// Prints where a heap request came from (addresses resolve with addr2line).
void trace_request(size_t size) {
    tracing = true;
    char line[64];
    int n = std::snprintf(line, sizeof line, "frame_probe: %zu bytes requested at\n", size);
    if (write(2, line, static_cast<size_t>(n)) < 0) {}
    void* frames[16];
    backtrace_symbols_fd(frames, backtrace(frames, 16), 2);
    tracing = false;
}

inline void note_alloc(void* caller, size_t size) {
    if (!report) return;
    report->allocsAll.fetch_add(1, std::memory_order_relaxed);
    uintptr_t c = reinterpret_cast<uintptr_t>(caller);
    bool own = c >= ownBegin && c < ownEnd, main = pthread_equal(pthread_self(), mainThread);
    if (own) report->allocsOwn.fetch_add(1, std::memory_order_relaxed);
    if (main) report->allocsMain.fetch_add(1, std::memory_order_relaxed);
    int64_t frame = report->swaps.load(std::memory_order_relaxed);
    if (own && frame >= traceFrom && frame < traceTo && !tracing) trace_request(size);
}

void* new_block(size_t size) {
    void* p = __libc_malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}

// ---------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------

struct VertexArray {
    const unsigned char* data = nullptr;  // null when positions are not client-side floats
    int stride = 0;                       // bytes
};
VertexArray positions;

struct Point {
    float x, y;
};

Point vertex(int i) {
    const float* f = reinterpret_cast<const float*>(positions.data + static_cast<size_t>(i) * positions.stride);
    return {f[0], f[1]};
}

// Window pixels one triangle covers: its area, scaled by the share of its
// bounding box that lies inside the viewport (exact for the axis-aligned
// sprites that make up most frames).
double covered(Point a, Point b, Point c, double w, double h) {
    double area = std::fabs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) / 2;
    double x0 = std::min({a.x, b.x, c.x}), x1 = std::max({a.x, b.x, c.x});
    double y0 = std::min({a.y, b.y, c.y}), y1 = std::max({a.y, b.y, c.y});
    double box = (x1 - x0) * (y1 - y0);
    if (box <= 0) return 0;
    double inside = std::max(0.0, std::min(x1, w) - std::max(x0, 0.0)) *
                    std::max(0.0, std::min(y1, h) - std::max(y0, 0.0));
    return area * inside / box;
}

// Counts the triangles of one draw call; `index(i)` gives its i-th vertex.
template <class Index>
void count_triangles(GLenum mode, int count, Index index) {
    int triangles = 0;
    if (mode == GL_TRIANGLES) triangles = count / 3;
    else if (mode == GL_TRIANGLE_FAN || mode == GL_TRIANGLE_STRIP) triangles = std::max(0, count - 2);
    report->drawCalls.fetch_add(1, std::memory_order_relaxed);
    if (!triangles) return;
    report->triangles.fetch_add(triangles, std::memory_order_relaxed);
    if (!positions.data) return;
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    double pixels = 0;
    for (int t = 0; t < triangles; ++t) {
        int a = mode == GL_TRIANGLES ? 3 * t : mode == GL_TRIANGLE_FAN ? 0 : t;
        int b = mode == GL_TRIANGLES ? 3 * t + 1 : t + 1;
        int c = mode == GL_TRIANGLES ? 3 * t + 2 : t + 2;
        double area = covered(vertex(index(a)), vertex(index(b)), vertex(index(c)), view[2], view[3]);
        pixels += area;
        int k = area < 0.5 ? 0 : std::min(kSizeClasses - 1, static_cast<int>(std::log2(2 * area) / 2));
        report->sizeClass[k].fetch_add(1, std::memory_order_relaxed);
    }
    report->coveredPixels.fetch_add(static_cast<int64_t>(pixels), std::memory_order_relaxed);
}

template <class F>
F next_function(F, const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// ---------------------------------------------------------------------------
// Frames
// ---------------------------------------------------------------------------

uint32_t read_probe_pixel(GLFWwindow* window) {
    using SizeFn = void (*)(GLFWwindow*, int*, int*);
    static SizeFn size = reinterpret_cast<SizeFn>(dlsym(RTLD_DEFAULT, "glfwGetFramebufferSize"));
    int w = 0, h = 0;
    if (size) size(window, &w, &h);
    if (probeX >= w || probeY >= h) return 0;
    unsigned char rgba[4] = {0, 0, 0, 0};
    glReadPixels(probeX, h - 1 - probeY, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return static_cast<uint32_t>(rgba[0]) << 16 | rgba[1] << 8 | rgba[2];
}

void note_frame(GLFWwindow* window) {
    static FrameProbeRequested* requested =
        static_cast<FrameProbeRequested*>(dlsym(RTLD_DEFAULT, "lantern_requested_geometry"));
    if (requested) {
        requested->counting = 1;
        report->requestedQuads.store(requested->quads, std::memory_order_relaxed);
        report->requestedPixels.store(static_cast<int64_t>(requested->pixels), std::memory_order_relaxed);
        for (int k = 0; k < kSizeClasses; ++k)
            report->requestedSizeClass[k].store(requested->sizeClass[k], std::memory_order_relaxed);
    }
    int64_t t = now_ns();
    int64_t frames = report->swaps.load(std::memory_order_relaxed);
    if (frames == 0) {
        report->firstSwapNs = t;
    } else {
        int64_t gap = t - report->lastSwapNs.load(std::memory_order_relaxed);
        if (gap > report->maxGapNs.load(std::memory_order_relaxed)) report->maxGapNs = gap;
        if (gap > 25000000) report->lateFrames.fetch_add(1, std::memory_order_relaxed);
    }
    report->lastSwapNs = t;
    int32_t logged = report->probeCount.load(std::memory_order_relaxed);
    if (window && probeX >= 0 && logged < kProbeLogSize) {
        report->probe[logged].timeNs = t;
        report->probe[logged].rgb = read_probe_pixel(window);
        report->probeCount.store(logged + 1, std::memory_order_release);
    }
    report->swaps.store(frames + 1, std::memory_order_release);
}

}  // namespace

// ---------------------------------------------------------------------------
// The wrapped entry points
// ---------------------------------------------------------------------------

extern "C" {

void* malloc(size_t size) {
    note_alloc(__builtin_return_address(0), size);
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    note_alloc(__builtin_return_address(0), count * size);
    return __libc_calloc(count, size);
}

void* realloc(void* p, size_t size) {
    note_alloc(__builtin_return_address(0), size);
    return __libc_realloc(p, size);
}

void glfwSwapBuffers(GLFWwindow* window) {
    static auto real = next_function(&glfwSwapBuffers, "glfwSwapBuffers");
    if (report) note_frame(window);
    real(window);
}

// SDL2's renderer swaps through a GL function it looked up itself: its frames
// are counted where it presents them (there is no probe pixel for them).
struct SDL_Renderer;
void SDL_RenderPresent(SDL_Renderer* renderer) {
    using Present = void (*)(SDL_Renderer*);
    static auto real = reinterpret_cast<Present>(dlsym(RTLD_NEXT, "SDL_RenderPresent"));
    if (report) note_frame(nullptr);
    if (real) real(renderer);
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    static auto real = next_function(&glVertexPointer, "glVertexPointer");
    GLint buffer = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
    bool clientFloats = type == GL_FLOAT && size >= 2 && buffer == 0;
    positions.data = clientFloats ? static_cast<const unsigned char*>(pointer) : nullptr;
    positions.stride = stride ? stride : size * static_cast<int>(sizeof(float));
    real(size, type, stride, pointer);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    static auto real = next_function(&glDrawArrays, "glDrawArrays");
    if (report) count_triangles(mode, count, [first](int i) { return first + i; });
    real(mode, first, count);
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    static auto real = next_function(&glDrawElements, "glDrawElements");
    if (report) {
        GLint buffer = 0;
        glGetIntegerv(0x8895 /* GL_ELEMENT_ARRAY_BUFFER_BINDING */, &buffer);
        const void* list = buffer ? nullptr : indices;
        if (!list) count_triangles(mode, 0, [](int i) { return i; });
        else if (type == GL_UNSIGNED_SHORT)
            count_triangles(mode, count, [list](int i) { return static_cast<const uint16_t*>(list)[i]; });
        else if (type == GL_UNSIGNED_INT)
            count_triangles(mode, count, [list](int i) { return static_cast<int>(static_cast<const uint32_t*>(list)[i]); });
        else
            count_triangles(mode, count, [list](int i) { return static_cast<const uint8_t*>(list)[i]; });
    }
    real(mode, count, type, indices);
}

}  // extern "C"

void* operator new(size_t size) {
    note_alloc(__builtin_return_address(0), size);
    return new_block(size);
}

void* operator new[](size_t size) {
    note_alloc(__builtin_return_address(0), size);
    return new_block(size);
}
