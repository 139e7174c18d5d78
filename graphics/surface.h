// graphics/surface.h - gxtkSurface: decoded pixels and the texture made from them.
//
// A surface keeps its pixels in `data` (malloc'd, owned, premultiplied by
// alpha, rows of `width` pixels of `depth` bytes with no gaps) and an OpenGL
// texture made from them. The texture is created lazily by Bind, and tagged
// with the graphicsContextSeq under which it was made: once the window (and with
// it the OpenGL context) has been re-opened the tag no longer matches, the old
// texture counts as lost and the next Bind uploads the kept pixels into a new
// one. No file is read again.
//
// Lifetime: a surface is a collected object. Its texture and pixels are
// released by Discard (safe to repeat) or by the destructor; a texture is
// deleted only while its context is still the current one. The pixels and the
// texture are reported to the collector as native memory, so dropping big
// surfaces ends a collection cycle soon and their destructors run a few steps
// later (see runtime/gc.h). A surface still in the renderer's batch is kept
// alive by the renderer until the frame ends.
//
// Main thread only: every OpenGL call needs the window's context.
#ifndef LANTERN_GRAPHICS_SURFACE_H
#define LANTERN_GRAPHICS_SURFACE_H

#include <cstdint>

#include "runtime/array.h"

class gxtkSurface : public Object {
public:
    unsigned char* data;  // owned pixels, premultiplied; null when there are none
    int width, height;    // image size, pixels (the texture may be larger)
    int depth;            // bytes per pixel: 1 grey, 2 grey+alpha, 3 RGB, 4 RGBA
    uint32_t format;      // OpenGL pixel format matching depth (also the internal format)
    int seq;              // graphicsContextSeq when `texture` was made; -1: no texture
    uint32_t texture;     // OpenGL texture name
    float uscale, vscale; // 1 / texture width, 1 / texture height (pixel -> texture coordinate)
    int64_t dataBytes;    // size of `data` as reported to the collector (bytes)
    int64_t textureBytes; // estimated size of the texture, 4 bytes a texel (bytes)
    int whiteX, whiteY;   // a texel inside a block of opaque white texels, or -1: none (pixels)
    uint32_t pixelsVersion; // counts changes of the pixels (what was measured of them may be out of date)
    int images;           // c_Images ever given this surface; never counted down, since images die
                          // at the collector's leisure (a surface of one image is that image's alone)

    gxtkSurface();
    ~gxtkSurface() override;

    // Deletes the texture (if it belongs to the current context) and frees the
    // pixels. Width and height stay. Returns 0.
    virtual int Discard();
    virtual int Width() { return width; }
    virtual int Height() { return height; }
    virtual int Loaded() { return 1; }
    // The main-thread half of a load: creates the texture. Returns 1.
    virtual int OnUnsafeLoadComplete();

    // Takes ownership of a malloc'd pixel buffer and premultiplies it in place.
    void SetData(unsigned char* pixels, int width, int height, int depth);
    // Writes a w x h rectangle of 0xAARRGGBB values (rows `pitch` values apart)
    // at (x, y), premultiplied. Only RGBA surfaces are written; the rectangle
    // is clipped to the surface. The caller guarantees that every value of the
    // clipped rectangle lies inside `values`.
    void SetSubData(int x, int y, int w, int h, const int* values, int pitch);
    // Takes ownership of a malloc'd w x h RGBA buffer whose colour is already
    // premultiplied (as another surface's pixels are).
    void SetPremultipliedData(unsigned char* rgba, int w, int h);
    // Makes the texture current, creating and filling it first if the current
    // context has none. Does nothing while no window exists.
    void Bind();
    // Gives the texture back and keeps the pixels: for a surface whose pixels
    // have been copied elsewhere and are not expected to be drawn from again.
    // Should it be drawn after all, Bind makes the texture anew.
    void DropTexture() { ReleaseTexture(); }

    // The white texel, which lets untextured quads join this surface's
    // batches (see graphics/renderer.h), as texture coordinates.
    bool HasWhiteTexel() const { return whiteX >= 0; }
    float WhiteU() const { return (whiteX + 0.5f) * uscale; }
    float WhiteV() const { return (whiteY + 0.5f) * vscale; }

private:
    void AdoptData(unsigned char* pixels, int64_t bytes);
    void FreeData();
    void ReleaseTexture();
    void CreateTexture();
    void UploadRows(int x, int y, int w, int h);
};

// Surfaces not yet destroyed, and the native bytes (pixels and textures) they
// hold: for tests and measurements.
int gxtkLiveSurfaces();
int64_t gxtkSurfaceNativeBytes();

// OpenGL pixel format for `depth` bytes per pixel (0 for anything else).
uint32_t gxtkFormatForDepth(int depth);
// Premultiplies `count` pixels of `depth` bytes in place (grey+alpha and RGBA;
// grey and RGB have no alpha and stay as they are).
void gxtkPremultiply(unsigned char* pixels, long count, int depth);

#endif
