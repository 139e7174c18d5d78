// game/music_player.h - c_JMPlayer, the procedural music player.
//
// Plays tracker-style tunes whose note data is stored in the pixels of a tune
// image, on five audio channels (two drum tracks and lead, accompaniment and
// bass), generating the arrangement as it plays. The application drives it
// with p_JM_StartTune when a game starts, p_JM_Alive_R at each render,
// p_JM_Alive_U each update and p_JM_Stop at game over; all but the stop are
// made only while bb_Zanth_HasMusic is 1, which it is not in this
// configuration, where the streamed tune plays instead.
//
// This file holds the player's state; its loading and stepping follow with the
// music player's own work. Until then the four calls leave it stopped.
#ifndef VORLIN_GAME_MUSIC_PLAYER_H
#define VORLIN_GAME_MUSIC_PLAYER_H

#include "audio/audio.h"
#include "graphics/graphics.h"

class c_JMPlayer : public Object {
public:
    int m_BaseChannel = 0;       // track t plays on channel m_BaseChannel - 1 - t
    Array<int> m_InstCount;      // 8: kits, leads, accompaniments, basses available
    int m_LoadStep = 0;          // 0 nothing to load, 1..70 while loading
    Array<int> m_Inst;           // 8: chosen instrument numbers
    Array<c_Sound*> m_KitA;      // 9: drum samples of track 0 (1..8)
    Array<c_Sound*> m_KitB;      // 9: drum samples of track 1
    Array<c_Sound*> m_Voices;    // 8: [2] lead, [3] accompaniment, [4] bass
    String m_TunePath;           // tune image loaded or loading
    c_Image* m_TuneImage = nullptr;
    Array<int> m_Data;           // 262145: 64 patterns x 8 tracks x 64 steps x 8 fields, + 1
    Array<int> m_LastPattern;    // 8: highest pattern with data per track
    int m_NextTime = 0;          // Millisecs when the next step is due
    int m_State = 0;             // 0 stopped, 2 playing
    int m_Tracks = 5;
    Array<int> m_Channel;        // 8: audio channel per track
    Array<int> m_Sounding;       // 8
    Array<int> m_Pattern;        // 8: current pattern per track
    int m_Step = 0;              // row within the pattern, 0..63
    int m_Repeats = 0;           // patterns left before the next variation
    Array<int> m_Mute;           // 8
    Array<int> m_EarlyIn;        // 8
    Array<int> m_NextMute;       // 8
    float m_ChordPitch = 0;
    String m_Chord;              // queue of chord letters
    Array<float> m_Rate;         // 8: playback rate per track
    Array<float> m_Env;          // 8: envelope per track
    float m_Volume = 0.5f;       // master volume
    Array<float> m_Level;        // 8: level last given per track
    int m_LoopFlags = 1;         // flags for melodic samples
    int m_Tempo = 95;            // one step lasts 8000 / m_Tempo milliseconds
    int m_TuneSeed = 0;
    int m_Variation = 0;

    c_JMPlayer* m_new();
    void mark() override;

    // Sets the channel below which the tracks play and how many instruments of
    // each kind there are (kits, leads, accompaniments, basses).
    int p_JM_Init(int baseChannel, int kits, int leads, int accompaniments, int basses);
    int p_JM_StartTune(String name, int seed, int volume);
    int p_JM_Alive_R();
    int p_JM_Alive_U(int paused, int music);
    // Stops the sounding tracks; with full = 1 also stops the tune.
    int p_JM_Stop(int full);
};

#endif
