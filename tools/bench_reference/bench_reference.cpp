// tools/bench_reference/bench_reference.cpp - the least a game with our load
// could do: the yardstick tools/bench.sh holds the game's CPU time against.
//
//   bench_reference QUADS PIXELS SECONDS [X Y [MIX]]
//
// Opens a 640 x 480 window as the game's host does (same GLFW hints, no swap
// interval) and, on a fixed 60 Hz schedule that sleeps between frames, clears
// it and draws QUADS textured quads from one texture in one draw call,
// covering about PIXELS window pixels in all (overdraw included), through
// client vertex arrays laid out like the game's renderer's. The quads come in
// a mix of sizes like a game frame's and scroll every frame, so their
// vertices are rewritten each time as a game's would be. Ends after SECONDS
// (0: when the window closes). X Y place the window (desktop pixels), so that
// it can stand beside the game's without covering it. MIX gives the share of
// quads of each side class, "n0,n1,...": class k holds sides of 2^k to
// 2^(k+1) pixels (what the frame probe counts in a running game); without it
// the mix is many tiles, some sprites, a few panels and small sparks.
#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "quad_scene.h"

using namespace quad_scene;

namespace {

struct Vertex {  // as the renderer's batch holds them
    float x, y;
    float u, v;
    uint32_t color;  // ABGR bytes, premultiplied
};

// A texture with opaque, see-through and soft-edged parts, premultiplied.
GLuint make_texture() {
    std::vector<uint32_t> pixels = texture_pixels();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kTextureSize, kTextureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    return texture;
}

GLFWwindow* open_window(int x, int y) {
    glfwWindowHint(GLFW_RED_BITS, 8);
    glfwWindowHint(GLFW_GREEN_BITS, 8);
    glfwWindowHint(GLFW_BLUE_BITS, 8);
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    glfwWindowHint(GLFW_DEPTH_BITS, 0);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    // Runs beside the game, which must keep the input focus to keep playing.
    glfwWindowHint(GLFW_FOCUS_ON_SHOW, GLFW_FALSE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(kWidth, kHeight, "Lantern frame reference", nullptr, nullptr);
    if (!window) return nullptr;
    glfwSetWindowPos(window, x, y);
    glfwShowWindow(window);
    glfwMakeContextCurrent(window);
    return window;
}

class Scene {
public:
    Scene(int quads, double pixels, const std::vector<SizeClass>& mix)
        : quads_(make_quads(quads, pixels, mix)), vertices_(quads_.size() * 4) {
        for (size_t q = 0; q < quads_.size(); ++q) {
            const uint16_t base = static_cast<uint16_t>(q * 4);
            for (uint16_t k : {0, 1, 2, 0, 2, 3}) indices_.push_back(static_cast<uint16_t>(base + k));
        }
        texture_ = make_texture();
    }

    // One frame: the quads scroll by `offset` pixels and wrap round the window.
    void Draw(float offsetX, float offsetY) {
        int w = 0, h = 0;
        glfwGetFramebufferSize(glfwGetCurrentContext(), &w, &h);
        glViewport(0, 0, w, h);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        if (w > 0 && h > 0) glOrtho(0, w, h, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0.1f, 0.1f, 0.2f, 1);
        glClear(GL_COLOR_BUFFER_BIT);

        Vertex* v = vertices_.data();
        for (const Quad& q : quads_) {
            float x, y;
            place(q, offsetX, offsetY, &x, &y);
            float x1 = x + q.side, y1 = y + q.side, u1 = q.u + q.uvSide, v1 = q.v + q.uvSide;
            *v++ = {x, y, q.u, q.v, 0xffffffff};
            *v++ = {x1, y, u1, q.v, 0xffffffff};
            *v++ = {x1, y1, u1, v1, 0xffffffff};
            *v++ = {x, y1, q.u, v1, 0xffffffff};
        }
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &vertices_[0].x);
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &vertices_[0].u);
        glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), &vertices_[0].color);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture_);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices_.size()), GL_UNSIGNED_SHORT, indices_.data());
        glDisable(GL_TEXTURE_2D);
        glfwSwapBuffers(glfwGetCurrentContext());
    }

private:
    std::vector<Quad> quads_;
    std::vector<Vertex> vertices_;
    std::vector<uint16_t> indices_;
    GLuint texture_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse_options(argc, argv, "bench_reference", &o)) return 2;
    if (!glfwInit()) {
        std::fprintf(stderr, "bench_reference: glfwInit failed (no display?)\n");
        return 1;
    }
    GLFWwindow* window = open_window(o.x, o.y);
    if (!window) {
        std::fprintf(stderr, "bench_reference: could not open a window with an OpenGL context\n");
        glfwTerminate();
        return 1;
    }
    Scene scene(o.quads, o.pixels, o.mix);

    // The schedule of the game's host: sleep until the next frame is due,
    // waking early for window events; after a long stall start afresh.
    double start = glfwGetTime(), next = start;
    int frame = 0;
    while (!glfwWindowShouldClose(window) && (o.seconds == 0 || glfwGetTime() - start < o.seconds)) {
        glfwPollEvents();
        double wait = next - glfwGetTime();
        if (wait > 0) {
            glfwWaitEventsTimeout(wait);
            continue;
        }
        next += kFrameSeconds;
        if (glfwGetTime() - next > 4 * kFrameSeconds) next = glfwGetTime();
        ++frame;
        scene.Draw(offset_x(frame), offset_y(frame));
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
