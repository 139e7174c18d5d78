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
#include <cstdlib>
#include <iterator>
#include <vector>

namespace {

const int kWidth = 640, kHeight = 480;  // window, pixels
const int kTextureSize = 512;           // pixels, square
// Texels per window pixel along each side. In a 640 x 480 window the game
// draws its double-resolution art ("-hd") at half size, so each pixel it
// fills samples from twice as far across its textures; the reference
// samples the same way, since under software GL that sampling is much of
// the cost of a pixel.
const float kTexelsPerPixel = 2;
const double kFrameSeconds = 1.0 / 60;

// Sizes relative to the base side, and how often each occurs.
struct SizeClass {
    float side;
    float share;
};
const SizeClass kDefaultMix[] = {{0.25f, 0.30f}, {1, 0.50f}, {2, 0.15f}, {4, 0.05f}};

// The mix from a MIX argument: class k at the middle of its sides, sqrt(2) x 2^k.
std::vector<SizeClass> parse_mix(const char* text) {
    std::vector<SizeClass> mix;
    double total = 0;
    float side = std::sqrt(2.0f);
    for (const char* p = text; *p; side *= 2) {
        char* end = nullptr;
        double n = std::strtod(p, &end);
        if (end == p || n < 0 || (*end && *end != ',')) return {};
        mix.push_back({side, static_cast<float>(n)});
        total += n;
        p = *end == ',' ? end + 1 : end;
    }
    if (total <= 0) return {};
    for (SizeClass& c : mix) c.share = static_cast<float>(c.share / total);
    return mix;
}

struct Vertex {  // as the renderer's batch holds them
    float x, y;
    float u, v;
    uint32_t color;  // ABGR bytes, premultiplied
};

struct Quad {
    float x, y, side;  // home position and size, pixels
    float u, v, uvSide;  // texture area, 0..1
};

uint32_t next_random(uint32_t* state) {
    *state = *state * 1664525u + 1013904223u;
    return *state >> 8;
}

float unit(uint32_t* state) { return static_cast<float>(next_random(state) & 0xffff) / 65536.0f; }

// Quads in the mix, scaled so that together they cover `pixels`.
std::vector<Quad> make_quads(int count, double pixels, const std::vector<SizeClass>& mix) {
    double meanArea = 0;
    for (const SizeClass& c : mix) meanArea += c.share * c.side * c.side;
    float base = static_cast<float>(std::sqrt(pixels / count / meanArea));
    std::vector<Quad> quads;
    uint32_t seed = 12345;
    for (int i = 0; i < count; ++i) {
        float pick = (i + 0.5f) / count, side = mix[0].side;
        for (const SizeClass& c : mix) {
            side = c.side;
            if ((pick -= c.share) < 0) break;
        }
        Quad q;
        q.side = side * base;
        q.x = unit(&seed) * (kWidth - q.side);
        q.y = unit(&seed) * (kHeight - q.side);
        q.uvSide = std::fmin(1.0f, kTexelsPerPixel * q.side / kTextureSize);
        q.u = unit(&seed) * (1 - q.uvSide);
        q.v = unit(&seed) * (1 - q.uvSide);
        quads.push_back(q);
    }
    return quads;
}

// A texture with opaque, see-through and soft-edged parts, premultiplied.
GLuint make_texture() {
    std::vector<uint32_t> pixels(kTextureSize * kTextureSize);
    for (int y = 0; y < kTextureSize; ++y) {
        for (int x = 0; x < kTextureSize; ++x) {
            int dx = x % 32 - 16, dy = y % 32 - 16;
            uint32_t a = static_cast<uint32_t>(std::fmax(0.0, 255 - (dx * dx + dy * dy) * 255.0 / 256));
            uint32_t r = (x * a / kTextureSize) & 0xff, g = (y * a / kTextureSize) & 0xff, b = a / 2;
            pixels[y * kTextureSize + x] = a << 24 | b << 16 | g << 8 | r;
        }
    }
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
            float x = std::fmod(q.x + offsetX + kWidth, static_cast<float>(kWidth));
            float y = std::fmod(q.y + offsetY + kHeight, static_cast<float>(kHeight));
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
    int quads = argc > 1 ? std::atoi(argv[1]) : 0;
    double pixels = argc > 2 ? std::atof(argv[2]) : 0;
    double seconds = argc > 3 ? std::atof(argv[3]) : 0;
    // One draw call of 16-bit indices.
    int x = argc >= 6 ? std::atoi(argv[4]) : 0, y = argc >= 6 ? std::atoi(argv[5]) : 0;
    std::vector<SizeClass> mix(std::begin(kDefaultMix), std::end(kDefaultMix));
    if (argc == 7) mix = parse_mix(argv[6]);
    if ((argc != 4 && argc != 6 && argc != 7) || quads < 1 || quads > 16384 || pixels <= 0 || seconds < 0 ||
        mix.empty()) {
        std::fprintf(stderr,
                     "usage: bench_reference QUADS(1..16384) PIXELS(>0) SECONDS(0 = until closed) [X Y [MIX]]\n");
        return 2;
    }
    if (!glfwInit()) {
        std::fprintf(stderr, "bench_reference: glfwInit failed (no display?)\n");
        return 1;
    }
    GLFWwindow* window = open_window(x, y);
    if (!window) {
        std::fprintf(stderr, "bench_reference: could not open a window with an OpenGL context\n");
        glfwTerminate();
        return 1;
    }
    Scene scene(quads, pixels, mix);

    // The schedule of the game's host: sleep until the next frame is due,
    // waking early for window events; after a long stall start afresh.
    double start = glfwGetTime(), next = start;
    int frame = 0;
    while (!glfwWindowShouldClose(window) && (seconds == 0 || glfwGetTime() - start < seconds)) {
        glfwPollEvents();
        double wait = next - glfwGetTime();
        if (wait > 0) {
            glfwWaitEventsTimeout(wait);
            continue;
        }
        next += kFrameSeconds;
        if (glfwGetTime() - next > 4 * kFrameSeconds) next = glfwGetTime();
        ++frame;
        scene.Draw(std::sin(frame * 0.01f) * 200, frame * 0.5f);
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
