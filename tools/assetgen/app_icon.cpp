// tools/assetgen/app_icon.cpp - the desktop's icon for the installed game: the
// mascot card (Bramblet with the lantern raised) drawn afresh at each size of
// the icon theme, so small sizes are as crisp as large ones.
#include "app_icon.h"

#include "sheet.h"
#include "writers.h"

namespace assetgen {

const int kAppIconSizes[] = {32, 48, 64, 128, 256};

bool WriteAppIcons(const std::string& dir) {
    const ImageAsset mascot = MascotImage();
    for (int size : kAppIconSizes) {
        Canvas canvas(size, size);
        View view(&canvas, 0, 0, size, size, static_cast<float>(size) / mascot.frameW);
        mascot.draw(view, 0);
        std::string edge = std::to_string(size);
        std::string path = dir + "/hicolor/" + edge + "x" + edge + "/apps/lantern-vault.png";
        if (!MakeParentDirs(path) || !WritePng(path, canvas)) return false;
    }
    return true;
}

}  // namespace assetgen
