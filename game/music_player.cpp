// game/music_player.cpp - the music player's state, its driving calls, its
// tables and its random draws. Loading is in music_loading.cpp, playing in
// music_arrangement.cpp.
#include "game/music_player.h"

#include <cmath>
#include <cstdint>

#include "host/app.h"
#include "support/random.h"

namespace {

// Rate factors of notes 1..32: equal-tempered semitones around note 13, as
// rounded decimals (the tunes are tuned to these, not to computed powers).
const float kPitch[33] = {0,      0.5f,   0.5295f, 0.561f, 0.5945f, 0.63f,  0.6675f, 0.707f, 0.749f,
                          0.7935f, 0.841f, 0.891f,  0.944f, 1.0f,    1.059f, 1.122f,  1.189f, 1.26f,
                          1.335f, 1.414f, 1.498f,  1.587f, 1.682f,  1.782f, 1.888f,  2.0f,   2.118f,
                          2.244f, 2.378f, 2.52f,   2.67f,  2.828f,  2.996f};

// The chord letter of note i + 1: a row of keyboard keys read as a piano.
const char kPitchLetters[] = "zsxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";

// Time from the end of a pause, or of silence, to the next step (ms).
const int kResumeDelayMs = 150;

}  // namespace

int c_JMPlayer::LaterBy(int64_t time, int64_t ms) {
    // Millisecs wraps at 32 bits; so do the player's times.
    return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(time + ms)));
}

int c_JMPlayer::Now() { return bb_app_Millisecs(); }

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

c_JMPlayer* c_JMPlayer::m_new() {
    m_InstCount = Array<int>(8);
    m_Inst = Array<int>(8);
    m_KitA = Array<c_Sound*>(9);
    m_KitB = Array<c_Sound*>(9);
    m_Voices = Array<c_Sound*>(8);
    m_Data = Array<int>(64 * kPatternEntries + 1);
    m_LastPattern = Array<int>(kTrackSlots);
    m_Channel = Array<int>(kTrackSlots);
    m_Sounding = Array<int>(kTrackSlots);
    m_Pattern = Array<int>(kTrackSlots);
    m_Mute = Array<int>(kTrackSlots);
    m_EarlyIn = Array<int>(kTrackSlots);
    m_NextMute = Array<int>(kTrackSlots);
    m_Rate = Array<float>(kTrackSlots);
    m_Env = Array<float>(kTrackSlots);
    m_Level = Array<float>(kTrackSlots);
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

// ---------------------------------------------------------------------------
// Driving
// ---------------------------------------------------------------------------

int c_JMPlayer::p_JM_Init(int baseChannel, int kits, int leads, int accompaniments, int basses) {
    m_BaseChannel = baseChannel;
    m_InstCount[1] = kits;
    m_InstCount[2] = leads;
    m_InstCount[3] = accompaniments;
    m_InstCount[4] = basses;
    return 0;
}

int c_JMPlayer::p_JM_StartTune(String name, int seed, int tempo) {
    String path = String("tunes/") + name + String(".png");
    m_Variation = 0;
    m_TuneSeed = seed;
    m_NextTime = LaterBy(Now(), kStartDelayMs);
    m_Step = 0;
    m_State = 2;
    m_Tempo = tempo;
    // The same tune again keeps its notes and samples.
    if (path != m_TunePath) {
        m_LoadStep = 1;
        m_TunePath = path;
        for (int t = 0; t < PlayedTracks(); ++t) m_LastPattern[t] = m_Pattern[t] = 0;
        // The last tune's notes go: a tune whose image cannot be read plays
        // silence, not what was loaded before.
        for (int i = 0; i < m_Data.Length(); ++i) m_Data[i] = 0;
    }
    for (int t = 0; t < kTrackSlots; ++t) m_Channel[t] = m_BaseChannel - 1 - t;

    // Both drum kits draw from the kits.
    Reseed(static_cast<int64_t>(m_TuneSeed) + m_Variation, 11);
    m_Inst[1] = p_Rand(1, m_InstCount[1]);
    m_Inst[2] = p_Rand(1, m_InstCount[1]);
    m_Inst[3] = p_Rand(1, m_InstCount[2]);
    m_Inst[4] = p_Rand(1, m_InstCount[3]);
    m_Inst[5] = p_Rand(1, m_InstCount[4]);

    DrawVariation(true);
    m_Chord = String("qqjj");
    return 0;
}

int c_JMPlayer::p_JM_Stop(int full) {
    for (int t = 0; t < PlayedTracks(); ++t) {
        if (m_Channel[t] > 0 && m_Sounding[t] == 1) {
            bb_audio_StopChannel(m_Channel[t]);
            m_Sounding[t] = 0;
        }
    }
    if (full == 1) m_State = 0;
    return 0;
}

int c_JMPlayer::p_JM_Alive_U(int paused, int musicOn) {
    bool playing = m_State == 2, held = paused != 0, audible = musicOn == 1;
    if (m_State == 0) p_JM_Stop(0);
    if (playing && !held && m_LoadStep == 0 && audible) {
        p_JM_MusicPlay();
    } else if (held || (playing && m_LoadStep == 0)) {
        // Paused or silent: the tune waits, and resumes 150 ms after the pause
        // ends or music comes back instead of racing through the steps it
        // missed (the step clock catches up one step per update).
        m_NextTime = LaterBy(Now(), kResumeDelayMs);
    }
    if (playing && (held || !audible)) p_JM_Stop(0);
    return 0;
}

int c_JMPlayer::p_JM_Alive_R() {
    // Frames are decoded in the top-left 64 x 64 pixels of the back buffer:
    // loading waits while the window is smaller than that.
    bool room = bb_graphics_DeviceWidth() >= kFrameSize && bb_graphics_DeviceHeight() >= kFrameSize;
    for (int i = 0; i < 3 && room && m_LoadStep > 0; ++i) p_JM_LoadChunk();
    // The pixels drawn for decoding never show.
    bb_graphics_Cls(0, 0, 0);
    return 0;
}

// ---------------------------------------------------------------------------
// Tables
// ---------------------------------------------------------------------------

float c_JMPlayer::p_GetPitch(int note) { return note >= 1 && note <= 32 ? kPitch[note] : 0.0f; }

float c_JMPlayer::p_GetPitch_Alpha(int ch) {
    for (int i = 0; i < 32; ++i)
        if (ch == kPitchLetters[i]) return kPitch[i + 1];
    return 0.0f;
}

String c_JMPlayer::p_JM_GetChord(int n) {
    // Shared texts: asking for a chord allocates nothing.
    static const String kChords[6] = {String("qqqq"), String("qqjj"), String("qqbb"),
                                      String("qbqb"), String("qqqj"), String("qqzz")};
    return n >= 0 && n <= 5 ? kChords[n] : kChords[1];
}

// ---------------------------------------------------------------------------
// Random draws
// ---------------------------------------------------------------------------

int c_JMPlayer::p_Rand(float lo, float hi) {
    float r = bb_random_StepOf(&m_Seed);
    return static_cast<int>(std::floor(r * (hi + 0.99f - lo) + lo));
}

void c_JMPlayer::Reseed(int64_t x, int n) {
    m_Seed = static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(x)));
    for (int i = 0; i < n; ++i) bb_random_StepOf(&m_Seed);
}
