// game/credits_box.cpp - the credits: the 50 lines of bb_Zanth_CreditText
// scrolling up through a window in a frame of bevelled tiles.
//
//   m_CreditA      the first shown line, 0..49
//   m_CreditB      scroll offset, tenths of a pixel, 0 down to -16 pixels
//   m_CreditSlide  (kept by the screen flow) 0..30, how far the box has come in
//
// The box drops in from the top and leaves the same way. Any click or touch,
// or action 15, 10 or 11, closes it.
#include <cmath>

#include "game/globals.h"
#include "game/myapp.h"

namespace {

const int kLines = 50;
const int kSlideIn = 30;
const int kDriftTenths = 3;   // 0.3 pixel an update
const int kFastTenths = 15;   // 1.5 pixel more while up or down is held
const int kLineTenths = 160;  // 16 pixels between lines

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

}  // namespace

void c_MyApp::CreditFrame(float oy) {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    float tile = std::floor(std::fmin(w, h) / 12);
    if (tile < 4) return;
    int cols = static_cast<int>(std::ceil(w / tile)), rows = static_cast<int>(std::ceil(h / tile));
    p_ResetDraw();
    for (int r = 0; r < rows; ++r) {
        float y = r * tile + oy;
        if (y > h || y + tile < 0) continue;
        for (int c = 0; c < cols; ++c) {
            float x = c * tile;
            // Colours run from violet at the top left to amber at the bottom
            // right; the tiles inside the border are dimmed so the text reads.
            float fc = cols > 1 ? c / float(cols - 1) : 0, fr = rows > 1 ? r / float(rows - 1) : 0;
            float red = 70 + 150 * fc, green = 50 + 110 * fr, blue = 170 - 90 * fc;
            bool inner = c >= 2 && c < cols - 2 && r >= 2 && r < rows - 2;
            float dim = inner ? 0.28f : 1.0f;
            red *= dim;
            green *= dim;
            blue *= dim;
            p_SetCol(std::fmin(255.0f, red + 60), std::fmin(255.0f, green + 60), std::fmin(255.0f, blue + 60), 1);
            p_Rect(x, y, tile, tile);
            p_SetCol(red * 0.45f, green * 0.45f, blue * 0.45f);
            p_Rect(x + 2, y + 2, tile - 2, tile - 2);
            p_SetCol(red, green, blue);
            p_Rect(x + 2, y + 2, tile - 4, tile - 4);
        }
    }

    // Knobs in the corners; the top two show the device and the virtual
    // screen with the smoothed update and render rates.
    float radius = std::fmax(0.9f * tile, 34.0f);
    const float corners[4][2] = {{tile, tile}, {w - tile, tile}, {tile, h - tile}, {w - tile, h - tile}};
    for (int k = 0; k < 4; ++k) {
        float x = corners[k][0], y = corners[k][1] + oy;
        p_SetCol(30, 20, 10, 1);
        p_Oval(x, y, radius + 2, radius + 2);
        p_SetCol(230, 180, 80);
        p_Oval(x, y, radius, radius);
        p_SetCol(90, 60, 30);
        p_Oval(x, y, radius - 5, radius - 5);
    }
    p_SetCol(255, 255, 255, 1);
    float x0 = corners[0][0], x1 = corners[1][0], y = tile + oy;
    p_Text(x0, y - 6, String(bb_graphics_DeviceWidth()) + String("x") + String(bb_graphics_DeviceHeight()), 1, 1);
    p_Text(x0, y + 6, String(m_UpdateFpsAvg), 1, 1);
    p_Text(x1, y - 6, String(static_cast<int>(w)) + String("x") + String(static_cast<int>(h)), 1, 1);
    p_Text(x1, y + 6, String(m_RenderFpsAvg), 1, 1);
}

void c_MyApp::CreditText(float oy) {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    int count = bb_Zanth_CreditText.Length();
    if (count == 0) return;
    float offset = m_CreditB / 10.0f;
    p_ResetDraw();
    for (int p = -3; p <= 4; ++p) {
        float along = 16.0f * p + offset;
        p_Alpha(1 - clamp01(std::fabs(along / 40) - 0.3f));
        p_Text(w / 2 + 24, h / 2 + along + oy, bb_Zanth_CreditText[(m_CreditA + p + 3) % count], 0.8f, 0.8f);
    }
}

int c_MyApp::p_CreditBox() {
    float h = bb_Zanth_jscrh;
    if (m_CreditsOpen) {
        m_CreditB -= kDriftTenths;
        if (AnyAction({kActionUp, kActionDown})) m_CreditB -= kFastTenths;
        while (m_CreditB < -kLineTenths) {
            m_CreditB += kLineTenths;
            m_CreditA = (m_CreditA + 1) % kLines;
        }
    }
    float away = 1 - m_CreditSlide / float(kSlideIn);
    float oy = -away * away * (h + 8);
    CreditFrame(oy);
    CreditText(oy);

    if (!m_CreditsOpen) return 0;
    if ((m_Pointing && !m_TouchLatch) || (!m_KeyLatch && AnyAction({kActionBack, kActionJump, kActionJump2}))) {
        ConsumePress();
        m_CreditsOpen = 0;
        p_PlaySFX2(99, 1);
    }
    return 0;
}
