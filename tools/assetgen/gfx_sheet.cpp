// tools/assetgen/gfx_sheet.cpp - the layout of "gfx": which frame shows what.
#include "gfx_art.h"
#include "sheet.h"

namespace assetgen {

namespace {

void DrawGfxFrame(const View& v, int frame) {
    if (frame <= 4) {
        DrawHero(v, frame);
    } else if (frame >= 8 && frame <= 22) {
        DrawItem(v, frame);
    } else if ((frame >= 25 && frame <= 28) || (frame >= 32 && frame <= 36)) {
        DrawTile(v, frame);
    } else if (frame >= 40 && frame <= 46) {
        DrawWisp(v, frame);
    }
    // Other frames are not used by the game and stay transparent.
}

}  // namespace

ImageAsset GfxSheet() {
    ImageAsset a;
    a.name = "gfx";
    a.frameW = a.frameH = 32;
    a.frames = 64;
    a.columns = 8;
    a.draw = DrawGfxFrame;
    return a;
}

}  // namespace assetgen
