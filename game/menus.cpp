// game/menus.cpp - the main menu and the quit confirmation, and the input
// rules every screen of the front end shares.
//
// Input: an action counts when any of the four players has it down. Two
// latches (owned by the screen flow) keep one press from acting twice: a key
// press acts only while m_KeyLatch is clear and a touch or click only while
// m_TouchLatch is clear; whatever acts sets both (ConsumePress), and the flow
// clears them once the keys and the pointer are released. The boxes are modal:
// while the credits, options or badges box is open the menu below only draws.
//
// Main menu state:
//   m_MenuSel      selected item: 1..3 the game variants, 4 the options cog
//   m_MenuA        cog angle, in updates (0.5 degrees each)
//   m_MenuB        shown scroll offset of the item line, 1/16 pixel
//   m_MenuC        target scroll offset, 1/16 pixel; item i sits at (i - 1) * 88 - offset
//   m_MenuD        flick momentum, 1/16 pixel per update
//   m_MenuE        1 while the pointer drags the item line
#include <cmath>
#include <cstring>

#include "game/globals.h"
#include "game/myapp.h"
#include "game/replay.h"
#include "host/world_board.h"
#include "input/device.h"
#include "runtime/error.h"

namespace {

const int kSlotMenuArt = 99;   // backdrop
const int kSlotLogo = 98;      // the title
const int kSlotButtons = 95;   // variant buttons, the start button, the cog layers
const int kSlotMascot = 91;
const int kKeyEscape = 27;

const int kItems = 4;
const int kItemCog = 4;
const float kItemSpacing = 88;     // pixels between items
const int kFixed = 16;             // scroll offsets are kept in 1/16 pixel
const int kCogWrap = 216000;       // updates after which all three cog layers line up again
const float kStripWidth = 140;     // highscore strip (pixels)
const int kScoreWidth = 7;         // characters a listed score is right-aligned in
const float kMenuCogSpeeds[3] = {1.0f, 0.66f, 0.33f};
const int kHitStart = 1;           // MenuButtons: the start button is touched
const int kHitCredits = 2;         // MenuButtons: the credits icon is touched
const int kHitBadges = 4;          // MenuButtons: the trophy is touched
const int kTrophyFrame = 11;       // of the buttons image
const float kCreditsIconSize = 0.35f;   // the credits icon's scale (its frame is 256 pixels)
const float kCreditsIconX = -17;        // its centre from the strip's left edge (pixels)
const float kCreditsIconY = 38;         // its centre from the top edge (pixels)
const float kTrophyInset = 26;          // the trophy's centre from the strip's right and the top edge (pixels)
const int kHitWatch = 8;           // MenuButtons: the watch button is touched
const int kWatchFrame = 1;         // of the icons image: the play arrow
const int kKeyWatch = 'R';         // watches the selected variant's best replay
const int kHitDaily = 16;          // MenuButtons: the daily button is touched
const int kKeyDaily = 9;           // Tab: plays the day's maze (no action and no iCade letter uses it)

int clamp_int(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The highscore list texts and what they were made from.
struct ScoreLists {
    int rows = -1, table = -1;
    int bestScores[10] = {}, recentScores[10] = {};
    String best, recent;
    // True (and remembers the new values) when the texts must be made again.
    bool Changed(int r, int t, const int* bestNow, const int* recentNow) {
        if (r == rows && t == table && std::memcmp(bestScores, bestNow, sizeof bestScores) == 0 &&
            std::memcmp(recentScores, recentNow, sizeof recentScores) == 0)
            return false;
        rows = r;
        table = t;
        std::memcpy(bestScores, bestNow, sizeof bestScores);
        std::memcpy(recentScores, recentNow, sizeof recentScores);
        return true;
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// Shared input and drawing
// ---------------------------------------------------------------------------

bool c_MyApp::AnyAction(std::initializer_list<int> actions) {
    for (int a : actions)
        if (AnyAction(a)) return true;
    return false;
}

void c_MyApp::DrawCog(float x, float y, float size, float angle, const float* speeds) {
    p_SetSize(size);
    for (int layer = 0; layer < 3; ++layer) {
        p_SetRot(angle * speeds[layer]);
        p_DrawImg(kSlotButtons, x, y, 8 + layer);
    }
    p_SetRot(0);
}

// ---------------------------------------------------------------------------
// Main menu
// ---------------------------------------------------------------------------

void c_MyApp::MenuQuitKey() {
    // The press that closed a box leaves the key latch set, so only a later,
    // separate press quits.
    if (BoxOpen() || m_KeyLatch) return;
    if (bb_Zanth_isOuya == 1) {
        if (AnyAction(kActionMenu) || bb_input_KeyDown(kKeyEscape)) {
            m_Mode = kModeQuitBox;
            ConsumePress();
        }
        return;
    }
    if (AnyAction(kActionMenu)) {
        p_Save();
        bbError(String());
    }
}

void c_MyApp::MenuTitle() {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    p_ResetDraw();
    p_SetSize(3);
    p_DrawImg(kSlotMenuArt, w / 2, h / 2 + 16 * m_MenuSlide, 0);
    p_SetSize(1.5f);
    p_DrawImg(kSlotLogo, 0.4f * w, 116 + 12 * m_MenuSlide, 0);
}

float c_MyApp::MenuStrip() {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    // While the menu slides in (m_MenuSlide from -32 up to 0) the strip
    // starts 128 pixels left of its place and moves right into it.
    float left = w - kStripWidth + 4 * m_MenuSlide;
    p_ResetDraw();
    p_SetCol(0, 0, 0, 0.4f);
    p_Rect(left, -1, kStripWidth + 1, h + 2);
    return left;
}

void c_MyApp::MenuScores(float left) {
    float h = bb_Zanth_jscrh;
    if (BoxOpen() || m_MenuSel == kItemCog) return;

    int rowHeight = static_cast<int>(1.5f * m_ImgInfo[3 * m_Font + 1]);
    int rows = clamp_int(static_cast<int>((h - 90 - h / 2) / (rowHeight > 0 ? rowHeight : 1)), 1, 10);
    int t = clamp_int(m_GameType, 1, 3) - 1;
    // The two list texts are made again only when what they show changes,
    // so the menu does not build strings at every update.
    static ScoreLists lists;
    if (lists.Changed(rows, t, &m_Scores[10 * t], &m_Scores[30 + 10 * t])) {
        lists.best = rows == 1 ? String("Highscore") : String("Top ") + String(rows);
        lists.recent = rows == 1 ? String("Last") : String("Last ") + String(rows);
        String lineBreak("\\n"), pad(" ");
        for (int r = 0; r < rows; ++r) {
            lists.best += lineBreak + p_rstr(m_Scores[10 * t + r], kScoreWidth, pad);
            lists.recent += lineBreak + p_rstr(m_Scores[30 + 10 * t + r], kScoreWidth, pad);
        }
    }
    p_SetSize(1.5f);
    p_SetCol(255, 200, 100, 1);
    p_Text(left + 20, 60, lists.best, 0, 1);
    p_SetCol(200, 255, 100, 1);
    p_Text(left + 20, h / 2 + 20, lists.recent, 0, 1);
    MenuWorldLine(left);
}

void c_MyApp::MenuSelect(int item, int sound) {
    if (item == m_MenuSel) return;
    m_MenuSel = item;
    if (sound) p_PlaySFX2(99, 1);
}

void c_MyApp::MenuActivate() {
    ConsumePress();
    p_PlaySFX2(98, 1);
    if (m_MenuSel == kItemCog) {
        m_OptionsOpen = 1;
        m_OptSel = 0;
        return;
    }
    m_GameType = m_MenuSel;
    m_Mode = kModeStartRound;
}

void c_MyApp::MenuItems(int buttons) {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    bool landscape = m_Landscape == 1;
    // The line of items: under the title in landscape, down the left side in portrait.
    float cx = landscape ? 0.4f * w : (w - kStripWidth) / 2;
    float cy = (landscape ? (h + 212) / 2 : 0.6f * h) - 8 * m_MenuSlide;

    m_MenuA = (m_MenuA + 1) % kCogWrap;

    // Ease the shown offset toward the target.
    int diff = m_MenuC - m_MenuB;
    m_MenuB = std::abs(diff) < 8 ? m_MenuC : m_MenuB + diff / 8;

    if (!BoxOpen()) MenuItemsInput(cx, cy, buttons);

    // Unselected items first, so the selected one lies on top.
    p_ResetDraw();
    for (int pass = 0; pass < 2; ++pass) {
        for (int item = 1; item <= kItems; ++item) {
            bool selected = item == m_MenuSel;
            if (selected != (pass == 1)) continue;
            float along = (item - 1) * kItemSpacing - m_MenuB / static_cast<float>(kFixed);
            float x = landscape ? cx + along : cx, y = landscape ? cy : cy + along;
            float alpha = selected ? 1.0f : std::fmax(0.5f, 1 - std::fabs(along) / 480);
            float size = selected ? 1.75f : 1.0f;
            p_SetCol(255, 255, 255, alpha);
            if (item == kItemCog) {
                DrawCog(x, y, size, 0.5f * m_MenuA, kMenuCogSpeeds);
            } else {
                p_SetSize(size);
                p_DrawImg(kSlotButtons, x, y, item - 1);
            }
        }
    }
}

int c_MyApp::MenuButtons(float stripLeft) {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    int hits = 0;
    p_ResetDraw();
    // The start button, while a game variant is selected.
    if (m_MenuSel != kItemCog) {
        p_SetSize(1.5f, 1.25f);
        p_Alpha(0.3f);
        if (p_Button(kSlotButtons, w - 70, h - 48, 3)) hits |= kHitStart;
        p_Alpha(1);
        // Beside it, the best round of the variant to watch again, once
        // there is one, and, while a world board answers, the day's maze:
        // a play arrow each, tinted, with its label.
        float x = w - kStripWidth - 36;
        auto play = [&](const char* label, float r, float g, float b) {
            p_SetSize(1.25f);
            p_SetCol(r, g, b, 0.9f);
            bool hit = p_Button(kSlotIcons, x, h - 54, kWatchFrame) != 0;
            p_SetSize(1);
            p_Text(x, h - 24, String(label), 1, 1);
            p_SetCol(255, 255, 255, 1);
            x -= 76;
            return hit;
        };
        if (m_Replays->HasBest(m_MenuSel) && play("REPLAY", 255, 220, 120)) hits |= kHitWatch;
        if (DailyOffered(nullptr) && play("DAILY", 120, 200, 255)) hits |= kHitDaily;
    }
    // The credits icon rides with the highscore strip, at the top, just
    // left of where the headings begin (20 pixels into the strip): its round
    // face (the middle 208 of the frame's 256 pixels, 73 pixels across at
    // this size) is too tall for the room above the first heading, so it
    // sits beside it, seen whole, and at 640 pixels wide still clear of the
    // title's right end. It is touched anywhere in its frame (90 pixels
    // square).
    p_SetSize(kCreditsIconSize);
    if (p_Button(kSlotStudioLogo, stripLeft + kCreditsIconX, kCreditsIconY, 0)) hits |= kHitCredits;
    // The trophy that opens the badges takes the strip's top-right corner,
    // above the first heading and clear of the icon's frame, so that each is
    // touched on its own.
    p_SetSize(0.5f);
    if (p_Button(kSlotButtons, stripLeft + kStripWidth - kTrophyInset, kTrophyInset, kTrophyFrame)) hits |= kHitBadges;
    return hits;
}

void c_MyApp::MenuOpenBadges() {
    ConsumePress();
    m_BadgesOpen = 1;
    m_BoxA = m_BoxB = 0;
    p_PlaySFX2(99, 1);
}

void c_MyApp::MenuWatch() {
    ConsumePress();
    if (!m_Replays->WatchBest(m_MenuSel)) return;
    p_PlaySFX2(98, 1);
}

bool c_MyApp::DailyOffered(int32_t* seed) {
    int32_t s = 0;
    BBWorldBoard* world = bbWorldBoard();
    if (!world->Answers() || !world->Daily(&s)) return false;
    if (seed) *seed = s;
    return true;
}

// A round of the selected variant in the day's maze; it is an ordinary round
// otherwise, recorded and sent as every round is.
void c_MyApp::MenuDaily() {
    int32_t seed = 0;
    ConsumePress();
    if (!DailyOffered(&seed)) return;
    p_PlaySFX2(98, 1);
    m_Replays->PlayDaily(seed);
    m_GameType = m_MenuSel;
    m_Mode = kModeStartRound;
}

// What the world board answered about the last round sent, in the gap under
// the best scores; nothing without a board.
void c_MyApp::MenuWorldLine(float left) {
    std::string line;
    if (!bbWorldBoard()->LastAnswer(&line)) return;
    p_SetSize(1);
    p_SetCol(150, 220, 255, 1);
    p_Text(left + 20, bb_Zanth_jscrh / 2 - 4, String(line.c_str()), 0, 1);
}

void c_MyApp::MenuOpenCredits() {
    ConsumePress();
    m_CreditsOpen = 1;
    m_CreditA = m_CreditB = 0;
    p_PlaySFX2(99, 1);
}

void c_MyApp::MenuItemsInput(float cx, float cy, int buttons) {
    float w = bb_Zanth_jscrw;
    bool landscape = m_Landscape == 1;
    const int spacing = static_cast<int>(kItemSpacing) * kFixed;
    const int last = (kItems - 1) * spacing;

    // Keys.
    if (!m_KeyLatch) {
        int step = AnyAction({kActionUp, kActionLeft}) ? -1 : (AnyAction({kActionRight, kActionDown}) ? 1 : 0);
        if (step) {
            ConsumePress();
            MenuSelect(clamp_int(m_MenuSel + step, 1, kItems), 1);
            m_MenuC = (m_MenuSel - 1) * spacing;
            m_MenuD = 0;
        } else if (AnyAction({kActionJump, kActionJump2, kActionJump3, kActionButton4, kICadeExtra1, kICadeExtra2})) {
            MenuActivate();
            return;
        } else if (AnyAction(kActionBack)) {
            MenuOpenCredits();
            return;
        } else if (AnyAction(kActionShoulderL)) {
            MenuOpenBadges();
            return;
        } else if (bb_input_KeyHit(kKeyWatch) && bb_Zanth_iCadeControls == 0 && m_Replays->HasBest(m_MenuSel)) {
            // (In iCade mode the letter is a pad button's release.)
            MenuWatch();
            return;
        } else if (bb_input_KeyHit(kKeyDaily) && m_MenuSel != kItemCog && DailyOffered(nullptr)) {
            MenuDaily();
            return;
        }
    }

    bool fresh = m_Pointing && !m_TouchLatch;
    if (fresh && (buttons & kHitStart)) {
        MenuActivate();
        return;
    }
    if (fresh && (buttons & kHitCredits)) {
        MenuOpenCredits();
        return;
    }
    if (fresh && (buttons & kHitBadges)) {
        MenuOpenBadges();
        return;
    }
    if (fresh && (buttons & kHitWatch)) {
        MenuWatch();
        return;
    }
    if (fresh && (buttons & kHitDaily)) {
        MenuDaily();
        return;
    }

    // Pointer on the item line: a press on an item selects it, or activates
    // it when it already is; a press anywhere on the line starts a drag whose
    // last movement carries on as momentum after the release.
    float px = static_cast<float>(m_MouseX), py = static_cast<float>(m_MouseY);
    bool onLine = landscape ? std::fabs(py - cy) < 60 && px < w - kStripWidth : std::fabs(px - cx) < 60;
    if (fresh && onLine && m_MenuSlide == 0) {
        ConsumePress();
        m_MenuE = 1;
        m_MenuD = 0;
        float offset = m_MenuB / static_cast<float>(kFixed);
        for (int item = 1; item <= kItems; ++item) {
            float along = (item - 1) * kItemSpacing - offset;
            float half = 32 * (item == m_MenuSel ? 1.75f : 1.0f);
            float d = landscape ? px - (cx + along) : py - (cy + along);
            float e = landscape ? py - cy : px - cx;
            if (std::fabs(d) >= half || std::fabs(e) >= half) continue;
            if (item == m_MenuSel) {
                m_MenuE = 0;
                MenuActivate();
                return;
            }
            MenuSelect(item, 1);
            m_MenuC = (item - 1) * spacing;
            break;
        }
    }
    if (m_MenuE) {
        if (m_Pointing) {
            int moved = landscape ? m_MouseX - m_MouseOldX : m_MouseY - m_MouseOldY;
            if (moved) {
                m_MenuC = clamp_int(m_MenuC - moved * kFixed, 0, last);
                m_MenuB = m_MenuC;
                MenuSelect(clamp_int((m_MenuC + spacing / 2) / spacing + 1, 1, kItems), 1);
            }
            m_MenuD = -moved * kFixed * 3 / 2;
            return;
        }
        m_MenuE = 0;
    }
    if (m_MenuD != 0) {
        m_MenuC = clamp_int(m_MenuC + m_MenuD, 0, last);
        m_MenuD -= m_MenuD / 5;
        MenuSelect(clamp_int((m_MenuC + spacing / 2) / spacing + 1, 1, kItems), 1);
    }
    // Below 3 pixels an update a flick is over and the line settles on the selection.
    if (std::abs(m_MenuD) < 3 * kFixed) {
        m_MenuD = 0;
        m_MenuC = (m_MenuSel - 1) * spacing;
    }
}

int c_MyApp::p_Menu() {
    p_CLS2D(0, 0, 0, 1);
    MenuQuitKey();
    if (m_Mode != kModeMenu) return 0;
    // From -32 up to 0, one step an update.
    m_MenuSlide = static_cast<int>(m_MenuSlide + 0.25f);
    // A new application has no selection yet: it starts on the current variant.
    if (m_MenuSel < 1 || m_MenuSel > kItems) {
        m_MenuSel = clamp_int(m_GameType, 1, 3);
        m_MenuB = m_MenuC = (m_MenuSel - 1) * static_cast<int>(kItemSpacing) * kFixed;
        m_MenuD = m_MenuE = 0;
    }
    MenuTitle();
    // The start button lies under the end of the recent list: the list is
    // drawn over it so that it stays legible.
    float stripLeft = MenuStrip();
    int buttons = MenuButtons(stripLeft);
    MenuScores(stripLeft);
    MenuItems(buttons);
    // A world board without the player's name asks for one, once; the day's
    // maze asked for outside the menu (the page's) starts from here.
    if (!BoxOpen() && m_MenuSlide == 0 && bbWorldBoard()->WantsName()) NameBoxOpen();
    if (!BoxOpen() && m_Mode == kModeMenu && bbWorldBoard()->DailyAsked()) MenuDaily();
    return 0;
}

// ---------------------------------------------------------------------------
// Quit confirmation (console builds)
// ---------------------------------------------------------------------------

int c_MyApp::p_OuyaQuit() {
    static const char* const kLines[8] = {
        "It looks like you're",     "trying to QUIT!", "Are you absolutely sure", "you want to quit the game?",
        "Isn't this fun?",          "It'll be a shame to see you go.", "Press (A) to Quit", "or (O) to return to the fun!",
    };
    static const float kGaps[7] = {32, 36, 20, 28, 38, 38, 20};
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;

    p_CLS2D(180, 180, 180, 1);
    p_SetSize(3);
    p_DrawImg(kSlotMascot, w / 2, h / 2, 0);

    // Scale 3 at most: smaller where the longest line would leave the screen
    // or the lines, 20 pixels apart at the closest, would overlap.
    float x = 0.65f * w;
    float room = 2 * std::fmin(x, w - x) - 16;
    float longest = 0;
    for (const char* line : kLines) longest = std::fmax(longest, static_cast<float>(std::strlen(line) + 1));
    float advance = static_cast<float>(m_ImgInfo[3 * m_Font]), lineHeight = static_cast<float>(m_ImgInfo[3 * m_Font + 1]);
    float size = 3;
    if (advance > 0) size = std::fmin(size, room / (longest * advance));
    if (lineHeight > 0) size = std::fmin(size, 20 / lineHeight);
    p_SetSize(size);
    p_SetCol(255, 255, 255, 1);
    float y = 0.3f * h;
    for (int i = 0; i < 8; ++i) {
        p_Text(x, y, String(kLines[i]), 1, 1);
        if (i < 7) y += kGaps[i];
    }

    if (m_KeyLatch || m_TouchLatch) return 0;
    if (AnyAction(kActionJump)) {
        ConsumePress();
        m_Mode = kModeMenu;
    } else if (AnyAction({kActionJump2, kActionJump3, kActionMenu})) {
        p_Save();
        bbError(String());
    }
    return 0;
}
