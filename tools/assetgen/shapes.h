// tools/assetgen/shapes.h - resolution-independent shapes.
//
// A Shape is a signed distance function in nominal pixels (negative inside,
// positive outside) together with a bounding box that contains every point
// where the distance is below zero. The canvas turns the distance into an
// anti-aliased coverage at whatever scale it draws, so the same shape gives
// a sharper picture at 2x and 4x instead of an enlarged one.
//
// The combinators keep the bounding boxes honest: an offset grows the box by
// the offset, a subtraction keeps the box of the left shape, and so on.
#ifndef LANTERN_TOOLS_ASSETGEN_SHAPES_H
#define LANTERN_TOOLS_ASSETGEN_SHAPES_H

#include <functional>
#include <memory>
#include <vector>

#include "geom.h"

namespace assetgen {

struct Shape {
    std::function<float(Vec2)> sdf;
    Box bounds;
    float Distance(Vec2 p) const { return sdf(p); }
};

// Primitives.
Shape Circle(Vec2 c, float r);
Shape Ellipse(Vec2 c, float rx, float ry);
Shape Rect(float x0, float y0, float x1, float y1, float radius = 0);
Shape Capsule(Vec2 a, Vec2 b, float r);  // a thick line with round ends
Shape Ring(Vec2 c, float r, float thickness);
// A closed polygon (any winding, may be concave). Points in order.
Shape Polygon(std::vector<Vec2> points);
// Several closed contours filled with the non-zero winding rule (glyphs).
Shape Contours(std::vector<std::vector<Vec2>> contours);
// A star with `points` tips between radius rOuter and rInner, first tip at
// `degrees` (0 = up).
Shape Star(Vec2 c, int points, float rOuter, float rInner, float degrees = 0);
// Regular polygon with the first corner at `degrees`.
Shape RegularPolygon(Vec2 c, int sides, float r, float degrees = 0);
// An arc of a ring: centre, radius, thickness, from..to in degrees
// (clockwise from up), with round caps.
Shape Arc(Vec2 c, float r, float thickness, float fromDeg, float toDeg);
// Half-plane of the points left of the directed line a->b (on a y-down
// screen, "left" is counter-clockwise). Unbounded: only for Intersect.
Shape HalfPlane(Vec2 a, Vec2 b);

// Combinators.
Shape Union(const Shape& a, const Shape& b);
Shape Union(std::vector<Shape> shapes);
Shape Intersect(const Shape& a, const Shape& b);
Shape Subtract(const Shape& a, const Shape& b);
Shape Offset(const Shape& a, float d);      // grow (d > 0) or shrink
Shape Outline(const Shape& a, float width);  // a band of `width` centred on the edge
// Moves, turns (degrees, clockwise on screen) about `pivot`, and scales
// about `pivot`.
Shape Translate(const Shape& a, Vec2 d);
Shape RotateAbout(const Shape& a, Vec2 pivot, float degrees);
Shape ScaleAbout(const Shape& a, Vec2 pivot, float sx, float sy);
Shape MirrorX(const Shape& a, float axisX);  // reflect across x = axisX

}  // namespace assetgen

#endif
