// tools/assetgen/text.h - glyph outlines from the DejaVu fonts, as shapes.
//
// The fonts are read with stb_truetype and their outlines turned into
// polygon contours in nominal pixels, so text is drawn by our own shape code
// at every resolution (and can be outlined, offset and shadowed like any
// other shape).
#ifndef LANTERN_TOOLS_ASSETGEN_TEXT_H
#define LANTERN_TOOLS_ASSETGEN_TEXT_H

#include <string>

#include "shapes.h"

namespace assetgen {

enum class Face { Sans, SansBold, SansMonoBold, SerifBold, SerifBoldItalic, SansCondensedBold };

// Path of the font file of a face.
const char* FacePath(Face face);

class FontFace;
const FontFace& GetFont(Face face);  // loads on first use; exits with a message if the file is missing

class FontFace {
public:
    bool Load(const char* path);
    // Whether the font has a glyph for the code point.
    bool Has(int codepoint) const;
    // Horizontal advance of a code point at an em size of `px` nominal pixels.
    float Advance(int codepoint, float px) const;
    // Height of capital letters above the baseline at size px.
    float CapHeight(float px) const;
    // The outline of one glyph with its origin (pen, on the baseline) at
    // `pen`. Empty shapes (spaces) have an empty box and are never inside.
    Shape Glyph(int codepoint, Vec2 pen, float px) const;
    // A line of text whose baseline starts at pen.x - align * width, where
    // `tracking` adds space between letters.
    Shape Text(const std::string& text, Vec2 pen, float px, float align = 0, float tracking = 0) const;
    float TextWidth(const std::string& text, float px, float tracking = 0) const;

private:
    std::string bytes_;
    struct Info;
    std::shared_ptr<Info> info_;
};

}  // namespace assetgen

#endif
