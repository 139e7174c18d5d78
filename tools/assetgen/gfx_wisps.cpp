// tools/assetgen/gfx_wisps.cpp - the wisps that haunt the vault: hunting
// (40-42), asleep (43-45), and startled (46, shown while waking and, squashed
// and fading, while dying).
//
// Wisps are drawn at size 2 centred on their point, so a body of about 13
// nominal pixels is 26 on screen, matching the game's hurt distance (about
// 17 each way).
#include "gfx_art.h"
#include "palette.h"
#include "sprite.h"
#include "text.h"

namespace assetgen {

namespace {

enum class Mood { Hunting, Asleep, Startled };

Shape WispBody(float phase, float squash) {
    const float top = 7.4f + squash, hem = 20.2f;
    Shape head = Ellipse({16, 13.6f}, 6.4f, 6.2f - squash);
    Shape skirt = Rect(9.6f, 13.6f, 22.4f, hem);
    // Three tails whose tips swing with the phase.
    Shape tails = Union({Circle({11.7f, hem + 0.2f + 0.8f * std::sin(phase)}, 2.1f),
                         Circle({16.0f, hem + 0.2f + 0.8f * std::sin(phase + 2.1f)}, 2.1f),
                         Circle({20.3f, hem + 0.2f + 0.8f * std::sin(phase + 4.2f)}, 2.1f)});
    (void)top;
    return Union({head, skirt, tails});
}

void DrawWispFigure(const View& v, Mood mood, int phaseIndex) {
    float phase = phaseIndex * 2.1f;
    float squash = mood == Mood::Asleep ? 0.8f : 0.0f;
    float bob = mood == Mood::Hunting ? 0.5f * std::sin(phase) : 0.0f;
    Xform lift;
    lift.move = {0, bob};

    Color body = pal::kWisp, light = pal::kWispLight, dark = pal::kWispDark;
    if (mood == Mood::Asleep) {
        body = Mix(body, pal::kDuskLight, 0.3f);
        light = Mix(light, pal::kDuskLight, 0.2f);
    } else if (mood == Mood::Startled) {
        body = Lighten(body, 0.2f);
    }
    Glow(v, {16, 14.5f + bob}, 11, body.WithAlpha(mood == Mood::Asleep ? 0.18f : 0.3f), 2);

    Sprite s;
    Shape shape = WispBody(phase, squash);
    s.Add(shape, [=](Vec2 p) {
        float t = Clamp01(Length(p - Vec2{13.0f, 10.0f}) / 12.0f);
        return t < 0.5f ? Mix(light, body, t * 2) : Mix(body, dark, (t - 0.5f) * 2);
    });
    // Eyes and mouth.
    const Vec2 le{13.5f, 13.6f}, re{18.5f, 13.6f};
    switch (mood) {
        case Mood::Hunting:
            for (Vec2 e : {le, re}) {
                s.Add(Ellipse(e, 1.7f, 2.0f), pal::kWhite, false);
                s.Add(Circle(e + Vec2{0, 0.6f}, 1.0f), pal::kInk, false);
            }
            s.Add(Capsule({11.6f, 10.6f}, {14.9f, 11.8f}, 0.5f), pal::kInk, false);
            s.Add(Capsule({20.4f, 10.6f}, {17.1f, 11.8f}, 0.5f), pal::kInk, false);
            s.Add(Polygon({{14.2f, 16.9f}, {17.8f, 16.9f}, {16.0f, 18.3f}}), pal::kInk, false);
            break;
        case Mood::Asleep:
            for (Vec2 e : {le, re}) s.Add(Arc(e + Vec2{0, 0.2f + squash * 0.5f}, 1.4f, 0.55f, 100, 260), pal::kInk, false);
            s.Add(Ellipse({16, 17.2f}, 0.9f, 0.6f), dark, false);
            break;
        case Mood::Startled:
            for (Vec2 e : {le, re}) {
                s.Add(Circle(e, 2.2f), pal::kWhite, false);
                s.Add(Circle(e, 0.7f), pal::kInk, false);
            }
            s.Add(Ellipse({16, 17.6f}, 1.3f, 1.6f), pal::kInk, false);
            break;
    }
    s.Transformed(lift).Draw(v);
    // A soft sheen on the crown of the head.
    Fill(v, Ellipse({13.2f, 9.9f + bob + squash}, 2.0f, 1.0f), pal::kWhite, 0.35f);

    if (mood == Mood::Asleep) {
        // Zs drifting up from the sleeper, one step higher each frame.
        const FontFace& font = GetFont(Face::SansBold);
        for (int i = 0; i < 2; ++i) {
            float k = static_cast<float>((phaseIndex + i * 2) % 3);
            Vec2 pen{21.0f + 1.2f * k, 9.0f - 2.2f * k};
            Shape z = font.Glyph('z', pen, 4.8f - 0.8f * i + 0.5f * k);
            Fill(v, Offset(z, 0.6f), pal::kInk);
            Fill(v, z, pal::kCream);
        }
    }
}

}  // namespace

void DrawWisp(const View& v, int frame) {
    if (frame <= 42) {
        DrawWispFigure(v, Mood::Hunting, frame - 40);
    } else if (frame <= 45) {
        DrawWispFigure(v, Mood::Asleep, frame - 43);
    } else {
        DrawWispFigure(v, Mood::Startled, 0);
    }
}

}  // namespace assetgen
