// tools/assetgen/scene.h - a small game scene for checking the art: map
// cells, the hero, beacons, prizes, charges and wisps placed exactly as the
// game places them (24 virtual pixels a cell, tiles and hero at size 1.5,
// items and wisps at size 2, centred handles, nearest-neighbour scaling).
#ifndef LANTERN_TOOLS_ASSETGEN_SCENE_H
#define LANTERN_TOOLS_ASSETGEN_SCENE_H

#include <vector>

#include "canvas.h"

namespace assetgen {

struct ScenePiece {
    int frame;           // frame of "gfx"
    float x, y;          // virtual pixels
    float sizeX, sizeY;  // game drawing size
    float alpha = 1;
};

struct Scene {
    int cols = 0, rows = 0;
    std::vector<int> cells;  // map values, row-major
    std::vector<ScenePiece> pieces;
    // Virtual pixels; cell (0, 0)'s point is drawn at (24, 24).
    int Width() const { return (cols + 1) * 24; }
    int Height() const { return (rows + 1) * 24; }
};

Scene BuildTestScene();
// Renders with the art drawn at `artScale` (1, 2 or 4) onto a canvas of
// `outScale` device pixels per virtual pixel.
Canvas RenderScene(const Scene& scene, int artScale, int outScale);

}  // namespace assetgen

#endif
