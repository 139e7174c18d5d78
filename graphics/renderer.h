// graphics/renderer.h - gxtkGraphics, the OpenGL 1.x renderer and its vertex batch.
//
// The renderer draws points, lines, rectangles, ovals, polygons and textured
// quads into the host's window through fixed-function client vertex arrays.
// Every position is transformed on the CPU as it is appended; OpenGL's
// modelview matrix stays the identity and one unit is one window pixel,
// origin top-left, y down.
//
// The batch. Every draw call appends vertices to `vertices`. All primitives in
// the batch have the same vertex count (`primType`) and the same texture
// (`primSurf`, null for untextured ones). The batch is sent to OpenGL (a
// flush) only when:
//   - a primitive of another vertex count or texture arrives,
//   - the next primitive does not fit into the kBatchVertices vertices,
//   - an opaque batch meets a quad that needs blending (below),
//   - OpenGL must see the pixels or state as they are: SetBlend (when the
//     mode changes), SetScissor, ReadPixels, WritePixels2, and EndRender.
// Cls drops the pending batch instead of drawing it. Invariant:
// 0 <= primCount <= kBatchVertices. Colour, matrix and alpha changes never
// flush: each vertex keeps the colour and transform it was appended with.
//
// Two things let a frame drawn from an atlas (graphics/atlas.cpp) go out in
// very few draw calls without changing a pixel:
//   - Untextured quads join a batch of a surface that has a white texel
//     (`whiteU`, `whiteV`): they sample it, and white times the vertex
//     colour is the vertex colour. A batch of untextured quads takes on such
//     a surface when its first textured quad arrives.
//   - Opaque batches. A quad that covers only opaque texels (the caller says
//     so: DrawSurfaceRect) drawn with an opaque colour in alpha-blending mode
//     gives the same pixels with blending off, which costs the rasteriser
//     far less. A batch that starts with such quads is drawn without
//     blending (`primOpaque`) until the first quad that needs blending,
//     which flushes it; opaque quads after that join the blended batch
//     (blending them is exact too). Nothing is reordered.
//
// Colours are packed premultiplied: the vertex colour is (r*a, g*a, b*a, 255*a)
// in bytes, because textures hold premultiplied pixels and the blend
// functions expect premultiplied sources.
//
// Lifetime: created once by the framework after the window is open; lives
// until the process ends. Drawing is valid between BeginRender and EndRender.
// The renderer keeps the batch's surface alive (mark) until the batch is sent
// and the frame ends, so an image dropped right after it was drawn still
// draws. Main thread only. Nothing here allocates while drawing.
#ifndef LANTERN_GRAPHICS_RENDERER_H
#define LANTERN_GRAPHICS_RENDERER_H

#include <cstdint>

#include "graphics/surface.h"

// One vertex as OpenGL reads it: 20 bytes, tightly packed.
struct gxtkVertex {
    float x, y;      // window pixels, already transformed
    float u, v;      // texture coordinates (left alone for untextured vertices)
    uint32_t color;  // bytes in memory: red, green, blue, alpha (premultiplied)
};
static_assert(sizeof(gxtkVertex) == 20, "the vertex record is read by OpenGL with stride 20");

const int kBatchVertices = 4096;                  // batch capacity, vertices
const int kBatchQuads = kBatchVertices / 4;       // 1024 quads
const int kQuadIndices = kBatchQuads * 6;         // 6144 indices
const int kMaxPolygonVertices = 1024;             // corners of one polygon or oval, at most

// Texture coordinates are moved this far into the texel (texels): a pixel
// whose centre falls exactly on the line between two texels, which happens
// whenever art is drawn at half size at a whole-pixel position (a 640 x 480
// window shows the "-hd" art, made for twice that size, at half size), takes
// the texel that exact arithmetic picks (the one after the line), whatever
// rounding the rasteriser's interpolation adds. Without it, which of the two
// it takes depends on the texture's size and the quad's place in it, so the
// same frame could come out a texel apart from another texture. (A pixel
// centre less than this from a frame's far edge may so read one texel past
// it: a packed frame's ring holds a copy of its edge there.)
const float kTexelNudge = 1.0f / 64;

// The quads the game has asked for since start-up, as it asked for them:
// whole frames and rectangles, before margins that show nothing are left out
// and before a rectangle over the whole window becomes a clear. `pixels` is
// the window area they would cover (clipped to the window when not turned),
// and `sizeClass[k]` counts their triangles, two a quad, whose quad has a side
// of 2^k to 2^(k+1) pixels. Nothing in the game reads it: the benchmark's
// frame probe finds it by name, so that its yardsticks can draw the load the
// game's frames ask for (the executable exports the symbol). Nothing is
// counted until the reader sets `counting`, so play does not pay for it.
struct RequestedGeometry {
    int64_t quads;
    double pixels;
    int64_t sizeClass[12];
    int32_t counting;
};
extern "C" RequestedGeometry lantern_requested_geometry;

class gxtkGraphics : public Object {
public:
    int32_t width, height;   // window client size, pixels (re-read every frame)
    uint32_t color;          // current vertex colour, packed and premultiplied
    float r, g, b;           // current colour, 0..255
    float alpha;             // current alpha, 0..1
    float ix, iy, jx, jy, tx, ty;  // current matrix: x' = x*ix + y*jx + tx, y' = x*iy + y*jy + ty
    bool tformed;            // the matrix is not the identity
    gxtkVertex vertices[kBatchVertices];
    uint16_t quadIndices[kQuadIndices];
    int32_t primType;        // vertices per primitive in the batch
    int32_t primCount;       // vertices in the batch
    gxtkSurface* primSurf;   // texture of the batch, null when untextured
    bool primOpaque;         // the batch holds only opaque quads and is drawn without blending
    int32_t blend;           // current blend mode: 1 additive, anything else alpha blending
    bool scissored;          // the scissor test is on

    int32_t fbWidth, fbHeight;  // framebuffer size, pixels (equal to the window size on X11)
    long long drawCalls;        // OpenGL draw calls issued so far (for tests and measuring)

    gxtkGraphics();

    virtual int Width() { return width; }
    virtual int Height() { return height; }
    // Prepares OpenGL for a frame and empties the batch. Returns 1 (draw the frame).
    virtual int BeginRender();
    // Flushes the batch and shows the frame.
    virtual int EndRender();
    virtual int DiscardGraphics() { return 0; }

    // Surfaces and pixel transfer (graphics/surface.cpp).
    // A new surface loaded from a file with its texture made, or null.
    virtual gxtkSurface* LoadSurface(String path);
    // Reads and decodes a file into `surface` without any OpenGL call;
    // returns the surface, or null when the file cannot be read or decoded.
    virtual gxtkSurface* LoadSurface__UNSAFE__(gxtkSurface* surface, String path);
    // A new empty RGBA surface of the given size, already bound.
    virtual gxtkSurface* CreateSurface(int width, int height);

    // Clears the window to (r, g, b) (0..255) and drops the pending batch.
    virtual int Cls(float r, float g, float b);
    virtual int SetAlpha(float alpha);
    virtual int SetColor(float r, float g, float b);
    // 1: additive; anything else: alpha blending of premultiplied colour.
    // Flushes when the mode changes.
    virtual int SetBlend(int blend);
    // Top-left origin. The whole window turns the scissor test off.
    virtual int SetScissor(int x, int y, int w, int h);
    virtual int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);

    virtual int DrawPoint(float x, float y);
    // A rectangle in an opaque colour over the whole window (unclipped,
    // alpha blending) is drawn as a clear: the same pixels for less.
    virtual int DrawRect(float x, float y, float w, float h);
    virtual int DrawLine(float x1, float y1, float x2, float y2);
    // The ellipse inscribed in the box, as a polygon of 12 to 1024 corners.
    virtual int DrawOval(float x, float y, float w, float h);
    // A convex polygon from x, y pairs; skipped unless it has 1 to 1024 corners.
    virtual int DrawPoly(Array<float> verts);
    // A textured convex polygon from x, y, u, v quadruples; (u, v) are pixels
    // of the surface relative to (srcx, srcy).
    virtual int DrawPoly2(Array<float> verts, gxtkSurface* surface, int srcx, int srcy);
    // The whole surface with its top-left corner at (x, y).
    virtual int DrawSurface(gxtkSurface* surface, float x, float y);
    // The source rectangle (srcx, srcy, srcw, srch) of the surface at (x, y).
    virtual int DrawSurface2(gxtkSurface* surface, float x, float y, int srcx, int srcy, int srcw, int srch);
    // DrawSurface2 for a caller that knows whether every texel of the source
    // rectangle is opaque (`opaqueTexels`), so that the quad may go out
    // without blending. The graphics module draws image frames through here.
    int DrawSurfaceRect(gxtkSurface* surface, float x, float y, int srcx, int srcy, int srcw, int srch,
                        bool opaqueTexels);

    // Copies a rectangle of the framebuffer (top-left origin) into
    // pixels[offset + row * pitch + column] as 0xAARRGGBB, top row first.
    // Does nothing when the rectangle would not fit the array.
    virtual int ReadPixels(Array<int> pixels, int x, int y, int width, int height, int offset, int pitch);
    // Copies pixels[offset + row * pitch + column] (0xAARRGGBB) into a
    // rectangle of the surface. Does nothing when the rectangle would read
    // outside the array; the part outside the surface is dropped.
    virtual int WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int width, int height,
                             int offset, int pitch);

    void mark() override;

    // Counts a quad of w x h pixels at (x, y), under the current matrix, in
    // lantern_requested_geometry, once a reader has set its `counting`.
    void NoteRequested(float x, float y, float w, float h) const {
        if (lantern_requested_geometry.counting) CountRequested(x, y, w, h);
    }

    // Sends the batch to OpenGL and empties it.
    void Flush();

private:
    // The counting behind NoteRequested.
    void CountRequested(float x, float y, float w, float h) const;
    // Reserves `count` vertices for primitives of `type` vertices with texture
    // `surface`, flushing first when they cannot join the batch.
    gxtkVertex* Begin(int type, int count, gxtkSurface* surface);
    // Reserves one quad. `surface` null: untextured, and the quad's texture
    // coordinates are set here (to the batch surface's white texel, if it
    // has one). `opaque`: the quad covers only opaque texels (or none).
    gxtkVertex* BeginQuad(gxtkSurface* surface, bool opaque);
    // The rectangle, transformed, covers the whole window.
    bool CoversWindow(float x, float y, float w, float h) const;
    // The current colour is opaque and blending is alpha blending: an opaque
    // quad drawn now replaces what is under it.
    bool Replaces() const { return blend != 1 && (color >> 24) == 255; }
    // Applies the current matrix to the positions of `count` vertices.
    void Transform(gxtkVertex* v, int count) const;
    void PackColor();
    void DrawBatch();
    void ReadWindowSize();
};

#endif
