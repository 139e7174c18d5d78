// tools/assetgen/menu_sheet.cpp - "menu": frame 0 is the backdrop tiled
// behind the menu and the game (it scrolls, so it repeats seamlessly in both
// directions); frames 1-3 are decorations in the same style.
//
// The backdrop is the vault's back wall: big dim blocks of blue stone with
// roots hanging over them and a few glinting crystals. It stays dark and low
// in contrast so that the tiles and sprites in front of it read clearly.
#include <vector>

#include "palette.h"
#include "rng.h"
#include "sheet.h"
#include "sprite.h"
#include "symbols.h"

namespace assetgen {

namespace {

constexpr float kTile = 256;  // backdrop period, nominal pixels

// Smooth value noise with period kTile, on a lattice of `cell` nominal pixels.
float PeriodicNoise(Vec2 p, float cell, uint32_t seed) {
    int period = static_cast<int>(kTile / cell);
    float gx = p.x / cell, gy = p.y / cell;
    int x0 = static_cast<int>(std::floor(gx)), y0 = static_cast<int>(std::floor(gy));
    float fx = gx - x0, fy = gy - y0;
    auto at = [&](int x, int y) { return Hash01(((x % period) + period) % period, ((y % period) + period) % period, seed); };
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    return Lerp(Lerp(at(x0, y0), at(x0 + 1, y0), sx), Lerp(at(x0, y0 + 1), at(x0 + 1, y0 + 1), sx), sy);
}

// Draws `draw` at the nine wrapped positions, so shapes crossing the tile's
// edge come back on the other side.
template <typename F>
void Wrapped(F draw) {
    for (float dy : {-kTile, 0.0f, kTile})
        for (float dx : {-kTile, 0.0f, kTile}) draw(Vec2{dx, dy});
}

void DrawBackdrop(const View& v) {
    // Mortar first: the whole tile, then the blocks on top.
    Fill(v, Rect(0, 0, kTile, kTile), pal::kNight);
    Rng rng(42);
    const float courseH = 32, blockW = 64;
    for (int row = 0; row < 8; ++row) {
        float y = row * courseH;
        float shift = (row % 2) ? blockW / 2 : 0;
        for (int col = 0; col < 4; ++col) {
            float x = col * blockW + shift;
            float tone = rng.Range(-0.06f, 0.08f);
            Color face = Mix(pal::kNight, pal::kDusk, 0.7f + tone);
            Wrapped([&](Vec2 d) {
                Shape block = Rect(x + d.x + 1.2f, y + d.y + 1.2f, x + d.x + blockW - 1.2f, y + d.y + courseH - 1.2f, 3);
                Fill(v, block, [face](Vec2 p) {
                    float n = PeriodicNoise(p, 16, 3) * 0.6f + PeriodicNoise(p, 4, 5) * 0.4f;
                    return Mix(Darken(face, 0.18f), Lighten(face, 0.05f), n);
                });
                // A lit upper edge and a shadowed lower edge give the blocks depth.
                Fill(v, Intersect(block, Rect(x + d.x, y + d.y, x + d.x + blockW, y + d.y + 3.2f)), pal::kDuskLight, 0.22f);
                Fill(v, Intersect(block, Rect(x + d.x, y + d.y + courseH - 4.2f, x + d.x + blockW, y + d.y + courseH)), pal::kNight, 0.35f);
            });
        }
    }
    // Roots hanging from above, swaying, with a few leaves.
    for (int i = 0; i < 5; ++i) {
        float x0 = 20 + i * 51 + rng.Range(-8, 8), y0 = rng.Range(0, kTile);
        float len = rng.Range(50, 110), sway = rng.Range(-10, 10);
        Wrapped([&](Vec2 d) {
            std::vector<Shape> segs;
            Vec2 prev{x0 + d.x, y0 + d.y};
            for (int k = 1; k <= 12; ++k) {
                float t = k / 12.0f;
                Vec2 p{x0 + d.x + sway * std::sin(t * 3.0f) * t, y0 + d.y + len * t};
                segs.push_back(Capsule(prev, p, 1.6f * (1 - t * 0.6f)));
                prev = p;
            }
            Shape root = Union(segs);
            Fill(v, Offset(root, 0.8f), pal::kNight, 0.8f);
            Fill(v, root, Mix(pal::kLeafDark, pal::kDusk, 0.65f));
            for (int k = 2; k < 12; k += 3) {
                float t = k / 12.0f;
                Vec2 p{x0 + d.x + sway * std::sin(t * 3.0f) * t, y0 + d.y + len * t};
                float side = (k % 2) ? 1.0f : -1.0f;
                Shape leaf = RotateAbout(Ellipse(p + Vec2{side * 3.2f, 0}, 3.4f, 1.5f), p, side * 30);
                Fill(v, leaf, Mix(pal::kLeaf, pal::kDusk, 0.62f));
            }
        });
    }
    // Crystal glints: small and faint, like distant lights in the stone.
    for (int i = 0; i < 14; ++i) {
        Vec2 c{rng.Range(0, kTile), rng.Range(0, kTile)};
        float r = rng.Range(1.2f, 2.8f);
        Color col = (i % 3 == 0) ? pal::kTeal : (i % 3 == 1 ? pal::kSky : pal::kGold);
        Wrapped([&](Vec2 d) {
            Glow(v, c + d, r * 3, col.WithAlpha(0.25f), 2);
            Fill(v, Star(c + d, 4, r, r * 0.3f), col.WithAlpha(0.6f));
        });
    }
}

// Decoration: a great lantern with its light.
void DrawBigLantern(const View& v) {
    Glow(v, {128, 140}, 120, pal::kAmber.WithAlpha(0.45f), 1.6f);
    Shape s = LanternSymbol({128, 128}, 100);
    Fill(v, Offset(s, 4), pal::kInk);
    Fill(v, s, LinearGradient({60, 40}, pal::kGold, {200, 220}, pal::kBrassDark));
    Shape glass = Rect(96, 100, 160, 172, 10);
    Fill(v, glass, RadialGradient({128, 140}, 44, pal::kFlame, pal::kAmber));
    Fill(v, Rect(122, 100, 134, 172), pal::kBrass);
}

// Decoration: a bramble garland, a curling stem with leaves and berries.
void DrawGarland(const View& v) {
    std::vector<Shape> stem;
    Vec2 prev{8, 128};
    for (int k = 1; k <= 48; ++k) {
        float t = k / 48.0f;
        Vec2 p{8 + 240 * t, 128 + 40 * std::sin(t * kPi * 3)};
        stem.push_back(Capsule(prev, p, 3.5f));
        prev = p;
    }
    Shape st = Union(stem);
    Fill(v, Offset(st, 2), pal::kInk);
    Fill(v, st, pal::kLeafDark);
    for (int k = 0; k < 12; ++k) {
        float t = (k + 0.5f) / 12.0f;
        Vec2 p{8 + 240 * t, 128 + 40 * std::sin(t * kPi * 3)};
        float side = (k % 2) ? 1.0f : -1.0f;
        Shape leaf = RotateAbout(Ellipse(p + Vec2{0, side * 14}, 7, 13), p, side * 20);
        Fill(v, Offset(leaf, 2), pal::kInk);
        Fill(v, leaf, LinearGradient(p, pal::kLeafLight, p + Vec2{0, side * 26}, pal::kLeaf));
        if (k % 3 == 1) {
            Vec2 b = p + Vec2{10, -side * 12};
            for (Vec2 o : {Vec2{0, 0}, Vec2{5, 3}, Vec2{-1, 6}, Vec2{4, 8}}) {
                Fill(v, Circle(b + o, 4.2f), pal::kInk);
                Fill(v, Circle(b + o, 3.2f), RadialGradient(b + o + Vec2{-1, -1}, 4, pal::kBlush, pal::kBerryDark));
            }
        }
    }
}

// Decoration: the vault door, an arch with a keyhole.
void DrawVaultDoor(const View& v) {
    Shape arch = Union(Circle({128, 110}, 90), Rect(38, 110, 218, 240));
    Fill(v, Offset(arch, 4), pal::kInk);
    Fill(v, arch, LinearGradient({0, 20}, pal::kStone, {0, 240}, pal::kStoneDark));
    Shape door = Union(Circle({128, 116}, 72), Rect(56, 116, 200, 240));
    Fill(v, door, LinearGradient({0, 40}, pal::kBrass, {0, 240}, pal::kBrassDark));
    for (float x : {80.0f, 128.0f, 176.0f}) Fill(v, Intersect(door, Rect(x - 2, 0, x + 2, 256)), pal::kBrassDark);
    for (float y : {110.0f, 170.0f, 220.0f}) Fill(v, Intersect(door, Rect(0, y - 3, 256, y + 3)), pal::kBrassDark);
    Fill(v, Circle({128, 150}, 18), pal::kGold);
    Shape hole = Union(Circle({128, 146}, 6), Polygon({{124, 148}, {132, 148}, {134, 162}, {122, 162}}));
    Fill(v, hole, pal::kInk);
    Glow(v, {128, 150}, 40, pal::kAmber.WithAlpha(0.3f), 2);
}

void DrawMenuFrame(const View& v, int frame) {
    switch (frame) {
        case 0: DrawBackdrop(v); break;
        case 1: DrawBigLantern(v); break;
        case 2: DrawGarland(v); break;
        default: DrawVaultDoor(v); break;
    }
}

}  // namespace

ImageAsset MenuSheet() {
    ImageAsset a;
    a.name = "menu";
    a.frameW = a.frameH = 256;
    a.frames = 4;
    a.columns = 2;
    a.draw = DrawMenuFrame;
    return a;
}

}  // namespace assetgen
