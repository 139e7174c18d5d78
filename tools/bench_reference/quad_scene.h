// tools/bench_reference/quad_scene.h - the load the yardsticks of
// tools/bench.sh draw: textured quads in a mix of sizes like a game frame's,
// from one texture, scrolling every frame. Shared by bench_reference (OpenGL
// as the game's renderer uses it) and bench_sdl2 (SDL2's 2D renderer), so
// that both draw the same quads, sizes and pixels.
//
// Their command line: QUADS PIXELS SECONDS [X Y [MIX]]; see bench_reference.cpp.
#ifndef LANTERN_TOOLS_BENCH_REFERENCE_QUAD_SCENE_H
#define LANTERN_TOOLS_BENCH_REFERENCE_QUAD_SCENE_H

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace quad_scene {

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
inline std::vector<SizeClass> parse_mix(const char* text) {
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

struct Quad {
    float x, y, side;  // home position and size, pixels
    float u, v, uvSide;  // texture area, 0..1
};

inline uint32_t next_random(uint32_t* state) {
    *state = *state * 1664525u + 1013904223u;
    return *state >> 8;
}

inline float unit(uint32_t* state) { return static_cast<float>(next_random(state) & 0xffff) / 65536.0f; }

// Quads in the mix, scaled so that together they cover `pixels`.
inline std::vector<Quad> make_quads(int count, double pixels, const std::vector<SizeClass>& mix) {
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

// The texture's pixels as RGBA bytes in memory (0xAABBGGRR), premultiplied:
// opaque, see-through and soft-edged parts.
inline std::vector<uint32_t> texture_pixels() {
    std::vector<uint32_t> pixels(kTextureSize * kTextureSize);
    for (int y = 0; y < kTextureSize; ++y) {
        for (int x = 0; x < kTextureSize; ++x) {
            int dx = x % 32 - 16, dy = y % 32 - 16;
            uint32_t a = static_cast<uint32_t>(std::fmax(0.0, 255 - (dx * dx + dy * dy) * 255.0 / 256));
            uint32_t r = (x * a / kTextureSize) & 0xff, g = (y * a / kTextureSize) & 0xff, b = a / 2;
            pixels[y * kTextureSize + x] = a << 24 | b << 16 | g << 8 | r;
        }
    }
    return pixels;
}

// Where quad q is in a frame scrolled by (offsetX, offsetY): it wraps round the window.
inline void place(const Quad& q, float offsetX, float offsetY, float* x, float* y) {
    *x = std::fmod(q.x + offsetX + kWidth, static_cast<float>(kWidth));
    *y = std::fmod(q.y + offsetY + kHeight, static_cast<float>(kHeight));
}

// How far frame n is scrolled.
inline float offset_x(int frame) { return std::sin(frame * 0.01f) * 200; }
inline float offset_y(int frame) { return frame * 0.5f; }

// The command line of a yardstick.
struct Options {
    int quads = 0;
    double pixels = 0, seconds = 0;
    int x = 0, y = 0;  // window position, desktop pixels
    std::vector<SizeClass> mix;
};

// Reads the command line; false (after a usage line) when it is wrong.
inline bool parse_options(int argc, char** argv, const char* program, Options* o) {
    o->quads = argc > 1 ? std::atoi(argv[1]) : 0;
    o->pixels = argc > 2 ? std::atof(argv[2]) : 0;
    o->seconds = argc > 3 ? std::atof(argv[3]) : 0;
    o->x = argc >= 6 ? std::atoi(argv[4]) : 0;
    o->y = argc >= 6 ? std::atoi(argv[5]) : 0;
    o->mix.assign(std::begin(kDefaultMix), std::end(kDefaultMix));
    if (argc == 7) o->mix = parse_mix(argv[6]);
    if ((argc != 4 && argc != 6 && argc != 7) || o->quads < 1 || o->quads > 16384 || o->pixels <= 0 ||
        o->seconds < 0 || o->mix.empty()) {
        std::fprintf(stderr, "usage: %s QUADS(1..16384) PIXELS(>0) SECONDS(0 = until closed) [X Y [MIX]]\n", program);
        return false;
    }
    return true;
}

}  // namespace quad_scene

#endif
