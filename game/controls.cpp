// game/controls.cpp - game actions from keys, joysticks, sticks, virtual
// buttons and the iCade; the analogue move vector; the fullscreen switch.
//
// Actions: the kAction values of c_MyApp (game/myapp.h).
#include <cctype>
#include <cmath>

#include "game/globals.h"
#include "game/myapp.h"
#include "game/replay.h"
#include "host/game.h"
#include "input/device.h"

namespace {

// Runtime key codes.
enum Key {
    kBackspace = 8, kEnter = 13, kShift = 16, kControl = 17, kEscape = 27, kSpace = 32,
    kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kDelete = 46, kTilde = 192,
};

// Game-pad button numbers as the input module reports them.
enum Pad { kPadA = 0, kPadB, kPadX, kPadY, kPadL1, kPadR1, kPadBack, kPadStart, kPadLeft, kPadUp, kPadRight, kPadDown,
           kPadMenu = 14 };

struct ActionRow {
    int action;
    int keys[5];        // normal mode, 0-terminated
    int icadeKeys[4];   // iCade mode, 0-terminated
    int buttons[4];     // joystick buttons, -1-terminated
    int stickAxis;      // 0 none, 1 X, 2 Y (with stickSign)
    int stickSign;      // +1 above 0.4, -1 below -0.4
};

const ActionRow kActions[] = {
    {c_MyApp::kActionUp, {kUp, 'W'}, {kUp}, {kPadUp, -1}, 2, +1},
    {c_MyApp::kActionLeft, {kLeft, 'A'}, {kLeft}, {kPadLeft, -1}, 1, -1},
    {c_MyApp::kActionRight, {kRight, 'D'}, {kRight}, {kPadRight, -1}, 1, +1},
    {c_MyApp::kActionDown, {kDown, 'S'}, {kDown}, {kPadDown, -1}, 2, -1},
    {c_MyApp::kActionJump, {'Z', 'J', kSpace, kEnter}, {kSpace, kEnter}, {kPadA, -1}, 0, 0},
    {c_MyApp::kActionJump2, {'X', 'K', kControl}, {kControl}, {kPadB, -1}, 0, 0},
    {c_MyApp::kActionJump3, {'C', 'L', kShift}, {kShift}, {kPadX, -1}, 0, 0},
    {c_MyApp::kActionButton4, {'V', 'I'}, {}, {kPadY, -1}, 0, 0},
    {c_MyApp::kActionShoulderL, {'B', 'U'}, {}, {kPadL1, -1}, 0, 0},
    {c_MyApp::kActionBack, {'N', 'O'}, {}, {kPadR1, -1}, 0, 0},
    {c_MyApp::kActionMenu, {kEscape, kTilde, kDelete, kBackspace}, {kEscape, kDelete, kBackspace},
     {kPadBack, kPadStart, kPadMenu, -1}, 0, 0},
};

const ActionRow* find_row(int action) {
    for (const ActionRow& row : kActions)
        if (row.action == action) return &row;
    return nullptr;
}

bool any_key(const int* keys, int count) {
    for (int i = 0; i < count && keys[i]; ++i)
        if (bb_input_KeyDown(keys[i])) return true;
    return false;
}

// iCade letters: press letter, release letter, virtual button.
struct ICadeLetter {
    char press, release;
    int button;
};
const ICadeLetter kICadeLetters[] = {
    {'W', 'E', c_MyApp::kActionUp},       {'X', 'Z', c_MyApp::kActionDown},    {'A', 'Q', c_MyApp::kActionLeft},
    {'D', 'C', c_MyApp::kActionRight},    {'H', 'R', c_MyApp::kActionJump},    {'J', 'N', c_MyApp::kActionJump2},
    {'K', 'P', c_MyApp::kActionJump3},    {'Y', 'T', c_MyApp::kActionButton4}, {'U', 'F', c_MyApp::kActionShoulderL},
    {'I', 'M', c_MyApp::kActionBack},     {'O', 'G', c_MyApp::kICadeExtra1},   {'L', 'V', c_MyApp::kICadeExtra2},
};

float clamp_unit(float v) { return v < -1 ? -1 : (v > 1 ? 1 : v); }

// One update of a direction-key ramp; returns whether it sets the component.
// A held key pushes it by 0.15; both keys held leave it where it was; with
// neither, a ramp away from 0 returns by 0.2 and still sets the component.
bool ramp(float& value, bool negative, bool positive) {
    if (negative != positive) {
        value += negative ? -0.15f : 0.15f;
        return true;
    }
    if (negative) return true;
    if (value == 0) return false;
    value = value > 0 ? std::fmax(0.0f, value - 0.2f) : std::fmin(0.0f, value + 0.2f);
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Actions
// ---------------------------------------------------------------------------

int c_MyApp::ActionDown(int action, int analogue, int joystick) {
    const ActionRow* row = find_row(action);
    if (!row) return 0;
    bool icade = bb_Zanth_iCadeControls == 1;
    if (action == kActionMenu && !icade && bb_Zanth_isOuya == 1) return m_VKeys[19] != 0;
    bool virtualOnly = icade && action >= kActionButton4 && action <= kActionBack;

    if (!virtualOnly) {
        if (icade ? any_key(row->icadeKeys, 4) : any_key(row->keys, 5)) return 1;
        if (joystick >= 0) {
            for (int b : row->buttons) {
                if (b < 0) break;
                if (bb_input_JoyDown(b, joystick)) return 1;
            }
            if (!icade && analogue == 1 && row->stickAxis) {
                float v = row->stickAxis == 1 ? bb_input_JoyX(0, joystick) : bb_input_JoyY(0, joystick);
                if (row->stickSign > 0 ? v > 0.4f : v < -0.4f) return 1;
            }
        }
    }
    if (action == kActionMenu) return m_VKeys[kICadeExtra1] || m_VKeys[kICadeExtra2] || m_VKeys[19] ? 1 : 0;
    return m_VKeys[action] != 0 ? 1 : 0;
}

int c_MyApp::p_PlayKey(int action, int analogue, int joystick) {
    if (joystick < -1 || joystick > 3) return 0;
    return ActionDown(action, analogue, joystick);
}

int c_MyApp::p_PlayKeyAll(int action, int analogue) {
    int sum = 0;
    for (int j = 0; j < 4; ++j) sum += p_PlayKey(action, analogue, j);
    return sum;
}

float c_MyApp::p_StickX(int axis, int joystick) { return joystick < 0 ? 0.0f : bb_input_JoyX(axis, joystick); }

float c_MyApp::p_StickY(int axis, int joystick) {
    if (joystick < 0) return 0.0f;
    return axis == 0 ? -bb_input_JoyY(0, joystick) : bb_input_JoyY(axis, joystick);
}

// ---------------------------------------------------------------------------
// Analogue move
// ---------------------------------------------------------------------------

int c_MyApp::p_AnalogueControl() {
    float mx = 0, my = 0;

    // Virtual stick: the first touch anchors it; the anchor follows a pointer
    // that strays too far.
    if (m_Pointing) {
        if (m_TouchAnchorX == -1) {
            m_TouchAnchorX = m_MouseX;
            m_TouchAnchorY = m_MouseY;
        }
        mx = (m_MouseX - m_TouchAnchorX) / 72.0f;
        my = (m_MouseY - m_TouchAnchorY) / 72.0f;
        if (std::fabs(mx) < 0.1f && std::fabs(my) < 0.1f) mx = my = 0;
        if (m_MouseX - m_TouchAnchorX > 64) m_TouchAnchorX += 4;
        if (m_TouchAnchorX - m_MouseX > 64) m_TouchAnchorX -= 4;
        if (m_MouseY - m_TouchAnchorY > 64) m_TouchAnchorY += 4;
        if (m_TouchAnchorY - m_MouseY > 64) m_TouchAnchorY -= 4;
        p_SetCol(0, 100, 250, 0.25f);
        p_Oval(m_TouchAnchorX, m_TouchAnchorY, 12, 12);
        p_Oval(m_MouseX, m_MouseY, 8, 8);
    } else {
        m_TouchAnchorX = m_TouchAnchorY = -1;
    }

    float sx = p_StickX(0, 0), sy = p_StickY(0, 0);
    if (std::fabs(sx) > 0.2f || std::fabs(sy) > 0.2f) {
        mx = sx;
        my = sy;
    }

    if (ramp(m_KeyRampY, p_PlayKey(kActionUp, 0, 0) != 0, p_PlayKey(kActionDown, 0, 0) != 0)) my = m_KeyRampY;
    if (ramp(m_KeyRampX, p_PlayKey(kActionLeft, 0, 0) != 0, p_PlayKey(kActionRight, 0, 0) != 0)) mx = m_KeyRampX;

    m_MoveX = clamp_unit(mx);
    m_MoveY = clamp_unit(my);
    m_KeyRampX = clamp_unit(m_KeyRampX);
    m_KeyRampY = clamp_unit(m_KeyRampY);

    if (bb_Zanth_DebugMode == 1 && (std::fabs(m_MoveX) > 0.05f || std::fabs(m_MoveY) > 0.05f)) {
        float cx = bb_Zanth_jscrw - 64, cy = bb_Zanth_jscrh - 64;
        p_SetCol(0, 180, 250, 0.5f);
        p_Oval(cx, cy, 12, 12);
        p_Oval(cx + 52 * m_MoveX, cy + 52 * m_MoveY, 8, 8);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// iCade and fullscreen
// ---------------------------------------------------------------------------

int c_MyApp::p_iCade(int on) {
    if (on == 1) {
        BBGame::_game->SetKeyboardEnabled(true);
        bb_Zanth_iCadeControls = 1;
        while (bb_input_GetChar() > 0) {
        }
    } else {
        BBGame::_game->SetKeyboardEnabled(false);
        bb_Zanth_iCadeControls = 0;
        for (int i = 0; i < m_VKeys.Length(); ++i) m_VKeys[i] = 0;
    }
    return 0;
}

int c_MyApp::p_iCadeLetter(int character) {
    if (character < 'A' || (character > 'Z' && character < 'a') || character > 'z') return 0;
    char letter = static_cast<char>(std::toupper(character));
    for (const ICadeLetter& l : kICadeLetters) {
        if (letter == l.press) m_VKeys[l.button] = 2;
        if (letter == l.release) m_VKeys[l.button] = 0;
    }
    return 0;
}

int c_MyApp::p_FullscreenFlip() {
    // A replay shows the recorded round at its recorded screen size in the
    // viewer's window, which stays as it is.
    if (m_Replays->Watching()) return 0;
    BBGame* host = BBGame::_game;
    BBGlfwVideoMode* desktop = host->GetGlfwDesktopMode();
    // Without a desktop mode there is no size to go full screen at.
    if (desktop->Width <= 0 || desktop->Height <= 0) return 0;
    m_Fullscreen ^= 1;
    if (m_Fullscreen) {
        host->SetGlfwWindow(desktop->Width, desktop->Height, desktop->RedBits, desktop->GreenBits,
                            desktop->BlueBits, 0, 0, 0, true);
    } else {
        host->SetGlfwWindow(640, 480, desktop->RedBits, desktop->GreenBits, desktop->BlueBits, 0, 0, 0, false);
    }
    return 0;
}
