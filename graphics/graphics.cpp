// graphics/graphics.cpp - the graphics module's globals and frame bracketing.
#include "graphics/graphics.h"

gxtkGraphics* bb_graphics_device;
gxtkGraphics* bb_graphics_renderDevice;
c_GraphicsContext* bb_graphics_context;

namespace {

void mark_roots() {
    gc_mark_q(bb_graphics_device);
    gc_mark_q(bb_graphics_context);
    gc_mark_q(bb_graphics_renderDevice);
}

}  // namespace

void bb_graphics_init() {
    gc_assign(bb_graphics_device, nullptr);
    gc_assign(bb_graphics_context, (new c_GraphicsContext())->m_new());
    gc_assign(bb_graphics_renderDevice, nullptr);
    gc_add_roots(mark_roots);
}

int bb_graphics_SetGraphicsDevice(gxtkGraphics* device) {
    gc_assign(bb_graphics_device, device);
    return 0;
}

int bb_graphics_BeginRender() {
    gc_assign(bb_graphics_renderDevice, bb_graphics_device);
    return 0;
}

int bb_graphics_EndRender() {
    gc_assign(bb_graphics_renderDevice, nullptr);
    return 0;
}

int bb_graphics_SetFont(c_Image*, int) { return 0; }
