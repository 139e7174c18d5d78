// game/loading_screen.cpp - the animated loading screen and the click-to-start screen.
#include <cmath>

#include "game/globals.h"
#include "game/myapp.h"

int c_MyApp::p_WaitStart(int loading) {
    p_CLS2D(40, 40, 80, 1);
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    m_MinDim = static_cast<int>(w < h ? w : h);
    int oldSpin = m_Spin;
    m_Spin += 16;
    float cx = w / 2, cy = h / 2, r = static_cast<float>(m_MinDim);

    auto dots = [&](float grey, int start) {
        for (int i = 0; i <= 10; ++i) {
            float a = static_cast<float>(start + 16 * i) * D2R;
            p_SetCol(grey, grey, grey, i / 10.0f);
            p_Oval(cx + std::sin(a) * r / 4, cy - std::cos(a) * r / 4, 8, 8);
        }
    };
    if (loading == 1) dots(250, oldSpin + 196);
    p_SetCol(255, 255, 0, 0.8f);
    p_Oval(cx, cy, 0.3f * r, 0.3f * r);
    p_SetCol(250, 160, 60, 0.7f);
    p_Rect(0, 0.4f * h, w, 0.2f * h);
    p_SetCol(255, 255, 255, 1);
    p_SetSize(1);
    p_DrawImg(kSlotStudioLogo, cx, 0.48f * h, 0);
    if (loading == 1) {
        dots(50, m_Spin);
        return 0;
    }

    p_SetCol(0, 0, 0, 0.2f);
    p_Oval(cx, 0.7f * h, 136, 24);
    p_Oval(cx, 0.7f * h, 132, 20);
    p_Oval(cx, 0.7f * h, 128, 16);
    p_SetSize(2);
    p_SetCol(255, 255, 255, 1);
    static const String kClickToStart("Click to Start");
    p_Text(cx, 0.7f * h, kClickToStart, 1, 1);
    if (m_Clicked > 0 && m_MouseX > w / 4 && m_MouseX < 3 * w / 4 && m_MouseY > h / 4 && m_MouseY < 3 * h / 4) {
        m_TouchLatch = 1;
        m_Mode = kModeMenu;
        BBGame::_game->PlayerStarted();
        p_Reload();
        bb_app_SetUpdateRate(60);
    }
    return 0;
}
