// tools/assetgen/ui_sheets.cpp - the small interface art: icons (pause
// button, pause menu items, tilt calibration), the menu buttons with the
// options cog, and the on-screen pad.
//
// Symbols are white-ish on a dark round plate so they read on any backdrop
// and take the game's tints well.
#include "palette.h"
#include "sheet.h"
#include "sprite.h"
#include "symbols.h"

namespace assetgen {

namespace {

// A round plate with a rim, and a white symbol with a soft dark edge.
void Plate(const View& v, Vec2 c, float r, Color rim, Color fill) {
    Fill(v, Circle(c, r + 0.9f), pal::kInk.WithAlpha(0.9f));
    Fill(v, Circle(c, r), RadialGradient(c + Vec2{-r * 0.3f, -r * 0.4f}, r * 1.6f, Lighten(fill, 0.15f), Darken(fill, 0.3f)));
    Fill(v, Ring(c, r - r * 0.06f, r * 0.12f), rim);
}

void SymbolOn(const View& v, const Shape& s, Color col) {
    Fill(v, Offset(s, 0.8f), pal::kInk.WithAlpha(0.55f));
    Fill(v, s, col);
}

// ---- icons: 32 x 32, 16 frames -------------------------------------------

void DrawIcon(const View& v, int frame) {
    const Vec2 c{16, 16};
    const float r = 13.5f, sr = 9.5f;
    Color plate = pal::kSkyDark;
    Color rim = pal::kSky;
    if (frame == 2) {  // end game: a warning colour
        plate = pal::kBerryDark;
        rim = pal::kBerry;
    } else if (frame == 1) {  // resume: the welcoming green
        plate = pal::kLeafDark;
        rim = pal::kLeafLight;
    }
    Plate(v, c, r, rim, plate);
    Shape s;
    switch (frame) {
        case 0: s = PauseSymbol(c, sr); break;
        case 1: s = PlaySymbol(c + Vec2{0.8f, 0}, sr); break;
        case 2: s = DoorSymbol(c, sr); break;
        case 3: s = ArrowSymbol(c, sr, 270); break;
        case 4: s = SpeakerSymbol(c, sr, true); break;
        case 5: s = Union(SpeakerSymbol(c + Vec2{-1.5f, 0}, sr, false), CrossSymbol(c + Vec2{5.5f, 0}, sr * 0.45f)); break;
        case 6: s = ExpandSymbol(c, sr); break;
        case 7: s = TiltSymbol(c, sr); break;
        case 8: s = NoteSymbol(c, sr); break;
        case 9: s = StarSymbol(c, sr); break;
        case 10: s = TrophySymbol(c, sr); break;
        case 11: s = GearSymbol(c, sr, 8); break;
        case 12: s = InfoSymbol(c, sr); break;
        case 13: s = CheckSymbol(c, sr); break;
        case 14: s = CrossSymbol(c, sr); break;
        default: s = HeartSymbol(c, sr); break;
    }
    SymbolOn(v, s, pal::kWhite);
}

// ---- buttons: 64 x 64, 16 frames ----------------------------------------

void Tile(const View& v, Color base, Color rim) {
    Shape t = Rect(5, 5, 59, 59, 11);
    Fill(v, Offset(t, 1.5f), pal::kInk);
    Fill(v, t, LinearGradient({0, 5}, Lighten(base, 0.25f), {0, 59}, Darken(base, 0.35f)));
    Fill(v, Outline(Offset(t, -1.6f), 2.0f), rim.WithAlpha(0.8f));
    Fill(v, Intersect(Offset(t, -3.5f), Rect(0, 0, 64, 22)), pal::kWhite, 0.12f);
}

// The three game variants: calm (few wisps), brisk, and swarming.
void DrawVariant(const View& v, int variant) {
    const Color bases[3] = {pal::kLeafDark, pal::kBrass, pal::kBerryDark};
    const Color rims[3] = {pal::kLeafLight, pal::kGold, pal::kBlush};
    Tile(v, bases[variant], rims[variant]);
    // The lantern, and one wisp per level of difficulty around it.
    Shape lantern = LanternSymbol({32, 38}, 15);
    Glow(v, {32, 40}, 16, pal::kAmber.WithAlpha(0.45f), 1.5f);
    Fill(v, Offset(lantern, 1.2f), pal::kInk);
    Fill(v, lantern, LinearGradient({0, 24}, pal::kGold, {0, 50}, pal::kBrass));
    Fill(v, Rect(26.8f, 34, 37.2f, 44.5f, 1.5f), pal::kFlame);
    const Vec2 spots[3] = {{17, 19}, {47, 19}, {32, 13}};
    for (int i = 0; i <= variant; ++i) {
        Shape w = WispSymbol(spots[i], 9);
        Fill(v, Offset(w, 1.1f), pal::kInk);
        Fill(v, w, LinearGradient({0, spots[i].y - 8}, pal::kWispLight, {0, spots[i].y + 8}, pal::kWisp));
    }
    // Pips along the bottom: 1, 2 or 3.
    for (int i = 0; i <= variant; ++i) {
        Vec2 p{32 + (i - variant * 0.5f) * 8, 54};
        Fill(v, Circle(p, 2.6f), pal::kInk);
        Fill(v, Circle(p, 1.8f), pal::kWhite);
    }
}

void DrawStart(const View& v) {
    Shape t = Rect(4, 10, 60, 54, 14);
    Fill(v, Offset(t, 1.5f), pal::kInk);
    Fill(v, t, LinearGradient({0, 10}, Rgb(120, 230, 110), {0, 54}, Rgb(30, 140, 60)));
    Fill(v, Intersect(Offset(t, -3), Rect(0, 0, 64, 28)), pal::kWhite, 0.2f);
    SymbolOn(v, PlaySymbol({34, 32}, 17), pal::kWhite);
}

// The options cog, in three layers that the menu turns at different speeds:
// the toothed rim, the spokes, and the hub.
void DrawCogLayer(const View& v, int layer) {
    const Vec2 c{32, 32};
    if (layer == 0) {
        std::vector<Shape> parts{Ring(c, 22.5f, 7)};
        for (int i = 0; i < 10; ++i)
            parts.push_back(RotateAbout(Rect(c.x - 3.6f, c.y - 30, c.x + 3.6f, c.y - 23, 1.2f), c, 36.0f * i));
        Shape rim = Union(parts);
        Fill(v, Offset(rim, 1.4f), pal::kInk);
        Fill(v, rim, RadialGradient({24, 22}, 40, pal::kStoneLight, pal::kStoneDark));
        Fill(v, Ring(c, 21.0f, 1.2f), pal::kWhite, 0.25f);
    } else if (layer == 1) {
        std::vector<Shape> parts{Ring(c, 14.5f, 3.5f)};
        for (int i = 0; i < 5; ++i) parts.push_back(RotateAbout(Rect(c.x - 2.2f, c.y - 16, c.x + 2.2f, c.y - 6, 1), c, 72.0f * i));
        Shape spokes = Union(parts);
        Fill(v, Offset(spokes, 1.2f), pal::kInk);
        Fill(v, spokes, LinearGradient({20, 18}, pal::kGold, {44, 46}, pal::kBrass));
    } else {
        Shape hub = Subtract(Circle(c, 8), Circle(c, 2.6f));
        Fill(v, Offset(hub, 1.2f), pal::kInk);
        Fill(v, hub, RadialGradient({29, 29}, 10, pal::kSky, pal::kSkyDark));
        Fill(v, Ring(c, 5.5f, 0.8f), pal::kWhite, 0.4f);
    }
}

void DrawButton(const View& v, int frame) {
    switch (frame) {
        case 0: case 1: case 2: DrawVariant(v, frame); break;
        case 3: DrawStart(v); break;
        case 8: case 9: case 10: DrawCogLayer(v, frame - 8); break;
        default: {
            // Spare round buttons in the same style.
            static const Color plates[] = {pal::kSkyDark, pal::kSkyDark, pal::kLeafDark, pal::kBerryDark, pal::kBrassDark,
                                           pal::kSkyDark, pal::kTealDark, pal::kWispDark, pal::kBrassDark};
            int k = frame < 8 ? frame - 4 : frame - 7;
            Plate(v, {32, 32}, 26, pal::kStoneLight, plates[k % 9]);
            Shape s;
            switch (frame) {
                case 4: s = ArrowSymbol({32, 32}, 18, 270); break;
                case 5: s = ArrowSymbol({32, 32}, 18, 90); break;
                case 6: s = CheckSymbol({32, 32}, 18); break;
                case 7: s = CrossSymbol({32, 32}, 18); break;
                case 11: s = TrophySymbol({32, 32}, 18); break;
                case 12: s = SpeakerSymbol({32, 32}, 18, true); break;
                case 13: s = NoteSymbol({32, 32}, 18); break;
                case 14: s = StarSymbol({32, 32}, 19); break;
                default: s = LanternSymbol({32, 32}, 19); break;
            }
            SymbolOn(v, s, pal::kWhite);
            break;
        }
    }
}

// ---- the on-screen pad: 32 x 32, 16 frames ---------------------------------

void Key(const View& v, float degrees) {
    Shape k = Rect(3, 3, 29, 29, 6);
    Fill(v, Offset(k, 1.0f), pal::kInk.WithAlpha(0.9f));
    Fill(v, k, LinearGradient({0, 3}, Rgb(90, 96, 150), {0, 29}, Rgb(36, 38, 80)));
    Fill(v, Outline(Offset(k, -1.2f), 1.2f), pal::kSky.WithAlpha(0.6f));
    SymbolOn(v, ArrowSymbol({16, 16}, 10.5f, degrees), pal::kWhite);
}

void DrawPad(const View& v, int frame) {
    switch (frame) {
        case 0:  // fire: a big round button
            Fill(v, Circle({16, 16}, 14.2f), pal::kInk.WithAlpha(0.9f));
            Fill(v, Circle({16, 16}, 13.3f), RadialGradient({12, 11}, 18, Rgb(255, 150, 110), pal::kBerryDark));
            Fill(v, Ring({16, 16}, 12.2f, 1.4f), pal::kBlush.WithAlpha(0.7f));
            Fill(v, Ellipse({12.5f, 10.5f}, 5, 3), pal::kWhite, 0.35f);
            SymbolOn(v, Offset(Star({16, 16.5f}, 4, 7.5f, 2.4f), 0.3f), pal::kWhite);
            break;
        case 1: Key(v, 0); break;
        case 4: Key(v, 270); break;
        case 6: Key(v, 90); break;
        case 9: Key(v, 180); break;
        case 5: {  // the pad's centre
            Shape k = Rect(3, 3, 29, 29, 6);
            Fill(v, Offset(k, 1.0f), pal::kInk.WithAlpha(0.9f));
            Fill(v, k, Rgb(44, 46, 92));
            Fill(v, Circle({16, 16}, 6.5f), pal::kInk.WithAlpha(0.5f));
            Fill(v, Circle({16, 16}, 5.2f), RadialGradient({14.5f, 14.5f}, 7, Rgb(120, 130, 190), Rgb(50, 54, 110)));
            break;
        }
        case 2:  // a second action button
            Fill(v, Circle({16, 16}, 14.2f), pal::kInk.WithAlpha(0.9f));
            Fill(v, Circle({16, 16}, 13.3f), RadialGradient({12, 11}, 18, pal::kSky, pal::kSkyDark));
            Fill(v, Ellipse({12.5f, 10.5f}, 5, 3), pal::kWhite, 0.35f);
            SymbolOn(v, ArrowSymbol({16, 16}, 9, 0), pal::kWhite);
            break;
        default: break;
    }
}

}  // namespace

ImageAsset IconsSheet() {
    ImageAsset a;
    a.name = "common/icons";
    a.frameW = a.frameH = 32;
    a.frames = 16;
    a.columns = 4;
    a.draw = DrawIcon;
    return a;
}

ImageAsset ButtonsSheet() {
    ImageAsset a;
    a.name = "common/Buttons";
    a.frameW = a.frameH = 64;
    a.frames = 16;
    a.columns = 4;
    a.draw = DrawButton;
    return a;
}

ImageAsset DpadSheet() {
    ImageAsset a;
    a.name = "common/dpad";
    a.frameW = a.frameH = 32;
    a.frames = 16;
    a.columns = 4;  // so the arrows sit around the centre as on the pad: 1 up, 4 left, 5 centre, 6 right, 9 down
    a.draw = DrawPad;
    return a;
}

}  // namespace assetgen
