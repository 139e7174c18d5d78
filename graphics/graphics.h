// graphics/graphics.h - the graphics module the game draws through.
//
// Owns the drawing state of a frame in bb_graphics_context: colour, alpha,
// blend mode, scissor, the current matrix and a matrix stack, and the current
// font. State operations store the value in the context and pass it on to the
// renderer at once; matrix operations change only the context and mark the
// matrix dirty, and the next drawing operation hands it to the renderer
// (p_Validate), so chains of transforms cost nothing until something is drawn.
//
// Frames. bb_graphics_BeginRender makes the renderer the render device and
// resets the state (white, opaque, alpha blending, no scissor, identity, empty
// matrix stack); bb_graphics_EndRender forgets the device. State and drawing
// calls outside a frame only update the context: there is nothing to draw to.
//
// Images. A c_Image is a surface cut into frames of one size with a handle,
// the point of a frame that lands on the drawing position. Images, frames,
// surfaces and the context are collected objects; the module globals are
// collector roots. A surface's texture lives as long as the surface object
// (see graphics/surface.h).
//
// Checked at this boundary rather than trusted: frame indices (out of range
// draws nothing; an image that is its whole surface looks up no frame), the
// depth of the matrix stack (it grows beyond 32 saved matrices; a pop of an
// empty stack gives the identity), null images, short matrix arrays, strip
// frame counts below 1, and scissor values that have no int.
//
// Main thread only.
#ifndef LANTERN_GRAPHICS_GRAPHICS_H
#define LANTERN_GRAPHICS_GRAPHICS_H

#include "graphics/renderer.h"

// Degrees to radians, rounded to single precision (the game uses it too).
constexpr float D2R = static_cast<float>(3.14159265358979323846 / 180.0);

class c_Image;

class c_GraphicsContext : public Object {
public:
    c_Image* m_defaultFont = nullptr;  // loaded on demand by bb_graphics_SetFont
    c_Image* m_font = nullptr;         // current font, or null
    int m_firstChar = 0;               // character code of the font's first frame
    int m_matrixSp = 0;                // floats in use in m_matrixStack (6 per saved matrix)
    float m_ix = 1, m_iy = 0, m_jx = 0, m_jy = 1, m_tx = 0, m_ty = 0;  // x' = x*ix + y*jx + tx, y' = x*iy + y*jy + ty
    int m_tformed = 0;                 // 1: the matrix is not the identity
    int m_matDirty = 0;                // 1: the renderer has not been given the matrix yet
    float m_colorR = 0, m_colorG = 0, m_colorB = 0;  // 0..255
    float m_alpha = 0;                 // 0..1
    int m_blend = 0;                   // 0 alpha blending, 1 additive
    float m_scissorX = 0, m_scissorY = 0, m_scissorW = 0, m_scissorH = 0;  // pixels
    Array<float> m_matrixStack;        // saved matrices, room for 32 (grows when needed)

    c_GraphicsContext* m_new();
    // Gives the renderer the current matrix if it has changed since.
    int p_Validate();
    void mark() override;
};

class c_Frame : public Object {
public:
    int m_x = 0, m_y = 0;  // top-left corner inside the image's surface, pixels
    bool m_opaque = false; // every pixel of the frame is known to be opaque (measured when packed)
    // The box around the frame's pixels that show at all, from its top-left
    // corner (measured when packed; a width of -1: the whole frame). Drawing
    // only the box gives the same picture: transparent texels change nothing.
    int m_boxX = 0, m_boxY = 0, m_boxW = -1, m_boxH = -1;
    // The surface's pixelsVersion when m_opaque and the box were measured:
    // pixels written since then make them count for nothing.
    uint32_t m_measuredAt = 0;
    c_Frame* m_new(int x, int y);
};

class c_Image : public Object {
public:
    // Image flags.
    static const int kCentreHandle = 1;       // handle at the frame centre on load
    static const int kBorderX = 2;            // frames have a 1-pixel border left and right
    static const int kBorderY = 4;            // frames have a 1-pixel border top and bottom
    static const int kWholeSurface = 0x10000; // one frame covering the whole surface (set by the module)
    static const int kSoleFrame = 0x20000;    // was kWholeSurface before packing: every frame index draws frame 0

    static int m_DefaultFlags;

    gxtkSurface* m_surface = nullptr;
    int m_width = 0, m_height = 0;  // size of one frame, pixels (after border trimming)
    Array<c_Frame*> m_frames;
    int m_flags = 0;
    float m_tx = 0, m_ty = 0;       // handle, pixels from the frame's top-left corner
    c_Image* m_source = nullptr;    // image this one was cut from, or null

    c_Image* m_new() { return this; }
    // Sets the handle and clears kCentreHandle.
    int p_SetHandle(float tx, float ty);
    // frameCount frames side by side across the whole surface (at least one).
    c_Image* p_Init(gxtkSurface* surface, int frameCount, int flags);
    // frameCount frames of width x height read left to right, top to bottom
    // from the source rectangle, starting at (x, y); a frame that does not fit
    // is the runtime error "Image frame outside surface".
    c_Image* p_Init2(gxtkSurface* surface, int x, int y, int width, int height, int frameCount, int flags,
                     c_Image* source, int srcx, int srcy, int srcw, int srch);
    int p_ApplyFlags(int flags);
    void mark() override;
};

extern gxtkGraphics* bb_graphics_device;        // the renderer, set once at start
extern gxtkGraphics* bb_graphics_renderDevice;  // the renderer during a frame, else null
extern c_GraphicsContext* bb_graphics_context;

// Start-up and frames.
int bb_graphics_SetGraphicsDevice(gxtkGraphics* device);
int bb_graphics_BeginRender();
int bb_graphics_EndRender();
int bb_graphics_DeviceWidth();
int bb_graphics_DeviceHeight();

// State.
int bb_graphics_SetColor(float r, float g, float b);
int bb_graphics_SetAlpha(float alpha);
int bb_graphics_SetBlend(int blend);
int bb_graphics_SetScissor(float x, float y, float w, float h);

// Matrix.
int bb_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
int bb_graphics_SetMatrix2(Array<float> m);
int bb_graphics_Transform(float a, float b, float c, float d, float e, float f);
int bb_graphics_Transform2(Array<float> m);
int bb_graphics_Translate(float x, float y);
int bb_graphics_Scale(float x, float y);
int bb_graphics_Rotate(float angle);  // degrees; positive turns anticlockwise on screen
int bb_graphics_PushMatrix();
int bb_graphics_PopMatrix();

// Drawing.
int bb_graphics_Cls(float r, float g, float b);
int bb_graphics_DrawRect(float x, float y, float w, float h);
int bb_graphics_DrawLine(float x1, float y1, float x2, float y2);
int bb_graphics_DrawEllipse(float x, float y, float xr, float yr);
int bb_graphics_DrawImage(c_Image* image, float x, float y, int frame);
int bb_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float scaleX, float scaleY, int frame);
int bb_graphics_ReadPixels(Array<int> pixels, int x, int y, int width, int height, int offset, int pitch);

// Images and fonts.
c_Image* bb_graphics_LoadImage(String path, int frameCount, int flags);
c_Image* bb_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount, int flags);
int bb_graphics_SetFont(c_Image* font, int firstChar);
// Packs the frames of the images into shared surfaces, atlas pages (see
// graphics/atlas.cpp), one page for all of them where it fits. The images
// keep their sizes, handles and frame numbers; their frames are moved to the
// page. Images without pixels (discarded) are left alone. Returns how many
// images were packed. Packing is done once, after loading: it costs a copy
// of the pixels and an upload of the page.
int bb_graphics_PackImages(c_Image* const* images, int count);

// Initial values of the module's globals (part of program initialisation).
void bb_graphics_init();

#endif
