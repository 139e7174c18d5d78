// graphics/renderer.h - gxtkGraphics, the OpenGL renderer.
//
// Created once by the framework when the game starts, after the window is
// open; it draws into the host's current window and re-reads its size at every
// frame.
#ifndef VORLIN_GRAPHICS_RENDERER_H
#define VORLIN_GRAPHICS_RENDERER_H

#include "runtime/array.h"

class gxtkGraphics : public Object {
public:
    int width = 0, height = 0;  // window client size, pixels

    gxtkGraphics();
    virtual int Width() { return width; }
    virtual int Height() { return height; }
    // Prepares a frame; returns the render mode (1: draw the frame).
    virtual int BeginRender();
    // Shows the frame.
    virtual int EndRender();
    virtual int DiscardGraphics() { return 0; }
};

#endif
