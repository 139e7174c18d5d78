// tools/assetgen/app_icon.cpp - the game's icons: the mascot card (Bramblet
// with the lantern raised) drawn afresh at each size, so small sizes are as
// crisp as large ones. The desktop's icons go into the icon theme's layout;
// the web page's (for its manifest) are two flat files.
#include "app_icon.h"

#include "sheet.h"
#include "writers.h"

namespace assetgen {

const int kAppIconSizes[] = {32, 48, 64, 128, 256};
const int kWebIconSizes[] = {192, 512};

namespace {

// The mascot card at `size` x `size` pixels, written to `path`.
bool WriteIcon(const ImageAsset& mascot, int size, const std::string& path) {
    Canvas canvas(size, size);
    View view(&canvas, 0, 0, size, size, static_cast<float>(size) / mascot.frameW);
    mascot.draw(view, 0);
    return MakeParentDirs(path) && WritePng(path, canvas);
}

}  // namespace

bool WriteAppIcons(const std::string& dir) {
    const ImageAsset mascot = MascotImage();
    for (int size : kAppIconSizes) {
        std::string edge = std::to_string(size);
        if (!WriteIcon(mascot, size, dir + "/hicolor/" + edge + "x" + edge + "/apps/lantern-vault.png")) return false;
    }
    return true;
}

bool WriteWebIcons(const std::string& dir) {
    const ImageAsset mascot = MascotImage();
    for (int size : kWebIconSizes) {
        if (!WriteIcon(mascot, size, dir + "/icon-" + std::to_string(size) + ".png")) return false;
    }
    return true;
}

}  // namespace assetgen
