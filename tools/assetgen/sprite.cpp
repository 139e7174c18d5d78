// tools/assetgen/sprite.cpp - layered, outlined figures.
#include "sprite.h"

#include "palette.h"

namespace assetgen {

const Color Sprite::kDefaultInk = pal::kInk;

Vec2 Xform::Apply(Vec2 p) const {
    Vec2 q = p - pivot;
    q = {q.x * sx, q.y * sy};
    q = Rotate(q, degrees * kPi / 180.0f);
    return pivot + move + q;
}

Vec2 Xform::Inverse(Vec2 p) const {
    Vec2 q = p - pivot - move;
    q = Rotate(q, -degrees * kPi / 180.0f);
    return pivot + Vec2{q.x / sx, q.y / sy};
}

Shape Transformed(const Shape& s, const Xform& x) {
    auto f = s.sdf;
    float k = std::min(std::fabs(x.sx), std::fabs(x.sy));
    Vec2 c[4] = {{s.bounds.x0, s.bounds.y0}, {s.bounds.x1, s.bounds.y0}, {s.bounds.x0, s.bounds.y1}, {s.bounds.x1, s.bounds.y1}};
    Box b{1e9f, 1e9f, -1e9f, -1e9f};
    for (Vec2 p : c) {
        Vec2 q = x.Apply(p);
        b = {std::min(b.x0, q.x), std::min(b.y0, q.y), std::max(b.x1, q.x), std::max(b.y1, q.y)};
    }
    return {[f, x, k](Vec2 p) { return f(x.Inverse(p)) * k; }, b};
}

Paint Transformed(const Paint& p, const Xform& x) {
    return [p, x](Vec2 q) { return p(x.Inverse(q)); };
}

Sprite& Sprite::Add(const Shape& s, const Paint& p, bool silhouette) {
    layers_.push_back({s, p, silhouette, 1, Blend::Over});
    return *this;
}

Sprite& Sprite::AddLight(const Shape& s, Color c, float opacity) {
    layers_.push_back({s, Solid(c), false, opacity, Blend::Over});
    return *this;
}

Shape Sprite::Silhouette() const {
    std::vector<Shape> parts;
    for (const Layer& l : layers_)
        if (l.silhouette) parts.push_back(l.shape);
    return Union(parts);
}

void Sprite::Draw(const View& v, float outline, Color ink) const {
    if (outline > 0) Fill(v, Offset(Silhouette(), outline), ink);
    for (const Layer& l : layers_) Fill(v, l.shape, l.paint, l.opacity, l.blend);
}

Sprite Sprite::Transformed(const Xform& x) const {
    Sprite out;
    for (const Layer& l : layers_)
        out.layers_.push_back({assetgen::Transformed(l.shape, x), assetgen::Transformed(l.paint, x), l.silhouette, l.opacity, l.blend});
    return out;
}

Shape HardClip(std::function<bool(Vec2)> inside, Box bounds) {
    return {[inside](Vec2 p) { return inside(p) ? -1e4f : 1e4f; }, bounds};
}

}  // namespace assetgen
