// game/particles.cpp - sparks and floating score pop-ups.
//
// A fixed pool of records (m_Part, records 0..m_PartMax of 10 floats) in world
// pixels, drawn relative to the camera. A new particle takes the last free
// record; when none is free it is dropped, but the random draws a throw makes
// still happen and a pop-up's points are still added, so a full pool never
// changes the game's random sequence or its score. Nothing is allocated.
#include <cmath>

#include "game/gameplay.h"
#include "game/myapp.h"
#include "support/random.h"

using namespace play;

namespace {

const float kRandomAngle = -3717;
const float kRandomSpeed = -3717;

struct Rgb {
    float r, g, b;
};

// Colour index to colour; index 0 and anything unknown are grey.
Rgb palette(int index) {
    static const Rgb kColours[10] = {
        {76.5f, 76.5f, 76.5f}, {255, 25.5f, 25.5f},  {255, 127.5f, 25.5f}, {255, 255, 25.5f},   {25.5f, 255, 25.5f},
        {25.5f, 255, 255},     {25.5f, 25.5f, 255},  {127.5f, 25.5f, 255}, {255, 25.5f, 127.5f}, {255, 255, 255},
    };
    return index >= 1 && index <= 9 ? kColours[index] : kColours[0];
}

// The text of a pop-up's number. Pop-ups show few distinct values, so a small
// cache spares a string per pop-up per update.
String number_text(int value) {
    static int values[4];
    static String texts[4];
    static int next;
    for (int i = 0; i < 4; ++i)
        if (values[i] == value && texts[i].Length() > 0) return texts[i];
    next = (next + 1) % 4;
    values[next] = value;
    texts[next] = String(value);
    return texts[next];
}

// The last free record of 0..last, or -1: searched from the end, so a pool
// with room answers quickly.
int free_particle(const Array<float>& part, int last) {
    const float* kinds = &part[0];
    for (int i = last; i >= 0; --i)
        if (kinds[i * kParticleFloats] == 0) return i;
    return -1;
}

}  // namespace

int c_MyApp::p_ThrowParticle(float x, float y, int kind, int colour, float angle, float speed) {
    if (angle == kRandomAngle) angle = bb_random_Rnd() * 360;
    if (speed == kRandomSpeed) speed = bb_random_Rnd() * 5 + 3;
    int i = free_particle(m_Part, m_PartMax);
    if (i < 0) return 0;
    float* p = &m_Part[i * kParticleFloats];
    p[kPartKind] = static_cast<float>(kind);
    p[kPartX] = x;
    p[kPartY] = y;
    p[kPartVX] = std::sin(angle * D2R) * speed;
    p[kPartVY] = -std::cos(angle * D2R) * speed;
    p[kPartRot] = bb_random_Rnd() * 360;
    p[kPartSpin] = bb_random_Rnd() * 16 - 8;
    p[kPartLife] = bb_random_Rnd() * 0.6f + 0.7f;
    p[kPartColour] = static_cast<float>(colour);
    p[kPartFrame] = std::floor(bb_random_Rnd() * 255.99f);
    return 0;
}

int c_MyApp::p_Gimme(int amount, float x, float y) {
    m_Score += amount;
    int i = free_particle(m_Part, m_PartMax);
    if (i < 0) return 0;
    float* p = &m_Part[i * kParticleFloats];
    p[kPartKind] = kPopUp;
    p[kPartX] = x;
    p[kPartY] = y;
    p[kPartVX] = 0;
    p[kPartVY] = -0.25f;
    p[kPartRot] = std::floor(bb_random_Rnd() * 360.99f);
    p[kPartSpin] = bb_random_Rnd() * 14 - 7;
    p[kPartLife] = 1;
    p[kPartColour] = 3;
    p[kPartFrame] = static_cast<float>(amount);
    return 0;
}

int c_MyApp::p_DoParticles() {
    p_ResetDraw();
    for (int i = 0; i <= m_PartMax; ++i) {
        float* p = &m_Part[i * kParticleFloats];
        int kind = static_cast<int>(p[kPartKind]);
        if (kind <= 0) continue;
        p[kPartX] += p[kPartVX];
        p[kPartY] += p[kPartVY];
        p[kPartRot] += p[kPartSpin];
        p_SetRot(kind == kPopUp ? 0 : p[kPartRot]);
        if (kind == kSparkFalling) {
            // Air drag and gravity.
            p[kPartVX] *= 0.95f;
            p[kPartVY] += 0.2f;
        }
        Rgb c = palette(static_cast<int>(p[kPartColour]));
        p_SetCol(c.r, c.g, c.b, p[kPartLife] < 1 ? p[kPartLife] : 1);
        p_SetSize(1);
        float sx = p[kPartX] - m_CamX, sy = p[kPartY] - m_CamY;
        if (kind >= 1 && kind <= 9) {
            p_DrawImg(kPartsSlot, sx, sy, static_cast<int>(p[kPartFrame]));
        } else if (kind == kPopUp) {
            p_SetSize(4);
            p_Text(sx, sy, number_text(static_cast<int>(p[kPartFrame])), 1, 1);
        }
        p[kPartLife] -= 0.01f;
        if (p[kPartLife] < 0) p[kPartKind] = 0;
    }
    p_ResetDraw();
    return 0;
}
