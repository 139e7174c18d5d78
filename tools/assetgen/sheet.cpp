// tools/assetgen/sheet.cpp - rendering sheets frame by frame.
#include "sheet.h"

namespace assetgen {

std::vector<ImageAsset> AllImages() {
    return {GfxSheet(),       PartsSheet(),  MenuSheet(),   LogoImage(),   StudioLogoImage(), IconsSheet(),
            ButtonsSheet(),   DpadSheet(),   MascotImage(), BadgesSheet(), RibbonFont(),      QuibFont()};
}

Canvas RenderImage(const ImageAsset& asset, int scale) {
    Canvas canvas(asset.SheetWidth() * scale, asset.SheetHeight() * scale);
    for (int f = 0; f < asset.frames; ++f) {
        int col = f % asset.columns, row = f / asset.columns;
        View v(&canvas, col * asset.frameW * scale, row * asset.frameH * scale, asset.frameW * scale,
               asset.frameH * scale, static_cast<float>(scale));
        asset.draw(v, f);
    }
    return canvas;
}

const char* ResolutionSuffix(int scale) {
    switch (scale) {
        case 2: return "-hd";
        case 4: return "-hd2";
        default: return "";
    }
}

}  // namespace assetgen
