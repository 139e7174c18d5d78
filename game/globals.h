// game/globals.h - the game's module globals (bb_Zanth_*).
//
// Fixed switches and screen sizes given at start-up, and the credit lines.
// bb_Zanth_init gives them their initial values during program
// initialisation; bb_Zanth_CreditText is a collector root.
#ifndef LANTERN_GAME_GLOBALS_H
#define LANTERN_GAME_GLOBALS_H

#include "runtime/array.h"

extern float bb_Zanth_rawscrw;  // base virtual width (640)
extern float bb_Zanth_rawscrh;  // base virtual height (480)
extern float bb_Zanth_jscrw;    // visible virtual width, recomputed every render
extern float bb_Zanth_jscrh;    // visible virtual height
extern float bb_Zanth_overscan; // device pixels kept clear on each edge
extern int bb_Zanth_isOuya;
extern int bb_Zanth_HasMusic;
extern int bb_Zanth_HasMusicStream;
extern int bb_Zanth_DebugMode;
extern int bb_Zanth_iCadeControls;
extern int bb_Zanth_OnScreenControls;
extern int bb_Zanth_AccelerometerControls;
extern int bb_Zanth_PackArt;  // 1: the art drawn in play is packed into one texture after loading
extern Array<String> bb_Zanth_CreditText;  // 50 lines of the credits box

void bb_Zanth_init();

#endif
