// graphics/graphics.h - the graphics module the game draws through.
//
// Owns the drawing state of a frame in bb_graphics_context. Drawing is valid
// only between bb_graphics_BeginRender and bb_graphics_EndRender, while
// bb_graphics_renderDevice is set.
#ifndef VORLIN_GRAPHICS_GRAPHICS_H
#define VORLIN_GRAPHICS_GRAPHICS_H

#include "graphics/renderer.h"

class c_Image;

class c_GraphicsContext : public Object {
public:
    c_GraphicsContext* m_new() { return this; }
};

extern gxtkGraphics* bb_graphics_device;
extern gxtkGraphics* bb_graphics_renderDevice;
extern c_GraphicsContext* bb_graphics_context;

int bb_graphics_SetGraphicsDevice(gxtkGraphics* device);
int bb_graphics_BeginRender();
int bb_graphics_EndRender();
int bb_graphics_SetFont(c_Image* font, int firstChar);

void bb_graphics_init();

#endif
