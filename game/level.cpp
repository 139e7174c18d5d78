// game/level.cpp - starting a round: the reset, the tune, the random maze and
// its beacons.
//
// The maze is built row by row from the top, each row from the right edge to
// the left. Every band of four rows below the first holds one staircase of
// three steps leading up to the floor above, and every floor but the bottom
// one a gap three cells wide. Both are drawn in the left half (columns 3..29)
// and copied into the right half as a "twin": mirrored about column 32 or
// shifted by 32 columns. Building the right half of a row first means a twin
// is never overwritten by its own cell's start value. The random draws happen
// in a fixed order, so one seed always gives the same maze.
#include <cstdlib>

#include "game/gameplay.h"
#include "game/globals.h"
#include "game/myapp.h"
#include "game/replay.h"
#include "support/random.h"

using namespace play;

namespace {

const int kBeacons = 16;
const int kDiscardedDraws = 34;

// Tune names of the music player per game variant.
const char* const kPlayerTunes[] = {"Hollow Ridge/Tune_12", "Retro/Cavern Digger", "Retro/HopperEsque"};
const int kPlayerTuneSeed = 37171650;

inline int rnd_int(float scale, float offset) { return static_cast<int>(bb_random_Rnd() * scale + offset); }

// The generator's state while the maze is built.
struct MazeBuilder {
    float* map;
    int stair = -8;   // S: stair column of the band being built (negative: none)
    int rising = 0;   // d: 1 the stair rises to the right, 0 to the left
    int mirror = 0;   // t: 1 twins are mirrored, 0 shifted
    int gap = 0;      // F: gap column of the next floor
    int prevGap = 0;  // P: gap column of the previous floor

    int Twin(int x) const { return mirror ? 64 - x : x + 32; }
    // The value the twin of a stair cell takes: mirrored stairs rise the other way.
    int TwinValue(int value) const {
        if (!mirror) return value;
        int base = Base(value), floor = value & kFloor;
        return (base == 1 ? 2 : base == 2 ? 1 : base) | floor;
    }
    void SetTwin(int x, int y, int value) {
        int tx = Twin(x);
        if (tx >= 0 && tx < kMapSize) map[y * kMapSize + tx] = static_cast<float>(value);
    }

    void Cell(int x, int y) {
        int o = y % 4;
        int value = x == 63 ? 4 : (x == 0 ? 3 : 0);
        if (o != 3) {
            int k = 3 - o;
            int step = 0;
            if (rising == 1 && x == stair + k) step = 1;
            if (rising == 0 && x == stair - k) step = 2;
            if (step) {
                value = step;
                if (stair >= 0) SetTwin(x, y, TwinValue(step));
            }
        } else {
            value += kFloor;
            if (std::abs(x - gap) < 2 && y != 63) {
                value = 0;
                SetTwin(x, y, 0);
            }
            if (x == stair) {
                value = rising ? 9 : 10;
                SetTwin(x, y, TwinValue(value));
            }
        }
        map[y * kMapSize + x] = static_cast<float>(value);
        if (o == 3 && x == 0) NextBand();
    }

    // Draws the stair and the gap of the next band; the stair keeps 7 columns
    // from both its own floor's gap and the gap of the floor it leads to.
    void NextBand() {
        rising = rnd_int(1.9f, 0);
        mirror = rnd_int(1.9f, 0);
        prevGap = gap;
        do {
            stair = rnd_int(20.9f, 6);
            gap = rnd_int(20.9f, 6);
        } while (std::abs(stair - gap) < 7 || std::abs(prevGap - stair) < 7);
    }
};

}  // namespace

void c_MyApp::BuildMaze() {
    MazeBuilder b;
    b.map = &m_Map[0];
    b.gap = rnd_int(20, 6);
    for (int y = 0; y < kMapSize; ++y)
        for (int x = kMapSize - 1; x >= 0; --x) b.Cell(x, y);
    // Kept for whoever looks at the generator's state afterwards.
    m_TmpG = b.stair;
    m_TmpL = b.rising;
    m_TmpF = b.mirror;
    m_TmpE = b.gap;
    m_TmpB = b.prevGap;
}

void c_MyApp::PlaceBeacons() {
    for (int n = 1; n <= kBeacons; ++n) {
        int row = 4 * n - 1;
        int x;
        // A plain floor cell with free space above it.
        do {
            x = rnd_int(56, 4);
        } while (MapCell(x, row - 1) != 0 || MapCell(x, row) != kFloor);
        float* e = &m_Ents[n * kEntityFloats];
        e[kEntKind] = kBeaconReady;
        e[kEntX] = static_cast<float>(x);
        e[kEntY] = static_cast<float>(row);
    }
}

int c_MyApp::p_LoadGame() {
    m_Paused = 0;
    m_Score = 0;
    m_GameEnded = 0;
    m_OverTimer = 0;
    m_Mode = kModeRound;
    // The score shown counts toward the score; a new round starts it at 0
    // rather than counting down from the last round's.
    m_TmpP = 0;
    m_RoundUpdates = 0;
    m_EnemyCap = m_GameType == 1 ? 8 : (m_GameType == 3 ? 16 : 12);
    m_CamX = m_CamY = m_CamTX = m_CamTY = 0;
    // A pinch of the paused pad never carries over from an earlier round
    // (one ended from its pause menu with two fingers still down): the span
    // it compares with is not part of a replay, so a round starting in the
    // middle of one would replay differently in another program.
    m_PadDrag = 0;
    m_PadSpan = 0;

    if (bb_Zanth_HasMusicStream == 1) p_PlayTune(String("Firstlight"), 1);
    if (bb_Zanth_HasMusic == 1) {
        int variant = m_GameType >= 1 && m_GameType <= 3 ? m_GameType : 2;
        m_JMPlayer->p_JM_StartTune(String(kPlayerTunes[variant - 1]), kPlayerTuneSeed, 100);
    }

    m_PartMax = 250;
    for (int i = 0; i <= m_PartMax; ++i) m_Part[i * kParticleFloats + kPartKind] = 0;
    for (int i = 0; i < 500; ++i) m_Plr[i] = 0;

    NewLevel(m_Replays->RoundSeed());
    return 0;
}

void c_MyApp::NewLevel(int seed) {
    bb_random_Seed = seed;
    for (int i = 0; i < kDiscardedDraws; ++i) bb_random_Rnd();
    BuildMaze();
    m_Plr[kPlrX] = 32;
    m_Plr[kPlrY] = 32;
    m_Plr[kPlrOffX] = m_Plr[kPlrOffY] = 0;
    m_Plr[kPlrEnergy] = kStartEnergy;
    for (int i = 0; i < m_Ents.Length(); ++i) m_Ents[i] = 0;
    PlaceBeacons();
}

int c_MyApp::MapCell(int x, int y) const {
    if (x < 0 || x >= kMapSize || y < 0 || y >= kMapSize) return 0;
    return static_cast<int>(m_Map[y * kMapSize + x]);
}
