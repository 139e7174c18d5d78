// tests/game/round_world.h - rounds of play driven through the real game.
//
// A round is started the way the menu starts one (mode 11 for one update),
// then given a known maze. For scripted scenes the maze can be replaced by a
// plain one: every floor row solid from wall to wall, nothing else, so that a
// test places exactly the stairs, gaps and entities it needs.
#ifndef LANTERN_TESTS_GAME_ROUND_WORLD_H
#define LANTERN_TESTS_GAME_ROUND_WORLD_H

#include "game/gameplay.h"
#include "game_world.h"

class RoundTest : public GameTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts a round of `variant` and rebuilds its maze from `seed`.
    void StartRound(int variant, int seed);
    // Floors only, no entities and no new enemies; the player stands on
    // floor row `row` at column `x`, facing right.
    void PlainMaze(int x, int row);
    void SetCell(int x, int y, int value) { app()->m_Map[y * 64 + x] = static_cast<float>(value); }
    float* Ent(int n) { return &app()->m_Ents[n * play::kEntityFloats]; }
    float& Plr(int field) { return app()->m_Plr[field]; }
    // Puts an entity record in place.
    void Place(int n, int kind, float x, float y);
    // Holds a key (runtime key code) for `updates` updates, then releases it.
    void Hold(int key, int updates);
};

#endif
