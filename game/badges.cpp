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
// The badges box keeps its scroll in m_BoxA (the target, pixels, never above
// 0) and m_BoxB (the shown offset, easing toward the target).
#include <cmath>

#include "game/badge_list.h"
#include "game/globals.h"
#include "game/myapp.h"

namespace {

const int kSlotBadgeIcons = 80;
const int kIconBadges = 64;      // ids with an icon
const int kPopUpSlots = 13;      // slots drawn (the arrays hold 15)
const float kPopUpWidth = 160;   // pixels
const float kPopUpPitch = 34;    // pixels between pop-ups, from the bottom
const int kPopUpLeaves = 230;    // age at which a pop-up starts to slide out (updates)
const int kPopUpGone = 240;      // age after which its slot is free (updates)

}  // namespace

// ---------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------

String c_MyApp::p_BadgeID(int id) { return String(badges::Record(id)); }

String c_MyApp::p_BadgeName(int id) {
    String record = p_BadgeID(id);
    int bar = record.Find(String("|"));
    return bar < 0 ? record : record.Slice(0, bar);
}

String c_MyApp::p_BadgeDetail(int id) {
    String record = p_BadgeID(id);
    int bar = record.Find(String("|"));
    if (bar < 0) return String();
    int next = record.Find(String("|"), bar + 1);
    return record.Slice(bar + 1, next < 0 ? record.Length() : next);
}

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
    p_SetSize(0.5f);
    for (int s = 0; s < kPopUpSlots; ++s) {
        int id = m_BadgeShow[s];
        if (m_BadgeTime[s] > 0 && id >= 0 && id < kIconBadges) p_DrawImg(kSlotBadgeIcons, left(m_BadgeTime[s]) + 144, top(s) + 16, id);
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

    if (AnyAction(8)) m_BoxA -= 16;
    if (AnyAction(0)) m_BoxA += 16;
    if (m_Pointing && m_MouseX > 0.12f * w) m_BoxA += 1.5f * (m_MouseY - m_MouseOldY);
    if (m_BoxA > 0) m_BoxA = 0;
    float gap = m_BoxA - m_BoxB;
    m_BoxB = std::fabs(gap) < 6 ? m_BoxA : m_BoxB + gap / 6;
    return 0;
}
