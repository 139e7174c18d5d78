// game/pause_menu.cpp - the pause menu over a running game: end the game,
// resume, or open the options.
//
// m_PauseState 1 brings the items down from the top (m_PauseSlide, their
// height on the screen, grows by 24 an update up to the middle), -1 takes them
// back up and resumes the game once they have left. m_PauseSel: -1 end game,
// 0 resume, 1 options. The menu only draws while the options box is open over
// it or while it slides out.
#include <cmath>

#include "game/globals.h"
#include "game/myapp.h"

namespace {

const int kSlotButtons = 95;
const int kFrameResume = 1;  // icons
const int kFrameEnd = 2;
const int kSlidePerUpdate = 24;
const float kCogSpeeds[3] = {0.66f, 0.33f, 1.0f};

enum { kSelEnd = -1, kSelResume = 0, kSelOptions = 1 };

}  // namespace

void c_MyApp::PauseSlideStep() {
    int middle = static_cast<int>(bb_Zanth_jscrh / 2);
    if (m_PauseState == 1) {
        m_PauseSlide = m_PauseSlide + kSlidePerUpdate < middle ? m_PauseSlide + kSlidePerUpdate : middle;
    } else if (m_PauseState == -1) {
        if (m_PauseSlide >= -63) m_PauseSlide -= kSlidePerUpdate;
        if (m_PauseSlide < -32) m_Paused = 0;
    }
}

void c_MyApp::PauseActivate() {
    ConsumePress();
    p_PlaySFX2(98, 1);
    switch (m_PauseSel) {
        case kSelResume:
            m_PauseState = -1;
            break;
        case kSelEnd:
            // The round ends as a lost game does: the banner builds up, the
            // score is recorded and the menu returns. The tune plays on under
            // the banner until the menu takes over.
            m_Paused = 0;
            m_PauseState = -1;
            m_PauseSlide = -64;
            if (m_GameEnded == 0) m_GameEnded = 1;
            break;
        case kSelOptions:
            m_OptionsOpen = 1;
            m_OptSel = 0;
            break;
    }
}

void c_MyApp::PauseInput(const int* touched) {
    if (!m_KeyLatch) {
        bool left = AnyAction(kActionLeft), right = AnyAction(kActionRight), up = AnyAction(kActionUp), down = AnyAction(kActionDown);
        int next = m_PauseSel;
        if (m_PauseSel == kSelResume) {
            if (left || up) next = kSelEnd;
            else if (right) next = kSelOptions;
        } else if (m_PauseSel == kSelEnd) {
            if (right || down) next = kSelResume;
        } else if (left || down) {
            next = kSelResume;
        }
        if (next != m_PauseSel) {
            ConsumePress();
            m_PauseSel = next;
            p_PlaySFX2(98, 1);
            return;
        }
        if (AnyAction(kActionJump)) {
            PauseActivate();
            return;
        }
        if (AnyAction(kActionMenu)) {
            m_PauseSel = kSelResume;
            PauseActivate();
            return;
        }
    }
    if (m_Pointing && !m_TouchLatch) {
        for (int sel = kSelEnd; sel <= kSelOptions; ++sel) {
            if (!touched[sel + 1]) continue;
            m_PauseSel = sel;
            PauseActivate();
            return;
        }
    }
}

int c_MyApp::p_PauseMenu() {
    PauseSlideStep();
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    float cx = w / 2, y = static_cast<float>(m_PauseSlide);
    bool landscape = m_Landscape == 1;
    float spacing = landscape ? 150 : std::fmin(110.0f, 0.34f * w);
    float xs[3] = {cx - spacing, cx, cx + spacing};

    p_ResetDraw();
    p_SetCol(0, 0, 0, std::fabs(y) / (0.8f * h));
    p_Rect(-1, -1, w + 2, h + 2);

    // Bars behind the items: bands across the screen in landscape, a pillar
    // behind each item in portrait.
    if (landscape) {
        p_SetCol(20, 30, 90, 0.75f);
        p_Rect(-1, y - 60, w + 2, 120);
        p_SetCol(255, 200, 100, 0.9f);
        p_Rect(-1, y - 64, w + 2, 4);
        p_SetCol(255, 128, 0, 0.9f);
        p_Rect(-1, y + 60, w + 2, 4);
    } else {
        const float colours[3][3] = {{150, 40, 60}, {40, 130, 60}, {40, 70, 150}};
        for (int i = 0; i < 3; ++i) {
            p_SetCol(colours[i][0], colours[i][1], colours[i][2], 0.75f);
            p_Rect(xs[i] - 0.4f * spacing, y - 80, 0.8f * spacing, 160);
        }
    }

    // The items; the selected one larger and brighter.
    int touched[3];
    for (int sel = kSelEnd; sel <= kSelOptions; ++sel) {
        bool selected = sel == m_PauseSel;
        float x = xs[sel + 1];
        if (selected && sel == kSelResume) {
            p_SetCol(170, 255, 170, 1);
        } else if (selected) {
            p_SetCol(255, 255, 255, 1);
        } else {
            p_SetCol(190, 190, 210, 0.75f);
        }
        if (sel == kSelOptions) {
            float size = selected ? 1.25f : 1.0f;
            DrawCog(x, y, size, m_Fade, kCogSpeeds);
            p_SetSize(size);
            touched[sel + 1] = TouchInFrame(kSlotButtons, x, y, 0, 9);
        } else {
            float size = sel == kSelResume ? (selected ? 3.5f : 3.0f) : (selected ? 2.5f : 2.0f);
            p_SetSize(size);
            touched[sel + 1] = p_Button(kSlotIcons, x, y, sel == kSelResume ? kFrameResume : kFrameEnd);
        }
    }
    // Labels under the items; smaller where the items stand closer together.
    p_SetSize(landscape ? 1.5f : 1.0f);
    p_SetCol(255, 255, 255, 1);
    const char* const labels[3] = {"End Game", "Resume", "Options"};
    for (int i = 0; i < 3; ++i) p_Text(xs[i], y + 80, String(labels[i]), 1, 1);
    // The options box turns the cog while it is up.
    if (!m_OptionsOpen && m_OptionSlide == 0) m_Fade = std::fmod(m_Fade + 0.2f, 36000.0f);

    bool live = m_PauseState == 1 && !m_OptionsOpen;
    if (bb_Zanth_isOuya == 1) {
        // The console's overscan, with the shoulder buttons or a click on its bar.
        bool lower = false, raise = false;
        if (live && !m_KeyLatch && AnyAction({kActionShoulderL, kActionBack})) {
            ConsumePress();
            lower = AnyAction(kActionShoulderL);
            raise = AnyAction(kActionBack);
        }
        if (OverscanLine(y + 120, lower, raise, live && m_Pointing && !m_TouchLatch)) ConsumePress();
    }
    if (live) PauseInput(touched);
    return 0;
}
