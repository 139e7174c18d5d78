// game/level.cpp - starting a game: the random maze and its beacons.
#include "game/myapp.h"

int c_MyApp::p_LoadGame() {
    m_Mode = 10;
    return 0;
}
