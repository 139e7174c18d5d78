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

// The badges a player can earn (frames 1..24) get the symbol of what they are
// for: lanterns for beacons, ghosts for catches, gems for prizes, bolts for
// charges, stars for points (bronze, silver, gold for the three steps, the
// face in the colour of the variant's menu button), hearts for lasting,
// ticks for rounds and trophies for the tables. Later frames are spares.
enum Symbol { kStar, kLantern, kWisp, kGem, kBolt, kHeart, kTrophy, kKey, kNote, kCheck };
struct BadgeLook {
    Symbol symbol;
    int metal;  // 0 bronze, 1 silver, 2 gold
    int face;   // index into the faces below
};
const BadgeLook kEarned[25] = {
    {kStar, 2, 0},                                                   // 0: the test badge
    {kLantern, 0, 5}, {kGem, 0, 3}, {kWisp, 0, 4}, {kWisp, 1, 4},    // 1..4
    {kWisp, 2, 4}, {kBolt, 1, 1}, {kBolt, 0, 7}, {kKey, 1, 6},       // 5..8
    {kStar, 0, 1}, {kStar, 1, 1}, {kStar, 2, 1},                     // 9..11: green
    {kStar, 0, 5}, {kStar, 1, 5}, {kStar, 2, 5},                     // 12..14: amber
    {kStar, 0, 2}, {kStar, 1, 2}, {kStar, 2, 2},                     // 15..17: red
    {kHeart, 1, 2}, {kHeart, 2, 2},                                  // 18, 19
    {kCheck, 0, 1}, {kCheck, 0, 5}, {kCheck, 0, 2},                  // 20..22
    {kTrophy, 1, 3}, {kTrophy, 2, 6},                                // 23, 24
};

Shape SymbolShape(Symbol s, Vec2 c, float r) {
    switch (s) {
        case kStar: return StarSymbol(c, r);
        case kLantern: return LanternSymbol(c, r);
        case kWisp: return WispSymbol(c, r);
        case kGem: return GemSymbol(c, r);
        case kBolt: return BoltSymbol(c, r);
        case kHeart: return HeartSymbol(c, r);
        case kTrophy: return TrophySymbol(c, r);
        case kKey: return KeySymbol(c, r);
        case kNote: return NoteSymbol(c, r);
        default: return CheckSymbol(c, r);
    }
}

void DrawBadge(const View& v, int frame) {
    const Metal metals[3] = {{Rgb(240, 170, 110), Rgb(140, 80, 40)},
                             {Rgb(235, 240, 250), Rgb(120, 128, 150)},
                             {pal::kGold, pal::kBrassDark}};
    const Color faces[8] = {pal::kSkyDark, pal::kLeafDark, pal::kBerryDark, pal::kTealDark,
                            pal::kWispDark, Rgb(150, 80, 20), Rgb(40, 40, 90), Rgb(20, 100, 90)};
    bool earned = frame >= 1 && frame <= 24;
    const Metal& m = metals[frame == 0 ? 2 : earned ? kEarned[frame].metal : (frame / 8) % 3];
    Color face = faces[earned ? kEarned[frame].face : frame % 8];
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
        sym = SymbolShape(earned ? kEarned[frame].symbol : static_cast<Symbol>((frame - 1) % 10), c, r);
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
