// game/app_object.cpp - constructing c_MyApp and tracing its references.
#include "game/myapp.h"
#include "game/replay.h"

c_MyApp* c_MyApp::m_new() {
    gc_assign(m_JMPlayer, (new c_JMPlayer())->m_new());
    m_Img = Array<c_Image*>(kSlots);
    m_ImgInfo = Array<int>(3 * kSlots);
    m_BadgeShow = Array<int>(15);
    m_BadgeTime = Array<int>(15);
    m_Badges = Array<bool>(256);
    m_VKeys = Array<int>(20);
    m_Options = Array<int>(25);
    m_Scores = Array<int>(150);
    m_SfxChannels = Array<int>(33);
    m_DrawList = Array<float>(kDrawListLength);
    m_TouchDown = Array<int>(10);
    m_TouchX = Array<int>(10);
    m_TouchY = Array<int>(10);
    m_Sfx = Array<c_Sound*>(kSlots);
    m_Map = Array<float>(100000);
    m_Plr = Array<float>(512);
    m_Ents = Array<float>(1100);
    m_Part = Array<float>(5100);
    m_NameChars = Array<int>(16);
    m_PartMax = 250;
    // No touch yet: the virtual stick is anchored by the first one.
    m_TouchAnchorX = m_TouchAnchorY = -1;
    // After the arrays: the session keeps the addresses of the carried fields.
    m_Replays = new ReplaySession(this);
    c_App::m_new();
    return this;
}

c_MyApp::~c_MyApp() { delete m_Replays; }

void c_MyApp::mark() {
    gc_mark_q(m_JMPlayer);
    gc_mark_q(m_Img);
    gc_mark_q(m_ImgInfo);
    gc_mark_q(m_BadgeShow);
    gc_mark_q(m_BadgeTime);
    gc_mark_q(m_Badges);
    gc_mark_q(m_VKeys);
    gc_mark_q(m_Options);
    gc_mark_q(m_Scores);
    gc_mark_q(m_SfxChannels);
    gc_mark_q(m_DrawList);
    gc_mark_q(m_TouchDown);
    gc_mark_q(m_TouchX);
    gc_mark_q(m_TouchY);
    gc_mark_q(m_Sfx);
    gc_mark_q(m_Map);
    gc_mark_q(m_Plr);
    gc_mark_q(m_Ents);
    gc_mark_q(m_Part);
    gc_mark_q(m_NameChars);
    if (m_Replays) m_Replays->Mark();
}
