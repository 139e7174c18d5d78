// game/globals.cpp - initial values of the game's globals and the credit lines.
#include "game/globals.h"

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
Array<String> bb_Zanth_CreditText;

namespace {

const char* const kCredits[50] = {
    "",
    "A Game by",
    "The Lantern Vault Team",
    "lantern-vault.invalid",
    "", "-=-=-", "",
    "Developed using",
    "the Vorlin runtime",
    "vorlin.invalid",
    "", "-=-=-", "",
    "Graphics", "", "Most graphics by", "The Lantern Vault Team",
    "", "Font : Ribbon Mono", "by The Lantern Vault Team", "Lowercase added by", "The Lantern Vault Team",
    "", "", "-=-=-", "",
    "Audio", "", "Sound and Music by", "The Lantern Vault Team",
    "using our own synthesiser", "a step sequencer", "a tune composer", "an Ogg encoder", "or whatever else",
    "is handy!",
    "", "-=-=-", "",
    "Thanks to", "every play tester", "the Debian project", "the GLFW authors", "the OpenAL Soft authors",
    "the stb authors", "and everyone else", "at every open source forum",
    "", "-=-=-", "End",
};

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
    Array<String> credits(50);
    for (int i = 0; i < 50; ++i) credits[i] = String(kCredits[i]);
    bb_Zanth_CreditText = credits;
    gc_add_roots(mark_roots);
}
