// game/particles.cpp - sparks and floating score pop-ups.
#include "game/myapp.h"

int c_MyApp::p_ThrowParticle(float, float, int, int, float, float) { return 0; }

int c_MyApp::p_Gimme(int amount, float, float) {
    m_Score += amount;
    return 0;
}

int c_MyApp::p_DoParticles() { return 0; }
