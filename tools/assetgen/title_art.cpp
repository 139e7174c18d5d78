// tools/assetgen/title_art.cpp - the title logo, the studio logo shown while
// loading, and the mascot card.
#include <algorithm>
#include <string>

#include "gfx_art.h"
#include "palette.h"
#include "sheet.h"
#include "sprite.h"
#include "symbols.h"
#include "text.h"

namespace assetgen {

namespace {

// Text with a drop shadow, a thick ink outline and a vertical gradient.
void LogoText(const View& v, const Shape& text, float top, float bottom, Color hi, Color lo, float ink) {
    Fill(v, Translate(Offset(text, ink), {0, ink * 0.9f}), pal::kInk.WithAlpha(0.6f));
    Fill(v, Offset(text, ink), pal::kInk);
    Fill(v, text, LinearGradient({0, top}, hi, {0, bottom}, lo));
    // A thin bright rim along the top of the letters.
    Fill(v, Subtract(text, Translate(text, {0, 1.0f})), pal::kWhite, 0.45f);
}

// A line of text scaled down, if needed, to fit `maxWidth`, centred on x.
Shape FittedLine(const FontFace& font, const std::string& s, float cx, float baseline, float px, float maxWidth, float tracking) {
    float w = font.TextWidth(s, px, tracking);
    if (w > maxWidth) px *= maxWidth / w;
    return font.Text(s, {cx, baseline}, px, 0.5f, tracking * std::min(1.0f, maxWidth / w));
}

void DrawLogo(const View& v, int) {
    const FontFace& title = GetFont(Face::SerifBold);
    const FontFace& small = GetFont(Face::SansBold);
    Glow(v, {128, 66}, 120, pal::kAmber.WithAlpha(0.28f), 1.5f);
    Shape top = FittedLine(title, "Bramblet", 128, 50, 48, 236, 0.5f);
    LogoText(v, top, 16, 52, pal::kLeafLight, pal::kLeafDark, 2.6f);
    // "in The" between two flourishes.
    Shape mid = small.Text("in The", {128, 70}, 14, 0.5f, 1.0f);
    Fill(v, Offset(mid, 1.6f), pal::kInk);
    Fill(v, mid, pal::kCream);
    for (float side : {-1.0f, 1.0f}) {
        Shape line = Capsule({128 + side * 32, 65}, {128 + side * 78, 65}, 1.0f);
        Fill(v, Offset(line, 1.2f), pal::kInk);
        Fill(v, line, pal::kGold);
        Shape dot = RotateAbout(Rect(128 + side * 84 - 2.5f, 62.5f, 128 + side * 84 + 2.5f, 67.5f), {128 + side * 84, 65}, 45);
        Fill(v, Offset(dot, 1.2f), pal::kInk);
        Fill(v, dot, pal::kGold);
    }
    Shape bottom = FittedLine(title, "Lantern Vault", 128, 110, 36, 240, 0.3f);
    LogoText(v, bottom, 82, 112, pal::kFlame, pal::kEmber, 2.4f);
}

// The studio's mark: a round badge with a small wood ("holt") of three
// trees under a lantern moon, and the name.
void DrawStudioLogo(const View& v, int) {
    const Vec2 c{128, 128};
    Fill(v, Circle(c, 104), pal::kInk);
    Fill(v, Circle(c, 100), RadialGradient({110, 90}, 140, Rgb(60, 90, 150), pal::kNight));
    Fill(v, Ring(c, 94, 4), pal::kGold);
    Glow(v, {128, 72}, 40, pal::kAmber.WithAlpha(0.55f), 1.5f);
    Fill(v, Circle({128, 72}, 14), pal::kFlame);
    // Three trees.
    struct Tree { float x, h, w; };
    for (Tree t : {Tree{90, 58, 30}, Tree{166, 58, 30}, Tree{128, 80, 40}}) {
        float base = 150;
        std::vector<Shape> tiers;
        for (int k = 0; k < 3; ++k) {
            float y0 = base - t.h + k * t.h * 0.28f, y1 = y0 + t.h * 0.45f, half = t.w * (0.5f + k * 0.22f);
            tiers.push_back(Offset(Polygon({{t.x, y0}, {t.x + half, y1}, {t.x - half, y1}}), 1.5f));
        }
        Shape tree = Union(Union(tiers), Rect(t.x - 4, base - 8, t.x + 4, base + 6));
        Fill(v, Offset(tree, 2.5f), pal::kInk);
        Fill(v, tree, LinearGradient({0, base - t.h}, pal::kLeafLight, {0, base}, pal::kLeafDark));
    }
    Fill(v, Rect(44, 154, 212, 158, 2), pal::kLeafDark);
    const FontFace& font = GetFont(Face::SansBold);
    Shape name = FittedLine(font, "HOLT", 128, 200, 40, 150, 6);
    Fill(v, Offset(name, 2.5f), pal::kInk);
    Fill(v, name, LinearGradient({0, 170}, pal::kFlame, {0, 200}, pal::kAmber));
    Shape sub = font.Text("GAMES", {128, 218}, 12, 0.5f, 4);
    Fill(v, sub, pal::kCream);
}

// The mascot: Bramblet with the lantern raised, on a round card.
void DrawMascot(const View& v, int) {
    const Vec2 c{128, 128};
    Fill(v, Circle(c, 124), pal::kInk);
    Fill(v, Circle(c, 120), RadialGradient({150, 140}, 150, Rgb(70, 70, 140), pal::kNight));
    // Rays from the lantern.
    for (int i = 0; i < 12; ++i) {
        const Vec2 lamp{183, 174};
        Shape ray = Intersect(Polygon({lamp, Polar(lamp, 260, i * 30.0f - 5), Polar(lamp, 260, i * 30.0f + 5)}), Circle(c, 118));
        Fill(v, ray, pal::kGold, 0.12f);
    }
    // A floor for it to stand on.
    Fill(v, Intersect(Rect(0, 196, 256, 256), Circle(c, 120)), LinearGradient({0, 196}, pal::kStone, {0, 248}, pal::kStoneDark));
    Fill(v, Intersect(Rect(0, 196, 256, 202), Circle(c, 120)), pal::kMoss);
    DrawHeroFigure(v, {118, 198 - (kFloorTop - 16) * 9.5f}, 9.5f);
    Fill(v, Ring(c, 118, 5), pal::kGold);
}

}  // namespace

ImageAsset LogoImage() {
    ImageAsset a;
    a.name = "logo";
    a.frameW = 256;
    a.frameH = 128;
    a.draw = DrawLogo;
    return a;
}

ImageAsset StudioLogoImage() {
    ImageAsset a;
    a.name = "common/HOLTLogo";
    a.frameW = a.frameH = 256;
    a.draw = DrawStudioLogo;
    return a;
}

ImageAsset MascotImage() {
    ImageAsset a;
    a.name = "common/Testcard_Circle";
    a.frameW = a.frameH = 256;
    a.draw = DrawMascot;
    return a;
}

}  // namespace assetgen
