// game/badges.cpp - badge texts, the badge pop-ups and the badges box.
//
// Up to 256 badges, earned flags in m_Badges (saved with the settings). Each
// badge id has one text record, "name|description" (game/badge_list.h; empty
// for an id without a badge); ids below 64 have an icon, frame id of image
// slot 80. A badge is announced by putting its id in
// a free pop-up slot s (m_BadgeTime[s] == 0) of m_BadgeShow and setting
// m_BadgeTime[s] to 1: the pop-up slides in from the left edge, stays, slides
// back out and frees its slot 240 updates later.
//
// The badges box lists every badge, earned ones bright; it keeps its scroll
// in m_BoxA (the target, pixels, never above 0 nor past the last row) and
// m_BoxB (the shown offset, easing toward the target).
#include <cmath>

#include "game/badge_list.h"
#include "game/globals.h"
#include "game/myapp.h"

namespace {

const int kIconBadges = 64;      // ids with an icon
const int kPopUpSlots = 13;      // slots drawn (the arrays hold 15)
const float kPopUpWidth = 160;   // pixels
const float kPopUpPitch = 34;    // pixels between pop-ups, from the bottom
const int kPopUpLeaves = 230;    // age at which a pop-up starts to slide out (updates)
const int kPopUpGone = 240;      // age after which its slot is free (updates)
const float kListTop = 48;       // first row of the badges box below its heading (pixels)
const float kRowHeight = 44;     // one badge in the box (pixels)
const int kBadgeRows = badges::kLast;

// Made once: the box and the pop-ups draw them in every update they are up.
const String& kIconsLoading() {
    static const String text("Loading icons...");
    return text;
}
const String& kEllipsis() {
    static const String text("...");
    return text;
}

}  // namespace

// ---------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------

String c_MyApp::p_BadgeID(int id) { return String(badges::Record(id)); }

namespace {

struct BadgeTexts {
    String name, detail;
};

// A badge's name and description, split from its record on first use: the
// pop-ups and the badges box ask for them every update, and new strings each
// time would be heap allocations in every frame they are up.
const BadgeTexts& Texts(int id) {
    static BadgeTexts table[badges::kLast + 1];
    static const BadgeTexts none;
    static bool split = false;
    if (id < 0 || id > badges::kLast) return none;
    if (!split) {
        const String bar("|");
        for (int i = 0; i <= badges::kLast; ++i) {
            String record(badges::Record(i));
            int at = record.Find(bar);
            if (at < 0) {
                table[i].name = record;
                continue;
            }
            int next = record.Find(bar, at + 1);
            table[i].name = record.Slice(0, at);
            table[i].detail = record.Slice(at + 1, next < 0 ? record.Length() : next);
        }
        split = true;
    }
    return table[id];
}

}  // namespace

String c_MyApp::p_BadgeName(int id) { return Texts(id).name; }

String c_MyApp::p_BadgeDetail(int id) { return Texts(id).detail; }

// Hooks for an external game service; there is none in this build.
int c_MyApp::p_GC_PostScore(int, int) { return 0; }

int c_MyApp::p_GC_Badges() { return 0; }

// ---------------------------------------------------------------------------
// Pop-ups and the box
// ---------------------------------------------------------------------------

int c_MyApp::p_ShowBadges() {
    // Left edge of a pop-up of this age: in from the left at 16 pixels an
    // update, out again after kPopUpLeaves, never further right than 0.
    auto left = [](int age) {
        float x = age > kPopUpLeaves ? (kPopUpGone - age) * 16.0f - kPopUpWidth : 16.0f * age - kPopUpWidth;
        return x > 0 ? 0 : x;
    };
    auto top = [](int slot) { return bb_Zanth_jscrh - (slot + 1) * kPopUpPitch; };
    bool any = false;
    for (int s = 0; s < kPopUpSlots; ++s) {
        if (m_BadgeTime[s] < 1) continue;
        ++m_BadgeTime[s];
        any = true;
    }
    if (!any) return 0;

    // Bars, then names, then icons: three batches however many pop-ups are up.
    p_ResetDraw();
    p_SetCol(0, 0, 80, 0.8f);
    for (int s = 0; s < kPopUpSlots; ++s)
        if (m_BadgeTime[s] > 0) p_Rect(left(m_BadgeTime[s]), top(s), kPopUpWidth, 32);
    p_SetCol(255, 255, 255, 1);
    for (int s = 0; s < kPopUpSlots; ++s)
        if (m_BadgeTime[s] > 0) p_Text(left(m_BadgeTime[s]) + 16, top(s) + 4, p_BadgeName(m_BadgeShow[s]), 0, 0);
    // Icons whose art is still on its way are promised, not left out.
    bool arriving = ArtArriving(kSlotBadgeIcons);
    p_SetSize(arriving ? 1.0f : 0.5f);
    for (int s = 0; s < kPopUpSlots; ++s) {
        int id = m_BadgeShow[s];
        if (m_BadgeTime[s] < 1 || id < 0 || id >= kIconBadges) continue;
        if (arriving) {
            p_Text(left(m_BadgeTime[s]) + 144, top(s) + 16, kEllipsis(), 0.5f, 0.5f);
        } else {
            p_DrawImg(kSlotBadgeIcons, left(m_BadgeTime[s]) + 144, top(s) + 16, id);
        }
    }
    for (int s = 0; s < kPopUpSlots; ++s)
        if (m_BadgeTime[s] > kPopUpGone) m_BadgeTime[s] = 0;
    return 0;
}

int c_MyApp::p_BadgesBox() {
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    p_ResetDraw();
    p_SetCol(255, 125, 0, 0.8f);
    p_Rect(0.1f * w, -1, 0.8f * w, h + 2);
    p_SetCol(100, 0, 0, 0.8f);
    p_Rect(0.12f * w, -1, 0.76f * w, h + 2);

    // Action 15 or a click beside the box closes it (Escape is the flow's).
    bool fresh = m_Pointing && !m_TouchLatch;
    if ((!m_KeyLatch && AnyAction(kActionBack)) || (fresh && (m_MouseX < 0.1f * w || m_MouseX > 0.9f * w))) {
        ConsumePress();
        m_BadgesOpen = 0;
        p_PlaySFX2(99, 1);
        return 0;
    }

    if (AnyAction(kActionDown)) m_BoxA -= 16;
    if (AnyAction(kActionUp)) m_BoxA += 16;
    if (m_Pointing && m_MouseX > 0.12f * w) m_BoxA += 1.5f * (m_MouseY - m_MouseOldY);
    // Never above the top, and never further down than the last row needs.
    float bottom = std::fmin(0.0f, h - kListTop - kBadgeRows * kRowHeight - 16);
    if (m_BoxA < bottom) m_BoxA = bottom;
    if (m_BoxA > 0) m_BoxA = 0;
    float gap = m_BoxA - m_BoxB;
    m_BoxB = std::fabs(gap) < 6 ? m_BoxA : m_BoxB + gap / 6;
    DrawBadgeList(0.12f * w, m_BoxB);
    return 0;
}

// Every badge in id order: its icon, name and description, earned ones bright
// and the others dimmed; rows off the screen are skipped.
void c_MyApp::DrawBadgeList(float left, float scroll) {
    float h = bb_Zanth_jscrh;
    int earned = 0;
    for (int id = 1; id <= badges::kLast; ++id) earned += m_Badges[id] ? 1 : 0;
    p_ResetDraw();
    p_SetSize(2);
    p_SetCol(255, 220, 120, 1);
    p_Text(left + 16, scroll + 24, String("Badges"), 0, 1);
    p_SetSize(1);
    p_SetCol(255, 255, 255, 0.8f);
    p_Text(left + 120, scroll + 26, String(earned) + String(" of ") + String(badges::kLast), 0, 1);
    // Until their art has arrived the rows show no icons, and say why.
    bool arriving = ArtArriving(kSlotBadgeIcons);
    if (arriving) p_Text(left + 220, scroll + 26, kIconsLoading(), 0, 1);
    for (int id = 1; id <= badges::kLast; ++id) {
        float top = scroll + kListTop + (id - 1) * kRowHeight;
        if (top < -kRowHeight || top > h) continue;
        bool got = m_Badges[id];
        p_SetSize(0.5f);
        p_SetCol(got ? 255 : 120, got ? 255 : 120, got ? 255 : 120, got ? 1.0f : 0.45f);
        if (id < kIconBadges && !arriving) p_DrawImg(kSlotBadgeIcons, left + 28, top + kRowHeight / 2, id);
        p_SetSize(1.5f);
        p_SetCol(got ? 255 : 150, got ? 220 : 150, got ? 120 : 150, got ? 1.0f : 0.6f);
        p_Text(left + 48, top + 12, p_BadgeName(id), 0, 1);
        p_SetSize(1);
        p_SetCol(255, 255, 255, got ? 0.9f : 0.45f);
        p_Text(left + 48, top + 30, p_BadgeDetail(id), 0, 1);
    }
    p_ResetDraw();
}
