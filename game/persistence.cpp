// game/persistence.cpp - options, badges and highscores in the state file.
#include "game/myapp.h"

int c_MyApp::p_Load() { return 0; }

int c_MyApp::p_Save() { return 0; }

int c_MyApp::p_LoadMenu() { return 0; }
