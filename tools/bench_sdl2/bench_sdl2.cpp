// tools/bench_sdl2/bench_sdl2.cpp - the same load as bench_reference, drawn
// the way an SDL2 game draws it: SDL2's 2D renderer, one SDL_RenderCopyF per
// quad, which SDL batches itself.
//
//   bench_sdl2 QUADS PIXELS SECONDS [X Y [MIX]]
//
// The arguments, the quads (sizes, texture areas, scrolling) and the 60 Hz
// schedule that sleeps between frames are bench_reference's (quad_scene.h).
// The renderer is SDL's OpenGL one, the one it picks on an X11 desktop, without
// vertical sync (the game and the reference have none either); the texture is
// sampled nearest and blended premultiplied, as the game's are, so the window
// shows the same pixels as the reference's.
#include <SDL.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "quad_scene.h"

using namespace quad_scene;

namespace {

double now_s() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

void sleep_s(double s) {
    timespec ts{static_cast<time_t>(s), static_cast<long>((s - static_cast<time_t>(s)) * 1e9)};
    nanosleep(&ts, nullptr);
}

SDL_Texture* make_texture(SDL_Renderer* renderer) {
    std::vector<uint32_t> pixels = texture_pixels();
    // RGBA bytes in memory, premultiplied.
    SDL_Texture* texture =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, kTextureSize, kTextureSize);
    if (!texture) return nullptr;
    SDL_UpdateTexture(texture, nullptr, pixels.data(), kTextureSize * 4);
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    SDL_BlendMode premultiplied =
        SDL_ComposeCustomBlendMode(SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD,
                                   SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD);
    SDL_SetTextureBlendMode(texture, premultiplied);
    return texture;
}

void draw(SDL_Renderer* renderer, SDL_Texture* texture, const std::vector<Quad>& quads, int frame) {
    SDL_SetRenderDrawColor(renderer, 26, 26, 51, 255);
    SDL_RenderClear(renderer);
    for (const Quad& q : quads) {
        float x, y;
        place(q, offset_x(frame), offset_y(frame), &x, &y);
        SDL_Rect src{static_cast<int>(q.u * kTextureSize), static_cast<int>(q.v * kTextureSize),
                     static_cast<int>(q.uvSide * kTextureSize), static_cast<int>(q.uvSide * kTextureSize)};
        SDL_FRect dst{x, y, q.side, q.side};
        SDL_RenderCopyF(renderer, texture, &src, &dst);
    }
    SDL_RenderPresent(renderer);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse_options(argc, argv, "bench_sdl2", &o)) return 2;
    // Beside the game, which must keep the input focus to keep playing.
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bench_sdl2: SDL_Init failed: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Lantern frame peer (SDL2)", o.x, o.y, kWidth, kHeight, SDL_WINDOW_HIDDEN);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    SDL_Texture* texture = renderer ? make_texture(renderer) : nullptr;
    if (!texture) {
        std::fprintf(stderr, "bench_sdl2: no window, renderer or texture: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_ShowWindow(window);
    std::vector<Quad> quads = make_quads(o.quads, o.pixels, o.mix);

    // The reference's schedule: sleep until the next frame is due; after a
    // long stall start afresh.
    double start = now_s(), next = start;
    int frame = 0;
    bool open = true;
    while (open && (o.seconds == 0 || now_s() - start < o.seconds)) {
        SDL_Event e;
        while (SDL_PollEvent(&e))
            if (e.type == SDL_QUIT) open = false;
        double wait = next - now_s();
        if (wait > 0) {
            sleep_s(wait);
            continue;
        }
        next += kFrameSeconds;
        if (now_s() - next > 4 * kFrameSeconds) next = now_s();
        draw(renderer, texture, quads, ++frame);
    }
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
