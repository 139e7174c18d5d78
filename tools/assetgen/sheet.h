// tools/assetgen/sheet.h - image assets: sheets of frames drawn at each
// resolution.
//
// An ImageAsset names a file of the data folder and lays out its frames the
// way the game's image loader cuts them: frameW x frameH nominal pixels,
// `columns` frames to a row, left to right and wrapping to the next row. The
// draw function is called once per frame with a view whose nominal origin is
// the frame's top-left corner; it draws in nominal pixels and the view scales
// to the resolution being made (1, 2 or 4).
#ifndef LANTERN_TOOLS_ASSETGEN_SHEET_H
#define LANTERN_TOOLS_ASSETGEN_SHEET_H

#include <functional>
#include <string>
#include <vector>

#include "canvas.h"

namespace assetgen {

struct ImageAsset {
    std::string name;  // path below the data folder, without suffix or ".png"
    int frameW = 0, frameH = 0;  // nominal pixels
    int frames = 1;
    int columns = 1;
    bool variants = true;  // also written as "-hd" (2x) and "-hd2" (4x)
    std::function<void(const View&, int frame)> draw;

    int Rows() const { return (frames + columns - 1) / columns; }
    int SheetWidth() const { return frameW * columns; }
    int SheetHeight() const { return frameH * Rows(); }
};

// Every image of the data folder.
std::vector<ImageAsset> AllImages();

// Draws a whole sheet at `scale` canvas pixels per nominal pixel.
Canvas RenderImage(const ImageAsset& asset, int scale);

// File name suffix of a resolution: "", "-hd", "-hd2".
const char* ResolutionSuffix(int scale);

// The sheets, one per file of art.
ImageAsset GfxSheet();        // gfx: sprites and map tiles
ImageAsset PartsSheet();      // parts: particles
ImageAsset MenuSheet();       // menu: backdrop tile and decorations
ImageAsset LogoImage();       // logo: the title
ImageAsset StudioLogoImage(); // common/HOLTLogo
ImageAsset IconsSheet();      // common/icons
ImageAsset ButtonsSheet();    // common/Buttons
ImageAsset DpadSheet();       // common/dpad
ImageAsset MascotImage();     // common/Testcard_Circle
ImageAsset BadgesSheet();     // BadgesA
ImageAsset RibbonFont();      // fonts/ribbonmono
ImageAsset QuibFont();        // quib_font (base resolution only)

}  // namespace assetgen

#endif
