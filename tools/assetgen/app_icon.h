// tools/assetgen/app_icon.h - the icon the installed game shows on the desktop,
// and the web page's icons.
#ifndef LANTERN_TOOLS_ASSETGEN_APP_ICON_H
#define LANTERN_TOOLS_ASSETGEN_APP_ICON_H

#include <string>

namespace assetgen {

// The edge lengths written, in pixels.
extern const int kAppIconSizes[5];

// Writes DIR/hicolor/NxN/apps/lantern-vault.png for every size (the icon
// theme's layout). False, with a message from the writer, when a file fails.
bool WriteAppIcons(const std::string& dir);

// The web page's edge lengths, in pixels.
extern const int kWebIconSizes[2];

// Writes DIR/icon-N.png for every web size: the icons the page's manifest
// names. False, with a message from the writer, when a file fails.
bool WriteWebIcons(const std::string& dir);

}  // namespace assetgen

#endif
