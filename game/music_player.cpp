// game/music_player.cpp - the music player's state and its driving calls.
#include "game/music_player.h"

c_JMPlayer* c_JMPlayer::m_new() {
    m_InstCount = Array<int>(8);
    m_Inst = Array<int>(8);
    m_KitA = Array<c_Sound*>(9);
    m_KitB = Array<c_Sound*>(9);
    m_Voices = Array<c_Sound*>(8);
    m_Data = Array<int>(262145);
    m_LastPattern = Array<int>(8);
    m_Channel = Array<int>(8);
    m_Sounding = Array<int>(8);
    m_Pattern = Array<int>(8);
    m_Mute = Array<int>(8);
    m_EarlyIn = Array<int>(8);
    m_NextMute = Array<int>(8);
    m_Rate = Array<float>(8);
    m_Env = Array<float>(8);
    m_Level = Array<float>(8);
    return this;
}

void c_JMPlayer::mark() {
    gc_mark_q(m_InstCount);
    gc_mark_q(m_Inst);
    gc_mark_q(m_KitA);
    gc_mark_q(m_KitB);
    gc_mark_q(m_Voices);
    gc_mark_q(m_TuneImage);
    gc_mark_q(m_Data);
    gc_mark_q(m_LastPattern);
    gc_mark_q(m_Channel);
    gc_mark_q(m_Sounding);
    gc_mark_q(m_Pattern);
    gc_mark_q(m_Mute);
    gc_mark_q(m_EarlyIn);
    gc_mark_q(m_NextMute);
    gc_mark_q(m_Rate);
    gc_mark_q(m_Env);
    gc_mark_q(m_Level);
}

int c_JMPlayer::p_JM_Init(int baseChannel, int kits, int leads, int accompaniments, int basses) {
    m_BaseChannel = baseChannel;
    m_InstCount[1] = kits;
    m_InstCount[2] = leads;
    m_InstCount[3] = accompaniments;
    m_InstCount[4] = basses;
    return 0;
}

int c_JMPlayer::p_JM_StartTune(String name, int seed, int) {
    m_TunePath = name;
    m_TuneSeed = seed;
    return 0;
}

int c_JMPlayer::p_JM_Alive_R() { return 0; }

int c_JMPlayer::p_JM_Alive_U(int, int) { return 0; }

int c_JMPlayer::p_JM_Stop(int full) {
    if (full == 1) m_State = 0;
    return 0;
}
