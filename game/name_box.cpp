// game/name_box.cpp - the name box: the player's name for the world board,
// asked once, when a board is set and no name is known.
//
// It is drawn with the game's own font, whose glyphs are ASCII, so it takes
// ASCII names: letters, digits, spaces, "-", "_" and ".", up to 16. They are
// typed with the keys, or chosen letter by letter on a grid of keys with a
// game pad (its stick or cross moves, A presses, B goes back), a finger or the
// mouse. Enter (or the grid's OK) keeps the name; Escape (or SKIP) keeps none,
// and the player is not asked again (--name sets one later).
//
// State: m_NameOpen, m_NameChars (the typed characters), m_NameLength,
// m_NameSel (the selected key: 0 to 39 the characters, then DEL, OK, SKIP).
// The box is part of the menu only: no round is ever recorded while it is up.
#include "game/globals.h"
#include "game/myapp.h"
#include "host/world_board.h"
#include "input/device.h"
#include "runtime/error.h"

namespace {

const char kGrid[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_. ";
const int kGridKeys = 40, kColumns = 10;
const int kKeyDelete = kGridKeys, kKeyOk = kGridKeys + 1, kKeys = kGridKeys + 3;  // then SKIP
const char* const kWideLabels[] = {"DEL", "OK", "SKIP"};
const float kKeyW = 40, kKeyH = 34;  // a grid key's pitch (virtual pixels)
const float kWideW = 120;

// Runtime key codes and pad buttons the box reads itself.
const int kBackspace = 8, kEnter = 13, kEscape = 27, kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
const int kPadA = 0, kPadB = 1, kPadLeft = 8, kPadUp = 9, kPadRight = 10, kPadDown = 11;

bool NameCharacter(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '-' ||
           c == '_' || c == '.';
}

}  // namespace

void c_MyApp::NameBoxOpen() {
    m_NameOpen = 1;
    m_NameLength = 0;
    m_NameSel = 0;
    ConsumePress();
}

// Where key `k` lies: its centre, and its width.
void c_MyApp::NameKeyPlace(int k, float* x, float* y, float* width) const {
    float cx = bb_Zanth_jscrw / 2, top = bb_Zanth_jscrh / 2 - 40;
    if (k < kGridKeys) {
        *x = cx + (k % kColumns - (kColumns - 1) / 2.0f) * kKeyW;
        *y = top + (k / kColumns) * kKeyH;
        *width = kKeyW - 4;
    } else {
        *x = cx + (k - kKeyOk) * (kWideW + 12);
        *y = top + 4 * kKeyH + 6;
        *width = kWideW;
    }
}

void c_MyApp::NameKey(int k) {
    if (k < kGridKeys) {
        if (m_NameLength < m_NameChars.Length()) m_NameChars[m_NameLength++] = kGrid[k];
    } else if (k == kKeyDelete) {
        if (m_NameLength > 0) --m_NameLength;
    } else {
        NameDone(k == kKeyOk);
    }
    p_PlaySFX2(99, 1);
}

void c_MyApp::NameDone(bool keep) {
    std::string name;
    for (int i = 0; i < m_NameLength; ++i) name += static_cast<char>(m_NameChars[i]);
    // Trimmed, as the board will; an empty name is no name.
    while (!name.empty() && name.back() == ' ') name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    std::string error;
    if (!bbWorldBoard()->SetName(keep ? name : std::string(), &error) && keep) {
        bbPrint(String(("The name was not kept: " + error).c_str()));
        return;
    }
    m_NameOpen = 0;
    ConsumePress();
}

void c_MyApp::NameBoxInput() {
    // Typed characters, and the keys that edit and close.
    for (int c = bb_input_GetChar(); c > 0; c = bb_input_GetChar())
        if (NameCharacter(c) && m_NameLength < m_NameChars.Length()) m_NameChars[m_NameLength++] = c;
    if (bb_input_KeyHit(kBackspace) && m_NameLength > 0) --m_NameLength;
    if (bb_input_KeyHit(kEnter)) return NameDone(true);
    if (bb_input_KeyHit(kEscape)) return NameDone(false);
    // The grid: arrows and the pads' crosses and sticks move, A presses, B deletes.
    int dx = 0, dy = 0;
    bool press = false, back = false;
    dx += bb_input_KeyHit(kRight) - bb_input_KeyHit(kLeft);
    dy += bb_input_KeyHit(kDown) - bb_input_KeyHit(kUp);
    for (int pad = 0; pad < 4; ++pad) {
        dx += bb_input_JoyHit(kPadRight, pad) - bb_input_JoyHit(kPadLeft, pad);
        dy += bb_input_JoyHit(kPadDown, pad) - bb_input_JoyHit(kPadUp, pad);
        press = press || bb_input_JoyHit(kPadA, pad);
        back = back || bb_input_JoyHit(kPadB, pad);
    }
    if (dx || dy) {
        int row = m_NameSel < kGridKeys ? m_NameSel / kColumns : 4;
        int column = m_NameSel < kGridKeys ? m_NameSel % kColumns : (m_NameSel - kKeyDelete) * 4 + 1;
        row = row + dy < 0 ? 0 : (row + dy > 4 ? 4 : row + dy);
        column = column + dx < 0 ? 0 : (column + dx >= kColumns ? kColumns - 1 : column + dx);
        m_NameSel = row < 4 ? row * kColumns + column : kKeyDelete + (column * 3) / kColumns;
        p_PlaySFX2(99, 1);
    }
    if (back && m_NameLength > 0) --m_NameLength;
    if (press) return NameKey(m_NameSel);
    // A finger or a click on a key.
    if (m_Pointing && !m_TouchLatch) {
        float px = static_cast<float>(m_TouchX[0]), py = static_cast<float>(m_TouchY[0]);
        for (int k = 0; k < kKeys; ++k) {
            float x, y, width;
            NameKeyPlace(k, &x, &y, &width);
            if (px > x - width / 2 && px < x + width / 2 && py > y - kKeyH / 2 && py < y + kKeyH / 2) {
                ConsumePress();
                m_NameSel = k;
                return NameKey(k);
            }
        }
    }
}

int c_MyApp::p_NameBox() {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    NameBoxInput();
    if (!m_NameOpen) return 0;
    p_ResetDraw();
    p_SetCol(0, 0, 0, 0.6f);
    p_Rect(-1, -1, w + 2, h + 2);
    float top = h / 2 - 40;
    p_SetCol(20, 30, 90, 0.95f);
    p_Rect(w / 2 - 230, top - 130, 460, 5 * kKeyH + 160);
    p_SetCol(255, 200, 100, 1);
    p_SetSize(1.5f);
    p_Text(w / 2, top - 106, String("YOUR NAME ON THE WORLD BOARD"), 1, 1);
    // The name as typed, with a cursor while there is room.
    String shown;
    for (int i = 0; i < m_NameLength; ++i) {
        Char c = static_cast<Char>(m_NameChars[i]);
        shown += String(&c, 1);
    }
    if (m_NameLength < m_NameChars.Length() && (m_MenuA / 20) % 2 == 0) shown += String("_");
    p_SetCol(255, 255, 255, 1);
    p_SetSize(2.5f);
    p_Text(w / 2, top - 62, shown, 1, 1);
    p_SetSize(1.5f);
    for (int k = 0; k < kKeys; ++k) {
        float x, y, width;
        NameKeyPlace(k, &x, &y, &width);
        bool selected = k == m_NameSel;
        p_SetCol(selected ? 0 : 40, selected ? 180 : 60, selected ? 255 : 140, selected ? 0.9f : 0.7f);
        p_Rect(x - width / 2, y - kKeyH / 2 + 2, width, kKeyH - 4);
        p_SetCol(255, 255, 255, 1);
        Char c = k < kGridKeys ? static_cast<Char>(kGrid[k]) : 0;
        String label = k >= kGridKeys ? String(kWideLabels[k - kGridKeys]) : (c == ' ' ? String("SP") : String(&c, 1));
        p_Text(x, y, label, 1, 1);
    }
    return 0;
}
