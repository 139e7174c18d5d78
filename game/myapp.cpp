// game/myapp.cpp - c_MyApp.
#include "game/myapp.h"

c_MyApp* c_MyApp::m_new() {
    c_App::m_new();
    return this;
}

int c_MyApp::p_OnCreate() {
    bb_app_SetUpdateRate(60);
    return 0;
}
