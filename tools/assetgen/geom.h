// tools/assetgen/geom.h - 2D vectors and small math helpers shared by the
// drawing code. Coordinates are "nominal" pixels: the units of the art at
// base resolution, whatever resolution is being drawn.
#ifndef LANTERN_TOOLS_ASSETGEN_GEOM_H
#define LANTERN_TOOLS_ASSETGEN_GEOM_H

#include <algorithm>
#include <cmath>

namespace assetgen {

constexpr float kPi = 3.14159265358979f;

struct Vec2 {
    float x = 0, y = 0;
    Vec2() = default;
    constexpr Vec2(float x_, float y_) : x(x_), y(y_) {}
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float k) { return {a.x * k, a.y * k}; }
inline Vec2 operator*(float k, Vec2 a) { return {a.x * k, a.y * k}; }
inline float Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline float Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
inline float Length(Vec2 a) { return std::sqrt(Dot(a, a)); }
inline Vec2 Rotate(Vec2 a, float radians) {
    float c = std::cos(radians), s = std::sin(radians);
    return {a.x * c - a.y * s, a.x * s + a.y * c};
}
// Point on the circle of radius r around c at `degrees`, 0 pointing up and
// growing clockwise on the y-down screen.
inline Vec2 Polar(Vec2 c, float r, float degrees) {
    float a = degrees * kPi / 180.0f;
    return {c.x + r * std::sin(a), c.y - r * std::cos(a)};
}

inline float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }
inline float SmoothStep(float e0, float e1, float v) {
    float t = Clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Axis-aligned box, in nominal pixels.
struct Box {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
    Box Grown(float d) const { return {x0 - d, y0 - d, x1 + d, y1 + d}; }
};
inline Box Union(Box a, Box b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}
inline Box Intersect(Box a, Box b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

}  // namespace assetgen

#endif
