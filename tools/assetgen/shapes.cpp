// tools/assetgen/shapes.cpp - signed distance functions and combinators.
#include "shapes.h"

#include <algorithm>
#include <limits>

namespace assetgen {

namespace {

float SegmentDistance(Vec2 p, Vec2 a, Vec2 b) {
    Vec2 pa = p - a, ba = b - a;
    float len2 = Dot(ba, ba);
    float h = len2 > 0 ? Clamp01(Dot(pa, ba) / len2) : 0.0f;
    return Length(pa - ba * h);
}

Box PointsBox(const std::vector<Vec2>& pts) {
    Box b{1e9f, 1e9f, -1e9f, -1e9f};
    for (Vec2 p : pts) {
        b.x0 = std::min(b.x0, p.x);
        b.y0 = std::min(b.y0, p.y);
        b.x1 = std::max(b.x1, p.x);
        b.y1 = std::max(b.y1, p.y);
    }
    return b;
}

// Signed distance to a set of closed contours, inside by non-zero winding.
float ContoursDistance(const std::vector<std::vector<Vec2>>& contours, Vec2 p) {
    float best = std::numeric_limits<float>::max();
    int winding = 0;
    for (const auto& c : contours) {
        size_t n = c.size();
        for (size_t i = 0; i < n; ++i) {
            Vec2 a = c[i], b = c[(i + 1) % n];
            best = std::min(best, SegmentDistance(p, a, b));
            if (a.y <= p.y) {
                if (b.y > p.y && Cross(b - a, p - a) > 0) ++winding;
            } else if (b.y <= p.y && Cross(b - a, p - a) < 0) {
                --winding;
            }
        }
    }
    return winding != 0 ? -best : best;
}

}  // namespace

Shape Circle(Vec2 c, float r) {
    return {[c, r](Vec2 p) { return Length(p - c) - r; }, {c.x - r, c.y - r, c.x + r, c.y + r}};
}

Shape Ellipse(Vec2 c, float rx, float ry) {
    // Scaled-circle approximation, corrected by the gradient length so the
    // edge stays one pixel wide at any aspect.
    return {[c, rx, ry](Vec2 p) {
                Vec2 q = p - c;
                float k0 = std::sqrt(q.x * q.x / (rx * rx) + q.y * q.y / (ry * ry));
                float k1 = std::sqrt(q.x * q.x / (rx * rx * rx * rx) + q.y * q.y / (ry * ry * ry * ry));
                if (k1 < 1e-6f) return -std::min(rx, ry);
                return k0 * (k0 - 1.0f) / k1;
            },
            {c.x - rx, c.y - ry, c.x + rx, c.y + ry}};
}

Shape Rect(float x0, float y0, float x1, float y1, float radius) {
    Vec2 c{(x0 + x1) * 0.5f, (y0 + y1) * 0.5f};
    Vec2 h{(x1 - x0) * 0.5f - radius, (y1 - y0) * 0.5f - radius};
    return {[c, h, radius](Vec2 p) {
                float qx = std::fabs(p.x - c.x) - h.x, qy = std::fabs(p.y - c.y) - h.y;
                float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
                return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
            },
            {x0, y0, x1, y1}};
}

Shape Capsule(Vec2 a, Vec2 b, float r) {
    return {[a, b, r](Vec2 p) { return SegmentDistance(p, a, b) - r; },
            Box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}.Grown(r)};
}

Shape Ring(Vec2 c, float r, float thickness) {
    float h = thickness * 0.5f;
    return {[c, r, h](Vec2 p) { return std::fabs(Length(p - c) - r) - h; }, Box{c.x, c.y, c.x, c.y}.Grown(r + h)};
}

Shape Polygon(std::vector<Vec2> points) {
    Box b = PointsBox(points);
    std::vector<std::vector<Vec2>> contours{std::move(points)};
    return {[contours](Vec2 p) { return ContoursDistance(contours, p); }, b};
}

Shape Contours(std::vector<std::vector<Vec2>> contours) {
    Box b{};
    for (const auto& c : contours) b = assetgen::Union(b, PointsBox(c));
    return {[contours](Vec2 p) { return ContoursDistance(contours, p); }, b};
}

Shape Star(Vec2 c, int points, float rOuter, float rInner, float degrees) {
    std::vector<Vec2> pts;
    for (int i = 0; i < points * 2; ++i) {
        float r = (i % 2 == 0) ? rOuter : rInner;
        pts.push_back(Polar(c, r, degrees + 180.0f * i / points));
    }
    return Polygon(pts);
}

Shape RegularPolygon(Vec2 c, int sides, float r, float degrees) {
    std::vector<Vec2> pts;
    for (int i = 0; i < sides; ++i) pts.push_back(Polar(c, r, degrees + 360.0f * i / sides));
    return Polygon(pts);
}

Shape Arc(Vec2 c, float r, float thickness, float fromDeg, float toDeg) {
    float h = thickness * 0.5f;
    float mid = (fromDeg + toDeg) * 0.5f * kPi / 180.0f;
    float half = std::fabs(toDeg - fromDeg) * 0.5f * kPi / 180.0f;
    // Work in a frame where the arc is symmetric about "up".
    return {[c, r, h, mid, half](Vec2 p) {
                Vec2 q = Rotate(p - c, -mid);  // arc centre now at angle 0 (up)
                float ang = std::atan2(q.x, -q.y);
                if (std::fabs(ang) <= half) return std::fabs(Length(q) - r) - h;
                Vec2 e1{r * std::sin(half), -r * std::cos(half)};
                Vec2 e2{-e1.x, e1.y};
                return std::min(Length(q - e1), Length(q - e2)) - h;
            },
            Box{c.x, c.y, c.x, c.y}.Grown(r + h)};
}

Shape HalfPlane(Vec2 a, Vec2 b) {
    Vec2 d = b - a;
    float len = Length(d);
    Vec2 n{d.y / len, -d.x / len};  // points to the right of a->b (outside)
    return {[a, n](Vec2 p) { return Dot(p - a, n); }, Box{-1e6f, -1e6f, 1e6f, 1e6f}};
}

Shape Union(const Shape& a, const Shape& b) {
    auto fa = a.sdf, fb = b.sdf;
    return {[fa, fb](Vec2 p) { return std::min(fa(p), fb(p)); }, assetgen::Union(a.bounds, b.bounds)};
}

Shape Union(std::vector<Shape> shapes) {
    Box b{};
    for (const auto& s : shapes) b = assetgen::Union(b, s.bounds);
    return {[shapes](Vec2 p) {
                // Visit the parts nearest first: a part whose box is farther
                // than the best distance so far cannot win, and once p is
                // inside a part, only parts whose box holds p can.
                constexpr size_t kMaxSorted = 64;
                float boxDist[kMaxSorted];
                size_t order[kMaxSorted];
                size_t n = std::min(shapes.size(), kMaxSorted);
                for (size_t i = 0; i < n; ++i) {
                    const Box& bb = shapes[i].bounds;
                    float bx = std::max({bb.x0 - p.x, 0.0f, p.x - bb.x1});
                    float by = std::max({bb.y0 - p.y, 0.0f, p.y - bb.y1});
                    boxDist[i] = std::sqrt(bx * bx + by * by);
                    order[i] = i;
                }
                std::sort(order, order + n, [&](size_t a, size_t c) { return boxDist[a] < boxDist[c]; });
                float d = std::numeric_limits<float>::max();
                for (size_t k = 0; k < n; ++k) {
                    float bd = boxDist[order[k]];
                    if (d > 0 ? bd >= d : bd > 0) break;
                    d = std::min(d, shapes[order[k]].sdf(p));
                }
                for (size_t i = n; i < shapes.size(); ++i) d = std::min(d, shapes[i].sdf(p));
                return d;
            },
            b};
}

Shape Intersect(const Shape& a, const Shape& b) {
    auto fa = a.sdf, fb = b.sdf;
    return {[fa, fb](Vec2 p) { return std::max(fa(p), fb(p)); }, assetgen::Intersect(a.bounds, b.bounds)};
}

Shape Subtract(const Shape& a, const Shape& b) {
    auto fa = a.sdf, fb = b.sdf;
    return {[fa, fb](Vec2 p) { return std::max(fa(p), -fb(p)); }, a.bounds};
}

Shape Offset(const Shape& a, float d) {
    auto fa = a.sdf;
    return {[fa, d](Vec2 p) { return fa(p) - d; }, a.bounds.Grown(std::max(d, 0.0f))};
}

Shape Outline(const Shape& a, float width) {
    auto fa = a.sdf;
    float h = width * 0.5f;
    return {[fa, h](Vec2 p) { return std::fabs(fa(p)) - h; }, a.bounds.Grown(h)};
}

Shape Translate(const Shape& a, Vec2 d) {
    auto fa = a.sdf;
    return {[fa, d](Vec2 p) { return fa(p - d); }, {a.bounds.x0 + d.x, a.bounds.y0 + d.y, a.bounds.x1 + d.x, a.bounds.y1 + d.y}};
}

Shape RotateAbout(const Shape& a, Vec2 pivot, float degrees) {
    auto fa = a.sdf;
    float rad = degrees * kPi / 180.0f;
    // Bounds: rotate the corners of the original box.
    Vec2 corners[4] = {{a.bounds.x0, a.bounds.y0}, {a.bounds.x1, a.bounds.y0},
                       {a.bounds.x0, a.bounds.y1}, {a.bounds.x1, a.bounds.y1}};
    Box b{1e9f, 1e9f, -1e9f, -1e9f};
    for (Vec2 c : corners) {
        Vec2 q = pivot + Rotate(c - pivot, rad);
        b = {std::min(b.x0, q.x), std::min(b.y0, q.y), std::max(b.x1, q.x), std::max(b.y1, q.y)};
    }
    return {[fa, pivot, rad](Vec2 p) { return fa(pivot + Rotate(p - pivot, -rad)); }, b};
}

Shape ScaleAbout(const Shape& a, Vec2 pivot, float sx, float sy) {
    auto fa = a.sdf;
    float k = std::min(std::fabs(sx), std::fabs(sy));
    Box ob = a.bounds;
    float xa = pivot.x + (ob.x0 - pivot.x) * sx, xb = pivot.x + (ob.x1 - pivot.x) * sx;
    float ya = pivot.y + (ob.y0 - pivot.y) * sy, yb = pivot.y + (ob.y1 - pivot.y) * sy;
    return {[fa, pivot, sx, sy, k](Vec2 p) {
                Vec2 q{pivot.x + (p.x - pivot.x) / sx, pivot.y + (p.y - pivot.y) / sy};
                return fa(q) * k;
            },
            {std::min(xa, xb), std::min(ya, yb), std::max(xa, xb), std::max(ya, yb)}};
}

Shape MirrorX(const Shape& a, float axisX) { return ScaleAbout(a, {axisX, 0}, -1, 1); }

}  // namespace assetgen
