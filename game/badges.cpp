// game/badges.cpp - badge pop-ups and the badges box.
#include "game/myapp.h"

int c_MyApp::p_BadgesBox() { return 0; }

int c_MyApp::p_ShowBadges() { return 0; }

String c_MyApp::p_BadgeID(int) { return String(); }

String c_MyApp::p_BadgeName(int) { return String(); }

String c_MyApp::p_BadgeDetail(int) { return String(); }

int c_MyApp::p_GC_PostScore(int, int) { return 0; }

int c_MyApp::p_GC_Badges() { return 0; }
