// graphics/image.cpp - c_Image and c_Frame: frame layouts, flags, loading and the font.
#include "graphics/graphics.h"
#include "host/files.h"
#include "runtime/error.h"

int c_Image::m_DefaultFlags;

namespace {

const char* const kDefaultFontFile = "quib_font.png";
const int kDefaultFontFrames = 96;
const int kDefaultFontFirstChar = 32;

// The surface of a file below the data folder, or null.
gxtkSurface* load_surface(const String& path) {
    if (!bb_graphics_device) return nullptr;
    return bb_graphics_device->LoadSurface(bb_data_FixDataPath(path));
}

}  // namespace

// ---------------------------------------------------------------------------
// c_Frame
// ---------------------------------------------------------------------------

c_Frame* c_Frame::m_new(int x, int y) {
    m_x = x;
    m_y = y;
    return this;
}

// ---------------------------------------------------------------------------
// c_Image
// ---------------------------------------------------------------------------

int c_Image::p_SetHandle(float tx, float ty) {
    m_tx = tx;
    m_ty = ty;
    m_flags &= ~kCentreHandle;
    return 0;
}

c_Image* c_Image::p_Init(gxtkSurface* surface, int frameCount, int flags) {
    // A strip has at least one frame; zero would divide by zero.
    if (frameCount < 1) frameCount = 1;
    gc_assign(m_surface, surface);
    ++surface->images;
    m_width = surface->Width() / frameCount;
    m_height = surface->Height();
    m_frames = Array<c_Frame*>(frameCount);
    for (int i = 0; i < frameCount; ++i) gc_assign(m_frames[i], (new c_Frame())->m_new(i * m_width, 0));
    p_ApplyFlags(flags);
    return this;
}

c_Image* c_Image::p_Init2(gxtkSurface* surface, int x, int y, int width, int height, int frameCount, int flags,
                          c_Image* source, int srcx, int srcy, int srcw, int srch) {
    gc_assign(m_surface, surface);
    ++surface->images;
    gc_assign(m_source, source);
    m_width = width;
    m_height = height;
    m_frames = Array<c_Frame*>(frameCount);
    // Wide arithmetic: sizes near the int limit must fail, not wrap into range.
    long long ix = x, iy = y;
    for (int i = 0; i < m_frames.Length(); ++i) {
        if (ix + width > srcw) {
            if (width > srcw) bbError(String("Image frame outside surface"));
            ix = 0;
            iy += height;
        }
        if (iy + height > srch) bbError(String("Image frame outside surface"));
        gc_assign(m_frames[i], (new c_Frame())->m_new(static_cast<int>(srcx + ix), static_cast<int>(srcy + iy)));
        ix += width;
    }
    p_ApplyFlags(flags);
    return this;
}

int c_Image::p_ApplyFlags(int flags) {
    m_flags = flags;
    if (m_flags & kBorderX) {
        for (c_Frame* f : m_frames) f->m_x += 1;
        m_width -= 2;
    }
    if (m_flags & kBorderY) {
        for (c_Frame* f : m_frames) f->m_y += 1;
        m_height -= 2;
    }
    if (m_flags & kCentreHandle) {
        m_tx = static_cast<float>(m_width) * 0.5f;
        m_ty = static_cast<float>(m_height) * 0.5f;
        m_flags &= ~kCentreHandle;
    }
    if (m_frames.Length() == 1 && m_frames[0]->m_x == 0 && m_frames[0]->m_y == 0 &&
        m_width == m_surface->Width() && m_height == m_surface->Height()) {
        m_flags |= kWholeSurface;
    }
    return 0;
}

void c_Image::mark() {
    gc_mark_q(m_surface);
    gc_mark_q(m_frames);
    gc_mark_q(m_source);
}

// ---------------------------------------------------------------------------
// Loading and the font
// ---------------------------------------------------------------------------

c_Image* bb_graphics_LoadImage(String path, int frameCount, int flags) {
    gxtkSurface* surface = load_surface(path);
    if (!surface) return nullptr;
    return (new c_Image())->m_new()->p_Init(surface, frameCount, flags);
}

c_Image* bb_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount, int flags) {
    gxtkSurface* surface = load_surface(path);
    if (!surface) return nullptr;
    return (new c_Image())->m_new()->p_Init2(surface, 0, 0, frameWidth, frameHeight, frameCount, flags, nullptr, 0,
                                            0, surface->Width(), surface->Height());
}

int bb_graphics_SetFont(c_Image* font, int firstChar) {
    c_GraphicsContext* c = bb_graphics_context;
    if (font) {
        gc_assign(c->m_font, font);
        c->m_firstChar = firstChar;
        return 0;
    }
    if (!c->m_defaultFont) {
        gc_assign(c->m_defaultFont, bb_graphics_LoadImage(String(kDefaultFontFile), kDefaultFontFrames, c_Image::kBorderX));
    }
    gc_assign(c->m_font, c->m_defaultFont);
    c->m_firstChar = kDefaultFontFirstChar;
    return 0;
}
