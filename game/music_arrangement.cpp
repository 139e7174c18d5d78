// game/music_arrangement.cpp - playing a tune: the step clock, the generated
// arrangement (variations, mutes, chords) and what one cell does to a track.
//
// Cell fields: note (0 none; melodic 1..31 a pitch, 13 the sample's own;
// drums 13 15 17 18 20 22 24 25 pick samples 1..8, any other note only stops
// the drum channel), volume (0 leave; 1..30 level 0..1; 31 silence), effect
// and its parameter (slides 1..4, pattern break 8, conditional branch 27).
#include <algorithm>
#include <cmath>

#include "game/music_player.h"

namespace {

const int kSteps = 64;        // rows in a pattern
const int kLastPattern = 63;  // patterns are 0..63
const int kClockJumpMs = 123456;  // a due time this far ahead means the clock went backwards

// Effects.
const int kSlideUpFine = 1, kSlideDownFine = 2, kSlideUp = 3, kSlideDown = 4;
const int kPatternBreak = 8;
const int kBranch = 27;  // parameter 1: a pattern forward, 2: a pattern back

const float kMinRate = 0.25f, kMaxRate = 4.0f;
const float kDrumPan = 0.35f;  // kit A left, kit B right
const float kDrumEnvelope = 4.0f;   // a drum hit without a volume rings longer
const float kNoteEnvelope = 1.5f;   // any volume value or melodic note
const float kEnvelopeStep = 0.1f;   // per step; below 1 the envelope scales the level

// Drum sample 1..8 of a drum note, or 0.
int DrumSample(int note) {
    switch (note) {
        case 13: return 1;
        case 15: return 2;
        case 17: return 3;
        case 18: return 4;
        case 20: return 5;
        case 22: return 6;
        case 24: return 7;
        case 25: return 8;
        default: return 0;
    }
}

bool IsOdd(int n) { return (n & 1) != 0; }

}  // namespace

// ---------------------------------------------------------------------------
// The step clock
// ---------------------------------------------------------------------------

int c_JMPlayer::p_JM_MusicPlay() {
    int now = Now();
    int64_t next = m_NextTime;
    if (next > static_cast<int64_t>(now) + kClockJumpMs) {
        // The clock went backwards (or wrapped): step now and keep time from
        // here, rather than stepping at every update until it catches up.
        m_NextTime = now;
    } else if (next >= now) {
        return 0;
    }

    for (int t = 0; t < PlayedTracks(); ++t) PlayTrackStep(t);

    m_Step = (m_Step + 1) % kSteps;
    // From the previous due time, not from now: a late player catches up one
    // step per update.
    double stepMs = 8000.0 / (m_Tempo > 0 ? m_Tempo : 1);
    m_NextTime = LaterBy(static_cast<int64_t>(std::trunc(static_cast<double>(m_NextTime) + stepMs)), 0);
    if (m_Step == 0) PatternEnded();
    return 0;
}

void c_JMPlayer::PlayTrackStep(int t) {
    int cell = CellIndex(m_Pattern[t], t, m_Step);
    if (m_Data[cell + 2] == kBranch) {
        int param = m_Data[cell + 3], to = m_Pattern[t];
        if (param == 1 && IsOdd(m_Repeats)) to += 1;
        if (param == 2 && !IsOdd(m_Repeats)) to -= 1;
        // A branch that would leave the tune's patterns is ignored. The
        // branched-to cell is played without looking for a further branch.
        if (to != m_Pattern[t] && to >= 0 && to <= kLastPattern) {
            m_Pattern[t] = to;
            cell = CellIndex(to, t, m_Step);
        }
    }
    p_JM_PlayNote(t, m_Data[cell], m_Data[cell + 1], m_Data[cell + 2], m_Data[cell + 3]);
    // Later tracks of this step read row 63; the next step starts a pattern.
    if (m_Data[cell + 2] == kPatternBreak) m_Step = kSteps - 1;
}

// ---------------------------------------------------------------------------
// The arrangement
// ---------------------------------------------------------------------------

void c_JMPlayer::PatternEnded() {
    Reseed(static_cast<int64_t>(m_Variation) * 9 + m_TuneSeed, 16);
    // One letter per pattern, four per chord.
    if (m_Chord.Length() == 1) m_Chord = String(" ") + p_JM_GetChord(p_Rand(0, 4));
    if (m_Chord.Length() > 1) m_Chord = m_Chord.Slice(1);

    m_Repeats -= 1;
    if (m_Repeats > 0) return;
    Reseed(static_cast<int64_t>(m_Variation) * 9 + m_TuneSeed, 11);
    m_Repeats = p_Rand(1, 2) * 2;
    m_Variation += 1;
    DrawVariation(false);
}

void c_JMPlayer::DrawVariation(bool start) {
    for (int t = 0; t < kTrackSlots; ++t) {
        Reseed(static_cast<int64_t>(t) * 7 + static_cast<int64_t>(m_Variation) * 9 + m_TuneSeed, 11);
        m_Pattern[t] = p_Rand(0, m_LastPattern[t]);
        if (start) {
            m_NextMute[t] = p_Rand(0, 1);
            m_EarlyIn[t] = p_Rand(0, 1);
            m_Mute[t] = p_Rand(0, 1);
        } else {
            m_Mute[t] = m_NextMute[t];
            m_NextMute[t] = p_Rand(0, 1);
            m_EarlyIn[t] = p_Rand(0, 1);
        }
    }
    // The two drum tracks are never both muted.
    if (m_Mute[0] == 1 && m_Mute[1] == 1) m_Mute[0] = 0;
    // The tune starts with two patterns or four before its first variation,
    // drawn on from where the last track left the generator.
    if (start) m_Repeats = p_Rand(1, 2) * 2;
}

// ---------------------------------------------------------------------------
// One cell on one track
// ---------------------------------------------------------------------------

int c_JMPlayer::p_JM_PlayNote(int t, int note, int volume, int effect, int parameter) {
    if (t < 0 || t >= kTrackSlots) return 0;
    int muted = m_Mute[t];
    if (m_State < 2) {
        m_ChordPitch = 1.0f;
    } else {
        // A track about to come in may enter during the last 8 steps before
        // the variation.
        if (m_Repeats < 2 && m_Step > 55 && m_EarlyIn[t] == 1 && m_NextMute[t] == 0) muted = 0;
        m_ChordPitch = m_Chord.Empty() ? 1.0f : p_GetPitch_Alpha(m_Chord[0]);
    }
    for (int i = 0; i < PlayedTracks(); ++i) m_Channel[i] = m_BaseChannel - 1 - i;
    const int ch = m_Channel[t];
    const bool live = !muted && ch >= 1;

    // Drum hit.
    if ((t == 0 || t == 1) && note >= 1 && live) {
        bb_audio_StopChannel(ch);
        int drum = DrumSample(note);
        c_Sound* sample = drum ? (t == 0 ? m_KitA : m_KitB)[drum] : nullptr;
        if (sample) {
            m_Sounding[t] = 1;
            bb_audio_PlaySound(sample, ch, 0);
            bb_audio_SetChannelPan(ch, t == 0 ? -kDrumPan : kDrumPan);
        }
        m_Rate[t] = 1.0f;
        m_Env[t] = kDrumEnvelope;
    }

    // Volume: 1..30 a level of 0..1, 31 silence.
    float f = (volume - 1) / 29.0f, g;
    if (f > 1) {
        m_Env[t] = 0;
        g = 0;
    } else {
        g = f < 0 ? 0 : f;
    }
    if (volume >= 1 && live) {
        m_Env[t] = kNoteEnvelope;
        bb_audio_SetChannelVolume(ch, g * m_Volume);
        m_Level[t] = g;
    } else {
        g = m_Level[t];
    }

    // Envelope: below 1 the level shrinks by the envelope every step.
    m_Env[t] -= kEnvelopeStep;
    if (m_Env[t] < 0) {
        m_Env[t] = 0;
        if (ch >= 1) {
            bb_audio_SetChannelVolume(ch, 0);
            m_Level[t] = 0;
        }
    } else if (m_Env[t] < 1) {
        g = m_Env[t] * g;
        if (ch >= 1) {
            bb_audio_SetChannelVolume(ch, g * m_Volume);
            m_Level[t] = g;
        }
    }

    // Melodic note, transposed by the chord letter.
    if (t >= 2 && t <= 4 && note >= 1 && live) {
        bb_audio_StopChannel(ch);
        float rate = p_GetPitch(note) * m_ChordPitch;
        m_Rate[t] = rate;
        m_Env[t] = kNoteEnvelope;
        bb_audio_SetChannelRate(ch, rate);
        if (m_Voices[t]) {
            m_Sounding[t] = 1;
            bb_audio_PlaySound(m_Voices[t], ch, m_LoopFlags);
        }
    }

    if (muted || ch < 1) return 0;
    // Slides, on drums too, repeated on every step that carries them.
    switch (effect) {
        case kSlideUpFine: m_Rate[t] = std::min(m_Rate[t] + parameter / 180.0f, kMaxRate); break;
        case kSlideDownFine: m_Rate[t] = std::max(m_Rate[t] - parameter / 180.0f, kMinRate); break;
        case kSlideUp: m_Rate[t] = std::min(m_Rate[t] + parameter / 15.0f, kMaxRate); break;
        case kSlideDown: m_Rate[t] = std::max(m_Rate[t] - parameter / 15.0f, kMinRate); break;
        default: return 0;
    }
    bb_audio_SetChannelRate(ch, m_Rate[t]);
    return 0;
}
