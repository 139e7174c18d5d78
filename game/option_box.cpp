// game/option_box.cpp - the options box: sound mode, iCade, full screen or
// windowed, the credits (from the main menu only), the overscan line on
// consoles, and the back row, which closes the box and saves.
//
// The box runs over the main menu or over the pause menu. While it is open
// the screen flow sets both latches on every update, so it cannot wait for a
// clear latch to see a press; it follows the input itself instead: m_OptA
// holds the press bits (kPress* below) that were down at the previous update,
// and a press is a bit that is down now and was not then. The states are followed while the
// box slides in as well, so a key held through the slide acts only once it
// has been released and pressed again.
//
// Rows: m_OptSel 0 is the back row, then the shown rows in display order.
// m_Fade is the angle of the back row's cog (degrees).
#include <cmath>

#include "game/globals.h"
#include "game/myapp.h"

namespace {

const int kSlotButtons = 95;
const int kSlideIn = 30;          // m_OptionSlide when the box is fully in
const float kSlidePixels = 24;    // pixels the panel moves per step of the slide
const float kCogSpeeds[3] = {0.66f, 0.33f, 1.0f};

// Row kinds.
enum { kRowBack, kRowSound, kRowICade, kRowDisplay, kRowCredits };

// Press bits.
const int kPressPrev = 1;      // up or left
const int kPressNext = 2;      // down or right
const int kPressActivate = 4;  // buttons 10 to 15 (10 to 13 where the shoulders set the overscan)
const int kPressBack = 8;      // the quit/escape action
const int kPressL1 = 16;
const int kPressR1 = 32;
const int kPressPointer = 64;  // a touch or the left mouse button

const char* const kSoundTexts[4] = {"Sound : Off", "Sound : SFX + Music", "Sound : SFX", "Sound : Music"};

bool has_music() { return bb_Zanth_HasMusic == 1 || bb_Zanth_HasMusicStream == 1; }

}  // namespace

// ---------------------------------------------------------------------------
// Rows
// ---------------------------------------------------------------------------

// The credits box belongs to the main menu: over a paused game the row is
// left out.
bool c_MyApp::CreditsRowShown() const { return m_Mode == kModeMenu; }

int c_MyApp::OptionRows() const {
    int rows = 3;  // back, sound, display
    if (bb_Zanth_isOuya == 0) ++rows;
    if (CreditsRowShown()) ++rows;
    return rows;
}

int c_MyApp::OptionRowKind(int row) const {
    int kinds[5], n = 0;
    kinds[n++] = kRowBack;
    kinds[n++] = kRowSound;
    if (bb_Zanth_isOuya == 0) kinds[n++] = kRowICade;
    kinds[n++] = kRowDisplay;
    if (CreditsRowShown()) kinds[n++] = kRowCredits;
    return row >= 0 && row < n ? kinds[row] : kRowBack;
}

String c_MyApp::OptionRowText(int kind) const {
    switch (kind) {
        case kRowSound:
            if (!has_music()) return String(SoundMode() == 0 ? "Sound : Off" : "Sound : On");
            return String(kSoundTexts[SoundMode()]);
        case kRowICade: return String(bb_Zanth_iCadeControls == 1 ? "iCade : On" : "iCade : Off");
        case kRowDisplay: return String(m_Fullscreen ? "Windowed" : "Fullscreen");
        case kRowCredits: return String("Credits");
    }
    return String("<[BACK]");
}

void c_MyApp::OptionStepSound() {
    int modes = has_music() ? 4 : 2;
    int mode = (SoundMode() + 1) % modes;
    m_Options[5] = mode;
    // The modes without music silence the tune at once; it stays off until a
    // game starts it again.
    if (bb_Zanth_HasMusicStream == 1 && (mode == 0 || mode == 2)) p_StopTune();
}

void c_MyApp::OptionClose() {
    ConsumePress();
    m_OptionsOpen = 0;
    p_PlaySFX2(99, 1);
    p_Save();
}

void c_MyApp::OptionActivate(int row) {
    m_OptSel = row;
    ConsumePress();
    switch (OptionRowKind(row)) {
        case kRowBack:
            OptionClose();
            break;
        case kRowSound:
            OptionStepSound();
            p_PlaySFX2(99, 1);
            break;
        case kRowICade:
            p_iCade(bb_Zanth_iCadeControls == 1 ? 0 : 1);
            for (int i = 0; i < m_VKeys.Length(); ++i) m_VKeys[i] = 0;
            p_PlaySFX2(99, 1);
            break;
        case kRowDisplay:
            p_PlaySFX2(99, 1);
            p_FullscreenFlip();
            break;
        case kRowCredits:
            // The credits take the box's place; what was changed is kept.
            OptionClose();
            m_CreditsOpen = 1;
            m_CreditA = m_CreditB = 0;
            break;
    }
}

// ---------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------

int c_MyApp::OptionPresses() {
    bool shouldersSetOverscan = bb_Zanth_isOuya == 1;
    int down = 0;
    if (AnyAction({kActionUp, kActionLeft})) down |= kPressPrev;
    if (AnyAction({kActionRight, kActionDown})) down |= kPressNext;
    if (AnyAction({kActionJump, kActionJump2, kActionJump3, kActionButton4}) || (!shouldersSetOverscan && AnyAction({kActionShoulderL, kActionBack}))) down |= kPressActivate;
    if (AnyAction(kActionMenu)) down |= kPressBack;
    if (AnyAction(kActionShoulderL)) down |= kPressL1;
    if (AnyAction(kActionBack)) down |= kPressR1;
    if (m_Pointing) down |= kPressPointer;
    int pressed = down & ~m_OptA;
    m_OptA = down;
    return pressed;
}

bool c_MyApp::OverscanLine(float y, bool lower, bool raise, bool click) {
    float w = bb_Zanth_jscrw;
    p_SetSize(2);
    p_SetCol(255, 255, 255, 1);
    p_Text(w / 2, y, String("L1 <      Overscan      > R1"), 1, 1);
    p_SetSize(1);
    p_SetCol(0, 0, 80, 0.8f);
    bool onBar = p_Touch(w / 2 - 128, y + 16, 256, 12) != 0;
    p_SetCol(255, 255, 255, 1);
    p_Rect(w / 2 - 128 + 2.67f * m_Options[14] - 2, y + 14, 4, 16);

    int value = m_Options[14];
    if (lower) value -= 16;
    if (raise) value += 16;
    // A click on the bar jumps between the two ends.
    if (click && onBar) value = value > 1 ? 1 : 96;
    m_Options[14] = value < 1 ? 1 : (value > 96 ? 96 : value);
    bb_Zanth_overscan = static_cast<float>(m_Options[14]);
    return click && onBar;
}

// ---------------------------------------------------------------------------
// The box
// ---------------------------------------------------------------------------

int c_MyApp::p_OptionBox() {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    float top = (kSlideIn - m_OptionSlide) * kSlidePixels;
    int presses = OptionPresses();
    if (!m_OptionsOpen || m_OptionSlide < kSlideIn) presses = 0;
    m_Fade = std::fmod(m_Fade + 0.2f, 36000.0f);

    int modes = has_music() ? 4 : 2;
    if (SoundMode() < 0 || SoundMode() >= modes) m_Options[5] = 0;
    int rows = OptionRows();
    if (m_OptSel < 0 || m_OptSel >= rows) m_OptSel = 0;

    p_ResetDraw();
    p_SetCol(150, 75, 0, 0.85f);
    if (top < h) p_Rect(50, top, w - 50 + 1, h - top + 1);
    if (bb_Zanth_isOuya == 1) {
        // The corners of the safe area.
        p_SetCol(255, 255, 255, 1);
        for (int corner = 0; corner < 4; ++corner) {
            float x = corner & 1 ? w - 18 : 2, y = corner & 2 ? h - 18 : 2;
            p_Rect(x, y + (corner & 2 ? 14 : 0), 16, 2);
            p_Rect(x + (corner & 1 ? 14 : 0), y, 2, 16);
        }
    }

    // The back row: the turning cog and its label.
    float cogX = 94 - (kSlideIn - m_OptionSlide) * kSlidePixels;
    float cogSize = m_OptSel == 0 ? 2.0f : 1.5f;
    p_SetCol(255, 255, 255, 1);
    DrawCog(cogX, 60, cogSize, m_Fade, kCogSpeeds);
    p_SetSize(cogSize);
    bool cogTouched = TouchInFrame(kSlotButtons, cogX, 60, 0, 9) != 0;
    p_SetSize(2);
    p_Text(cogX + 76, 60, OptionRowText(kRowBack), 0, 1);

    // The rows; the credits row is a button of its own under the others.
    int touchedRow = -1;
    float y = top + 128, lastBarY = y;
    for (int row = 1; row < rows; ++row) {
        int kind = OptionRowKind(row);
        float x = 84, barW = w - 168, barY = y;
        if (kind == kRowCredits) {
            x = w - 280;
            barW = 180;
            barY = lastBarY + 50;
        }
        p_SetSize(1);
        if (row == m_OptSel) {
            p_SetCol(0, 180, 255, 0.5f);
        } else {
            p_SetCol(0, 0, 160, 0.5f);
        }
        if (p_Touch(x, barY, barW, 24)) touchedRow = row;
        p_SetSize(2);
        p_SetCol(255, 255, 255, 1);
        if (kind == kRowCredits) {
            p_Text(x + barW / 2, barY + 12, OptionRowText(kind), 1, 1);
        } else {
            p_Text(100, barY + 12, OptionRowText(kind), 0, 1);
            lastBarY = barY;
            y += 40;
        }
    }
    if (bb_Zanth_isOuya == 1) {
        OverscanLine(top + h - 72, (presses & kPressL1) != 0, (presses & kPressR1) != 0,
                     (presses & kPressPointer) != 0);
    }

    if (presses & kPressPointer) {
        if (cogTouched) {
            OptionClose();
            return 0;
        }
        if (touchedRow > 0) {
            OptionActivate(touchedRow);
            return 0;
        }
    }
    if (presses & kPressBack) {
        OptionClose();
        return 0;
    }
    if ((presses & kPressPrev) && m_OptSel > 0) {
        --m_OptSel;
        p_PlaySFX2(99, 1);
    } else if ((presses & kPressNext) && m_OptSel < rows - 1) {
        ++m_OptSel;
        p_PlaySFX2(99, 1);
    } else if (presses & kPressActivate) {
        OptionActivate(m_OptSel);
    }
    return 0;
}
