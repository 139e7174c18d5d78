// game/gameplay.cpp - one game frame, the in-game overlay and the game-over banner.
#include "game/myapp.h"

int c_MyApp::p_Game() { return 0; }

int c_MyApp::p_InGame() { return 0; }

int c_MyApp::p_GameOver() { return 0; }

String c_MyApp::p_MyNth() {
    m_n = 0;
    return String();
}
