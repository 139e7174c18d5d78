// game/badges.cpp - badge pop-ups and the badges box.
#include "game/myapp.h"

int c_MyApp::p_BadgesBox() { return 0; }

int c_MyApp::p_ShowBadges() { return 0; }
