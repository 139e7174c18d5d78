// game/drawing.cpp - the display list, the drawing state, bitmap text and the
// button and touch tests.
//
// Each helper copies the current drawing state into a 15-float command:
//   0 kind (image slot, or kKindRect / kKindOval / kKindLine)  1 x  2 y
//   3 rotation (degrees)  4 size x / width / radius x / end x
//   5 size y / height / radius y / end y  6 frame  7 alpha  8, 9 unused
//   10..12 colour  13 blend (3 additive)  14 unused
#include <cmath>
#include <cstdio>
#include <string>

#include "game/globals.h"
#include "game/myapp.h"

namespace {

// Width adjustment of a glyph in the bitmap font, in advance units.
int glyph_adjustment(Char c) {
    switch (c) {
        case 'w': case 'm': return 2;
        case 'M': case 'W': return 1;
        case 'i': case 'f': case 'l': return -3;
        case 'j': case 's': case 'k': case 'r': case 'z': case 't': case 'n': return -1;
    }
    return 0;
}

bool given(float value) { return value > c_MyApp::kNotGiven; }

}  // namespace

// ---------------------------------------------------------------------------
// Drawing state
// ---------------------------------------------------------------------------

int c_MyApp::p_ResetDraw() {
    m_SizeX = m_SizeY = 1;
    m_ColR = m_ColG = m_ColB = 255;
    m_Rot = 0;
    m_Alpha = 1;
    m_Blend = 1;
    return 0;
}

int c_MyApp::p_CLS2D(float r, float g, float b, float a) {
    m_ViewW = bb_Zanth_jscrw;
    m_ViewH = bb_Zanth_jscrh;
    m_OriginX = m_OriginY = 0;
    if (given(r)) {
        m_ClsR = r;
        m_ClsG = g;
        m_ClsB = b;
        m_ClsA = a;
    }
    p_ResetDraw();
    m_DrawCount = 0;
    return 0;
}

int c_MyApp::p_SetSize(float x, float y) {
    m_SizeX = x;
    m_SizeY = given(y) ? y : x;
    return 0;
}

int c_MyApp::p_SetCol(float r, float g, float b, float a) {
    m_ColR = r;
    m_ColG = g;
    m_ColB = b;
    if (given(a)) m_Alpha = a;
    return 0;
}

int c_MyApp::p_Alpha(float a) {
    m_Alpha = a;
    return 0;
}

int c_MyApp::p_SetRot(float degrees) {
    m_Rot = -degrees;
    return 0;
}

// ---------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------

bool c_MyApp::AppendCommand(float kind, float x, float y, float rot, float sx, float sy, float frame) {
    if (m_DrawCount > kDrawLast) return false;
    float* c = &m_DrawList[m_DrawCount];
    c[0] = kind;
    c[1] = x;
    c[2] = y;
    c[3] = rot;
    c[4] = sx;
    c[5] = sy;
    c[6] = frame;
    c[7] = m_Alpha;
    c[8] = c[9] = 0;
    c[10] = m_ColR;
    c[11] = m_ColG;
    c[12] = m_ColB;
    c[13] = static_cast<float>(m_Blend);
    c[14] = 0;
    m_DrawCount += kDrawFloats;
    return true;
}

int c_MyApp::p_DrawImg(int slot, float x, float y, int frame) {
    AppendCommand(static_cast<float>(slot), x, y, m_Rot, m_SizeX, m_SizeY, static_cast<float>(frame));
    return 0;
}

int c_MyApp::p_DrawImg2(int slot, float x, float y) { return p_DrawImg(slot, x, y, 0); }

int c_MyApp::p_Rect(float x, float y, float w, float h) {
    AppendCommand(kKindRect, x, y, 0, w, h, 0);
    return 0;
}

int c_MyApp::p_Oval(float x, float y, float rx, float ry) {
    AppendCommand(kKindOval, x, y, 0, rx, ry, 0);
    return 0;
}

int c_MyApp::p_Line(float x1, float y1, float x2, float y2) {
    AppendCommand(kKindLine, x1, y1, 0, x2, y2, 0);
    return 0;
}

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

int c_MyApp::p_Text(float x, float y, String text, float alignX, float alignY) {
    TextChars(x, y, text.Data(), text.Length(), alignX, alignY);
    return 0;
}

void c_MyApp::TextChars(float x, float y, const Char* chars, int count, float alignX, float alignY) {
    if (m_Font < 0 || m_Font >= kSlots) return;
    float charW = static_cast<float>(m_ImgInfo[3 * m_Font]);
    float charH = static_cast<float>(m_ImgInfo[3 * m_Font + 1]);
    // The text is written with one space in front; character i of that line is
    // the space for i = 0 and chars[i - 1] after it (read in place, nothing is
    // allocated).
    int n = count + 1;
    auto at = [chars](int i) -> Char { return i == 0 ? Char(' ') : chars[i - 1]; };

    float sum = 0;
    for (int i = 0; i < n - 1; ++i) sum += (charW + glyph_adjustment(at(i))) * m_SizeX;
    float width = n < 2 ? 0.0f : std::trunc(sum);

    float theta = -m_Rot * D2R;
    float dx = std::cos(theta), dy = std::sin(theta);  // along the line
    float ex = -dy, ey = dx;                            // down the lines
    float lineStep = charH * m_SizeY;
    float alongBack = alignX / 2 * width;
    float downBack = (alignY - 1) / 2 * lineStep;
    float x0 = x - alongBack * dx - downBack * ex;
    float y0 = y - alongBack * dy - downBack * ey;

    float px = x0, py = y0;
    int line = 0;
    for (int i = 0; i < n; ++i) {
        Char c = at(i);
        if (c == '\\' && i + 1 < n && at(i + 1) == 'n') {
            ++i;
            ++line;
            px = x0 + line * lineStep * ex;
            py = y0 + line * lineStep * ey;
            continue;
        }
        if (c == 0) continue;
        if (c >= 33 && c <= 159) p_DrawImg(m_Font, px, py, c - 32);
        float advance = (charW + glyph_adjustment(c)) * m_SizeX;
        px += advance * dx;
        py += advance * dy;
    }
}

String c_MyApp::p_rstr(int value, int width, String pad) {
    // The last `width` characters of pad x (width + 1) followed by the
    // digits, assembled in place: the result is the only allocation.
    if (width <= 0) return String();
    char digits[16];
    int digitCount = std::snprintf(digits, sizeof digits, "%i", value);
    int padChars = (width + 1) * pad.Length();
    int total = padChars + digitCount;
    int from = total - width < 0 ? 0 : total - width;
    Char local[64];
    std::u16string spill;
    Char* out = local;
    if (total - from > 64) {
        spill.resize(total - from);
        out = &spill[0];
    }
    for (int i = from; i < total; ++i)
        out[i - from] = i < padChars ? pad[i % pad.Length()] : static_cast<Char>(digits[i - padChars]);
    return String(out, total - from);
}

String c_MyApp::p_rstr2(int value, String pad) { return p_rstr(value, 10, pad); }

// ---------------------------------------------------------------------------
// Buttons and touches
// ---------------------------------------------------------------------------

int c_MyApp::TouchInFrame(int slot, float x, float y, int firstTouch, int lastTouch) {
    if (!m_Pointing || slot < 0 || slot >= kSlots) return 0;
    float hx = m_ImgScale * m_ImgInfo[3 * slot] * m_SizeX / 2;
    float hy = m_ImgScale * m_ImgInfo[3 * slot + 1] * m_SizeY / 2;
    for (int i = firstTouch; i <= lastTouch; ++i) {
        float tx = static_cast<float>(m_TouchX[i]), ty = static_cast<float>(m_TouchY[i]);
        if (x - hx < tx && tx < x + hx && y - hy < ty && ty < y + hy) return 1;
    }
    return 0;
}

int c_MyApp::p_Button(int slot, float x, float y, int frame) {
    p_DrawImg(slot, x, y, frame);
    m_ButtonHit = TouchInFrame(slot, x, y, 0, 9);
    return m_ButtonHit;
}

int c_MyApp::p_Button2(float x, float y, int frame) { return p_Button(kSlotIcons, x, y, frame); }

int c_MyApp::p_Button0(int slot, float x, float y, int frame) {
    p_DrawImg(slot, x, y, frame);
    return TouchInFrame(slot, x, y, 0, 0);
}

int c_MyApp::p_Touch(float x, float y, float w, float h) {
    p_Rect(x, y, w, h);
    for (int i = 0; i < 10; ++i) {
        if (!m_TouchDown[i]) continue;
        float tx = static_cast<float>(m_TouchX[i]), ty = static_cast<float>(m_TouchY[i]);
        if (x - 6 < tx && tx < x + w + 12 && y - 6 < ty && ty < y + h + 12) return 1;
    }
    return 0;
}

int c_MyApp::p_MouseIn_Centered(float x, float y, float w, float h) {
    for (int i = 0; i < 10; ++i) {
        if (!m_TouchDown[i]) continue;
        float tx = static_cast<float>(m_TouchX[i]), ty = static_cast<float>(m_TouchY[i]);
        if (x - w / 2 < tx && tx < x + w / 2 && y - h / 2 < ty && ty < y + h / 2) return 1;
    }
    return 0;
}
