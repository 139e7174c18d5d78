// game/music_player.h - c_JMPlayer, the procedural music player.
//
// Plays tracker-style tunes on five audio channels: two drum tracks that fire
// one of eight drum samples per note, and three melodic tracks (lead,
// accompaniment, bass) that replay one looping instrument sample at a rate
// chosen by the note. Track t plays on channel m_BaseChannel - 1 - t (31 down
// to 27 in the game, below the music channel and above the effects).
//
// Tunes. A tune is 64 patterns x 8 tracks x 64 steps of cells of 8 fields
// (note, volume, effect, parameter, four unused), every value 0..31, held in
// m_Data: field k of pattern p, track t, step s is entry
// p * 4096 + t * 512 + s * 8 + k. The note data is stored in the pixels of a
// tune image ("tunes/" + name + ".png", 64 frames of 64 x 64): pixel (8t + k, s)
// of frame p holds the value in its blue component shifted left by 3. Tracks
// 5 to 7 exist in the format but are never played.
//
// Loading runs in the render pass: the image is decoded by drawing a frame to
// the back buffer and reading the pixels back, three loading steps a frame
// (70 steps: the image, the instrument samples, frames 0..62). The
// instruments are numbered sample files under "inst/", chosen per tune.
//
// Playing runs in the update pass, one step when it falls due (8000 / m_Tempo
// ms). The arrangement is generated as it plays: every 2 or 4 patterns a new
// variation gives every track a random pattern of its own and new mute flags
// (the two drum tracks are never both muted), and a queue of chord letters
// transposes the melodic tracks pattern by pattern. All of it draws from the
// player's own generator m_Seed (the game's generator's rule, its own state),
// reseeded from the tune's seed and the variation count before every draw, so
// a tune and a seed always give the same arrangement. The steps fall due by
// the clock, not by updates: were the draws made on the game's generator,
// the music would change the round's numbers, and a recorded round would not
// replay the same.
//
// Invariants: m_Pattern[t] stays within 0..63, so every cell index lies inside
// m_Data; m_Sounding[t] is 1 only while a sample started by the player may be
// sounding on the track's channel; m_State is 0 (stopped) or 2 (playing).
//
// Driving. The application calls p_JM_Init once, p_JM_StartTune when a game
// starts, p_JM_Alive_R first in every render (identity transform, start-of-
// frame colour and blend), p_JM_Alive_U every update and p_JM_Stop(1) at game
// over. All but the stop are made only while bb_Zanth_HasMusic is 1; in the
// shipped configuration it is 0 and the streamed tune plays instead.
//
// The player and its arrays are collected objects owned by the application;
// the samples and the tune image live as long as the player holds them.
// Stepping allocates nothing; the chord queue makes one short string per
// pattern. Main thread only.
#ifndef LANTERN_GAME_MUSIC_PLAYER_H
#define LANTERN_GAME_MUSIC_PLAYER_H

#include <cstdint>

#include "audio/audio.h"
#include "graphics/graphics.h"

class c_JMPlayer : public Object {
public:
    int m_BaseChannel = 0;       // track t plays on channel m_BaseChannel - 1 - t
    Array<int> m_InstCount;      // 8: [1..4] kits, leads, accompaniments, basses available
    int m_LoadStep = 0;          // 0 nothing to load, 1..70 while loading
    Array<int> m_Inst;           // 8: chosen instruments: [1] kit A, [2] kit B, [3] lead, [4] accompaniment, [5] bass
    Array<c_Sound*> m_KitA;      // 9: [1..8] drum samples of track 0
    Array<c_Sound*> m_KitB;      // 9: [1..8] drum samples of track 1
    Array<c_Sound*> m_Voices;    // 8: [2] lead, [3] accompaniment, [4] bass
    String m_TunePath;           // tune image loaded or loading
    c_Image* m_TuneImage = nullptr;
    Array<int> m_Data;           // 262145: 64 patterns x 8 tracks x 64 steps x 8 fields, + 1
    Array<int> m_LastPattern;    // 8: highest pattern with any non-zero value, per track
    int m_NextTime = 0;          // Millisecs when the next step is due
    int m_State = 0;             // 0 stopped, 2 playing
    int m_Tracks = 5;            // tracks played
    Array<int> m_Channel;        // 8: audio channel per track
    Array<int> m_Sounding;       // 8: 1 once a sample was started on the track's channel and not yet stopped
    Array<int> m_Pattern;        // 8: current pattern per track, 0..63
    int m_Step = 0;              // row within the pattern, 0..63
    int m_Repeats = 0;           // patterns left before the next variation
    Array<int> m_Mute;           // 8: 1 = muted in this variation
    Array<int> m_EarlyIn;        // 8: 1 = may come in during the last 8 steps before a variation
    Array<int> m_NextMute;       // 8: mute flag for the next variation
    float m_ChordPitch = 0;      // rate factor of the current chord letter
    String m_Chord;              // queue of chord letters; the first transposes the melodic tracks
    Array<float> m_Rate;         // 8: playback rate per track (1 = recorded speed)
    Array<float> m_Env;          // 8: envelope per track; below 1 it scales the level every step
    float m_Volume = 0.5f;       // master volume, 0..1
    Array<float> m_Level;        // 8: level last given to the track's channel, 0..1 (before m_Volume)
    int m_LoopFlags = 1;         // play flags of melodic samples (1 loops)
    int m_Tempo = 95;            // one step lasts 8000 / m_Tempo milliseconds
    int m_TuneSeed = 0;          // seed of the tune's arrangement
    int m_Variation = 0;         // variations played since the tune started
    int m_Seed = 0;              // the player's own generator state (never the game's bb_random_Seed)

    c_JMPlayer* m_new();
    void mark() override;

    // Sets the channel below which the tracks play and how many instruments of
    // each kind there are (kits, leads, accompaniments, basses).
    int p_JM_Init(int baseChannel, int kits, int leads, int accompaniments, int basses);
    // Starts "tunes/" + name + ".png": loads it (during the following renders)
    // unless it is the tune already loaded, and draws the instruments and the
    // first variation from `seed`. One step lasts 8000 / tempo ms.
    int p_JM_StartTune(String name, int seed, int tempo);
    // Stops the sounding tracks; with full = 1 also stops the tune.
    int p_JM_Stop(int full);
    // Per update: plays a step when one is due, unless paused (`paused` 1),
    // music is off (`musicOn` 0) or the tune is still loading; stops the
    // sounding tracks while paused, silent or stopped.
    int p_JM_Alive_U(int paused, int musicOn);
    // Per render, before anything else is drawn: up to three loading steps,
    // then clears the back buffer to black.
    int p_JM_Alive_R();
    // One loading step (see music_loading.cpp).
    int p_JM_LoadChunk();
    // One step of playback when it is due.
    int p_JM_MusicPlay();
    // Applies one cell to one track: triggers, volume, envelope, slides.
    int p_JM_PlayNote(int track, int note, int volume, int effect, int parameter);

    // Rate factor of note 1..32 (13 = the sample's own pitch), else 0.
    float p_GetPitch(int note);
    // The same factors by chord letter (z s x d ... = ]), else 0.
    float p_GetPitch_Alpha(int ch);
    // Four chord letters for chord n (0..5; other values give "qqjj").
    String p_JM_GetChord(int n);
    // Integer lo..hi inclusive, near-equal chances, from one generator step.
    int p_Rand(float lo, float hi);

private:
    static const int kTrackSlots = 8;       // tracks in the tune format and the arrays
    static const int kFrameSize = 64;       // pixels: a frame is a pattern, 64 x 64
    static const int kPatternEntries = 4096;  // m_Data entries per pattern
    static const int kTrackEntries = 512;   // m_Data entries per track of a pattern
    static const int kCellEntries = 8;      // m_Data entries per cell (fields)
    static const int kStartDelayMs = 100;   // from starting or a loading step to the first step

    // Index in m_Data of the first field of a cell.
    static int CellIndex(int pattern, int track, int step) {
        return pattern * kPatternEntries + track * kTrackEntries + step * kCellEntries;
    }
    // m_Tracks, kept to the tracks the arrays hold.
    int PlayedTracks() const { return m_Tracks < 0 ? 0 : (m_Tracks > kTrackSlots ? kTrackSlots : m_Tracks); }
    // `ms` after `time` on the wrapping millisecond clock.
    static int LaterBy(int64_t time, int64_t ms);
    static int Now();

    // Sets the player's generator to x (wrapped to 32 bits) and advances it n times.
    void Reseed(int64_t x, int n);
    // Every track's pattern and mute flags: for the tune's start, or for the
    // variation m_Variation has just reached.
    void DrawVariation(bool start);
    // The chord queue and the variation count move on at the end of a pattern.
    void PatternEnded();
    // One track's cell of the current step, after its conditional branch.
    void PlayTrackStep(int track);
    // Tune image frame `pattern` into m_Data, through the back buffer.
    void DecodeFrame(int pattern);
    // The instrument sample that loading step `step` asks for, if any.
    void LoadSample(int step);
};

#endif
