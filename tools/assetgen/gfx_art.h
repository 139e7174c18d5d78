// tools/assetgen/gfx_art.h - the game's sprite sheet "gfx": shared geometry.
//
// Frames are 32 x 32 nominal pixels with the handle at the centre (16, 16).
// The game places a map cell's grid point at a tile's centre and draws tiles
// and the hero at size 1.5, so the cell itself is the central 16 x 16 of a
// frame (8..24 on both axes) and the rest overlaps the neighbours. A
// standing hero shares the floor cell's centre, so the floor's top surface
// and the hero's soles are on one line, kFloorTop. Beacons, prizes and
// charges are drawn at size 2 from the same centre, so their bases sit at
// kItemBase: the same height on screen as kFloorTop at size 1.5.
#ifndef LANTERN_TOOLS_ASSETGEN_GFX_ART_H
#define LANTERN_TOOLS_ASSETGEN_GFX_ART_H

#include "canvas.h"

namespace assetgen {

constexpr float kCellLo = 8, kCellHi = 24;     // the cell inside a tile frame
constexpr float kFloorTop = 20;                 // floor surface, tile frames
constexpr float kFloorBottom = 26;              // underside of a floor slab
constexpr float kItemBase = 16 + (kFloorTop - 16) * 1.5f / 2.0f;  // 19: floor surface in size-2 frames
constexpr float kWallInner = 6;                 // a left wall's inner face (mirrored on the right)

// Frames 0-4.
void DrawHero(const View& v, int frame);
// The standing hero at any size: frame 0's figure with its frame centre
// moved to `centre` and scaled by `scale` (for the mascot and the title).
void DrawHeroFigure(const View& v, Vec2 centre, float scale);
// Frames 8-22: sparkle, charge, beacon states, prize.
void DrawItem(const View& v, int frame);
// Frames 25-28 and 32-36.
void DrawTile(const View& v, int frame);
// Frames 40-46.
void DrawWisp(const View& v, int frame);

}  // namespace assetgen

#endif
