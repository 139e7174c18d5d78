// graphics/renderer.cpp - gxtkGraphics: frames, render state, the batch and primitives.
//
// Depends on the host (BBGame::_game) for the window's size and buffer
// swaps; surfaces and pixel transfer live in graphics/surface.cpp.
#include "graphics/renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "host/game.h"

namespace {

// One premultiplied colour byte: truncated toward zero and kept within a byte,
// so that a channel out of range never spills into its neighbours.
uint32_t color_byte(float value) {
    if (!(value > 0)) return 0;  // also NaN
    if (value >= 255) return 255;
    return static_cast<uint32_t>(value);
}

int clamp_to_int(double v) {
    if (v <= -2147483648.0) return -2147483647 - 1;
    if (v >= 2147483647.0) return 2147483647;
    return static_cast<int>(v);
}

// Corner count of an oval whose two radius vectors are `size` pixels long in
// total: 12 for small ones, then one corner per pixel in steps of 4, at most
// the corners of one polygon.
int oval_segments(double size) {
    if (!(size < kMaxPolygonVertices + 1)) return kMaxPolygonVertices;  // also NaN
    int s = static_cast<int>(size);
    if (s <= 11) return 12;
    return s & ~3;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction and frames
// ---------------------------------------------------------------------------

gxtkGraphics::gxtkGraphics()
    : width(0), height(0), color(0), r(255), g(255), b(255), alpha(1), ix(1), iy(0), jx(0), jy(1), tx(0),
      ty(0), tformed(false), primType(0), primCount(0), primSurf(nullptr), primOpaque(false), blend(0), scissored(false),
      fbWidth(0), fbHeight(0), drawCalls(0) {
    ReadWindowSize();
    PackColor();
    for (int q = 0; q < kBatchQuads; ++q) {
        uint16_t* i = &quadIndices[q * 6];
        uint16_t first = static_cast<uint16_t>(q * 4);
        // Two triangles sharing the first and third corner.
        i[0] = first;
        i[1] = first + 1;
        i[2] = first + 2;
        i[3] = first;
        i[4] = first + 2;
        i[5] = first + 3;
    }
}

void gxtkGraphics::ReadWindowSize() {
    // Without a window (or a host) the sizes stay as they were.
    if (BBGame::_game) BBGame::_game->GetWindowSize(&width, &height, &fbWidth, &fbHeight);
}

int gxtkGraphics::BeginRender() {
    ReadWindowSize();

    glViewport(0, 0, fbWidth, fbHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // An iconified window may report a size of 0, for which there is no projection.
    if (width > 0 && height > 0) glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(gxtkVertex), &vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(gxtkVertex), &vertices[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(gxtkVertex), &vertices[0].color);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    blend = 0;
    glDisable(GL_TEXTURE_2D);

    primCount = 0;
    return 1;
}

int gxtkGraphics::EndRender() {
    Flush();
    // The batch is empty: forget its texture so that it does not keep the
    // surface alive beyond the frame.
    primSurf = nullptr;
    if (BBGame::_game) BBGame::_game->SwapBuffers();
    return 0;
}

void gxtkGraphics::mark() { gc_mark_q(primSurf); }

// ---------------------------------------------------------------------------
// Render state
// ---------------------------------------------------------------------------

void gxtkGraphics::PackColor() {
    color = color_byte(alpha * 255) << 24 | color_byte(b * alpha) << 16 | color_byte(g * alpha) << 8 |
            color_byte(r * alpha);
}

int gxtkGraphics::Cls(float red, float green, float blue) {
    primCount = 0;
    glClearColor(red / 255.0f, green / 255.0f, blue / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
}

int gxtkGraphics::SetAlpha(float a) {
    alpha = a;
    PackColor();
    return 0;
}

int gxtkGraphics::SetColor(float red, float green, float blue) {
    r = red;
    g = green;
    b = blue;
    PackColor();
    return 0;
}

int gxtkGraphics::SetBlend(int mode) {
    // Modes other than 1 are all alpha blending.
    if ((mode == 1) == (blend == 1)) return 0;
    Flush();
    blend = mode;
    if (blend == 1) {
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }
    return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int w, int h) {
    Flush();
    if (x == 0 && y == 0 && w == Width() && h == Height()) {
        glDisable(GL_SCISSOR_TEST);
        scissored = false;
        return 0;
    }
    scissored = true;
    // OpenGL rejects a negative size and would keep the previous rectangle;
    // an empty one clips everything, which is what such a box means.
    if (w < 0) w = 0;
    if (h < 0) h = 0;
    // Window units to framebuffer pixels (the same on X11), bottom-left
    // origin; worked out wide so that extreme boxes cannot overflow.
    double sx = width > 0 ? static_cast<double>(fbWidth) / width : 1;
    double sy = height > 0 ? static_cast<double>(fbHeight) / height : 1;
    glEnable(GL_SCISSOR_TEST);
    glScissor(clamp_to_int(x * sx), clamp_to_int((static_cast<double>(Height()) - y - h) * sy), clamp_to_int(w * sx),
              clamp_to_int(h * sy));
    return 0;
}

int gxtkGraphics::SetMatrix(float mix, float miy, float mjx, float mjy, float mtx, float mty) {
    ix = mix;
    iy = miy;
    jx = mjx;
    jy = mjy;
    tx = mtx;
    ty = mty;
    tformed = !(ix == 1 && iy == 0 && jx == 0 && jy == 1 && tx == 0 && ty == 0);
    return 0;
}

// ---------------------------------------------------------------------------
// The batch
// ---------------------------------------------------------------------------

gxtkVertex* gxtkGraphics::Begin(int type, int count, gxtkSurface* surface) {
    // An untextured primitive in an opaque colour replaces what it covers.
    bool opaque = !surface && Replaces();
    if (type == primType && surface == primSurf && (opaque || !primOpaque) && primCount + count <= kBatchVertices) {
        gxtkVertex* v = &vertices[primCount];
        primCount += count;
        return v;
    }
    if (primCount > 0) Flush();
    primType = type;
    gc_assign(primSurf, surface);
    primOpaque = opaque;
    primCount = count;
    return vertices;
}

gxtkVertex* gxtkGraphics::BeginQuad(gxtkSurface* surface, bool opaque) {
    opaque = opaque && Replaces();
    bool joins = false;
    if (primCount > 0 && primType == 4 && primCount + 4 <= kBatchVertices && (opaque || !primOpaque)) {
        if (surface == primSurf) {
            joins = true;
        } else if (!surface && primSurf->HasWhiteTexel()) {
            joins = true;
        } else if (!primSurf && surface->HasWhiteTexel()) {
            // The batch so far is untextured quads: they sample the white
            // texel from now on.
            float u = surface->WhiteU(), v = surface->WhiteV();
            for (int i = 0; i < primCount; ++i) {
                vertices[i].u = u;
                vertices[i].v = v;
            }
            gc_assign(primSurf, surface);
            joins = true;
        }
    }
    if (!joins) {
        if (primCount > 0) Flush();
        primType = 4;
        gc_assign(primSurf, surface);
        primOpaque = opaque;
        primCount = 0;
    }
    gxtkVertex* v = &vertices[primCount];
    primCount += 4;
    if (!surface && primSurf) {
        float u = primSurf->WhiteU(), w = primSurf->WhiteV();
        for (int i = 0; i < 4; ++i) {
            v[i].u = u;
            v[i].v = w;
        }
    }
    return v;
}

void gxtkGraphics::Transform(gxtkVertex* v, int count) const {
    if (!tformed) return;
    for (int i = 0; i < count; ++i) {
        float x = v[i].x, y = v[i].y;
        v[i].x = x * ix + y * jx + tx;
        v[i].y = x * iy + y * jy + ty;
    }
}

void gxtkGraphics::Flush() {
    if (primCount == 0) return;
    if (primSurf) {
        glEnable(GL_TEXTURE_2D);
        primSurf->Bind();
    }
    if (primOpaque) glDisable(GL_BLEND);
    DrawBatch();
    if (primOpaque) glEnable(GL_BLEND);
    if (primSurf) glDisable(GL_TEXTURE_2D);
    primCount = 0;
}

void gxtkGraphics::DrawBatch() {
    switch (primType) {
        case 1:
            glDrawArrays(GL_POINTS, 0, primCount);
            ++drawCalls;
            break;
        case 2:
            glDrawArrays(GL_LINES, 0, primCount);
            ++drawCalls;
            break;
        case 3:
            glDrawArrays(GL_TRIANGLES, 0, primCount);
            ++drawCalls;
            break;
        case 4:
            glDrawElements(GL_TRIANGLES, primCount / 4 * 6, GL_UNSIGNED_SHORT, quadIndices);
            ++drawCalls;
            break;
        default:
            for (int first = 0; first < primCount; first += primType) {
                glDrawArrays(GL_TRIANGLE_FAN, first, primType);
                ++drawCalls;
            }
            break;
    }
}

// ---------------------------------------------------------------------------
// Primitives
// ---------------------------------------------------------------------------

int gxtkGraphics::DrawPoint(float x, float y) {
    gxtkVertex* v = Begin(1, 1, nullptr);
    v[0].x = x;
    v[0].y = y;
    v[0].color = color;
    Transform(v, 1);
    return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
    gxtkVertex* v = Begin(2, 2, nullptr);
    v[0].x = x1;
    v[0].y = y1;
    v[0].color = color;
    v[1].x = x2;
    v[1].y = y2;
    v[1].color = color;
    Transform(v, 2);
    return 0;
}

bool gxtkGraphics::CoversWindow(float x, float y, float w, float h) const {
    float x0 = x, y0 = y, x1 = x + w, y1 = y + h;
    if (tformed) {
        if (iy != 0 || jx != 0) return false;  // turned: not worth working out
        x0 = x * ix + tx;
        x1 = (x + w) * ix + tx;
        y0 = y * jy + ty;
        y1 = (y + h) * jy + ty;
    }
    return std::fmin(x0, x1) <= 0 && std::fmin(y0, y1) <= 0 && std::fmax(x0, x1) >= width &&
           std::fmax(y0, y1) >= height;
}

RequestedGeometry lantern_requested_geometry;

void gxtkGraphics::CountRequested(float x, float y, float w, float h) const {
    double area;
    if (!tformed || (iy == 0 && jx == 0)) {
        float x0 = tformed ? x * ix + tx : x, x1 = tformed ? (x + w) * ix + tx : x + w;
        float y0 = tformed ? y * jy + ty : y, y1 = tformed ? (y + h) * jy + ty : y + h;
        double cw = std::fmin(std::fmax(x0, x1), width) - std::fmax(std::fmin(x0, x1), 0.0f);
        double ch = std::fmin(std::fmax(y0, y1), height) - std::fmax(std::fmin(y0, y1), 0.0f);
        area = cw > 0 && ch > 0 ? cw * ch : 0;
    } else {
        area = std::fabs(static_cast<double>(w) * h * (ix * jy - iy * jx));
    }
    RequestedGeometry& r = lantern_requested_geometry;
    ++r.quads;
    r.pixels += area;
    // floor(log2(area) / 2) is the class of the quad's side.
    int k = area < 1 ? 0 : std::min(11, std::ilogb(area) / 2);
    r.sizeClass[k] += 2;
}

int gxtkGraphics::DrawRect(float x, float y, float w, float h) {
    if (!scissored && Replaces() && CoversWindow(x, y, w, h)) {
        // An opaque rectangle over the whole window hides everything drawn
        // before it: it is a clear to its colour, which costs the rasteriser
        // next to nothing.
        primCount = 0;
        glClearColor((color & 0xff) / 255.0f, (color >> 8 & 0xff) / 255.0f, (color >> 16 & 0xff) / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        return 0;
    }
    NoteRequested(x, y, w, h);
    gxtkVertex* v = BeginQuad(nullptr, true);
    float x1 = x + w, y1 = y + h;
    v[0].x = x;  v[0].y = y;
    v[1].x = x1; v[1].y = y;
    v[2].x = x1; v[2].y = y1;
    v[3].x = x;  v[3].y = y1;
    for (int i = 0; i < 4; ++i) v[i].color = color;
    Transform(v, 4);
    return 0;
}

int gxtkGraphics::DrawOval(float x, float y, float w, float h) {
    float xr = w * 0.5f, yr = h * 0.5f;
    float cx = x + xr, cy = y + yr;

    float size;
    if (tformed) {
        // Lengths of the two transformed radius vectors.
        float ax = xr * ix, ay = xr * iy, bx = yr * jx, by = yr * jy;
        size = std::sqrt(ax * ax + ay * ay) + std::sqrt(bx * bx + by * by);
    } else {
        size = std::fabs(std::trunc(xr)) + std::fabs(std::trunc(yr));
    }
    int n = oval_segments(size);

    gxtkVertex* v = Begin(n, n, nullptr);
    for (int i = 0; i < n; ++i) {
        float th = static_cast<float>(i) * 6.2831855f / static_cast<float>(n);
        v[i].x = cx + xr * std::cos(th);
        v[i].y = cy - yr * std::sin(th);
        v[i].color = color;
    }
    Transform(v, n);
    return 0;
}

int gxtkGraphics::DrawPoly(Array<float> verts) {
    int n = verts.Length() / 2;
    if (n < 1 || n > kMaxPolygonVertices) return 0;
    gxtkVertex* v = Begin(n, n, nullptr);
    const float* p = verts.begin();
    for (int i = 0; i < n; ++i) {
        v[i].x = p[i * 2];
        v[i].y = p[i * 2 + 1];
        v[i].color = color;
    }
    Transform(v, n);
    return 0;
}

int gxtkGraphics::DrawPoly2(Array<float> verts, gxtkSurface* surface, int srcx, int srcy) {
    int n = verts.Length() / 4;
    if (n < 1 || n > kMaxPolygonVertices || !surface) return 0;
    gxtkVertex* v = Begin(n, n, surface);
    const float* p = verts.begin();
    for (int i = 0; i < n; ++i) {
        v[i].x = p[i * 4];
        v[i].y = p[i * 4 + 1];
        v[i].u = (srcx + p[i * 4 + 2] + kTexelNudge) * surface->uscale;
        v[i].v = (srcy + p[i * 4 + 3] + kTexelNudge) * surface->vscale;
        v[i].color = color;
    }
    Transform(v, n);
    return 0;
}

int gxtkGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
    if (!surface) return 0;
    gxtkVertex* v = BeginQuad(surface, false);
    float w = static_cast<float>(surface->Width()), h = static_cast<float>(surface->Height());
    float u0 = kTexelNudge * surface->uscale, v0 = kTexelNudge * surface->vscale;
    float u1 = (w + kTexelNudge) * surface->uscale, v1 = (h + kTexelNudge) * surface->vscale;
    float x1 = x + w, y1 = y + h;
    v[0].x = x;  v[0].y = y;  v[0].u = u0; v[0].v = v0;
    v[1].x = x1; v[1].y = y;  v[1].u = u1; v[1].v = v0;
    v[2].x = x1; v[2].y = y1; v[2].u = u1; v[2].v = v1;
    v[3].x = x;  v[3].y = y1; v[3].u = u0; v[3].v = v1;
    for (int i = 0; i < 4; ++i) v[i].color = color;
    Transform(v, 4);
    return 0;
}

int gxtkGraphics::DrawSurface2(gxtkSurface* surface, float x, float y, int srcx, int srcy, int srcw, int srch) {
    return DrawSurfaceRect(surface, x, y, srcx, srcy, srcw, srch, false);
}

int gxtkGraphics::DrawSurfaceRect(gxtkSurface* surface, float x, float y, int srcx, int srcy, int srcw, int srch,
                                  bool opaqueTexels) {
    if (!surface) return 0;
    gxtkVertex* v = BeginQuad(surface, opaqueTexels);
    float u0 = (srcx + kTexelNudge) * surface->uscale, u1 = (srcx + srcw + kTexelNudge) * surface->uscale;
    float v0 = (srcy + kTexelNudge) * surface->vscale, v1 = (srcy + srch + kTexelNudge) * surface->vscale;
    float x1 = x + srcw, y1 = y + srch;
    v[0].x = x;  v[0].y = y;  v[0].u = u0; v[0].v = v0;
    v[1].x = x1; v[1].y = y;  v[1].u = u1; v[1].v = v0;
    v[2].x = x1; v[2].y = y1; v[2].u = u1; v[2].v = v1;
    v[3].x = x;  v[3].y = y1; v[3].u = u0; v[3].v = v1;
    for (int i = 0; i < 4; ++i) v[i].color = color;
    Transform(v, 4);
    return 0;
}
