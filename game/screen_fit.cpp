// game/screen_fit.cpp - FitVirtualScreen (see game/screen_fit.h).
#include "game/screen_fit.h"

ScreenFit FitVirtualScreen(int deviceW, int deviceH, float overscan, float baseW, float baseH) {
    ScreenFit fit;
    float o = overscan;
    fit.scaleX = (deviceW - 2 * o) / baseW;
    fit.scaleY = (deviceH - 2 * o) / baseH;
    if (fit.scaleY > fit.scaleX) {
        fit.axis = 2;
        fit.scaleX = fit.scaleY;
        float k = deviceH / baseH;
        fit.width = deviceW / k;
        fit.height = baseH;
    } else {
        fit.axis = 1;
        fit.scaleY = fit.scaleX;
        float k = deviceW / baseW;
        fit.width = baseW;
        fit.height = k > 0 ? deviceH / k : baseH;
    }
    fit.landscape = fit.height <= fit.width ? 1 : 0;
    return fit;
}
