// tools/assetgen/canvas.cpp - compositing and shape rasterisation.
#include "canvas.h"

#include <cmath>

namespace assetgen {

Color Mix(Color a, Color b, float t) {
    return {Lerp(a.r, b.r, t), Lerp(a.g, b.g, t), Lerp(a.b, b.b, t), Lerp(a.a, b.a, t)};
}
Color Lighten(Color c, float t) { return Mix(c, Color(1, 1, 1, c.a), t); }
Color Darken(Color c, float t) { return Mix(c, Color(0, 0, 0, c.a), t); }

Paint Solid(Color c) {
    return [c](Vec2) { return c; };
}

Paint LinearGradient(Vec2 p0, Color c0, Vec2 p1, Color c1) {
    Vec2 d = p1 - p0;
    float len2 = std::max(Dot(d, d), 1e-6f);
    return [=](Vec2 p) { return Mix(c0, c1, Clamp01(Dot(p - p0, d) / len2)); };
}

Paint RadialGradient(Vec2 centre, float radius, Color inner, Color outer) {
    return [=](Vec2 p) { return Mix(inner, outer, Clamp01(Length(p - centre) / radius)); };
}

Canvas::Canvas(int width, int height) : width_(width), height_(height), data_(static_cast<size_t>(width) * height * 4, 0.0f) {}

void Canvas::Put(int x, int y, Color c, float coverage, Blend blend) {
    float a = c.a * coverage;
    if (a <= 0) return;
    float* d = At(x, y);
    switch (blend) {
        case Blend::Over: {
            float k = 1 - a;
            d[0] = c.r * a + d[0] * k;
            d[1] = c.g * a + d[1] * k;
            d[2] = c.b * a + d[2] * k;
            d[3] = a + d[3] * k;
            break;
        }
        case Blend::Add:
            // Adds light while keeping the pixel's own coverage: the result is
            // clamped so colours saturate to white instead of wrapping.
            d[0] = std::min(d[0] + c.r * a, 1.0f);
            d[1] = std::min(d[1] + c.g * a, 1.0f);
            d[2] = std::min(d[2] + c.b * a, 1.0f);
            d[3] = std::min(std::max(d[3], std::max({d[0], d[1], d[2]})), 1.0f);
            break;
        case Blend::Erase: {
            float k = 1 - a;
            for (int i = 0; i < 4; ++i) d[i] *= k;
            break;
        }
    }
}

std::vector<uint8_t> Canvas::ToRgba8() const {
    std::vector<uint8_t> out(static_cast<size_t>(width_) * height_ * 4);
    for (size_t i = 0; i < static_cast<size_t>(width_) * height_; ++i) {
        const float* p = &data_[i * 4];
        float a = Clamp01(p[3]);
        uint8_t a8 = static_cast<uint8_t>(std::lround(a * 255.0f));
        out[i * 4 + 3] = a8;
        for (int k = 0; k < 3; ++k) {
            float straight = a8 > 0 ? Clamp01(p[k] / a) : 0.0f;
            out[i * 4 + k] = a8 > 0 ? static_cast<uint8_t>(std::lround(straight * 255.0f)) : 0;
        }
    }
    return out;
}

void Canvas::Paste(const Canvas& src, int x, int y) {
    for (int sy = 0; sy < src.Height(); ++sy) {
        int ty = y + sy;
        if (ty < 0 || ty >= height_) continue;
        for (int sx = 0; sx < src.Width(); ++sx) {
            int tx = x + sx;
            if (tx < 0 || tx >= width_) continue;
            const float* s = src.At(sx, sy);
            float* d = At(tx, ty);
            float k = 1 - s[3];
            for (int i = 0; i < 4; ++i) d[i] = s[i] + d[i] * k;
        }
    }
}

void View::ForEachPixel(Box nominal, const std::function<void(int, int, Vec2)>& fn) const {
    int x0 = std::max(px, static_cast<int>(std::floor(px + nominal.x0 * scale)) - 1);
    int y0 = std::max(py, static_cast<int>(std::floor(py + nominal.y0 * scale)) - 1);
    int x1 = std::min(px + pw, static_cast<int>(std::ceil(px + nominal.x1 * scale)) + 1);
    int y1 = std::min(py + ph, static_cast<int>(std::ceil(py + nominal.y1 * scale)) + 1);
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, canvas->Width());
    y1 = std::min(y1, canvas->Height());
    for (int iy = y0; iy < y1; ++iy)
        for (int ix = x0; ix < x1; ++ix) fn(ix, iy, PixelCentre(ix, iy));
}

void Fill(const View& v, const Shape& s, const Paint& paint, float opacity, Blend blend) {
    // Grow by one canvas pixel so the anti-aliased rim is included.
    v.ForEachPixel(s.bounds.Grown(1.0f / v.scale), [&](int ix, int iy, Vec2 p) {
        float cov = Clamp01(0.5f - s.sdf(p) * v.scale);
        if (cov > 0) v.canvas->Put(ix, iy, paint(p), cov * opacity, blend);
    });
}

void Fill(const View& v, const Shape& s, Color c, float opacity, Blend blend) { Fill(v, s, Solid(c), opacity, blend); }

void Glow(const View& v, Vec2 centre, float radius, Color c, float power, Blend blend) {
    Box b{centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius};
    v.ForEachPixel(b, [&](int ix, int iy, Vec2 p) {
        float t = 1 - Length(p - centre) / radius;
        if (t > 0) v.canvas->Put(ix, iy, c, std::pow(t, power), blend);
    });
}

void GlowShape(const View& v, const Shape& s, float reach, Color c, float power, Blend blend) {
    v.ForEachPixel(s.bounds.Grown(reach), [&](int ix, int iy, Vec2 p) {
        float d = s.sdf(p);
        float t = d <= 0 ? 1.0f : 1 - d / reach;
        if (t > 0) v.canvas->Put(ix, iy, c, std::pow(t, power), blend);
    });
}

void FillOutlined(const View& v, const Shape& s, const Paint& paint, float width, Color ink) {
    Fill(v, Offset(s, width), ink);
    Fill(v, s, paint);
}

}  // namespace assetgen
