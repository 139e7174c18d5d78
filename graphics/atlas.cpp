// graphics/atlas.cpp - packing the frames of images into shared surfaces.
//
// bb_graphics_PackImages copies every frame of a set of images into one new
// RGBA surface, an atlas page, and points the images at it: each c_Frame is
// moved to where its pixels now lie, the image's surface becomes the page.
// Sizes, handles, frame counts and flags stay as they were, so whoever draws
// the images sees no difference, except that frames drawn one after another
// now share a texture and so a draw call.
//
// What packing has to keep:
//   - No bleeding. Each frame gets a one-texel ring of copies of its own edge
//     texels, so a sample that rounding puts just outside the frame (sprites
//     are drawn scaled, turned and at fractional positions) reads what the
//     frame's own texture would have given with clamping, never a neighbour.
//   - Each frame is measured while it is copied: whether it is opaque
//     (c_Frame::m_opaque), so that it can go out without blending
//     (graphics/renderer.h), and the box around its pixels that show at all,
//     so that its quad can leave out the margins where it is transparent.
//   - A block of opaque white texels on every page lets untextured
//     rectangles join the page's batches.
// With llvmpipe every texture is system memory, so the page is made without
// holding more than it adds: the old surfaces give back their textures before
// the page's pixels are written (Bind makes one again should an old surface be
// drawn after all), and their pixels once they are copied, before the page's
// texture is made. Only an old surface that no other image was ever given
// (gxtkSurface::images) and that the renderer's batch does not hold gives back
// its pixels, since nobody can draw from it any more; one that other images
// may still draw from keeps them and is left to the collector. The page's
// pixels and texture count as native memory like any surface's.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/graphics.h"
#include "host/game.h"

namespace {

const int kPad = 1;            // texels of copied edge around every frame
const int kWhiteBlock = 3;     // side of the white block; its centre texel is sampled
const int kMaxPageSide = 4096; // pixels; less where OpenGL takes less
const int kNoWindowSide = 2048;
const int kWidthTries = 48;    // page widths tried when packing

// One rectangle to place: a frame with its ring, or the white block.
struct Item {
    int image, frame;  // indices into the set and the image's frames; image -1: the white block
    int w, h;          // size with the ring, texels
    int x, y;          // where it was placed on the page
};

// Bottom-left skyline packing: the page's used area is kept as the top edge
// of what has been placed, a list of horizontal segments from left to right.
class Skyline {
public:
    Skyline(int width, int maxHeight) : width_(width), maxHeight_(maxHeight) { segments_.push_back({0, 0, width}); }

    // Places a w x h rectangle as low as it can go (then as far left);
    // false when it does not fit below maxHeight.
    bool Place(int w, int h, int* outX, int* outY) {
        int bestY = -1, bestX = 0;
        size_t bestIndex = 0;
        for (size_t i = 0; i < segments_.size(); ++i) {
            int x = segments_[i].x;
            if (x + w > width_) break;
            int y = TopOver(i, w);
            if (y + h > maxHeight_) continue;
            if (bestY < 0 || y < bestY) {
                bestY = y;
                bestX = x;
                bestIndex = i;
            }
        }
        if (bestY < 0) return false;
        Raise(bestIndex, bestX, w, bestY + h);
        *outX = bestX;
        *outY = bestY;
        height_ = std::max(height_, bestY + h);
        return true;
    }

    int Height() const { return height_; }

private:
    struct Segment {
        int x, y, w;
    };

    // The highest segment under [segments_[i].x, + w).
    int TopOver(size_t i, int w) const {
        int end = segments_[i].x + w, y = 0;
        for (size_t j = i; j < segments_.size() && segments_[j].x < end; ++j) y = std::max(y, segments_[j].y);
        return y;
    }

    // Segments from i on that lie under [x, x + w) now end at height `top`.
    void Raise(size_t i, int x, int w, int top) {
        int end = x + w;
        size_t j = i;
        while (j < segments_.size() && segments_[j].x + segments_[j].w <= end) ++j;
        if (j < segments_.size() && segments_[j].x < end) {  // a segment reaching past the end is cut
            segments_[j].w -= end - segments_[j].x;
            segments_[j].x = end;
        }
        segments_.erase(segments_.begin() + static_cast<long>(i), segments_.begin() + static_cast<long>(j));
        segments_.insert(segments_.begin() + static_cast<long>(i), {x, top, w});
        // Neighbours at the same height become one segment.
        for (size_t k = 0; k + 1 < segments_.size();) {
            if (segments_[k].y == segments_[k + 1].y) {
                segments_[k].w += segments_[k + 1].w;
                segments_.erase(segments_.begin() + static_cast<long>(k) + 1);
            } else {
                ++k;
            }
        }
    }

    int width_, maxHeight_, height_ = 0;
    std::vector<Segment> segments_;
};

int max_page_side() {
    if (graphicsContextSeq == 0) return kNoWindowSide;
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side > 0 ? std::min(side, kMaxPageSide) : kNoWindowSide;
}

// Packs `items` (the rings included) on a page at most `maxSide` square.
// Widths from the square root of the items' area up are tried, and the page
// of least area wins: pixels and texture both cost its area, four bytes a
// texel. Returns the page width and height, or false when they do not all fit.
bool pack(std::vector<Item>& items, int maxSide, int* pageW, int* pageH) {
    long long area = 0;
    int widest = 0;
    for (const Item& it : items) {
        area += static_cast<long long>(it.w) * it.h;
        widest = std::max(widest, it.w);
    }
    int first = static_cast<int>(std::max<long long>(widest, std::llround(std::ceil(std::sqrt(double(area))))));
    if (first > maxSide) return false;
    // At most kWidthTries widths, evenly spread; multiples of 4 texels.
    int step = std::max(4, ((maxSide - first) / kWidthTries + 3) / 4 * 4);
    long long bestArea = -1;
    std::vector<Item> best;
    for (int w = first; w <= maxSide; w = w == maxSide ? maxSide + 1 : std::min(maxSide, w + step)) {
        Skyline sky(w, maxSide);
        bool fits = true;
        for (Item& it : items) {
            if (!sky.Place(it.w, it.h, &it.x, &it.y)) {
                fits = false;
                break;
            }
        }
        if (!fits) continue;
        long long a = static_cast<long long>(w) * sky.Height();
        if (bestArea < 0 || a < bestArea) {
            bestArea = a;
            best = items;
            *pageW = w;
            *pageH = sky.Height();
        }
    }
    if (bestArea < 0) return false;
    items = best;
    return true;
}

// Reads pixel (x, y) of a surface's pixels as premultiplied RGBA.
inline void read_rgba(const gxtkSurface* s, int x, int y, unsigned char out[4]) {
    const unsigned char* p = s->data + (static_cast<size_t>(y) * s->width + x) * s->depth;
    switch (s->depth) {
        case 1: out[0] = out[1] = out[2] = p[0]; out[3] = 255; break;
        case 2: out[0] = out[1] = out[2] = p[0]; out[3] = p[1]; break;
        case 3: out[0] = p[0]; out[1] = p[1]; out[2] = p[2]; out[3] = 255; break;
        default: std::memcpy(out, p, 4); break;
    }
}

// Copies frame `f` (w x h) of a surface with its ring onto the page at
// (px, py), and measures it: whether every pixel is opaque, and the box
// around the pixels that show at all (not all four bytes zero).
void copy_frame(const gxtkSurface* from, c_Frame* f, int w, int h, unsigned char* page, int pageW, int px, int py) {
    bool opaque = true;
    int x0 = w, y0 = h, x1 = 0, y1 = 0;
    for (int row = -kPad; row < h + kPad; ++row) {
        bool inside = row >= 0 && row < h;
        int sy = f->m_y + std::min(std::max(row, 0), h - 1);
        unsigned char* dst = page + (static_cast<size_t>(py + kPad + row) * pageW + px) * 4;
        for (int col = -kPad; col < w + kPad; ++col, dst += 4) {
            int sx = f->m_x + std::min(std::max(col, 0), w - 1);
            read_rgba(from, sx, sy, dst);
            if (!inside || col < 0 || col >= w) continue;
            if (dst[3] != 255) opaque = false;
            if (dst[0] | dst[1] | dst[2] | dst[3]) {
                x0 = std::min(x0, col);
                x1 = std::max(x1, col + 1);
                y0 = std::min(y0, row);
                y1 = std::max(y1, row + 1);
            }
        }
    }
    f->m_opaque = opaque;
    if (x0 >= x1) {  // nothing shows
        f->m_boxX = f->m_boxY = f->m_boxW = f->m_boxH = 0;
        return;
    }
    // One transparent texel more on each side (inside the frame): a pixel at
    // the box's edge that rounding puts on either side of it then still finds
    // what the whole frame would have given it there.
    x0 = std::max(x0 - 1, 0);
    y0 = std::max(y0 - 1, 0);
    x1 = std::min(x1 + 1, w);
    y1 = std::min(y1 + 1, h);
    f->m_boxX = x0;
    f->m_boxY = y0;
    f->m_boxW = x1 - x0;
    f->m_boxH = y1 - y0;
}

// Whether every frame of the image can be copied: pixels there, frames inside.
bool packable(const c_Image* image, int maxSide) {
    if (!image || !image->m_surface || !image->m_surface->data || image->m_width <= 0 || image->m_height <= 0 ||
        image->m_frames.Length() == 0)
        return false;
    const gxtkSurface* s = image->m_surface;
    if (image->m_width + 2 * kPad > maxSide || image->m_height + 2 * kPad > maxSide) return false;
    for (const c_Frame* f : image->m_frames) {
        if (f->m_x < 0 || f->m_y < 0 || static_cast<long long>(f->m_x) + image->m_width > s->width ||
            static_cast<long long>(f->m_y) + image->m_height > s->height)
            return false;
    }
    return true;
}

std::vector<Item> items_of(const std::vector<c_Image*>& images) {
    std::vector<Item> items;
    items.push_back({-1, 0, kWhiteBlock, kWhiteBlock, 0, 0});
    for (size_t i = 0; i < images.size(); ++i) {
        const c_Image* image = images[i];
        for (int f = 0; f < image->m_frames.Length(); ++f)
            items.push_back({static_cast<int>(i), f, image->m_width + 2 * kPad, image->m_height + 2 * kPad, 0, 0});
    }
    // Tallest first (then widest): the skyline stays flat and the page full.
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.h != b.h ? a.h > b.h : a.w > b.w;
    });
    return items;
}

// Makes one page for `images`, whose items were packed into pageW x pageH;
// false when there is no memory for it.
bool make_page(const std::vector<c_Image*>& images, const std::vector<Item>& items, int pageW, int pageH) {
    for (c_Image* image : images) image->m_surface->DropTexture();
    size_t bytes = static_cast<size_t>(pageW) * pageH * 4;
    unsigned char* pixels = static_cast<unsigned char*>(std::calloc(bytes, 1));
    if (!pixels) return false;
    gxtkSurface* page = new gxtkSurface();
    for (const Item& it : items) {
        if (it.image < 0) {
            for (int y = 0; y < kWhiteBlock; ++y)
                std::memset(pixels + (static_cast<size_t>(it.y + y) * pageW + it.x) * 4, 255, kWhiteBlock * 4);
            page->whiteX = it.x + kWhiteBlock / 2;
            page->whiteY = it.y + kWhiteBlock / 2;
            continue;
        }
        c_Image* image = images[it.image];
        c_Frame* f = image->m_frames[it.frame];
        copy_frame(image->m_surface, f, image->m_width, image->m_height, pixels, pageW, it.x, it.y);
        f->m_x = it.x + kPad;
        f->m_y = it.y + kPad;
    }
    page->SetPremultipliedData(pixels, pageW, pageH);
    for (const Item& it : items)
        if (it.image >= 0) images[it.image]->m_frames[it.frame]->m_measuredAt = page->pixelsVersion;
    for (c_Image* image : images) {
        gxtkSurface* old = image->m_surface;
        if (old->images == 1 && !(bb_graphics_renderDevice && bb_graphics_renderDevice->primSurf == old)) old->Discard();
        gc_assign(image->m_surface, page);
        ++page->images;
        // Its one frame no longer covers the whole surface, but the image
        // still ignores the frame index as it did.
        if (image->m_flags & c_Image::kWholeSurface) image->m_flags = (image->m_flags & ~c_Image::kWholeSurface) | c_Image::kSoleFrame;
    }
    page->Bind();
    return true;
}

}  // namespace

int bb_graphics_PackImages(c_Image* const* images, int count) {
    int maxSide = max_page_side();
    std::vector<c_Image*> set;
    for (int i = 0; i < count; ++i) {
        c_Image* image = images[i];
        if (packable(image, maxSide) && std::find(set.begin(), set.end(), image) == set.end()) set.push_back(image);
    }
    // Pages are made from the whole set while it fits; otherwise the
    // biggest image waits for the next page, and one that fits on no page
    // alone stays as it is.
    int packed = 0;
    while (!set.empty()) {
        std::vector<c_Image*> page = set, later;
        std::vector<Item> items;
        int w = 0, h = 0;
        for (;;) {
            items = items_of(page);
            if (pack(items, maxSide, &w, &h)) break;
            auto biggest = std::max_element(page.begin(), page.end(), [](const c_Image* a, const c_Image* b) {
                return static_cast<long long>(a->m_width) * a->m_height * a->m_frames.Length() <
                       static_cast<long long>(b->m_width) * b->m_height * b->m_frames.Length();
            });
            later.push_back(*biggest);
            page.erase(biggest);
            if (page.empty()) break;
        }
        if (page.empty()) {
            later.pop_back();  // the last one moved out fits nowhere alone
        } else if (make_page(page, items, w, h)) {
            packed += static_cast<int>(page.size());
        }
        set = later;
    }
    return packed;
}
