// tools/assetgen/symbols.h - pictograms shared by the icons, buttons, pad
// and badges. Each returns a shape centred on `c` that fits a circle of
// radius `r` (nominal pixels).
#ifndef LANTERN_TOOLS_ASSETGEN_SYMBOLS_H
#define LANTERN_TOOLS_ASSETGEN_SYMBOLS_H

#include "shapes.h"

namespace assetgen {

Shape PauseSymbol(Vec2 c, float r);
Shape PlaySymbol(Vec2 c, float r);
Shape CrossSymbol(Vec2 c, float r);
Shape CheckSymbol(Vec2 c, float r);
// An arrow pointing at `degrees` (0 up, clockwise).
Shape ArrowSymbol(Vec2 c, float r, float degrees);
Shape SpeakerSymbol(Vec2 c, float r, bool waves);
Shape NoteSymbol(Vec2 c, float r);
Shape HeartSymbol(Vec2 c, float r);
Shape StarSymbol(Vec2 c, float r);
Shape ExpandSymbol(Vec2 c, float r);  // four corner brackets: full screen
Shape TiltSymbol(Vec2 c, float r);    // a level with a bubble: tilt calibration
Shape DoorSymbol(Vec2 c, float r);    // an open door with an arrow: leave
Shape GearSymbol(Vec2 c, float r, int teeth);
Shape TrophySymbol(Vec2 c, float r);
Shape LanternSymbol(Vec2 c, float r);
Shape WispSymbol(Vec2 c, float r);    // a small ghost silhouette
Shape GemSymbol(Vec2 c, float r);
Shape BoltSymbol(Vec2 c, float r);
Shape InfoSymbol(Vec2 c, float r);
Shape KeySymbol(Vec2 c, float r);

}  // namespace assetgen

#endif
