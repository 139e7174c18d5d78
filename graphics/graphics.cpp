// graphics/graphics.cpp - the graphics module: globals, frames, state, matrix and drawing.
//
// Images, frames, loading and fonts are in graphics/image.cpp.
#include "graphics/graphics.h"

#include <cmath>

gxtkGraphics* bb_graphics_device;
gxtkGraphics* bb_graphics_renderDevice;
c_GraphicsContext* bb_graphics_context;

namespace {

const int kMatrixStackFloats = 32 * 6;  // room for 32 saved matrices

void mark_roots() {
    gc_mark_q(bb_graphics_device);
    gc_mark_q(bb_graphics_context);
    gc_mark_q(bb_graphics_renderDevice);
}

// Truncates toward zero like a plain conversion, but keeps values that have no
// int (huge, NaN) from being undefined.
int to_int(float v) {
    if (!(v > -2147483648.0f)) return v != v ? 0 : -2147483647 - 1;
    if (v >= 2147483648.0f) return 2147483647;
    return static_cast<int>(v);
}

c_GraphicsContext* ctx() { return bb_graphics_context; }

// The matrix changed: note whether it is the identity and that the renderer
// has not seen it yet.
void matrix_changed(c_GraphicsContext* c) {
    c->m_tformed = !(c->m_ix == 1 && c->m_iy == 0 && c->m_jx == 0 && c->m_jy == 1 && c->m_tx == 0 && c->m_ty == 0);
    c->m_matDirty = 1;
}

void set_identity(c_GraphicsContext* c) {
    c->m_ix = 1;
    c->m_iy = 0;
    c->m_jx = 0;
    c->m_jy = 1;
    c->m_tx = 0;
    c->m_ty = 0;
}

}  // namespace

void bb_graphics_init() {
    gc_assign(bb_graphics_device, nullptr);
    gc_assign(bb_graphics_context, (new c_GraphicsContext())->m_new());
    c_Image::m_DefaultFlags = 0;
    gc_assign(bb_graphics_renderDevice, nullptr);
    gc_add_roots(mark_roots);
}

// ---------------------------------------------------------------------------
// c_GraphicsContext
// ---------------------------------------------------------------------------

c_GraphicsContext* c_GraphicsContext::m_new() {
    m_matrixStack = Array<float>(kMatrixStackFloats);
    return this;
}

int c_GraphicsContext::p_Validate() {
    if (m_matDirty) {
        bb_graphics_renderDevice->SetMatrix(m_ix, m_iy, m_jx, m_jy, m_tx, m_ty);
        m_matDirty = 0;
    }
    return 0;
}

void c_GraphicsContext::mark() {
    gc_mark_q(m_defaultFont);
    gc_mark_q(m_font);
    gc_mark_q(m_matrixStack);
}

// ---------------------------------------------------------------------------
// Start-up and frames
// ---------------------------------------------------------------------------

int bb_graphics_SetGraphicsDevice(gxtkGraphics* device) {
    gc_assign(bb_graphics_device, device);
    return 0;
}

int bb_graphics_BeginRender() {
    gc_assign(bb_graphics_renderDevice, bb_graphics_device);
    c_GraphicsContext* c = ctx();
    c->m_matrixSp = 0;
    set_identity(c);
    c->m_tformed = 0;
    c->m_matDirty = 1;
    // The renderer still holds the last matrix of the previous frame; give it
    // the identity now, so that drawing straight on the renderer starts
    // untransformed too.
    if (bb_graphics_renderDevice) c->p_Validate();
    bb_graphics_SetColor(255, 255, 255);
    bb_graphics_SetAlpha(1);
    bb_graphics_SetBlend(0);
    bb_graphics_SetScissor(0, 0, static_cast<float>(bb_graphics_DeviceWidth()),
                           static_cast<float>(bb_graphics_DeviceHeight()));
    return 0;
}

int bb_graphics_EndRender() {
    gc_assign(bb_graphics_renderDevice, nullptr);
    return 0;
}

int bb_graphics_DeviceWidth() { return bb_graphics_device ? bb_graphics_device->Width() : 0; }

int bb_graphics_DeviceHeight() { return bb_graphics_device ? bb_graphics_device->Height() : 0; }

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

int bb_graphics_SetColor(float r, float g, float b) {
    c_GraphicsContext* c = ctx();
    c->m_colorR = r;
    c->m_colorG = g;
    c->m_colorB = b;
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->SetColor(r, g, b);
    return 0;
}

int bb_graphics_SetAlpha(float alpha) {
    ctx()->m_alpha = alpha;
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->SetAlpha(alpha);
    return 0;
}

int bb_graphics_SetBlend(int blend) {
    ctx()->m_blend = blend;
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->SetBlend(blend);
    return 0;
}

int bb_graphics_SetScissor(float x, float y, float w, float h) {
    c_GraphicsContext* c = ctx();
    c->m_scissorX = x;
    c->m_scissorY = y;
    c->m_scissorW = w;
    c->m_scissorH = h;
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->SetScissor(to_int(x), to_int(y), to_int(w), to_int(h));
    return 0;
}

// ---------------------------------------------------------------------------
// Matrix
// ---------------------------------------------------------------------------

int bb_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
    c_GraphicsContext* c = ctx();
    c->m_ix = ix;
    c->m_iy = iy;
    c->m_jx = jx;
    c->m_jy = jy;
    c->m_tx = tx;
    c->m_ty = ty;
    matrix_changed(c);
    return 0;
}

int bb_graphics_SetMatrix2(Array<float> m) {
    if (m.Length() < 6) return 0;
    return bb_graphics_SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int bb_graphics_Transform(float a, float b, float c, float d, float e, float f) {
    c_GraphicsContext* x = ctx();
    float ix = a * x->m_ix + b * x->m_jx;
    float iy = a * x->m_iy + b * x->m_jy;
    float jx = c * x->m_ix + d * x->m_jx;
    float jy = c * x->m_iy + d * x->m_jy;
    float tx = e * x->m_ix + f * x->m_jx + x->m_tx;
    float ty = e * x->m_iy + f * x->m_jy + x->m_ty;
    return bb_graphics_SetMatrix(ix, iy, jx, jy, tx, ty);
}

int bb_graphics_Transform2(Array<float> m) {
    if (m.Length() < 6) return 0;
    return bb_graphics_Transform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int bb_graphics_Translate(float x, float y) { return bb_graphics_Transform(1, 0, 0, 1, x, y); }

int bb_graphics_Scale(float x, float y) { return bb_graphics_Transform(x, 0, 0, y, 0, 0); }

int bb_graphics_Rotate(float angle) {
    double theta = angle * D2R;  // the product in single precision, the functions in double
    float c = static_cast<float>(std::cos(theta)), s = static_cast<float>(std::sin(theta));
    return bb_graphics_Transform(c, -s, s, c, 0, 0);
}

int bb_graphics_PushMatrix() {
    c_GraphicsContext* c = ctx();
    int sp = c->m_matrixSp;
    if (sp + 6 > c->m_matrixStack.Length()) {
        // Deeper than the usual 32 levels: make room rather than write past the end.
        c->m_matrixStack = c->m_matrixStack.Resize(c->m_matrixStack.Length() * 2 + 6);
    }
    float* m = &c->m_matrixStack[sp];
    m[0] = c->m_ix;
    m[1] = c->m_iy;
    m[2] = c->m_jx;
    m[3] = c->m_jy;
    m[4] = c->m_tx;
    m[5] = c->m_ty;
    c->m_matrixSp = sp + 6;
    return 0;
}

int bb_graphics_PopMatrix() {
    c_GraphicsContext* c = ctx();
    int sp = c->m_matrixSp - 6;
    if (sp < 0 || sp + 6 > c->m_matrixStack.Length()) {
        // Nothing was pushed: fall back to the matrix every frame starts with.
        c->m_matrixSp = 0;
        set_identity(c);
    } else {
        c->m_matrixSp = sp;
        const float* m = &c->m_matrixStack[sp];
        c->m_ix = m[0];
        c->m_iy = m[1];
        c->m_jx = m[2];
        c->m_jy = m[3];
        c->m_tx = m[4];
        c->m_ty = m[5];
    }
    matrix_changed(c);
    return 0;
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

int bb_graphics_Cls(float r, float g, float b) {
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->Cls(r, g, b);
    return 0;
}

int bb_graphics_DrawRect(float x, float y, float w, float h) {
    if (!bb_graphics_renderDevice) return 0;
    ctx()->p_Validate();
    return bb_graphics_renderDevice->DrawRect(x, y, w, h);
}

int bb_graphics_DrawLine(float x1, float y1, float x2, float y2) {
    if (!bb_graphics_renderDevice) return 0;
    ctx()->p_Validate();
    return bb_graphics_renderDevice->DrawLine(x1, y1, x2, y2);
}

int bb_graphics_DrawEllipse(float x, float y, float xr, float yr) {
    if (!bb_graphics_renderDevice) return 0;
    ctx()->p_Validate();
    return bb_graphics_renderDevice->DrawOval(x - xr, y - yr, xr * 2, yr * 2);
}

namespace {

// Draws one frame of an image with its top-left corner at (x, y), after the
// handle has been subtracted. An image made of one frame covering its whole
// surface takes the renderer's whole-surface path, which reads no frame.
void draw_frame(c_Image* image, float x, float y, int frame) {
    bb_graphics_renderDevice->NoteRequested(x, y, static_cast<float>(image->m_width), static_cast<float>(image->m_height));
    if (image->m_flags & c_Image::kWholeSurface) {
        bb_graphics_renderDevice->DrawSurface(image->m_surface, x, y);
        return;
    }
    if (image->m_flags & c_Image::kSoleFrame) frame = 0;
    if (frame < 0 || frame >= image->m_frames.Length()) return;
    c_Frame* f = image->m_frames[frame];
    if (f->m_boxW < 0 || f->m_measuredAt != image->m_surface->pixelsVersion) {
        bool opaque = f->m_opaque && f->m_measuredAt == image->m_surface->pixelsVersion;
        bb_graphics_renderDevice->DrawSurfaceRect(image->m_surface, x, y, f->m_x, f->m_y, image->m_width,
                                                  image->m_height, opaque);
    } else if (f->m_boxW > 0 && f->m_boxH > 0) {
        // Only the part that shows; a frame with nothing to show draws nothing.
        bb_graphics_renderDevice->DrawSurfaceRect(image->m_surface, x + f->m_boxX, y + f->m_boxY, f->m_x + f->m_boxX,
                                                  f->m_y + f->m_boxY, f->m_boxW, f->m_boxH, f->m_opaque);
    }
}

}  // namespace

int bb_graphics_DrawImage(c_Image* image, float x, float y, int frame) {
    if (!bb_graphics_renderDevice || !image) return 0;
    ctx()->p_Validate();
    draw_frame(image, x - image->m_tx, y - image->m_ty, frame);
    return 0;
}

int bb_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float scaleX, float scaleY, int frame) {
    if (!bb_graphics_renderDevice || !image) return 0;
    // The matrix is saved here rather than on the stack: the result is the
    // same as a push and a pop, and a full stack never has to grow for it.
    c_GraphicsContext* c = ctx();
    float saved[6] = {c->m_ix, c->m_iy, c->m_jx, c->m_jy, c->m_tx, c->m_ty};

    bb_graphics_Transform(1, 0, 0, 1, x, y);
    bb_graphics_Rotate(rotation);
    bb_graphics_Transform(scaleX, 0, 0, scaleY, 0, 0);
    bb_graphics_Transform(1, 0, 0, 1, -image->m_tx, -image->m_ty);
    c->p_Validate();
    draw_frame(image, 0, 0, frame);

    // Back to the caller's matrix, in the renderer as well: the image's own
    // transform must not leak into drawing done straight on the renderer.
    bb_graphics_SetMatrix(saved[0], saved[1], saved[2], saved[3], saved[4], saved[5]);
    c->p_Validate();
    return 0;
}

int bb_graphics_ReadPixels(Array<int> pixels, int x, int y, int width, int height, int offset, int pitch) {
    if (!bb_graphics_renderDevice) return 0;
    if (pitch == 0) pitch = width;
    return bb_graphics_renderDevice->ReadPixels(pixels, x, y, width, height, offset, pitch);
}
