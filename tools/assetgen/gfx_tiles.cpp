// tools/assetgen/gfx_tiles.cpp - map tiles: floors, stairs and walls.
//
// Tiles must join without seams, so everything a tile draws is either
// constant along the direction in which it repeats or periodic with the cell
// size (16 nominal pixels), and it is cut by hard edges on the cell's grid
// lines (whole pixels at every resolution). Stairs repeat diagonally: each
// step cell draws the part of an endless staircase band that lies nearer to
// its own centre than to its diagonal neighbours' (|x - y| < 16 around the
// centre), with a hard cut, so neighbouring steps share no pixel.
#include <vector>

#include "gfx_art.h"
#include "palette.h"
#include "sprite.h"

namespace assetgen {

namespace {

constexpr float kInkW = 0.9f;   // outline width, as sprites
constexpr float kStep = 4;      // stair step width and rise
// The stairs' walking line: a hero climbing to the right moves one cell up
// per cell across, so its soles follow y = kFloorTop + 16 - x through the
// middle of every tread.
constexpr float kStairLine = kFloorTop + 16;  // x + y on the line
constexpr float kStairDepth = 10;             // underside: x + y = line + depth

// An endless staircase rising to the right, in frame coordinates.
Shape StairBand() {
    std::vector<Vec2> pts;
    for (int n = -5; n <= 5; ++n) {
        float x = 16 + kStep * n, y = kFloorTop - kStep * n;
        pts.push_back({x - kStep / 2, y});
        pts.push_back({x + kStep / 2, y});
    }
    Vec2 last = pts.back();
    Vec2 first = pts.front();
    pts.push_back({last.x, kStairLine + kStairDepth - last.x});
    pts.push_back({first.x, kStairLine + kStairDepth - first.x});
    return Polygon(pts);
}

// Stone shading across the band: lit along the treads, darker underneath.
Color StairShade(Vec2 p) {
    float t = Clamp01((p.x + p.y - kStairLine) / kStairDepth);
    return Mix(pal::kStone, pal::kStoneDark, t * 0.9f);
}

// Draws the staircase part owned by this cell; `mirror` for stairs rising to
// the left; `minU` cuts the part below-left of the centre (stair feet).
void DrawStairs(const View& v, bool mirror, float minU, float maxY) {
    auto own = HardClip(
        [mirror, minU, maxY](Vec2 p) {
            float x = mirror ? 32 - p.x : p.x;
            float u = x - p.y;
            return u >= minU && u < 16 && p.y < maxY;
        },
        {0, 0, 32, 32});
    auto m = [mirror](const Shape& s) { return mirror ? MirrorX(s, 16) : s; };
    Shape band = m(StairBand());
    Fill(v, Intersect(Offset(band, kInkW), own), pal::kInk);
    Fill(v, Intersect(band, own), mirror ? Paint([](Vec2 p) { return StairShade({32 - p.x, p.y}); }) : Paint(StairShade));
    // Lit tread tops and a shadowed riser under each nosing.
    for (int n = -5; n <= 5; ++n) {
        float x = 16 + kStep * n, y = kFloorTop - kStep * n;
        Fill(v, Intersect(m(Rect(x - kStep / 2, y, x + kStep / 2, y + 1.0f)), own), pal::kStoneLight);
        Fill(v, Intersect(m(Rect(x + kStep / 2 - 0.8f, y - kStep + 1.0f, x + kStep / 2, y)), own), pal::kStoneDark, 0.6f);
        if ((n & 1) == 0)  // a tuft of moss on every other tread
            Fill(v, Intersect(m(Ellipse({x - 0.6f, y + 0.2f}, 1.1f, 0.55f)), own), pal::kMoss);
    }
}

// Floor slab from x0 to the cell's right edge: top at kFloorTop.
void DrawFloor(const View& v, float x0) {
    Shape column = Rect(x0, 0, kCellHi, 32);
    // Moss cushions along the top, periodic with the cell.
    std::vector<Shape> tufts;
    for (float dx : {-16.0f, 0.0f, 16.0f})
        for (Vec2 t : {Vec2{9.6f, 1.5f}, Vec2{13.4f, 1.1f}, Vec2{19.0f, 1.7f}, Vec2{22.8f, 1.2f}})
            tufts.push_back(Ellipse({t.x + dx, kFloorTop + 0.35f}, t.y, 0.9f));
    Shape moss = Union(tufts);
    Shape slab = Rect(x0, kFloorTop, kCellHi, kFloorBottom);
    Fill(v, Intersect(Union(Offset(moss, kInkW), Rect(x0, kFloorTop - kInkW, kCellHi, kFloorBottom + kInkW)), column), pal::kInk);
    Fill(v, slab, LinearGradient({0, kFloorTop}, pal::kStone, {0, kFloorBottom}, pal::kStoneDark));
    Fill(v, Rect(x0, kFloorTop, kCellHi, kFloorTop + 1.1f), pal::kStoneLight);
    // Two courses of blocks with staggered joints.
    Color joint = Darken(pal::kStoneDark, 0.2f);
    Fill(v, Intersect(Rect(x0, 22.9f, kCellHi, 23.5f), column), joint);
    Fill(v, Intersect(Rect(11.7f, kFloorTop + 1.1f, 12.3f, 22.9f), column), joint);
    Fill(v, Intersect(Rect(19.7f, 23.5f, 20.3f, kFloorBottom), column), joint);
    Fill(v, Intersect(Rect(12.3f, kFloorTop + 1.1f, 12.9f, 22.9f), column), pal::kStoneLight, 0.5f);
    Fill(v, Intersect(moss, column), LinearGradient({0, kFloorTop - 0.6f}, pal::kMossLight, {0, kFloorTop + 1.2f}, pal::kMoss));
}

// Left boundary wall, in the margin left of the cell; full cell height so
// walls stack without seams.
void DrawWall(const View& v, bool right) {
    auto m = [right](const Shape& s) { return right ? MirrorX(s, 16) : s; };
    float lo = kCellLo, hi = kCellHi;
    Fill(v, m(Rect(0, lo, kWallInner + kInkW, hi)), pal::kInk);
    Fill(v, m(Rect(0, lo, kWallInner, hi)),
         right ? LinearGradient({32, 0}, pal::kStoneDark, {32 - kWallInner, 0}, pal::kStone)
               : LinearGradient({0, 0}, pal::kStoneDark, {kWallInner, 0}, pal::kStone));
    Fill(v, m(Rect(kWallInner - 1.1f, lo, kWallInner, hi)), pal::kStoneLight);
    Color joint = Darken(pal::kStoneDark, 0.2f);
    Fill(v, m(Rect(0, lo, kWallInner - 1.1f, lo + 0.6f)), joint);
    Fill(v, m(Rect(0, 16, kWallInner - 1.1f, 16.6f)), joint);
    Fill(v, m(Rect(2.4f, lo + 0.6f, 3.0f, 16)), joint);
    // Ivy creeping down the wall face.
    for (float y : {11.0f, 14.5f, 19.5f}) {
        Vec2 c{kWallInner - 0.4f, y};
        Fill(v, m(Offset(Ellipse(c, 1.2f, 0.8f), kInkW * 0.6f)), pal::kInk);
        Fill(v, m(Ellipse(c, 1.2f, 0.8f)), pal::kLeaf);
    }
}

}  // namespace

void DrawTile(const View& v, int frame) {
    switch (frame) {
        case 25: DrawStairs(v, false, -16, 99); break;  // step rising right
        case 26: DrawStairs(v, true, -16, 99); break;   // step rising left
        case 27: DrawWall(v, false); break;
        case 28: DrawWall(v, true); break;
        case 32: DrawFloor(v, kCellLo); break;
        case 33:  // floor at the foot of a stair rising right
            DrawFloor(v, kCellLo);
            DrawStairs(v, false, 0, kFloorTop);
            break;
        case 34:
            DrawFloor(v, kCellLo);
            DrawStairs(v, true, 0, kFloorTop);
            break;
        case 35:
            DrawFloor(v, kWallInner);
            DrawWall(v, false);
            break;
        case 36: {
            // The right wall's floor: the slab mirrored, running from the
            // cell's left edge to the wall face.
            DrawFloor(v, kCellLo);
            Fill(v, Rect(kCellHi, kFloorTop - kInkW, 32 - kWallInner, kFloorBottom + kInkW), pal::kInk);
            Fill(v, Rect(kCellHi, kFloorTop, 32 - kWallInner, kFloorBottom),
                 LinearGradient({0, kFloorTop}, pal::kStone, {0, kFloorBottom}, pal::kStoneDark));
            Fill(v, Rect(kCellHi, kFloorTop, 32 - kWallInner, kFloorTop + 1.1f), pal::kStoneLight);
            DrawWall(v, true);
            break;
        }
        default: break;
    }
}

}  // namespace assetgen
