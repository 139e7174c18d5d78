// tools/assetgen/palette.h - the one palette every sheet draws with.
//
// The game is set in a dark vault lit by lanterns: cool, dark blues and
// violets for stone and shadow; warm ambers for light and everything the
// player wants; a green leaf for the hero; a cold magenta for the wisps that
// hunt it. Outlines are one dark ink, so all art reads as one style.
#ifndef LANTERN_TOOLS_ASSETGEN_PALETTE_H
#define LANTERN_TOOLS_ASSETGEN_PALETTE_H

#include "canvas.h"

namespace assetgen {
namespace pal {

constexpr Color kInk = Rgb(20, 14, 36);           // outlines, deepest shadow
constexpr Color kNight = Rgb(16, 18, 52);         // backdrop, darkest
constexpr Color kDusk = Rgb(34, 38, 88);          // backdrop stones
constexpr Color kDuskLight = Rgb(56, 60, 122);    // backdrop stone highlights
constexpr Color kStoneDark = Rgb(72, 62, 104);    // floor and wall shadow side
constexpr Color kStone = Rgb(122, 106, 156);      // floor and wall body
constexpr Color kStoneLight = Rgb(182, 166, 212); // lit edges
constexpr Color kMoss = Rgb(86, 168, 96);         // moss on stone tops
constexpr Color kMossLight = Rgb(150, 220, 120);
constexpr Color kLeaf = Rgb(64, 176, 84);         // the hero's hood
constexpr Color kLeafDark = Rgb(30, 110, 60);
constexpr Color kLeafLight = Rgb(150, 230, 110);
constexpr Color kCream = Rgb(252, 236, 204);      // faces, paper, light text
constexpr Color kBlush = Rgb(250, 150, 140);
constexpr Color kBerry = Rgb(214, 52, 88);        // the hero's cloak, alarms
constexpr Color kBerryDark = Rgb(132, 24, 66);
constexpr Color kAmber = Rgb(255, 178, 56);       // lantern light
constexpr Color kGold = Rgb(255, 218, 102);
constexpr Color kFlame = Rgb(255, 244, 190);      // hottest light
constexpr Color kEmber = Rgb(228, 92, 36);
constexpr Color kBrass = Rgb(196, 136, 52);       // lantern metal
constexpr Color kBrassDark = Rgb(112, 68, 30);
constexpr Color kTeal = Rgb(64, 220, 208);        // prizes
constexpr Color kTealDark = Rgb(20, 120, 140);
constexpr Color kTealLight = Rgb(196, 255, 246);
constexpr Color kLime = Rgb(210, 255, 96);        // charges
constexpr Color kLimeDark = Rgb(96, 170, 40);
constexpr Color kWisp = Rgb(206, 92, 232);        // enemies
constexpr Color kWispDark = Rgb(110, 36, 150);
constexpr Color kWispLight = Rgb(246, 196, 255);
constexpr Color kSky = Rgb(110, 170, 255);        // cool accents, UI
constexpr Color kSkyDark = Rgb(40, 80, 170);
constexpr Color kWhite = Rgb(255, 255, 255);
constexpr Color kClear = Color(0, 0, 0, 0);

}  // namespace pal
}  // namespace assetgen

#endif
