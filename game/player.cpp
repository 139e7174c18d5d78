// game/player.cpp - the player's control and motion through the maze.
//
// The player walks along floors by a fifth of a cell per update, climbs
// stairs diagonally, jumps from the ground and falls through empty cells
// under gravity until it lands on a floor. Its position is a whole cell plus
// offsets kept in [-0.5, 0.5]: an offset that passes half a cell carries the
// player into the neighbouring cell.
//
// While the round is paused or ended the player takes no input at all (the
// pause menu's keys must not walk, climb or jump), but gravity and landing go
// on, so a player caught in mid-air still comes down.
#include "game/gameplay.h"
#include "game/globals.h"
#include "game/myapp.h"

using namespace play;

namespace {

// Actions of the first pad.
const int kJumpButtons[] = {c_MyApp::kActionJump, c_MyApp::kActionJump2, c_MyApp::kActionJump3};

// Moves whole cells between the cell and its offset.
void carry(float& cell, float& offset) {
    if (offset < -0.5f) {
        cell -= 1;
        offset += 1;
    } else if (offset > 0.5f) {
        cell += 1;
        offset -= 1;
    }
}

}  // namespace

void c_MyApp::MovePlayer() {
    float* p = &m_Plr[0];
    bool alive = Alive();
    bool left = alive && p_PlayKey(kActionLeft, 1, 0);
    bool right = alive && p_PlayKey(kActionRight, 1, 0);
    bool down = alive && p_PlayKey(kActionDown, 1, 0);

    // Walking and the carry between columns.
    if (alive) {
        if (left) {
            p[kPlrOffX] -= 0.2f;
            p[kPlrFacing] = -1;
            p[kPlrWalk] += 1;
        }
        if (right) {
            p[kPlrOffX] += 0.2f;
            p[kPlrFacing] = 1;
            p[kPlrWalk] += 1;
        }
        if (!left && !right) p[kPlrWalk] = 0;
        carry(p[kPlrX], p[kPlrOffX]);
        if (p[kPlrX] <= 0 && p[kPlrOffX] < -0.2f) p[kPlrOffX] = -0.2f;
        if (p[kPlrX] >= kMapSize - 1 && p[kPlrOffX] > 0.2f) p[kPlrOffX] = 0.2f;
    }

    // The carry between rows; the player never rises above row 1 (the
    // offset is held at the top of that row instead).
    if (p[kPlrOffY] < -0.5f && p[kPlrY] <= 1) {
        p[kPlrOffY] = -0.5f;
    } else {
        carry(p[kPlrY], p[kPlrOffY]);
    }

    // Jumping: possible for a few updates after touching the ground, once
    // per press of a jump button.
    bool jump = false;
    if (alive) {
        if (bb_Zanth_isOuya == 0 && p_PlayKey(kActionUp, 1, 0)) jump = true;
        for (int b : kJumpButtons)
            if (p_PlayKey(b, 1, 0)) jump = true;
    }
    m_Hit = jump ? 1 : 0;
    if (p[kPlrGround] > 0) p[kPlrGround] -= 1;
    if (p[kPlrGround] > 0 && p[kPlrJumpLatch] == 0 && jump) {
        p[kPlrGround] = 0;
        p[kPlrJumpLatch] = 1;
        p[kPlrOffY] -= 0.4f;
        p[kPlrSpeedY] = -0.31f;
    } else {
        p[kPlrSpeedY] = p[kPlrSpeedY] + 0.02f < 0.3f ? p[kPlrSpeedY] + 0.02f : 0.3f;
        if (!jump) p[kPlrJumpLatch] = 0;
    }

    int x = static_cast<int>(p[kPlrX]), y = static_cast<int>(p[kPlrY]);
    if (x < 0 || x >= kMapSize || y < 0 || y >= kMapSize) return;
    int c = MapCell(x, y);
    int l = x > 0 ? MapCell(x - 1, y) : 0;
    int r = x < 53 ? MapCell(x + 1, y) : 0;
    float ox = p[kPlrOffX];

    // Stairs: climbing is walking toward the rising side of a step.
    bool risesRight = (Base(r) == 1 && ox > 0.25f) || Base(c) == 1 || (Base(l) == 1 && ox < 0);
    bool risesLeft = (Base(l) == 2 && ox < -0.25f) || Base(c) == 2 || (Base(r) == 2 && ox > 0);
    bool climb = (risesRight && p[kPlrFacing] == 1 && right && !down) ||
                 (risesLeft && p[kPlrFacing] == -1 && left && !down);
    if (climb) {
        p[kPlrGround] = 8;
        p[kPlrOffY] -= 0.2f;
        p[kPlrSpeedY] = 0;
    }

    // Vertical motion by the cell the player is in.
    if (c == 1 || c == 2 || c == 9 || c == 10) {
        p[kPlrGround] = 4;
        if (p[kPlrSpeedY] < 0) p[kPlrOffY] += p[kPlrSpeedY];
    } else if (c != kFloor) {
        p[kPlrOffY] += p[kPlrSpeedY];
    }
    if (down && Base(c) != 0) p[kPlrOffY] += 0.15f;

    // Landing on a floor.
    if (c > 7) {
        if (p[kPlrOffY] < 0) p[kPlrOffY] += p[kPlrSpeedY];
        if (p[kPlrOffY] >= 0) {
            p[kPlrOffY] = 0;
            p[kPlrSpeedY] = 0;
            p[kPlrGround] = 8;
        }
    }
}
