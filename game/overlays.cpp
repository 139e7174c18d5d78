// game/overlays.cpp - what every update may draw over the screen: the
// on-screen pad of touch devices, the tilt control and the debug line.
#include <cmath>

#include "game/globals.h"
#include "game/myapp.h"
#include "input/device.h"

namespace {

// The pad reaches this many times its size (in virtual pixels) from its
// centre, each way: an arrow's centre is 32 x size away and its frame 16 x
// size wide on each side; a fire button's centre 24 x size away on each axis
// (mirrored to the other edge), its frame 1.5 x 16 x size on each side.
const float kPadReach = 48;

int clamp_int(float v, float lo, float hi) { return static_cast<int>(std::fmax(lo, std::fmin(v, hi))); }

}  // namespace

// The pad's options are kept so that the whole pad, arrows and fire buttons,
// stays on the screen at its size: a pad half off the edge cannot be
// reached, and a pad too big for the screen cannot be placed at all. Its
// size stays from 0.8 to 2.5 and first shrinks to what the screen holds.
void c_MyApp::ClampPadOptions(float w, float h) {
    float fits = 10 * std::fmin(w, h) / (2 * kPadReach);
    m_Options[12] = clamp_int(m_Options[12], 8, std::fmin(25, std::floor(fits)));
    float reach = std::ceil(kPadReach * m_Options[12] / 10.0f);
    m_Options[10] = clamp_int(m_Options[10], reach, w - reach);
    m_Options[11] = clamp_int(m_Options[11], reach, h - reach);
}

void c_MyApp::OnScreenPad() {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    ClampPadOptions(w, h);

    m_PadX = m_Options[10];
    m_PadY = static_cast<int>(h - m_Options[11]);
    m_PadSize = m_Options[12] / 10.0f;
    m_Blend = 1;  // whatever the screen ended with, the pad draws normally
    p_SetCol(255, 255, 255, 0.6f);
    p_SetRot(0);
    p_SetSize(m_PadSize);

    float arm = 32 * m_PadSize;
    struct Arrow {
        float dx, dy;
        int frame, button;
    };
    const Arrow arrows[] = {
        {-arm, 0, 4, kActionLeft}, {0, -arm, 1, kActionUp}, {0, arm, 9, kActionDown}, {arm, 0, 6, kActionRight}};
    for (const Arrow& a : arrows) {
        if (p_Button(kSlotPad, m_PadX + a.dx, m_PadY + a.dy, a.frame) && !m_Paused) m_VKeys[a.button] = 1;
    }
    p_DrawImg(kSlotPad, m_PadX, m_PadY, 5);

    if (m_Paused) {
        // While paused the pad can be dragged to a new place and pinched to a new size.
        p_SetSize(3);
        if (p_Button0(kSlotPad, m_PadX, m_PadY, 0) && !bb_input_TouchDown(1)) {
            m_Options[10] = m_TouchX[0];
            m_Options[11] = static_cast<int>(h - m_TouchY[0]);
        }
        // The pinch compares the fingers' distance with the one of the
        // update before, kept in a field of its own: the round's entities
        // reuse m_FreeEnt in every update, paused ones too.
        if (!bb_input_TouchDown(1)) {
            m_PadDrag = 0;
            m_PadSpan = 0;
        } else if (bb_input_TouchDown(0)) {
            int span = std::abs(m_TouchX[0] - m_TouchX[1]) / 16;
            if (m_PadDrag) m_Options[12] += span - m_PadSpan;
            m_PadDrag = 1;
            m_PadSpan = span;
        }
    } else {
        // A pinch belongs to one pause: the next starts afresh.
        m_PadDrag = 0;
    }

    p_SetSize(1.5f * m_PadSize);
    float k = 24 * m_PadSize;
    if (p_Button(kSlotPad, w - (m_PadX - k), m_PadY - k, 0)) m_VKeys[kActionJump] = 1;
    if (p_Button(kSlotPad, w - (m_PadX + k), m_PadY + k, 0)) m_VKeys[kActionJump2] = 1;
}

void c_MyApp::TiltControl() {
    m_TiltX = bb_input_AccelX() - m_AccelX0;
    m_TiltY = bb_input_AccelY() - m_AccelY0;
    auto smooth = [](float& sm, float raw) {
        sm += (raw - sm) * 0.25f;
        if (std::fabs(raw - sm) < 0.005f) sm = raw;
    };
    smooth(m_TiltSmX, m_TiltX);
    smooth(m_TiltSmY, m_TiltY);

    p_ResetDraw();
    p_SetSize(1.5f);
    p_SetCol(255, 255, 255, 0.8f);
    if (p_Button2(24, bb_Zanth_jscrh - 24, 7)) {
        m_AccelX0 = bb_input_AccelX();
        m_AccelY0 = bb_input_AccelY();
    }
    p_SetCol(100, 255, 100, 0.6f);
    p_Oval(24 + 20 * m_TiltSmX, bb_Zanth_jscrh - 24 + 20 * m_TiltSmY, 4, 4);
}

void c_MyApp::DebugLine() {
    p_ResetDraw();
    bool tilt = bb_Zanth_AccelerometerControls == 1 && bb_Zanth_iCadeControls == 0;
    float y = tilt ? bb_Zanth_jscrh / 2 : bb_Zanth_jscrh - 16;
    String text = String(m_RenderFpsAvg) + String(":") + String(m_ScaleX) + String(",") + String(m_ScaleY);
    p_Text(16, y, text, 0, 1);
}
