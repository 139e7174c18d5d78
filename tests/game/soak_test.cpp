// Thousands of updates of play with random input in random mazes, checking
// after every update what must always hold. The collector checks its heap
// after every step in this test program.
#include <algorithm>
#include <cmath>
#include <random>
#include <set>

#include "round_world.h"

using namespace play;

namespace {

const int kKeys[] = {37, 38, 39, 40, 32, 90, 88, 67};  // arrows, Space, Z, X, C

void CheckInvariants(c_MyApp* a, int update) {
    SCOPED_TRACE(update);
    float x = a->m_Plr[kPlrX], y = a->m_Plr[kPlrY];
    ASSERT_TRUE(x >= 0 && x <= 63 && y >= 1 && y <= 63) << x << "," << y;
    ASSERT_EQ(x, std::floor(x));
    ASSERT_EQ(y, std::floor(y));
    ASSERT_LE(std::fabs(a->m_Plr[kPlrOffX]), 0.5f);
    // Within an update a jump, a climb, a fall and walking down may push the
    // vertical offset past the carry, which takes it back at the next update.
    ASSERT_LE(std::fabs(a->m_Plr[kPlrOffY]), 1.5f);
    ASSERT_TRUE(a->m_Plr[kPlrCharges] >= 0 && a->m_Plr[kPlrCharges] <= 3);
    static const std::set<int> kinds = {0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 13, 20};
    int enemies = 0;
    for (int n = 0; n < 110; ++n) {
        int kind = static_cast<int>(a->m_Ents[n * 10]);
        ASSERT_TRUE(kinds.count(kind)) << "record " << n << " kind " << kind;
        if (n == 0 || n > 100) {
            ASSERT_EQ(kind, 0) << "record " << n;
        }
        if (n >= 1 && n <= 16) {
            ASSERT_TRUE(kind >= 1 && kind <= 7) << "beacon " << n << " kind " << kind;
        }
        if (kind >= 10 && kind <= 13) ++enemies;
    }
    ASSERT_LE(enemies, 81);
    ASSERT_LE(a->m_EnemyCap, 80);
    for (int i = a->m_PartMax + 1; i < 510; ++i) ASSERT_EQ(a->m_Part[i * 10], 0) << "particle " << i;
    ASSERT_LE(a->m_DrawCount, c_MyApp::kDrawListLength);
    ASSERT_EQ(a->m_DrawCount % c_MyApp::kDrawFloats, 0);
}

}  // namespace

class SoakTest : public RoundTest {};

TEST_F(SoakTest, RandomPlayKeepsTheRoundConsistent) {
    std::mt19937 random(20261207);
    c_MyApp* a = app();
    StartRound(1, 42);
    int rounds = 1, ended = 0;
    long long mostCalls = 0;
    for (int update = 0; update < 6000; ++update) {
        // Change what is held every few updates, as a player would.
        if (update % 7 == 0) {
            for (int key : kKeys) {
                if (random() % 3 == 0) {
                    KeyDown(key);
                } else {
                    KeyUp(key);
                }
            }
        }
        // Now and then pause for a while (the menu's keys never move the
        // player), and make the round harder as prizes would.
        if (update % 500 == 250) a->m_Paused = 1;
        if (update % 500 == 300) a->m_Paused = 0;
        if (update % 1000 == 0) a->m_EnemyCap = 200;
        Update();
        if (update % 3 == 0) {
            long long before = bb_graphics_device->drawCalls;
            Render();
            // Frames of play only: the menu that returns after a round draws more images.
            if (a->m_Mode == c_MyApp::kModeRound) mostCalls = std::max(mostCalls, bb_graphics_device->drawCalls - before);
        }
        ASSERT_NO_FATAL_FAILURE(CheckInvariants(a, update));
        if (a->m_Mode == c_MyApp::kModeMenu) {
            ++ended;
            ReleaseAll();
            StartRound(1 + rounds % 3, static_cast<int>(random()));
            ++rounds;
        }
    }
    for (int key : kKeys) KeyUp(key);
    // The maze, the sprites, the sparks and the display share a few images,
    // so a frame of play is a handful of draw calls.
    EXPECT_LE(mostCalls, 16);
    std::printf("soak: %d rounds, %d ended, at most %lld draw calls a frame\n", rounds, ended, mostCalls);
}
