// graphics/surface.cpp - gxtkSurface, loading surfaces, and the renderer's pixel transfer.
//
// Depends on the host for files (BBGame::LoadImageData, graphics/image_data.cpp)
// and for graphicsContextSeq, which tells a texture that its context is gone.
#include "graphics/surface.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "graphics/renderer.h"
#include "host/game.h"

namespace {

// Smallest power of two not below `size` (1 for anything below 2).
int power_of_two_at_least(int size) {
    int p = 1;
    while (p < size && p < (1 << 30)) p *= 2;
    return p;
}

// Forgets OpenGL errors left by earlier calls, so that the next glGetError
// reports only on the call that follows.
void clear_gl_errors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

// The part of a rectangle that lies inside a w x h area, and how many columns
// and rows were cut from its left and top.
struct Clip {
    int x, y, w, h;
    int skipX, skipY;
    bool Empty() const { return w <= 0 || h <= 0; }
};

Clip clip_rect(int x, int y, int w, int h, int areaW, int areaH) {
    long long x0 = std::max<long long>(x, 0), y0 = std::max<long long>(y, 0);
    long long x1 = std::min<long long>(static_cast<long long>(x) + w, areaW);
    long long y1 = std::min<long long>(static_cast<long long>(y) + h, areaH);
    Clip c;
    c.x = static_cast<int>(x0);
    c.y = static_cast<int>(y0);
    c.w = x1 > x0 ? static_cast<int>(x1 - x0) : 0;
    c.h = y1 > y0 ? static_cast<int>(y1 - y0) : 0;
    c.skipX = static_cast<int>(x0 - x);
    c.skipY = static_cast<int>(y0 - y);
    return c;
}

// True when every element offset + row * pitch + column (row < h, column < w)
// lies inside an array of `length` elements.
bool rows_inside_array(long long offset, int w, int h, int pitch, int length) {
    long long lastRow = static_cast<long long>(h - 1) * pitch;
    long long lowest = offset + std::min<long long>(0, lastRow);
    long long highest = offset + std::max<long long>(0, lastRow) + w - 1;
    return lowest >= 0 && highest < length;
}

int live_surfaces;
int64_t surface_native_bytes;  // pixels and textures of live surfaces (bytes)

}  // namespace

int gxtkLiveSurfaces() { return live_surfaces; }
int64_t gxtkSurfaceNativeBytes() { return surface_native_bytes; }

uint32_t gxtkFormatForDepth(int depth) {
    switch (depth) {
        case 1: return GL_LUMINANCE;
        case 2: return GL_LUMINANCE_ALPHA;
        case 3: return GL_RGB;
        case 4: return GL_RGBA;
        default: return 0;
    }
}

void gxtkPremultiply(unsigned char* pixels, long count, int depth) {
    if (depth == 2) {
        for (long i = 0; i < count; ++i) {
            unsigned char* p = pixels + i * 2;
            p[0] = static_cast<unsigned char>(p[0] * p[1] / 255);
        }
    } else if (depth == 4) {
        for (long i = 0; i < count; ++i) {
            unsigned char* p = pixels + i * 4;
            unsigned a = p[3];
            p[0] = static_cast<unsigned char>(p[0] * a / 255);
            p[1] = static_cast<unsigned char>(p[1] * a / 255);
            p[2] = static_cast<unsigned char>(p[2] * a / 255);
        }
    }
}

// ---------------------------------------------------------------------------
// gxtkSurface
// ---------------------------------------------------------------------------

gxtkSurface::gxtkSurface()
    : data(nullptr), width(0), height(0), depth(0), format(0), seq(-1), texture(0), uscale(0), vscale(0),
      dataBytes(0), textureBytes(0), whiteX(-1), whiteY(-1),
      pixelsVersion(0), images(0) {
    ++live_surfaces;
}

gxtkSurface::~gxtkSurface() {
    ReleaseTexture();
    FreeData();
    --live_surfaces;
}

void gxtkSurface::AdoptData(unsigned char* pixels, int64_t bytes) {
    FreeData();
    data = pixels;
    dataBytes = bytes;
    surface_native_bytes += bytes;
    gc_external_alloc(this, bytes);
}

void gxtkSurface::FreeData() {
    ++pixelsVersion;
    std::free(data);
    data = nullptr;
    surface_native_bytes -= dataBytes;
    gc_external_free(dataBytes);
    dataBytes = 0;
}

void gxtkSurface::ReleaseTexture() {
    // A texture of an earlier context died with it; its name means nothing now.
    if (seq == graphicsContextSeq && seq > 0) glDeleteTextures(1, &texture);
    seq = -1;
    texture = 0;
    surface_native_bytes -= textureBytes;
    gc_external_free(textureBytes);
    textureBytes = 0;
}

int gxtkSurface::Discard() {
    ReleaseTexture();
    FreeData();
    return 0;
}

int gxtkSurface::OnUnsafeLoadComplete() {
    Bind();
    return 1;
}

void gxtkSurface::SetData(unsigned char* pixels, int w, int h, int bytesPerPixel) {
    ReleaseTexture();
    FreeData();
    if (!gxtkFormatForDepth(bytesPerPixel) || w < 0 || h < 0) {
        std::free(pixels);
        return;
    }
    AdoptData(pixels, static_cast<int64_t>(w) * h * bytesPerPixel);
    width = w;
    height = h;
    depth = bytesPerPixel;
    format = gxtkFormatForDepth(bytesPerPixel);
    gxtkPremultiply(data, static_cast<long>(w) * h, depth);
}

void gxtkSurface::SetPremultipliedData(unsigned char* rgba, int w, int h) {
    ReleaseTexture();
    FreeData();
    if (!rgba || w < 0 || h < 0) {
        std::free(rgba);
        return;
    }
    AdoptData(rgba, static_cast<int64_t>(w) * h * 4);
    width = w;
    height = h;
    depth = 4;
    format = GL_RGBA;
}

void gxtkSurface::Bind() {
    if (graphicsContextSeq == 0) return;
    if (seq == graphicsContextSeq) {
        glBindTexture(GL_TEXTURE_2D, texture);
        return;
    }
    CreateTexture();
}

void gxtkSurface::CreateTexture() {
    // Any texture this surface had belonged to a context that is gone.
    ReleaseTexture();
    seq = graphicsContextSeq;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    clear_gl_errors();
    int texW = width, texH = height;
    glTexImage2D(GL_TEXTURE_2D, 0, format, texW, texH, 0, format, GL_UNSIGNED_BYTE, nullptr);
    if (glGetError() != GL_NO_ERROR) {
        // Some implementations only take power-of-two sizes; the image then
        // occupies the top-left corner of the texture.
        texW = power_of_two_at_least(width);
        texH = power_of_two_at_least(height);
        glTexImage2D(GL_TEXTURE_2D, 0, format, texW, texH, 0, format, GL_UNSIGNED_BYTE, nullptr);
    }
    uscale = texW > 0 ? 1.0f / texW : 0;
    vscale = texH > 0 ? 1.0f / texH : 0;
    textureBytes = static_cast<int64_t>(texW) * texH * 4;
    surface_native_bytes += textureBytes;
    gc_external_alloc(this, textureBytes);

    if (data) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, data);
    }
}

void gxtkSurface::SetSubData(int x, int y, int w, int h, const int* values, int pitch) {
    if (format != GL_RGBA) return;
    Clip c = clip_rect(x, y, w, h, width, height);
    if (c.Empty()) return;
    values += static_cast<long long>(c.skipY) * pitch + c.skipX;
    ++pixelsVersion;

    if (!data) {
        // Pixels not written yet stay transparent rather than undefined.
        size_t bytes = static_cast<size_t>(width) * height * 4;
        unsigned char* pixels = static_cast<unsigned char*>(std::calloc(bytes, 1));
        if (!pixels) return;
        AdoptData(pixels, static_cast<int64_t>(bytes));
    }
    for (int i = 0; i < c.h; ++i) {
        const int* src = values + static_cast<long long>(i) * pitch;
        unsigned char* dst = data + (static_cast<size_t>(c.y + i) * width + c.x) * 4;
        for (int j = 0; j < c.w; ++j) {
            uint32_t argb = static_cast<uint32_t>(src[j]);
            uint32_t a = argb >> 24;
            dst[j * 4 + 0] = static_cast<unsigned char>(((argb >> 16) & 0xff) * a / 255);
            dst[j * 4 + 1] = static_cast<unsigned char>(((argb >> 8) & 0xff) * a / 255);
            dst[j * 4 + 2] = static_cast<unsigned char>((argb & 0xff) * a / 255);
            dst[j * 4 + 3] = static_cast<unsigned char>(a);
        }
    }
    if (seq == graphicsContextSeq) UploadRows(c.x, c.y, c.w, c.h);
}

void gxtkSurface::UploadRows(int x, int y, int w, int h) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (w == width) {
        // Full-width rows are contiguous in `data`.
        glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, format, GL_UNSIGNED_BYTE, data + static_cast<size_t>(y) * width * 4);
        return;
    }
    for (int i = 0; i < h; ++i) {
        const unsigned char* row = data + (static_cast<size_t>(y + i) * width + x) * 4;
        glTexSubImage2D(GL_TEXTURE_2D, 0, x, y + i, w, 1, format, GL_UNSIGNED_BYTE, row);
    }
}

// ---------------------------------------------------------------------------
// Loading and creating surfaces
// ---------------------------------------------------------------------------

gxtkSurface* gxtkGraphics::LoadSurface(String path) {
    gxtkSurface* surface = LoadSurface__UNSAFE__(new gxtkSurface(), path);
    if (surface) surface->Bind();
    return surface;
}

gxtkSurface* gxtkGraphics::LoadSurface__UNSAFE__(gxtkSurface* surface, String path) {
    if (!surface || !BBGame::_game) return nullptr;
    int w = 0, h = 0, depth = 0;
    unsigned char* pixels = BBGame::_game->LoadImageData(path, &w, &h, &depth);
    if (!pixels) return nullptr;
    surface->SetData(pixels, w, h, depth);
    return surface->data ? surface : nullptr;
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
    gxtkSurface* surface = new gxtkSurface();
    surface->width = std::max(w, 0);
    surface->height = std::max(h, 0);
    surface->depth = 4;
    surface->format = GL_RGBA;
    surface->Bind();
    return surface;
}

// ---------------------------------------------------------------------------
// Pixel transfer
// ---------------------------------------------------------------------------

int gxtkGraphics::ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    if (w <= 0 || h <= 0 || !rows_inside_array(offset, w, h, pitch, pixels.Length())) return 0;
    Flush();

    // Only pixels of the framebuffer can be read; elements for the rest of the
    // rectangle keep their values.
    Clip c = clip_rect(x, y, w, h, fbWidth, fbHeight);
    if (c.Empty()) return 0;
    std::vector<unsigned char> buffer(static_cast<size_t>(c.w) * c.h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(c.x, fbHeight - c.y - c.h, c.w, c.h, GL_BGRA, GL_UNSIGNED_BYTE, buffer.data());

    // OpenGL's rows run bottom-up; the array's run top-down.
    for (int i = 0; i < c.h; ++i) {
        const unsigned char* src = &buffer[static_cast<size_t>(c.h - 1 - i) * c.w * 4];
        int* dst = &pixels[offset + (c.skipY + i) * pitch + c.skipX];
        for (int j = 0; j < c.w; ++j, src += 4) {
            uint32_t argb = uint32_t(src[3]) << 24 | uint32_t(src[2]) << 16 | uint32_t(src[1]) << 8 | src[0];
            dst[j] = static_cast<int>(argb);
        }
    }
    return 0;
}

int gxtkGraphics::WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h, int offset,
                               int pitch) {
    if (!surface) return 0;
    Clip c = clip_rect(x, y, w, h, surface->width, surface->height);
    if (c.Empty()) return 0;
    long long first = static_cast<long long>(offset) + static_cast<long long>(c.skipY) * pitch + c.skipX;
    if (!rows_inside_array(first, c.w, c.h, pitch, pixels.Length())) return 0;
    Flush();
    surface->SetSubData(c.x, c.y, c.w, c.h, pixels.begin() + first, pitch);
    return 0;
}
