// game/screen_fit.h - the virtual screen fitted to a device.
//
// The game draws on a virtual screen whose base is 640 x 480 and fits it to
// the device with one uniform scale: one side of the virtual screen keeps its
// full base length and the other follows the device's shape, never above its
// own base length, so no window shows more of the maze than 640 x 480. Every
// render fits anew (c_MyApp::FitScreen), and a replay's values are checked
// against the same rule (game/replay_rules.cpp): one function for both, so
// that they agree to the bit.
#ifndef LANTERN_GAME_SCREEN_FIT_H
#define LANTERN_GAME_SCREEN_FIT_H

// The base virtual screen (virtual pixels).
constexpr float kBaseScreenWidth = 640;
constexpr float kBaseScreenHeight = 480;

struct ScreenFit {
    float width = 0, height = 0;    // the visible virtual screen (virtual pixels)
    float scaleX = 0, scaleY = 0;   // device pixels per virtual pixel, the same on both axes
    int axis = 0;                   // 1: the width keeps its base length, 2: the height does
    int landscape = 0;              // 1 when height <= width
};

// The fit of a `deviceW` x `deviceH` device (pixels) with `overscan` device
// pixels kept clear on each edge, for a base screen of `baseW` x `baseH`.
ScreenFit FitVirtualScreen(int deviceW, int deviceH, float overscan, float baseW, float baseH);

#endif
