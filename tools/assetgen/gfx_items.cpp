// tools/assetgen/gfx_items.cpp - beacons, prizes, charges and sparkles.
//
// Items are drawn at size 2 from their floor cell's centre, so their bases
// rest on kItemBase (19) and a body of 12-14 nominal pixels is 24-28 pixels
// on screen, the size the game's pickup distances (about 14 across, 12 up
// and down) are made for.
#include <cmath>
#include <vector>

#include "gfx_art.h"
#include "palette.h"
#include "rng.h"
#include "sprite.h"

namespace assetgen {

namespace {

// How a beacon's lantern looks in one frame.
struct BeaconLook {
    float light;      // 0 dark .. 1 fully lit
    Color glass;      // colour of the lit glass
    float glow;       // radius of the halo, nominal pixels (0 = none)
    float glowAlpha;
    bool beam;        // throws light upward
    bool rays;        // a burst of short rays (starting up)
};

constexpr Vec2 kLamp{16, 12.1f};  // centre of the lantern's glass, as drawn

Shape Flame(Vec2 base, float h) {
    return Union(Circle({base.x, base.y - h * 0.3f}, h * 0.3f),
                 Polygon({{base.x - h * 0.28f, base.y - h * 0.38f}, {base.x, base.y - h}, {base.x + h * 0.28f, base.y - h * 0.38f}}));
}

void DrawBeacon(const View& v, const BeaconLook& look) {
    if (look.beam) {
        // A cone of light from the lantern to the top of the frame, with a
        // brighter core and two streaks.
        Shape cone = Polygon({{12.4f, 10.0f}, {19.6f, 10.0f}, {26.0f, 0}, {6.0f, 0}});
        Fill(v, cone, LinearGradient({0, 10}, pal::kGold.WithAlpha(0.7f), {0, 0}, pal::kGold.WithAlpha(0.08f)));
        Fill(v, Polygon({{14.6f, 8.0f}, {17.4f, 8.0f}, {19.5f, 0}, {12.5f, 0}}),
             LinearGradient({0, 8}, pal::kWhite.WithAlpha(0.9f), {0, 0}, pal::kWhite.WithAlpha(0.15f)));
        for (float dx : {-5.2f, 5.2f})
            Fill(v, Capsule({16 + dx * 0.45f, 6.5f}, {16 + dx, 0.5f}, 0.45f),
                 LinearGradient({0, 6.5f}, pal::kFlame.WithAlpha(0.9f), {0, 0}, pal::kFlame.WithAlpha(0.1f)));
    }
    if (look.glow > 0) Glow(v, kLamp, look.glow, pal::kAmber.WithAlpha(look.glowAlpha), 1.6f);
    if (look.rays) {
        for (int i = 0; i < 8; ++i) {
            Vec2 a = Polar(kLamp, 6.2f, 22.5f + 45.0f * i), b = Polar(kLamp, 9.0f, 22.5f + 45.0f * i);
            Fill(v, Capsule(a, b, 0.55f), pal::kGold.WithAlpha(0.9f));
        }
    }
    Sprite s;
    // Stone pedestal and brass post.
    s.Add(Offset(Polygon({{11.6f, kItemBase}, {20.4f, kItemBase}, {19.2f, 16.8f}, {12.8f, 16.8f}}), 0.2f),
          LinearGradient({0, 16.6f}, pal::kStoneLight, {0, kItemBase}, pal::kStoneDark));
    s.Add(Rect(15.0f, 14.6f, 17.0f, 17.0f), pal::kBrassDark);
    // Lantern: glass between two plates, bars, a roof and a ring.
    Color dark = Rgb(52, 48, 84);
    Color lit = Mix(dark, look.glass, std::sqrt(look.light));
    Color core = Mix(lit, pal::kFlame, look.light);
    s.Add(Rect(12.6f, 7.6f, 19.4f, 14.8f, 1.0f), RadialGradient({16, 11.2f}, 4.6f, core, lit));
    if (look.light > 0.05f) s.Add(Flame({16, 13.6f}, 4.6f * (0.55f + 0.45f * look.light)), Mix(lit, pal::kWhite, 0.7f * look.light), false);
    s.Add(Rect(14.2f, 7.8f, 14.8f, 14.6f), pal::kBrass, false);
    s.Add(Rect(17.2f, 7.8f, 17.8f, 14.6f), pal::kBrass, false);
    s.Add(Rect(11.8f, 13.9f, 20.2f, 15.3f, 0.5f), LinearGradient({0, 13.9f}, pal::kGold, {0, 15.3f}, pal::kBrass));
    s.Add(Rect(11.8f, 6.6f, 20.2f, 8.0f, 0.5f), LinearGradient({0, 6.6f}, pal::kGold, {0, 8.0f}, pal::kBrass));
    s.Add(Offset(Polygon({{12.6f, 6.8f}, {19.4f, 6.8f}, {16, 4.4f}}), 0.3f), LinearGradient({13, 4}, pal::kGold, {19, 7}, pal::kBrassDark));
    s.Add(Ring({16, 3.4f}, 1.0f, 0.6f), pal::kBrass);
    // Slightly smaller than drawn above, so an active beacon has room to
    // throw its light upward inside the frame.
    Xform fit;
    fit.pivot = {16, kItemBase};
    fit.sx = fit.sy = 0.88f;
    s.AddLight(Capsule({13.6f, 9.0f}, {13.6f, 10.6f}, 0.35f), pal::kWhite, 0.35f + 0.5f * look.light);
    s.Transformed(fit).Draw(v);
}

// Four-pointed twinkles scattered about the lantern: the beacon is busy
// (recharging) or a prize has just been taken.
void DrawSparkle(const View& v, int variant) {
    Rng rng(1000 + variant);
    Glow(v, {16, 12}, 8, pal::kGold.WithAlpha(0.3f), 2);
    for (int i = 0; i < 6; ++i) {
        float ang = rng.Range(0, 360), dist = rng.Range(1.0f, 7.0f), size = rng.Range(1.6f, 3.6f);
        Vec2 c = Polar({16, 12}, dist, ang);
        Color col = (i % 3 == 0) ? pal::kLime : (i % 3 == 1 ? pal::kGold : pal::kWhite);
        Shape star = Star(c, 4, size, size * 0.28f, rng.Range(-12, 12));
        Fill(v, Offset(star, 0.5f), pal::kInk.WithAlpha(0.6f));
        Fill(v, star, col);
        Fill(v, Circle(c, size * 0.22f), pal::kWhite);
    }
}

// The charge: a lime crystal with a bolt, symmetric so it can spin by
// scaling on X.
void DrawCharge(const View& v) {
    Glow(v, {16, 12.6f}, 8.5f, pal::kLime.WithAlpha(0.35f), 2);
    Sprite s;
    Shape gem = Polygon({{16, 6.6f}, {19.9f, 9.8f}, {19.9f, 15.4f}, {16, 18.6f}, {12.1f, 15.4f}, {12.1f, 9.8f}});
    s.Add(gem, LinearGradient({12, 8}, pal::kLime, {20, 18}, pal::kLimeDark));
    s.Add(Intersect(gem, Rect(12, 6, 16, 19)), Lighten(pal::kLime, 0.35f), false);
    s.Add(Polygon({{16.9f, 8.4f}, {14.0f, 13.0f}, {16.0f, 13.0f}, {15.1f, 16.8f}, {18.0f, 11.9f}, {16.0f, 11.9f}}), pal::kWhite, false);
    s.Draw(v);
}

// A faceted teal gem with a highlight sweeping across it (phase 0..2).
void DrawPrize(const View& v, int phase) {
    Glow(v, {16, 13}, 9, pal::kTeal.WithAlpha(0.35f), 2);
    Sprite s;
    Shape crown = Polygon({{11.2f, 11.6f}, {13.6f, 8.4f}, {18.4f, 8.4f}, {20.8f, 11.6f}});
    Shape pavilion = Polygon({{11.2f, 11.6f}, {20.8f, 11.6f}, {16, 18.6f}});
    Shape gem = Union(crown, pavilion);
    s.Add(crown, LinearGradient({0, 8.4f}, pal::kTealLight, {0, 11.6f}, pal::kTeal));
    s.Add(pavilion, LinearGradient({11, 11}, pal::kTeal, {19, 18}, pal::kTealDark));
    s.Add(Polygon({{13.6f, 8.4f}, {15.0f, 11.6f}, {11.2f, 11.6f}}), pal::kTealLight.WithAlpha(0.6f), false);
    s.Add(Polygon({{15.0f, 11.6f}, {17.0f, 11.6f}, {16, 18.6f}}), pal::kTealLight.WithAlpha(0.35f), false);
    s.Add(Capsule({11.4f, 11.6f}, {20.6f, 11.6f}, 0.25f), pal::kTealDark.WithAlpha(0.8f), false);
    // The shimmer: a slanted band of light crossing the gem.
    float x = 10.5f + 5.0f * phase;
    s.Add(Intersect(gem, Polygon({{x, 19}, {x + 1.8f, 19}, {x + 5.8f, 8}, {x + 4.0f, 8}})), pal::kWhite.WithAlpha(0.75f), false);
    s.Draw(v);
    Vec2 tw[3] = {{19.6f, 8.6f}, {12.2f, 10.4f}, {18.0f, 15.6f}};
    Shape star = Star(tw[phase], 4, 2.6f, 0.6f);
    Fill(v, star, pal::kWhite);
}

}  // namespace

void DrawItem(const View& v, int frame) {
    const Color amber = pal::kAmber;
    switch (frame) {
        case 8: case 9: case 10: DrawSparkle(v, frame - 8); break;
        case 11: DrawCharge(v); break;
        // Spent: dark glass with an ember that pulses slowly (12, 13, 14).
        case 12: DrawBeacon(v, {0.10f, pal::kEmber, 0, 0, false, false}); break;
        case 13: DrawBeacon(v, {0.22f, pal::kEmber, 0, 0, false, false}); break;
        case 14: DrawBeacon(v, {0.15f, pal::kEmber, 0, 0, false, false}); break;
        case 16: DrawBeacon(v, {0.7f, amber, 9.0f, 0.35f, false, false}); break;        // ready
        case 17: DrawBeacon(v, {1.0f, pal::kGold, 13.0f, 0.6f, false, true}); break;    // starting, bright
        case 18: DrawBeacon(v, {0.4f, amber, 7.0f, 0.25f, false, false}); break;        // starting, dim
        case 19: DrawBeacon(v, {1.0f, pal::kFlame, 12.0f, 0.55f, true, false}); break;  // active
        case 20: case 21: case 22: DrawPrize(v, frame - 20); break;
        default: break;
    }
}

}  // namespace assetgen
