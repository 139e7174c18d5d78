// tools/soak/random_player.cpp - the soak program's random player.
#include "random_player.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>

#include "game/gameplay.h"
#include "game/globals.h"
#include "game/myapp.h"
#include "host/desktop.h"
#include "input/host_input.h"

namespace {

// ---------------------------------------------------------------------------
// Keys for the game's actions
// ---------------------------------------------------------------------------

enum Action { kUp = 0, kLeft = 3, kRight = 5, kDown = 8, kFire = 10, kFire2 = 11, kFire3 = 12, kBadgesKey = 14,
              kCreditsKey = 15, kQuit = 99 };

struct ActionKeys {
    int action;
    int keys[4];        // keyboard, 0-terminated
    int icadeKeys[3];   // keys that still act in iCade mode, 0-terminated
    char press, release;  // iCade letters, 0 where there are none
};

const ActionKeys kKeys[] = {
    {kUp, {GLFW_KEY_UP, 'W'}, {GLFW_KEY_UP}, 'W', 'E'},
    {kLeft, {GLFW_KEY_LEFT, 'A'}, {GLFW_KEY_LEFT}, 'A', 'Q'},
    {kRight, {GLFW_KEY_RIGHT, 'D'}, {GLFW_KEY_RIGHT}, 'D', 'C'},
    {kDown, {GLFW_KEY_DOWN, 'S'}, {GLFW_KEY_DOWN}, 'X', 'Z'},
    {kFire, {'Z', 'J', GLFW_KEY_SPACE, GLFW_KEY_ENTER}, {GLFW_KEY_SPACE, GLFW_KEY_ENTER}, 'H', 'R'},
    {kFire2, {'X', 'K', GLFW_KEY_LEFT_CONTROL}, {GLFW_KEY_LEFT_CONTROL}, 'J', 'N'},
    {kFire3, {'C', 'L', GLFW_KEY_LEFT_SHIFT}, {GLFW_KEY_LEFT_SHIFT}, 'K', 'P'},
    {kBadgesKey, {'B', 'U'}, {}, 'U', 'F'},
    {kCreditsKey, {'N', 'O'}, {}, 'I', 'M'},
    {kQuit, {GLFW_KEY_ESCAPE, GLFW_KEY_GRAVE_ACCENT, GLFW_KEY_DELETE, GLFW_KEY_BACKSPACE},
     {GLFW_KEY_ESCAPE, GLFW_KEY_DELETE, GLFW_KEY_BACKSPACE}, 'O', 'G'},
};

// Pad buttons for the actions (first choice, second choice or -1), and the
// stick: axis 1 X, 2 Y, with the sign the action pushes it.
struct PadAction {
    int action;
    int buttons[3];
    int axis;
    float sign;
};
const PadAction kPadActions[] = {
    {kUp, {9, -1, -1}, 2, +1},      {kLeft, {8, -1, -1}, 1, -1},   {kRight, {10, -1, -1}, 1, +1},
    {kDown, {11, -1, -1}, 2, -1},   {kFire, {0, -1, -1}, 0, 0},    {kFire2, {1, -1, -1}, 0, 0},
    {kFire3, {2, -1, -1}, 0, 0},    {kBadgesKey, {4, -1, -1}, 0, 0}, {kCreditsKey, {5, -1, -1}, 0, 0},
    {kQuit, {6, 7, 14}, 0, 0},  // back, start, menu
};
const int kPadQuitButtons[] = {6, 7, 14};

// The iCade's other menu button, which quits from the menu as well.
const char kICadeMenu2Press = 'L', kICadeMenu2Release = 'V';
const int kVKeyMenu1 = 16, kVKeyMenu2 = 17;

const ActionKeys& keys_for(int action) {
    for (const ActionKeys& k : kKeys)
        if (k.action == action) return k;
    return kKeys[0];
}

int count_keys(const int* keys, int max) {
    int n = 0;
    while (n < max && keys[n]) ++n;
    return n;
}

// Window sizes a player might give the window: the start size, wide, tall.
const int kSizes[][2] = {{640, 480}, {1280, 720}, {1024, 768}, {600, 900}};

// Keys a mash leaves out: the quit action's keys (runtime codes), F4, which
// quits at once, and F1 and F2, which the player toggles on its own schedule.
bool pad_button_quits(int b) {
    for (int q : kPadQuitButtons)
        if (b == q) return true;
    return false;
}

bool mash_may_press(int glfwKey) {
    int code = TransKey(glfwKey);
    if (code == 0 || glfwKey == 'O' || glfwKey == 'L') return false;  // O and L are the iCade's menu buttons
    const int kept[] = {8, 27, 46, 192, 112, 113, 115};
    for (int k : kept)
        if (code == k) return false;
    return true;
}

// Rows of the options box on the desktop: back, sound, iCade, display, credits.
const int kOptionRowDisplay = 3;

bool icade() { return bb_Zanth_iCadeControls == 1; }

}  // namespace

// ---------------------------------------------------------------------------
// Set-up and randomness
// ---------------------------------------------------------------------------

RandomPlayer::RandomPlayer(BBGlfwGame* host, c_MyApp* app, uint64_t seed)
    : host_(host), app_(app), random_(seed) {
    pad_.present = true;
    startW_ = bb_graphics_device->width;
    startH_ = bb_graphics_device->height;
    mouseX_ = startW_ / 2.0f;
    mouseY_ = startH_ / 2.0f;
}

int RandomPlayer::Rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }

bool RandomPlayer::Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }

RandomPlayer::Screen RandomPlayer::Look() const {
    const c_MyApp* a = app_;
    if (a->m_LoadStage != 0) return kLoading;
    if (a->m_OptionsOpen) return kOptions;
    if (a->m_Mode == c_MyApp::kModeRound || a->m_Mode == c_MyApp::kModeStartRound) {
        if (a->m_GameEnded > 0) return kRoundOver;
        return a->m_Paused ? kPaused : kRound;
    }
    if (a->m_CreditsOpen) return kCredits;
    if (a->m_BadgesOpen) return kBadges;
    return kMenu;
}

// ---------------------------------------------------------------------------
// Input primitives
// ---------------------------------------------------------------------------

void RandomPlayer::Press(int glfwKey, int updates, bool quits) {
    for (const Held& h : held_)
        if (h.key == glfwKey) return;
    BBGlfwGame::OnKey(nullptr, glfwKey, 0, GLFW_PRESS, 0);
    // Letters type their character as well, as GLFW reports them.
    if (glfwKey >= 'A' && glfwKey <= 'Z') {
        BBGlfwGame::OnChar(nullptr, static_cast<unsigned>(glfwKey - 'A' + 'a'));
        ++counts_.charsTyped;
    }
    held_.push_back({glfwKey, 0, now_ + std::max(1, updates), quits, now_ + 30});
    ++counts_.keyPresses;
}

void RandomPlayer::TypeLetter(char letter) {
    BBGlfwGame::OnKey(nullptr, letter, 0, GLFW_PRESS, 0);
    BBGlfwGame::OnChar(nullptr, static_cast<unsigned>(letter - 'A' + 'a'));
    BBGlfwGame::OnKey(nullptr, letter, 0, GLFW_RELEASE, 0);
    ++counts_.charsTyped;
}

// Holds an action: by one of its keys, or in iCade mode by one of the keys
// that still act there or by the controller's press and release letters.
void RandomPlayer::HoldAction(int action, int updates) {
    if (pad_.present && Chance(0.25) && HoldOnPad(action, updates)) return;
    const ActionKeys& k = keys_for(action);
    bool quits = action == kQuit;
    if (!icade()) {
        int n = count_keys(k.keys, 4);
        Press(k.keys[Rand(0, n - 1)], updates, quits);
        return;
    }
    int n = count_keys(k.icadeKeys, 3);
    if (n > 0 && Chance(0.4)) {
        Press(k.icadeKeys[Rand(0, n - 1)], updates, quits);
        return;
    }
    char press = k.press, release = k.release;
    if (quits && Chance(0.5)) press = kICadeMenu2Press, release = kICadeMenu2Release;
    TypeLetter(press);
    held_.push_back({0, release, now_ + std::max(1, updates), quits, -1});
}

// Holds an action on the pad: a button, or for a direction sometimes the stick.
bool RandomPlayer::HoldOnPad(int action, int updates) {
    for (const PadAction& p : kPadActions) {
        if (p.action != action) continue;
        long until = now_ + std::max(1, updates);
        if (p.axis && Chance(0.5)) {
            int kind = p.axis == 1 ? kHeldStickX : kHeldStickY;
            for (const Held& h : held_)
                if (h.key == kind) return false;
            (p.axis == 1 ? pad_.stickX : pad_.stickY) = p.sign * std::uniform_real_distribution<float>(0.5f, 1)(random_);
            held_.push_back({kind, 0, until, false, -1});
        } else {
            int n = 1;
            while (n < 3 && p.buttons[n] >= 0) ++n;
            int b = p.buttons[Rand(0, n - 1)];
            if (pad_.buttons[b]) return false;
            pad_.buttons[b] = true;
            held_.push_back({kHeldPadButton - b, 0, until, action == kQuit, -1});
        }
        ++counts_.padPresses;
        return true;
    }
    return false;
}

void RandomPlayer::LetGo(const Held& h) {
    if (h.key > 0) {
        BBGlfwGame::OnKey(nullptr, h.key, 0, GLFW_RELEASE, 0);
    } else if (h.key == 0) {
        if (icade()) TypeLetter(h.release);
    } else if (h.key == kHeldStickX) {
        pad_.stickX = 0;
    } else if (h.key == kHeldStickY) {
        pad_.stickY = 0;
    } else {
        pad_.buttons[kHeldPadButton - h.key] = false;
    }
}

void RandomPlayer::ReleaseDue() {
    for (size_t i = 0; i < held_.size();) {
        Held& h = held_[i];
        if (h.until > now_) {
            // GLFW repeats a key held past its delay.
            if (h.key > 0 && now_ >= h.repeatAt) {
                BBGlfwGame::OnKey(nullptr, h.key, 0, GLFW_REPEAT, 0);
                h.repeatAt = now_ + 2;
            }
            ++i;
            continue;
        }
        LetGo(h);
        held_.erase(held_.begin() + i);
    }
    for (size_t i = 0; i < pending_.size();) {
        const Pending& p = pending_[i];
        if (p.until > now_) {
            ++i;
            continue;
        }
        if (p.touch) {
            host_->TouchEvent(kEventTouchUp, p.id, p.x, p.y);
        } else {
            host_->MouseEvent(kEventMouseUp, p.id, p.x, p.y);
        }
        pending_.erase(pending_.begin() + i);
    }
}

// Lets go of the quit action wherever it would quit from the menu once
// pressed again, including an iCade menu button still held by its letter.
void RandomPlayer::ReleaseQuitKeys() {
    for (Held& h : held_)
        if (h.quits) h.until = now_;
    ReleaseDue();
    if (icade() && app_->m_VKeys[kVKeyMenu1]) TypeLetter(keys_for(kQuit).release);
    if (icade() && app_->m_VKeys[kVKeyMenu2]) TypeLetter(kICadeMenu2Release);
}

void RandomPlayer::MouseTo(float vx, float vy) {
    float sx = app_->m_ScaleX > 0 ? app_->m_ScaleX : 1, sy = app_->m_ScaleY > 0 ? app_->m_ScaleY : 1;
    mouseX_ = bb_Zanth_overscan + vx * sx;
    mouseY_ = bb_Zanth_overscan * bb_graphics_device->height / std::max(1, bb_graphics_device->width) + vy * sy;
    BBGlfwGame::OnMousePos(nullptr, mouseX_, mouseY_);
}

// Presses the left button (or a finger, now and then) at a virtual position,
// holds it for `updates`, moving by (dragX, dragY) virtual pixels each update.
void RandomPlayer::Click(float vx, float vy, int updates, float dragX, float dragY) {
    if (!MouseIdle()) return;
    MouseTo(vx, vy);
    float sx = app_->m_ScaleX > 0 ? app_->m_ScaleX : 1;
    dragX_ = dragX * sx;
    dragY_ = dragY * sx;
    mouseUpAt_ = now_ + std::max(1, updates);
    if (Chance(0.15)) {
        touching_ = true;
        host_->TouchEvent(kEventTouchDown, 0, mouseX_, mouseY_);
        ++counts_.touches;
    } else {
        mouseDown_ = true;
        host_->MouseEvent(kEventMouseDown, 0, mouseX_, mouseY_);
        ++counts_.clicks;
    }
    if (dragX != 0 || dragY != 0) ++counts_.drags;
}

void RandomPlayer::MouseStep() {
    if (MouseIdle()) return;
    if (now_ >= mouseUpAt_) {
        if (touching_) host_->TouchEvent(kEventTouchUp, 0, mouseX_, mouseY_);
        if (mouseDown_) host_->MouseEvent(kEventMouseUp, 0, mouseX_, mouseY_);
        touching_ = mouseDown_ = false;
        return;
    }
    if (dragX_ == 0 && dragY_ == 0) return;
    mouseX_ += dragX_;
    mouseY_ += dragY_;
    if (touching_) {
        host_->TouchEvent(kEventTouchMove, 0, mouseX_, mouseY_);
    } else {
        BBGlfwGame::OnMousePos(nullptr, mouseX_, mouseY_);
    }
}

// A burst of odd input: stray keys held for a while, typed characters of
// any plane, the right or middle button or a finger other than the first,
// anywhere in or around the window.
void RandomPlayer::Mash() {
    ++counts_.mashes;
    for (int n = Rand(1, 4); n > 0; --n) {
        int key = Rand(GLFW_KEY_SPACE, GLFW_KEY_LAST);
        if (mash_may_press(key)) Press(key, Rand(1, 20), false);
    }
    for (int n = Rand(0, 3); n > 0; --n) {
        unsigned c = Chance(0.5) ? static_cast<unsigned>(Rand(32, 126)) : static_cast<unsigned>(Rand(0x80, 0x10FFFF));
        if (c == 'o' || c == 'O' || c == 'l' || c == 'L') continue;
        BBGlfwGame::OnChar(nullptr, c);
        ++counts_.charsTyped;
    }
    if (pad_.present && Chance(0.3)) {
        int b = Rand(0, 31);
        if (!pad_button_quits(b) && !pad_.buttons[b]) {
            pad_.buttons[b] = true;
            held_.push_back({kHeldPadButton - b, 0, now_ + Rand(1, 20), false, -1});
        }
    }
    int w = bb_graphics_device->width, h = bb_graphics_device->height;
    float x = static_cast<float>(Rand(-w / 4, w + w / 4)), y = static_cast<float>(Rand(-h / 4, h + h / 4));
    if (Chance(0.5)) {
        int button = Rand(1, 2);
        for (const Pending& p : pending_)
            if (!p.touch && p.id == button) return;
        host_->MouseEvent(kEventMouseDown, button, x, y);
        pending_.push_back({false, button, x, y, now_ + Rand(1, 30)});
    } else {
        int finger = Rand(1, 9);
        for (const Pending& p : pending_)
            if (p.touch && p.id == finger) return;
        host_->TouchEvent(kEventTouchDown, finger, x, y);
        pending_.push_back({true, finger, x, y, now_ + Rand(1, 30)});
    }
}

// ---------------------------------------------------------------------------
// The main menu
// ---------------------------------------------------------------------------

// Where menu item 1..4 is drawn now (as the menu lays out its item line).
void RandomPlayer::MenuItemPos(int item, float* x, float* y) const {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    float along = (item - 1) * 88.0f - app_->m_MenuB / 16.0f;
    if (app_->m_Landscape == 1) {
        *x = 0.4f * w + along;
        *y = (h + 212) / 2 - 8 * app_->m_MenuSlide;
    } else {
        *x = (w - 140) / 2;
        *y = 0.6f * h - 8 * app_->m_MenuSlide + along;
    }
}

void RandomPlayer::MenuTowardItem(int item) {
    int sel = app_->m_MenuSel;
    float x, y;
    if (sel != item) {
        if (Chance(0.6) || app_->m_MenuSlide != 0) {
            HoldAction(sel < item ? (Chance(0.5) ? kRight : kDown) : (Chance(0.5) ? kLeft : kUp), Rand(2, 8));
        } else {
            MenuItemPos(item, &x, &y);
            Click(x, y, Rand(2, 6));
        }
        return;
    }
    int how = Rand(0, 3);
    if (how == 0 && item != 4) {
        Click(bb_Zanth_jscrw - 70, bb_Zanth_jscrh - 48, Rand(2, 6));  // the start button
    } else if (how == 1 && app_->m_MenuSlide == 0) {
        MenuItemPos(item, &x, &y);
        Click(x, y, Rand(2, 6));
    } else {
        HoldAction(Rand(0, 1) ? kFire : (Chance(0.5) ? kFire2 : kFire3), Rand(2, 10));
    }
}

void RandomPlayer::OnMenu() {
    if (goal_ == kGoalNone || now_ - goalSince_ > 900) {
        goalSince_ = now_;
        int r = Rand(0, 99);
        if (r < 55) {
            goal_ = kGoalStart;
            // Mostly the variant started least, so all three get played.
            goalItem_ = 1;
            for (int v = 2; v <= 3; ++v)
                if (counts_.rounds[v] < counts_.rounds[goalItem_]) goalItem_ = v;
            if (Chance(0.4)) goalItem_ = Rand(1, 3);
        } else if (r < 70) {
            goal_ = kGoalOptions;
        } else if (r < 80) {
            goal_ = kGoalCredits;
        } else if (r < 90) {
            goal_ = kGoalBadges;
        } else {
            goal_ = kGoalFiddle;
        }
    }
    float w = bb_Zanth_jscrw, slide = 4.0f * app_->m_MenuSlide;
    switch (goal_) {
        case kGoalStart:
            MenuTowardItem(goalItem_);
            break;
        case kGoalOptions:
            MenuTowardItem(4);
            break;
        case kGoalCredits:
            if (Chance(0.5)) {
                HoldAction(kCreditsKey, Rand(2, 10));
            } else {
                Click(w - 30 - slide, 30, Rand(2, 6));
            }
            break;
        case kGoalBadges:
            if (Chance(0.5)) {
                HoldAction(kBadgesKey, Rand(2, 10));
            } else {
                Click(w - 72 - slide, 30, Rand(2, 6));
            }
            break;
        default: {
            // Drag or flick the item line, step along it, or move the mouse.
            float x, y;
            MenuItemPos(Rand(1, 4), &x, &y);
            int r = Rand(0, 3);
            if (r == 0) {
                Click(x + Rand(-20, 20), y + Rand(-20, 20), Rand(5, 30), static_cast<float>(Rand(-12, 12)), 0);
            } else if (r == 1) {
                HoldAction(Chance(0.5) ? kLeft : kRight, Rand(2, 40));
            } else if (r == 2) {
                MouseTo(static_cast<float>(Rand(0, static_cast<int>(w))), static_cast<float>(Rand(0, 479)));
            } else {
                goal_ = kGoalNone;
            }
            if (Chance(0.3)) goal_ = kGoalNone;
            break;
        }
    }
    busyUntil_ = now_ + Rand(4, 40);
}

// ---------------------------------------------------------------------------
// Rounds and the pause menu
// ---------------------------------------------------------------------------

void RandomPlayer::OnRound() {
    using namespace play;
    if (now_ < roundEndAt_) {
        int r = Rand(0, 99);
        if (r < 2) {
            // Pause: by a key, or by the pause button in the corner.
            if (app_->m_NoHud || Chance(0.6)) {
                HoldAction(kQuit, Rand(2, 8));
            } else {
                Click(16, 16, Rand(2, 5));
            }
        } else if (r < 45) {
            HoldAction(Chance(0.5) ? kLeft : kRight, Rand(5, 90));
        } else if (r < 65) {
            HoldAction(Chance(0.7) ? kFire : kUp, Rand(2, 25));
        } else if (r < 80) {
            HoldAction(Chance(0.5) ? kLeft : kRight, Rand(10, 60));
            HoldAction(Rand(0, 1) ? kFire2 : kFire3, Rand(2, 25));
        } else if (r < 90) {
            HoldAction(Chance(0.5) ? kDown : kUp, Rand(5, 40));
        } else if (r < 95 && MouseIdle()) {
            // The mouse as a virtual stick.
            Click(static_cast<float>(Rand(100, 540)), static_cast<float>(Rand(100, 380)), Rand(10, 60),
                  static_cast<float>(Rand(-3, 3)), static_cast<float>(Rand(-3, 3)));
        }
        busyUntil_ = now_ + Rand(0, 30);
        return;
    }
    // Giving up: stand still for the enemies, or leave by the pause menu
    // (also when standing still has taken too long).
    if (leaveRound_ || now_ > roundEndAt_ + 3600) {
        leaveRound_ = true;
        HoldAction(kQuit, Rand(2, 6));
    }
    busyUntil_ = now_ + 60;
}

void RandomPlayer::OnPaused() {
    // The items move while the menu slides in; keys are read only once it is in.
    if (app_->m_PauseState != 1 || app_->m_PauseSlide != static_cast<int>(bb_Zanth_jscrh / 2)) return;
    int sel = app_->m_PauseSel;
    float w = bb_Zanth_jscrw, y = static_cast<float>(app_->m_PauseSlide);
    float spacing = app_->m_Landscape == 1 ? 150 : std::fmin(110.0f, 0.34f * w);
    int want;
    if (leaveRound_ || now_ >= roundEndAt_ + 3600) {
        want = -1;
        leaveRound_ = true;
    } else {
        int r = Rand(0, 99);
        want = r < 60 ? 0 : (r < 90 ? 1 : -1);
        if (want == -1) leaveRound_ = true;
    }
    if (Chance(0.3)) {
        Click(w / 2 + want * spacing, y, Rand(2, 5));
    } else if (want == 0 && Chance(0.4)) {
        HoldAction(kQuit, Rand(2, 6));
    } else if (sel < want) {
        HoldAction(Chance(0.5) ? kRight : kDown, Rand(2, 6));
    } else if (sel > want) {
        HoldAction(Chance(0.5) ? kLeft : kUp, Rand(2, 6));
    } else {
        HoldAction(kFire, Rand(2, 6));
    }
    busyUntil_ = now_ + Rand(5, 40);
}

// ---------------------------------------------------------------------------
// The boxes
// ---------------------------------------------------------------------------

void RandomPlayer::OnOptions() {
    if (app_->m_OptionSlide < 30) return;
    int rows = app_->m_Mode == c_MyApp::kModeMenu ? 5 : 4;
    int sel = app_->m_OptSel;
    int r = Rand(0, 99);
    if (r < 30) {
        HoldAction(Chance(0.5) ? kUp : kDown, Rand(2, 8));
    } else if (r < 60) {
        if (sel == kOptionRowDisplay) ++counts_.displayRowUses;
        HoldAction(Rand(0, 1) ? kFire : kFire2, Rand(2, 8));
    } else if (r < 80) {
        // A row's bar, as the box lays them out.
        int row = Rand(1, rows - 1);
        float w = bb_Zanth_jscrw;
        float x = w / 2, y = 128 + 40 * (row - 1) + 12;
        if (row == 4) x = w - 190, y = 128 + 40 * 2 + 50 + 12;
        if (row == kOptionRowDisplay) ++counts_.displayRowUses;
        Click(x, y, Rand(2, 6));
    } else if (r < 90) {
        if (Chance(0.5)) {
            HoldAction(kQuit, Rand(2, 6));
        } else {
            Click(94, 60, Rand(2, 6));  // the back cog
        }
    }
    busyUntil_ = now_ + Rand(5, 40);
}

void RandomPlayer::OnCredits() {
    int r = Rand(0, 99);
    if (r < 50) {
        HoldAction(Chance(0.5) ? kUp : kDown, Rand(10, 60));
    } else if (r < 75) {
        busyUntil_ = now_ + Rand(30, 200);
        return;
    } else if (r < 85) {
        HoldAction(Chance(0.5) ? kCreditsKey : kFire, Rand(2, 8));
    } else if (r < 93) {
        Click(static_cast<float>(Rand(50, 590)), static_cast<float>(Rand(50, 430)), Rand(2, 6));
    } else {
        HoldAction(kQuit, Rand(2, 6));
    }
    busyUntil_ = now_ + Rand(5, 40);
}

void RandomPlayer::OnBadges() {
    float w = bb_Zanth_jscrw;
    int r = Rand(0, 99);
    if (r < 40) {
        HoldAction(Chance(0.5) ? kUp : kDown, Rand(5, 60));
    } else if (r < 65) {
        Click(w / 2, static_cast<float>(Rand(100, 380)), Rand(10, 40), 0, static_cast<float>(Rand(-6, 6)));
    } else if (r < 80) {
        HoldAction(kCreditsKey, Rand(2, 8));
    } else if (r < 90) {
        Click(Chance(0.5) ? 0.05f * w : 0.95f * w, static_cast<float>(Rand(50, 430)), Rand(2, 6));
    } else {
        HoldAction(kQuit, Rand(2, 6));
    }
    busyUntil_ = now_ + Rand(5, 40);
}

// ---------------------------------------------------------------------------
// Focus, window size, function keys
// ---------------------------------------------------------------------------

void RandomPlayer::Resize(int w, int h) {
    if (bb_graphics_device->width == w && bb_graphics_device->height == h) return;
    bb_graphics_device->width = w;
    bb_graphics_device->height = h;
    ++counts_.resizes;
}

// One step of the size tour; true while it is under way.
bool RandomPlayer::SizeTour() {
    const int sizes = static_cast<int>(sizeof kSizes / sizeof kSizes[0]);
    if (tourAt_ < 0 || now_ < tourAt_ || tourStep_ > sizes) return false;
    // Each size is kept until its art has loaded (the render that sees the
    // new size starts the loader).
    if (app_->m_LoadStage != 0 || app_->m_DevW != bb_graphics_device->width ||
        app_->m_DevH != bb_graphics_device->height)
        return true;
    if (tourStep_ < sizes) {
        Resize(kSizes[tourStep_][0], kSizes[tourStep_][1]);
    } else {
        Resize(startW_, startH_);
    }
    ++tourStep_;
    return true;
}

void RandomPlayer::Occasionally() {
    if (SizeTour()) return;
    if (resumeAt_ >= 0) {
        if (now_ >= resumeAt_) {
            host_->ResumeGame();
            resumeAt_ = -1;
        }
        return;
    }
    if (Chance(1.0 / 8000)) {
        host_->SuspendGame();
        resumeAt_ = now_ + Rand(5, 120);
        ++counts_.suspends;
        return;
    }
    // The pad is plugged in and out now and then, perhaps with a button held.
    if (Chance(1.0 / 15000)) {
        pad_.present = !pad_.present;
        ++counts_.padPlugs;
        if (!pad_.present) {
            for (size_t i = 0; i < held_.size();) {
                if (held_[i].key < 0) {
                    LetGo(held_[i]);
                    held_.erase(held_.begin() + i);
                } else {
                    ++i;
                }
            }
        }
    }
    if (app_->m_LoadStage == 0 && Chance(1.0 / 15000)) {
        const int* size = kSizes[Rand(0, 3)];
        Resize(size[0], size[1]);
    }
    // The debug line and the hidden pause button, each for a while.
    if (debugOffAt_ < 0 && Chance(1.0 / 20000)) {
        Press(GLFW_KEY_F1, 2, false);
        debugOffAt_ = now_ + Rand(100, 1000);
        ++counts_.debugToggles;
    } else if (debugOffAt_ >= 0 && now_ >= debugOffAt_) {
        Press(GLFW_KEY_F1, 2, false);
        debugOffAt_ = -1;
    }
    if (hudBackAt_ < 0 && Chance(1.0 / 10000)) {
        Press(GLFW_KEY_F2, 2, false);
        hudBackAt_ = now_ + Rand(200, 2000);
        ++counts_.hudToggles;
    } else if (hudBackAt_ >= 0 && now_ >= hudBackAt_) {
        Press(GLFW_KEY_F2, 2, false);
        hudBackAt_ = -1;
    }
}

// ---------------------------------------------------------------------------
// Each update
// ---------------------------------------------------------------------------

void RandomPlayer::BeforeUpdate(long update) {
    now_ = update;
    ReleaseDue();
    MouseStep();
    Occasionally();
    if (resumeAt_ >= 0) return;

    Screen screen = Look();
    if (screen == kMenu || screen == kRoundOver || screen == kLoading) ReleaseQuitKeys();
    if (screen != kMenu) goal_ = kGoalNone;
    if (now_ < busyUntil_ || !KeysIdle() || !MouseIdle()) return;
    if (screen != kLoading && Chance(0.03)) {
        Mash();
        busyUntil_ = now_ + Rand(5, 30);
        return;
    }
    switch (screen) {
        case kMenu: OnMenu(); break;
        case kRound: OnRound(); break;
        case kPaused: OnPaused(); break;
        case kOptions: OnOptions(); break;
        case kCredits: OnCredits(); break;
        case kBadges: OnBadges(); break;
        case kLoading:
        case kRoundOver: break;
    }
}

void RandomPlayer::AfterUpdate() {
    using namespace play;
    c_MyApp* a = app_;
    if (a->m_Mode == c_MyApp::kModeRound && lastMode_ != c_MyApp::kModeRound) {
        int v = a->m_GameType >= 1 && a->m_GameType <= 3 ? a->m_GameType : 0;
        ++counts_.rounds[v];
        // How long this round is played before the player gives up: mostly
        // short, now and then past the two- and five-minute badges.
        int r = Rand(0, 99);
        roundEndAt_ = now_ + (r < 70 ? Rand(600, 4000) : (r < 92 ? Rand(4000, 10000) : Rand(18000, 22000)));
        leaveRound_ = Chance(0.3);
    }
    if (a->m_Mode == c_MyApp::kModeRound && a->m_GameEnded > 0 && lastEnded_ == 0) {
        if (static_cast<int>(12 * a->m_Plr[kPlrEnergy]) < 0) {
            ++counts_.roundsLost;
        } else {
            ++counts_.roundsLeft;
        }
    }
    if (a->m_Mode == c_MyApp::kModeRound && a->m_Paused && !lastPaused_) ++counts_.pauses;
    counts_.creditsOpened += a->m_CreditsOpen && !lastCredits_;
    counts_.optionsOpened += a->m_OptionsOpen && !lastOptions_;
    counts_.badgesOpened += a->m_BadgesOpen && !lastBadges_;
    counts_.soundModeChanges += a->m_Options[5] != lastSound_ && lastMode_ != 0;
    counts_.iCadeToggles += bb_Zanth_iCadeControls != lastICade_;
    counts_.reloads += a->m_LoadStage != 0 && lastLoad_ == 0;
    counts_.menuMoves += a->m_Mode == c_MyApp::kModeMenu && a->m_MenuSel != lastSel_ && lastSel_ != 0;
    lastMode_ = a->m_Mode;
    lastPaused_ = a->m_Paused;
    lastEnded_ = a->m_GameEnded;
    lastCredits_ = a->m_CreditsOpen;
    lastOptions_ = a->m_OptionsOpen;
    lastBadges_ = a->m_BadgesOpen;
    lastSound_ = a->m_Options[5];
    lastICade_ = bb_Zanth_iCadeControls;
    lastLoad_ = a->m_LoadStage;
    lastSel_ = a->m_MenuSel;
}

void RandomPlayer::Settle(long update) {
    now_ = update;
    for (Held& h : held_) h.until = now_;
    for (Pending& p : pending_) p.until = now_;
    ReleaseDue();
    mouseUpAt_ = now_;
    MouseStep();
    if (resumeAt_ >= 0) {
        host_->ResumeGame();
        resumeAt_ = -1;
    }
    if (bb_graphics_device->width != startW_ || bb_graphics_device->height != startH_) Resize(startW_, startH_);
}

const SoakCounts& RandomPlayer::Counts() {
    counts_.badgesEarned = 0;
    counts_.badgeIds.clear();
    for (int id = 1; id < app_->m_Badges.Length(); ++id) {
        if (!app_->m_Badges[id]) continue;
        ++counts_.badgesEarned;
        counts_.badgeIds.push_back(id);
    }
    return counts_;
}

void RandomPlayer::Print(const SoakCounts& c, FILE* out) {
    std::fprintf(out, "soak: rounds started: %ld green, %ld amber, %ld red; ended: %ld out of energy, %ld from the pause menu\n",
                 c.rounds[1], c.rounds[2], c.rounds[3], c.roundsLost, c.roundsLeft);
    std::fprintf(out, "soak: pauses %ld; boxes opened: options %ld, credits %ld, badges %ld; menu moves %ld\n", c.pauses,
                 c.optionsOpened, c.creditsOpened, c.badgesOpened, c.menuMoves);
    std::fprintf(out, "soak: options: sound mode changed %ld, iCade toggled %ld, display row used %ld; badges earned %d (",
                 c.soundModeChanges, c.iCadeToggles, c.displayRowUses, c.badgesEarned);
    for (size_t i = 0; i < c.badgeIds.size(); ++i) std::fprintf(out, "%s%d", i ? " " : "", c.badgeIds[i]);
    std::fprintf(out, ")\n");
    std::fprintf(out, "soak: input: %ld key presses, %ld characters, %ld clicks, %ld touches, %ld drags, %ld mashes\n",
                 c.keyPresses, c.charsTyped, c.clicks, c.touches, c.drags, c.mashes);
    std::fprintf(out, "soak: pad: %ld presses, plugged in or out %ld times\n", c.padPresses, c.padPlugs);
    std::fprintf(out, "soak: window: %ld suspends, %ld resizes, %ld reloads; F1 %ld, F2 %ld\n", c.suspends, c.resizes,
                 c.reloads, c.debugToggles, c.hudToggles);
}
