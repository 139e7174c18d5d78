// game/menus.cpp - the main menu, the quit confirmation, the options and
// credits boxes.
//
// The main menu shows the backdrop and the title; its game variants, the
// highscore panels and the boxes come with the menu screens' own work.
#include "game/globals.h"
#include "game/myapp.h"

namespace {

const int kSlotBackdrop = 99;
const int kSlotLogo = 98;

}  // namespace

int c_MyApp::p_Menu() {
    p_CLS2D(0, 0, 0, 1);
    float tile = m_ImgInfo[3 * kSlotBackdrop] * m_ImgScale;
    if (tile >= 1) {
        for (float y = tile / 2; y - tile / 2 < bb_Zanth_jscrh; y += tile)
            for (float x = tile / 2; x - tile / 2 < bb_Zanth_jscrw; x += tile) p_DrawImg(kSlotBackdrop, x, y, 0);
    }
    p_DrawImg(kSlotLogo, bb_Zanth_jscrw / 2, bb_Zanth_jscrh * 0.3f, 0);
    // Until the menu's own items are built, action 10 starts a round of the
    // selected variant.
    p_SetSize(2);
    p_Text(bb_Zanth_jscrw / 2, bb_Zanth_jscrh * 0.7f, String("Press Space to play"), 1, 1);
    if (m_KeyLatch == 0 && p_PlayKeyAll(10, 1)) {
        m_KeyLatch = 1;
        m_Mode = 11;
        p_PlaySFX2(98, 1);
    }
    return 0;
}

int c_MyApp::p_OuyaQuit() { return 0; }

int c_MyApp::p_OptionBox() { return 0; }

int c_MyApp::p_CreditBox() { return 0; }

int c_MyApp::p_PauseMenu() { return 0; }
