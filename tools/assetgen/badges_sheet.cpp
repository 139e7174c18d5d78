// tools/assetgen/badges_sheet.cpp - "BadgesA": 64 badge icons of 64 x 64.
//
// Each badge is a medal on two ribbon tails: a metal rim (bronze, silver or
// gold), an enamel face in one of the palette's colours, and a symbol.
// Frame 0 is the test badge: a question mark, as it has no purpose.
#include "palette.h"
#include "sheet.h"
#include "symbols.h"
#include "text.h"

namespace assetgen {

namespace {

struct Metal { Color hi, lo; };

void DrawBadge(const View& v, int frame) {
    const Metal metals[3] = {{Rgb(240, 170, 110), Rgb(140, 80, 40)},
                             {Rgb(235, 240, 250), Rgb(120, 128, 150)},
                             {pal::kGold, pal::kBrassDark}};
    const Color faces[8] = {pal::kSkyDark, pal::kLeafDark, pal::kBerryDark, pal::kTealDark,
                            pal::kWispDark, Rgb(150, 80, 20), Rgb(40, 40, 90), Rgb(20, 100, 90)};
    const Metal& m = metals[frame == 0 ? 2 : (frame / 8) % 3];
    Color face = faces[frame % 8];
    Color ribbon = faces[(frame + 3) % 8];
    const Vec2 c{32, 27};
    // Ribbon tails behind the medal.
    for (float side : {-1.0f, 1.0f}) {
        Shape tail = Polygon({{32 + side * 4, 34}, {32 + side * 16, 34}, {32 + side * 19, 60}, {32 + side * 12.5f, 55}, {32 + side * 7, 60}});
        Fill(v, Offset(tail, 1.4f), pal::kInk);
        Fill(v, tail, LinearGradient({0, 34}, Lighten(ribbon, 0.3f), {0, 60}, ribbon));
    }
    Fill(v, Circle(c, 23.5f), pal::kInk);
    Fill(v, Circle(c, 22.2f), LinearGradient({14, 8}, m.hi, {50, 48}, m.lo));
    // A notched edge on every other badge.
    if (frame % 2) Fill(v, Outline(Circle(c, 20.6f), 0.9f), m.lo.WithAlpha(0.7f));
    Fill(v, Circle(c, 17.5f), pal::kInk.WithAlpha(0.8f));
    Fill(v, Circle(c, 16.6f), RadialGradient(c + Vec2{-5, -6}, 24, Lighten(face, 0.3f), Darken(face, 0.2f)));
    Shape sym;
    if (frame == 0) {
        sym = GetFont(Face::SansBold).Text("?", {c.x, c.y + 8.5f}, 26, 0.5f);
    } else {
        const float r = 12.5f;
        switch ((frame - 1) % 10) {
            case 0: sym = StarSymbol(c, r); break;
            case 1: sym = LanternSymbol(c, r); break;
            case 2: sym = WispSymbol(c, r); break;
            case 3: sym = GemSymbol(c, r); break;
            case 4: sym = BoltSymbol(c, r); break;
            case 5: sym = HeartSymbol(c, r); break;
            case 6: sym = TrophySymbol(c, r); break;
            case 7: sym = KeySymbol(c, r); break;
            case 8: sym = NoteSymbol(c, r); break;
            default: sym = CheckSymbol(c, r); break;
        }
    }
    Fill(v, Offset(sym, 1.3f), pal::kInk);
    Fill(v, sym, LinearGradient({0, c.y - 12}, pal::kWhite, {0, c.y + 12}, m.hi));
    Fill(v, Ellipse({25, 14}, 8, 3.5f), pal::kWhite, 0.25f);
}

}  // namespace

ImageAsset BadgesSheet() {
    ImageAsset a;
    a.name = "BadgesA";
    a.frameW = a.frameH = 64;
    a.frames = 64;
    a.columns = 8;
    a.draw = DrawBadge;
    return a;
}

}  // namespace assetgen
