// game/globals.cpp - initial values of the game's globals and the credit lines.
#include "game/globals.h"

// The build names the game's version (the project's version in CMakeLists.txt).
#ifndef LANTERN_VERSION
#error "LANTERN_VERSION is not defined: build with CMake"
#endif

float bb_Zanth_rawscrw;
float bb_Zanth_rawscrh;
float bb_Zanth_jscrw;
float bb_Zanth_jscrh;
float bb_Zanth_overscan;
int bb_Zanth_isOuya;
int bb_Zanth_HasMusic;
int bb_Zanth_HasMusicStream;
int bb_Zanth_DebugMode;
int bb_Zanth_iCadeControls;
int bb_Zanth_OnScreenControls;
int bb_Zanth_AccelerometerControls;
int bb_Zanth_PackArt;
Array<String> bb_Zanth_CreditText;

namespace {

// The credits box's lines, in its fixed order: the makers, the runtime and
// the libraries it stands on, the art and the font, the sound and the tools
// that made it, and thanks.
const char* const kCredits[] = {
    "",
    "A Game by",
    "The Lantern Vault Team",
    ("version " LANTERN_VERSION),
    "", "-=-=-", "",
    "Developed using",
    "the Vorlin runtime",
    "on GLFW, OpenAL Soft and stb",
    "", "-=-=-", "",
    "Graphics", "", "Most graphics by", "The Lantern Vault Team",
    "", "Font : Ribbon Mono (DejaVu Sans Mono)", "by the DejaVu Fonts team", "Lowercase added by",
    "the DejaVu Fonts team, too",
    "", "", "-=-=-", "",
    "Audio", "", "Sound and Music by", "The Lantern Vault Team",
    "using our assetgen synthesiser", "its tune sequencer", "libvorbis to encode", "OpenAL Soft to play",
    "or whatever else", "is handy!",
    "", "-=-=-", "",
    "Thanks to", "the GLFW authors", "the OpenAL Soft authors", "the stb authors", "the DejaVu Fonts team",
    "the Debian project", "and everyone else", "at debian.org",
    "", "-=-=-", "End",
};
static_assert(sizeof kCredits / sizeof kCredits[0] == 50, "the credits box shows exactly 50 lines");

void mark_roots() { gc_mark_q(bb_Zanth_CreditText); }

}  // namespace

void bb_Zanth_init() {
    bb_Zanth_rawscrw = 640;
    bb_Zanth_rawscrh = 480;
    bb_Zanth_jscrw = 640;
    bb_Zanth_jscrh = 480;
    bb_Zanth_isOuya = 0;
    bb_Zanth_overscan = bb_Zanth_isOuya ? 64 : 0;
    bb_Zanth_HasMusic = 0;
    bb_Zanth_HasMusicStream = 1;
    bb_Zanth_DebugMode = 0;
    bb_Zanth_iCadeControls = 0;
    bb_Zanth_OnScreenControls = 0;
    bb_Zanth_AccelerometerControls = 0;
    bb_Zanth_PackArt = 1;
    Array<String> credits(50);
    for (int i = 0; i < 50; ++i) credits[i] = String(kCredits[i]);
    bb_Zanth_CreditText = credits;
    gc_add_roots(mark_roots);
}
