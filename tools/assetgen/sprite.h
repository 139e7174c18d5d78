// tools/assetgen/sprite.h - figures built from painted shapes.
//
// A Sprite is a stack of layers (shape + paint) drawn in order, with one ink
// outline around the union of the layers marked as silhouette. All sprites
// of the game share the outline colour and width, which gives the art one
// style. A sprite can be moved, turned and scaled as a whole (Xform): shapes
// and paints are mapped together, so gradients follow the figure.
#ifndef LANTERN_TOOLS_ASSETGEN_SPRITE_H
#define LANTERN_TOOLS_ASSETGEN_SPRITE_H

#include <vector>

#include "canvas.h"
#include "shapes.h"

namespace assetgen {

// p' = pivot + move + Rotate(degrees) * Scale(sx, sy) * (p - pivot)
struct Xform {
    Vec2 pivot{0, 0};
    Vec2 move{0, 0};
    float degrees = 0;
    float sx = 1, sy = 1;

    Vec2 Apply(Vec2 p) const;
    Vec2 Inverse(Vec2 p) const;
};
Shape Transformed(const Shape& s, const Xform& x);
Paint Transformed(const Paint& p, const Xform& x);

struct Layer {
    Shape shape;
    Paint paint;
    bool silhouette = true;  // part of the outlined outer shape
    float opacity = 1;
    Blend blend = Blend::Over;
};

class Sprite {
public:
    Sprite& Add(const Shape& s, const Paint& p, bool silhouette = true);
    Sprite& Add(const Shape& s, Color c, bool silhouette = true) { return Add(s, Solid(c), silhouette); }
    // A layer that lights what is under it (highlights, glows).
    Sprite& AddLight(const Shape& s, Color c, float opacity = 1);
    // Draws the ink outline, then the layers.
    void Draw(const View& v, float outline = kOutline, Color ink = kDefaultInk) const;
    Sprite Transformed(const Xform& x) const;
    Shape Silhouette() const;

    static constexpr float kOutline = 0.9f;  // nominal pixels
    static const Color kDefaultInk;

private:
    std::vector<Layer> layers_;
};

// A shape that is fully inside where `inside` holds for a pixel centre and
// fully outside elsewhere: a hard clip with no anti-aliased rim, used where
// two tiles meet so that their pixels add up exactly.
Shape HardClip(std::function<bool(Vec2)> inside, Box bounds);

}  // namespace assetgen

#endif
