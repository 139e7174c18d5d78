// tools/assetgen/gfx_hero.cpp - Bramblet, the hero: a small lamplighter in a
// leaf hood and a berry cloak, carrying a lantern. Frames 0-3 walk to the
// right, frame 4 lies dazed on its back.
//
// The hero is drawn at size 1.5 centred on its cell point, so its soles are
// on kFloorTop and its body spans about 18 nominal pixels (27 on screen).
#include <cmath>

#include "gfx_art.h"
#include "palette.h"
#include "sprite.h"

namespace assetgen {

namespace {

struct HeroPose {
    float bob = 0;                      // body lift, nominal pixels (negative = up)
    Vec2 nearFoot{18.6f, kFloorTop};    // sole centre of the foot nearer the viewer
    Vec2 farFoot{13.8f, kFloorTop};
    float lanternSwing = 0;             // degrees
    bool dazed = false;                 // crossed-out eyes, no lantern in hand
};

// The sole, outline included, touches `sole`.
Shape Foot(Vec2 sole) { return Ellipse({sole.x, sole.y - 1.1f - Sprite::kOutline}, 1.9f, 1.1f); }

// The lantern hanging from a hand at `hand`, turned by `swing` degrees.
void AddLantern(Sprite& s, Vec2 hand, float swing, float light) {
    Xform x;
    x.pivot = hand;
    x.degrees = swing;
    Vec2 top{hand.x, hand.y + 1.0f};
    Shape handle = Arc(hand + Vec2{0, 0.9f}, 0.9f, 0.45f, -80, 80);
    Shape cap = Rect(top.x - 1.6f, top.y, top.x + 1.6f, top.y + 0.9f, 0.3f);
    Shape glass = Rect(top.x - 1.35f, top.y + 0.8f, top.x + 1.35f, top.y + 3.4f, 0.5f);
    Shape base = Rect(top.x - 1.7f, top.y + 3.3f, top.x + 1.7f, top.y + 4.1f, 0.3f);
    Color glassCol = Mix(Rgb(90, 70, 60), pal::kGold, light);
    s.Add(Transformed(handle, x), pal::kBrassDark);
    s.Add(Transformed(glass, x), Transformed(RadialGradient(top + Vec2{0, 2.0f}, 1.8f, Mix(glassCol, pal::kFlame, light), glassCol), x));
    s.Add(Transformed(cap, x), pal::kBrass);
    s.Add(Transformed(base, x), pal::kBrass);
}

Sprite BuildHero(const HeroPose& p) {
    Sprite s;
    const float b = p.bob;
    // Far foot first: it is behind the cloak.
    s.Add(Foot(p.farFoot), Darken(pal::kBrassDark, 0.35f));

    // Cloak: a rounded bell from the shoulders to the hem.
    Shape cloak = Offset(Polygon({{13.6f, 12.6f + b}, {18.6f, 12.6f + b}, {20.9f, 17.7f + b}, {11.4f, 17.7f + b}}), 0.7f);
    s.Add(cloak, LinearGradient({0, 12 + b}, pal::kBerry, {0, 19 + b}, pal::kBerryDark));
    // A fold of shadow down the back of the cloak.
    s.Add(Intersect(cloak, Ellipse({11.2f, 17.0f + b}, 2.6f, 4.5f)), pal::kBerryDark.WithAlpha(0.7f), false);
    s.Add(Foot(p.nearFoot), Darken(pal::kBrassDark, 0.1f));

    // Arm reaching forward to the lantern.
    Vec2 hand{21.4f, 14.6f + b};
    s.Add(Capsule({17.6f, 14.0f + b}, hand, 1.05f), pal::kBerryDark);
    if (!p.dazed) AddLantern(s, hand, p.lanternSwing, 1.0f);
    s.Add(Circle(hand, 0.9f), pal::kCream);

    // Hood with a leaf tip curling back, and the face looking right.
    Vec2 head{15.6f, 8.4f + b};
    Shape hood = Circle(head, 5.6f);
    Shape leaf = RotateAbout(Ellipse({11.6f, 3.2f + b}, 3.3f, 1.35f), {11.6f, 3.2f + b}, -32);
    s.Add(leaf, LinearGradient({9, 2 + b}, pal::kLeafLight, {14, 5 + b}, pal::kLeaf));
    s.Add(hood, RadialGradient(head + Vec2{-1.8f, -2.2f}, 7.5f, pal::kLeafLight, pal::kLeafDark));
    s.Add(Capsule({9.4f, 2.9f + b}, {13.4f, 3.6f + b}, 0.22f), pal::kLeafDark.WithAlpha(0.8f), false);  // vein
    Shape face = Intersect(Ellipse({17.7f, 9.2f + b}, 3.5f, 3.3f), Offset(hood, -0.8f));
    s.Add(face, RadialGradient({18.6f, 8.2f + b}, 4.2f, pal::kCream, Mix(pal::kCream, pal::kBlush, 0.35f)), false);
    s.Add(Ellipse({20.4f, 10.9f + b}, 0.9f, 0.5f), pal::kBlush.WithAlpha(0.8f), false);

    if (p.dazed) {
        for (float ex : {17.9f, 20.2f}) {
            Vec2 e{ex, 9.0f + b};
            s.Add(Union(Capsule(e + Vec2{-0.8f, -0.8f}, e + Vec2{0.8f, 0.8f}, 0.32f),
                        Capsule(e + Vec2{-0.8f, 0.8f}, e + Vec2{0.8f, -0.8f}, 0.32f)),
                  pal::kInk, false);
        }
    } else {
        for (float ex : {17.9f, 20.2f}) {
            s.Add(Ellipse({ex, 9.0f + b}, 0.72f, 1.05f), pal::kInk, false);
            s.Add(Circle({ex + 0.25f, 8.55f + b}, 0.3f), pal::kWhite, false);
        }
    }
    return s;
}

HeroPose WalkPose(int frame) {
    HeroPose p;
    switch (frame) {
        case 0:  // stride: near foot ahead
            p.nearFoot = {19.0f, kFloorTop};
            p.farFoot = {13.4f, kFloorTop};
            p.lanternSwing = -6;
            break;
        case 1:  // passing: near foot lifted, body up
            p.bob = -0.6f;
            p.nearFoot = {16.8f, kFloorTop - 1.1f};
            p.farFoot = {15.6f, kFloorTop};
            p.lanternSwing = 0;
            break;
        case 2:  // stride: far foot ahead
            p.nearFoot = {13.6f, kFloorTop};
            p.farFoot = {18.8f, kFloorTop};
            p.lanternSwing = 6;
            break;
        default:  // passing: far foot lifted
            p.bob = -0.6f;
            p.nearFoot = {16.2f, kFloorTop};
            p.farFoot = {17.0f, kFloorTop - 1.1f};
            p.lanternSwing = 0;
            break;
    }
    return p;
}

void DrawDazed(const View& v) {
    HeroPose p;
    p.dazed = true;
    p.nearFoot = {18.0f, kFloorTop};
    p.farFoot = {14.6f, kFloorTop};
    // Fallen on its back: the standing figure turned a quarter to the left,
    // so the face looks up and the back rests on the floor.
    Xform x;
    x.pivot = {16, 14};
    x.degrees = -90;
    x.move = {0.5f, 1.2f};
    Sprite hero = BuildHero(p).Transformed(x);
    // The dropped lantern, tipped over and guttering.
    Sprite lantern;
    AddLantern(lantern, {24.6f, 15.6f}, 70, 0.25f);
    lantern.Draw(v);
    hero.Draw(v);
    // Stars circling the head.
    for (int i = 0; i < 3; ++i) {
        Vec2 c = Polar({9.6f, 8.5f}, 3.2f, 40.0f + 120.0f * i);
        Fill(v, Offset(Star(c, 4, 1.5f, 0.45f, 10.0f * i), 0.5f), pal::kInk);
        Fill(v, Star(c, 4, 1.5f, 0.45f, 10.0f * i), pal::kGold);
    }
}

}  // namespace

void DrawHeroFigure(const View& v, Vec2 centre, float scale) {
    Xform x;
    x.pivot = {16, 16};
    x.move = centre - Vec2{16, 16};
    x.sx = x.sy = scale;
    Glow(v, x.Apply({22.0f, 17.5f}), 7.5f * scale, pal::kAmber.WithAlpha(0.35f), 2);
    BuildHero(WalkPose(0)).Transformed(x).Draw(v, Sprite::kOutline * std::sqrt(scale));
}

void DrawHero(const View& v, int frame) {
    if (frame == 4) {
        DrawDazed(v);
        return;
    }
    HeroPose p = WalkPose(frame);
    // A warm light around the lantern helps the hero stand out in the dark.
    Glow(v, {22.0f, 17.5f + p.bob}, 7.5f, pal::kAmber.WithAlpha(0.35f), 2);
    BuildHero(p).Draw(v);
}

}  // namespace assetgen
