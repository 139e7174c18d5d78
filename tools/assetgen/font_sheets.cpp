// tools/assetgen/font_sheets.cpp - the two bitmap fonts.
//
// "fonts/ribbonmono": 128 glyphs of 16 x 16, frame f showing character code
// f + 32. The game centres each glyph on its pen position, advances 7 and
// steps 10 per line (base resolution), so each glyph is centred in its frame
// inside a 7 x 10 box: DejaVu Sans Mono Bold at an em of 10.5 (advance 6.3),
// caps from y 4.3 to the baseline at 12. Glyphs are white with a dark rim,
// so they take the game's tints and stay readable on light and dark ground.
// At base resolution the edges are steepened so that small text is crisp.
//
// "quib_font": the framework's default font, 96 glyphs (codes 32-127) in one
// strip of 10 x 14 frames, each with a 1-pixel empty border column on the
// left and right.
#include "palette.h"
#include "sheet.h"
#include "symbols.h"
#include "text.h"

namespace assetgen {

namespace {

constexpr float kEm = 10.5f;
constexpr float kBaseline = 12;

// Code points drawn for the character codes 127..159, after ASCII.
int ExtraCodepoint(int code) {
    static const int extra[33] = {0x2666, 0x2190, 0x2191, 0x2192, 0x2193, 0x2605, 0x2665, 0x266A, 0x25CF, 0x25CB, 0x25A0,
                                  0x25A1, 0x25B2, 0x25BC, 0x25C0, 0x25B6, 0x2713, 0x2717, 0x00A9, 0x00B0, 0x00D7, 0x00F7,
                                  0x00B1, 0x2026, 0x2022, 0x00B7, 0x00BF, 0x00A1, 0x00AB, 0x00BB, 0x20AC, 0x00A3, 0x263A};
    return extra[code - 127];
}

// Scales a shape's distance so its anti-aliased edge is `k` times steeper.
Shape Steeper(const Shape& s, float k) {
    auto f = s.sdf;
    return {[f, k](Vec2 p) { return f(p) * k; }, s.bounds};
}

Shape GlyphFor(const FontFace& font, int codepoint, float centreX, float baseline, float em) {
    if (codepoint != 0x20 && !font.Has(codepoint)) {
        // Not in the font: our own pictogram in a cap-height box.
        return StarSymbol({centreX, baseline - font.CapHeight(em) * 0.5f}, font.CapHeight(em) * 0.7f);
    }
    float adv = font.Advance(codepoint, em);
    return font.Glyph(codepoint, {centreX - adv * 0.5f, baseline}, em);
}

void DrawRibbonGlyph(const View& v, int frame) {
    int code = frame + 32;
    if (code == 32) return;
    const FontFace& font = GetFont(Face::SansMonoBold);
    int cp = code < 127 ? code : ExtraCodepoint(code);
    Shape g = GlyphFor(font, cp, 8, kBaseline, kEm);
    // Steeper edges at low resolution, where a soft edge is a blur.
    float k = v.scale < 1.5f ? 1.7f : (v.scale < 3 ? 1.3f : 1.0f);
    Fill(v, Steeper(Offset(g, 0.75f), k), pal::kInk.WithAlpha(0.75f));
    Fill(v, Steeper(Offset(g, 0.05f), k), pal::kWhite);
}

void DrawQuibGlyph(const View& v, int frame) {
    int code = frame + 32;
    if (code == 32 || code == 127) return;
    const FontFace& font = GetFont(Face::SansMonoBold);
    // The glyph lives between the border columns, x 1..9.
    Shape g = GlyphFor(font, code, 5, 11, 12);
    Fill(v, Steeper(Intersect(g, Rect(1, 0, 9, 14)), 1.6f), pal::kWhite);
}

}  // namespace

ImageAsset RibbonFont() {
    ImageAsset a;
    a.name = "fonts/ribbonmono";
    a.frameW = a.frameH = 16;
    a.frames = 128;
    a.columns = 16;
    a.draw = DrawRibbonGlyph;
    return a;
}

ImageAsset QuibFont() {
    ImageAsset a;
    a.name = "quib_font";
    a.frameW = 10;
    a.frameH = 14;
    a.frames = 96;
    a.columns = 96;
    a.variants = false;
    a.draw = DrawQuibGlyph;
    return a;
}

}  // namespace assetgen
