// game/gameplay.h - the layout of a round's state: the maze, the player record,
// the entity table and the particle pool.
//
// All of it lives in float arrays of c_MyApp, allocated once and reused by
// every round; nothing is allocated while a round is played.
//
// Maze (m_Map): 64 x 64 cells, cell (x, y) at y * 64 + x, y growing downward,
// 24 virtual pixels square. Every fourth row (3, 7, ..., 63) is a floor row.
// Values: 0 empty, 1 / 2 stair step rising to the right / left, 3 / 4 left /
// right boundary; adding kFloor (8) marks a floor, so 8 is plain floor, 9 / 10
// the foot of a stair rising right / left and 11 / 12 the boundary cells of a
// floor row. The "base" of a cell is its value without the floor bit. Cell
// value v is drawn as frame v + 24 of the sprite image.
//
// Player (m_Plr): a whole cell (x, y) plus offsets kept in [-0.5, 0.5]; a player
// standing on a floor has the floor's row as y and offset y 0.
//
// Entities (m_Ents): records 1..100 of 10 floats (record n at 10 n). Records
// 1..16 are the beacons placed by the level, 17..25 the charges (refilled as
// soon as one is taken), 26..100 take new enemies. Kind 0 is a free record.
//
// Particles (m_Part): records 0..m_PartMax of 10 floats, see game/particles.cpp.
#ifndef LANTERN_GAME_GAMEPLAY_H
#define LANTERN_GAME_GAMEPLAY_H

#include "game/globals.h"

namespace play {

constexpr int kMapSize = 64;       // cells per row and per column
constexpr float kCell = 24;        // virtual pixels per cell
constexpr int kFloor = 8;          // the floor bit of a cell value
constexpr int kSpriteSlot = 1;     // image slot of the sprites and map tiles
constexpr int kPartsSlot = 96;     // image slot of the particle sprites
constexpr int kBackdropSlot = 99;  // image slot of the scrolling backdrop
constexpr int kTileFrameBase = 24; // a cell of value v draws frame v + 24

inline int Base(int cell) { return cell & ~kFloor; }

// Whether something at screen position (sx, sy) is drawn: the maze and the
// entities are drawn up to 64 pixels (plus twice the overscan) beyond the
// visible screen, so nothing pops in at the edges.
inline bool NearScreen(float sx, float sy) {
    float m = 2 * bb_Zanth_overscan + 64;
    return -m < sx && sx < bb_Zanth_jscrw + m && -m < sy && sy < bb_Zanth_jscrh + m;
}

// Player record elements.
enum PlayerField {
    kPlrX = 1,          // column (whole number)
    kPlrY = 2,          // row (whole number)
    kPlrOffX = 3,       // offset within the cell, -0.5..0.5
    kPlrOffY = 4,
    kPlrFacing = 5,     // 1 right, -1 left
    kPlrWalk = 6,       // walk counter (updates), drives the animation
    kPlrSpeedY = 8,     // vertical speed, cells per update (positive down)
    kPlrGround = 9,     // updates left in which a jump may start
    kPlrJumpLatch = 10, // 1 from a jump until the jump buttons are released
    kPlrScreenX = 31,   // where the player was drawn this update (virtual pixels)
    kPlrScreenY = 32,
    kPlrCharges = 50,   // charges carried, 0..3
    kPlrEnergy = 55,    // energy units, 10 at the start
    kPlrHurt = 56,      // updates of protection left after a hit
};

// Entity record elements.
enum EntityField {
    kEntKind = 0,
    kEntX = 1,          // cell x (may be fractional for enemies)
    kEntY = 2,          // cell y
    kEntOffX = 3,
    kEntOffY = 4,
    kEntPhase = 5,      // animation phase (degrees for charges)
    kEntSpeed = 6,      // speed parameter
    kEntTimer = 7,      // updates, or growth for a dying enemy
    kEntCatch = 8,      // enemies caught by a beacon; fade of a dying enemy
};
constexpr int kEntityFloats = 10;
constexpr int kFirstCharge = 17;
constexpr int kLastCharge = 25;
constexpr int kLastEntity = 100;

// Entity kinds.
enum EntityKind {
    kFree = 0,
    kBeaconReady = 1,
    kBeaconStarting = 2,
    kBeaconActive = 3,
    kPrize = 4,
    kBeaconSpent = 5,
    kBeaconRecharging = 6,
    kPrizeTaken = 7,
    kEnemyHunting = 10,
    kEnemyAsleep = 11,
    kEnemyWaking = 12,
    kEnemyDying = 13,
    kCharge = 20,
};

constexpr int kMaxCharges = 3;
constexpr int kMaxEnemyCap = 80;
constexpr int kStartEnergy = 10;

// Particle record elements and kinds.
enum ParticleField {
    kPartKind = 0, kPartX = 1, kPartY = 2, kPartVX = 3, kPartVY = 4, kPartRot = 5, kPartSpin = 6,
    kPartLife = 7, kPartColour = 8, kPartFrame = 9,  // frame, or the number a pop-up shows
};
constexpr int kParticleFloats = 10;
constexpr int kPopUp = 99;
constexpr int kSparkFalling = 2;

}  // namespace play

#endif
