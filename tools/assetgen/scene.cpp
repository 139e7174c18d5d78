// tools/assetgen/scene.cpp - the review scene.
#include "scene.h"

#include <cmath>

#include "sheet.h"

namespace assetgen {

namespace {

// Nearest-neighbour draw of one frame with its handle at the centre, as the
// game's renderer does with GL_NEAREST textures.
void Blit(Canvas& dst, const Canvas& src, int fx, int fy, int fw, int fh, float cx, float cy, float kx, float ky, float alpha) {
    float w = fw * std::fabs(kx), h = fh * std::fabs(ky);
    int x0 = static_cast<int>(std::floor(cx - w / 2)), x1 = static_cast<int>(std::ceil(cx + w / 2));
    int y0 = static_cast<int>(std::floor(cy - h / 2)), y1 = static_cast<int>(std::ceil(cy + h / 2));
    for (int y = std::max(0, y0); y < std::min(dst.Height(), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(dst.Width(), x1); ++x) {
            float u = (x + 0.5f - cx) / kx + fw / 2.0f, v = (y + 0.5f - cy) / ky + fh / 2.0f;
            int sx = static_cast<int>(std::floor(u)), sy = static_cast<int>(std::floor(v));
            if (sx < 0 || sy < 0 || sx >= fw || sy >= fh) continue;
            const float* s = src.At(fx + sx, fy + sy);
            float* d = dst.At(x, y);
            float a = s[3] * alpha, k = 1 - a;
            for (int c = 0; c < 3; ++c) d[c] = s[c] * alpha + d[c] * k;
            d[3] = a + d[3] * k;
        }
}

}  // namespace

Scene BuildTestScene() {
    Scene s;
    s.cols = 20;
    s.rows = 11;
    s.cells.assign(s.cols * s.rows, 0);
    auto set = [&s](int x, int y, int v) { s.cells[y * s.cols + x] = v; };
    for (int y = 0; y < s.rows; ++y) set(0, y, 3);
    for (int y : {2, 6, 10})
        for (int x = 0; x < s.cols; ++x) set(x, y, x == 0 ? 11 : 8);
    // Gap in the middle floor, stairs rising right from (4, 6) to the top
    // floor and rising left from (16, 10) to the middle floor.
    for (int x = 9; x <= 11; ++x) set(x, 6, 0);
    set(4, 6, 9);
    set(5, 5, 1);
    set(6, 4, 1);
    set(7, 3, 1);
    set(16, 10, 10);
    set(15, 9, 2);
    set(14, 8, 2);
    set(13, 7, 2);
    auto put = [&s](int frame, float cx, float cy, float size, float alpha = 1, float sizeX = 0) {
        s.pieces.push_back({frame, cx * 24, cy * 24, sizeX != 0 ? sizeX : size, size, alpha});
    };
    put(16, 2, 2, 2);         // ready beacon
    put(19, 15, 2, 2);        // active beacon
    put(13, 12, 10, 2);       // spent beacon
    put(21, 7, 10, 2);        // prize
    put(11, 11, 1.9f, 2);     // charge
    put(11, 17.5f, 5.9f, 2, 1, 1.2f);  // charge mid-spin
    put(9, 4, 10, 2);         // sparkle
    put(41, 9, 4.6f, 2, 0.8f);   // hunting wisp
    put(44, 17, 8.2f, 2, 0.8f);  // sleeping wisp
    put(46, 12, 4.5f, 2, 0.8f);  // waking wisp
    put(0, 2, 6, 1.5f);       // hero standing
    put(2, 8, 10, 1.5f);      // hero walking
    put(1, 6.3f, 3.7f, 1.5f); // hero on the stairs
    put(4, 2.5f, 10, 1.5f);   // hero dazed
    s.pieces.push_back({3, 14.6f * 24, 8.4f * 24, -1.5f, 1.5f, 1});  // walking left down the stairs
    return s;
}

Canvas RenderScene(const Scene& scene, int artScale, int outScale) {
    ImageAsset gfx = GfxSheet(), menu = MenuSheet();
    Canvas art = RenderImage(gfx, artScale);
    Canvas back = RenderImage(menu, artScale);
    Canvas out(scene.Width() * outScale, scene.Height() * outScale);
    const int tile = 256 * artScale;
    float k = static_cast<float>(outScale) / artScale;
    for (float y = 128; y < scene.Height() + 256; y += 256)
        for (float x = 128; x < scene.Width() + 256; x += 256)
            Blit(out, back, 0, 0, tile, tile, x * outScale, y * outScale, k, k, 1);
    const int fs = 32 * artScale;
    auto draw = [&](int frame, float x, float y, float sx, float sy, float alpha) {
        Blit(out, art, (frame % 8) * fs, (frame / 8) * fs, fs, fs, (x + 24) * outScale, (y + 24) * outScale, sx * k, sy * k, alpha);
    };
    for (int y = 0; y < scene.rows; ++y)
        for (int x = 0; x < scene.cols; ++x) {
            int v = scene.cells[y * scene.cols + x];
            if (v > 0) draw(v + 24, x * 24.0f, y * 24.0f, 1.5f, 1.5f, 1);
        }
    for (const ScenePiece& p : scene.pieces) draw(p.frame, p.x, p.y, p.sizeX, p.sizeY, p.alpha);
    return out;
}

}  // namespace assetgen
