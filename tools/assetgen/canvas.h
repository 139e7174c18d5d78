// tools/assetgen/canvas.h - the raster the art is drawn into.
//
// A Canvas holds premultiplied RGBA floats (0..1). Drawing goes through a
// View: a rectangle of the canvas (one frame of a sheet) with a scale from
// nominal pixels to canvas pixels. Everything drawn through a view is clipped
// to its rectangle, so a frame never spills into its neighbours.
//
// Shapes (shapes.h) are turned into coverage from their signed distance: a
// pixel whose centre lies exactly on the edge is half covered, and the ramp
// is one canvas pixel wide at every scale.
#ifndef LANTERN_TOOLS_ASSETGEN_CANVAS_H
#define LANTERN_TOOLS_ASSETGEN_CANVAS_H

#include <cstdint>
#include <functional>
#include <vector>

#include "geom.h"
#include "shapes.h"

namespace assetgen {

// Straight (not premultiplied) colour, each channel 0..1.
struct Color {
    float r = 0, g = 0, b = 0, a = 1;
    constexpr Color() = default;
    constexpr Color(float r_, float g_, float b_, float a_ = 1) : r(r_), g(g_), b(b_), a(a_) {}
    Color WithAlpha(float alpha) const { return {r, g, b, alpha}; }
};
// From 0..255 channels.
constexpr Color Rgb(int r, int g, int b, float a = 1) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }
Color Mix(Color a, Color b, float t);
Color Lighten(Color c, float t);  // toward white
Color Darken(Color c, float t);   // toward black

// A paint gives the colour at a point (nominal coordinates).
using Paint = std::function<Color(Vec2)>;
Paint Solid(Color c);
Paint LinearGradient(Vec2 p0, Color c0, Vec2 p1, Color c1);
Paint RadialGradient(Vec2 centre, float radius, Color inner, Color outer);

enum class Blend { Over, Add, Erase };

class Canvas {
public:
    Canvas(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Premultiplied pixel at (x, y): r, g, b, a.
    float* At(int x, int y) { return &data_[(static_cast<size_t>(y) * width_ + x) * 4]; }
    const float* At(int x, int y) const { return &data_[(static_cast<size_t>(y) * width_ + x) * 4]; }
    // Composites a straight colour with extra coverage 0..1 into a pixel.
    void Put(int x, int y, Color c, float coverage, Blend blend = Blend::Over);
    // 8-bit straight RGBA, row-major, for the PNG writer.
    std::vector<uint8_t> ToRgba8() const;
    // Copies another canvas into this one at (x, y), composited over.
    void Paste(const Canvas& src, int x, int y);

private:
    int width_, height_;
    std::vector<float> data_;
};

struct View {
    Canvas* canvas = nullptr;
    int px = 0, py = 0;  // canvas pixel of nominal (0, 0)
    int pw = 0, ph = 0;  // clip size in canvas pixels
    float scale = 1;     // canvas pixels per nominal pixel

    View(Canvas* c, int x, int y, int w, int h, float s) : canvas(c), px(x), py(y), pw(w), ph(h), scale(s) {}
    float NominalWidth() const { return pw / scale; }
    float NominalHeight() const { return ph / scale; }
    // Nominal position of the centre of canvas pixel (ix, iy).
    Vec2 PixelCentre(int ix, int iy) const { return {(ix + 0.5f - px) / scale, (iy + 0.5f - py) / scale}; }
    // Calls fn(ix, iy, nominal point) for every clipped canvas pixel of a
    // nominal box.
    void ForEachPixel(Box nominal, const std::function<void(int, int, Vec2)>& fn) const;
};

// Fills a shape with a paint. `opacity` multiplies the paint's alpha.
void Fill(const View& v, const Shape& s, const Paint& paint, float opacity = 1, Blend blend = Blend::Over);
void Fill(const View& v, const Shape& s, Color c, float opacity = 1, Blend blend = Blend::Over);
// A soft light: alpha falls from `c.a` at the centre to 0 at `radius` as
// (1 - d / radius) ^ power.
void Glow(const View& v, Vec2 centre, float radius, Color c, float power = 2, Blend blend = Blend::Over);
// A soft light around a shape: alpha falls from c.a at the shape's edge to 0
// at `reach` outside it (and is c.a inside).
void GlowShape(const View& v, const Shape& s, float reach, Color c, float power = 2, Blend blend = Blend::Over);
// Fills the shape, then draws an outline of `width` outside it in `ink`.
void FillOutlined(const View& v, const Shape& s, const Paint& paint, float width, Color ink);

}  // namespace assetgen

#endif
