// The random maze: its shape rules for many seeds, the worked staircase
// example, and the same seed giving the same maze.
#include <set>

#include "round_world.h"

using namespace play;

namespace {

// An order-sensitive digest of the maze and the beacon places.
unsigned Digest(c_MyApp* a) {
    unsigned h = 2166136261u;
    for (int i = 0; i < 64 * 64; ++i) h = (h ^ static_cast<unsigned>(a->m_Map[i])) * 16777619u;
    for (int n = 1; n <= 16; ++n) h = (h ^ static_cast<unsigned>(a->m_Ents[n * 10 + kEntX])) * 16777619u;
    return h;
}

bool InHalves(int x) { return (x >= 3 && x <= 29) || (x >= 35 && x <= 61); }

}  // namespace

class MazeTest : public RoundTest {};

TEST_F(MazeTest, EverySeedGivesAMazeThatKeepsItsRules) {
    c_MyApp* a = app();
    for (int seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        a->NewLevel(seed * 7919);
        for (int y = 0; y < 64; ++y) {
            bool floor = y % 4 == 3;
            EXPECT_EQ(a->MapCell(0, y), floor ? 11 : 3) << "row " << y;
            EXPECT_EQ(a->MapCell(63, y), floor ? 12 : 4) << "row " << y;
            std::set<int> gap, foot;
            for (int x = 1; x < 63; ++x) {
                int v = a->MapCell(x, y);
                const std::set<int> allowed = floor ? std::set<int>{0, 8, 9, 10} : std::set<int>{0, 1, 2};
                ASSERT_TRUE(allowed.count(v)) << "cell " << x << "," << y << " = " << v;
                if (y < 3) {
                    EXPECT_EQ(v, 0) << "a stair in the first band at " << x << "," << y;
                }
                if (y == 63) {
                    EXPECT_NE(v, 0) << "a gap in the bottom floor at " << x;
                }
                bool special = (floor && v != 8) || (!floor && v != 0);
                if (special) {
                    EXPECT_TRUE(InHalves(x)) << "cell " << x << "," << y << " = " << v;
                }
                if (floor && v == 0 && x < 32) gap.insert(x);
                if (floor && v > 8 && x < 32) foot.insert(x);
            }
            if (floor && y < 63) {
                ASSERT_EQ(gap.size(), 3u) << "row " << y;
                EXPECT_EQ(*gap.rbegin() - *gap.begin(), 2) << "row " << y;
                int centre = *gap.begin() + 1;
                for (int f : foot) EXPECT_GE(std::abs(f - centre), 7) << "row " << y;
            }
        }
        for (int n = 1; n <= 16; ++n) {
            float* e = &a->m_Ents[n * 10];
            int x = static_cast<int>(e[kEntX]), row = static_cast<int>(e[kEntY]);
            EXPECT_EQ(e[kEntKind], kBeaconReady);
            EXPECT_EQ(row, 4 * n - 1);
            EXPECT_EQ(a->MapCell(x, row), 8) << "beacon " << n;
            EXPECT_EQ(a->MapCell(x, row - 1), 0) << "beacon " << n;
        }
        EXPECT_EQ(a->m_Plr[kPlrX], 32);
        EXPECT_EQ(a->m_Plr[kPlrY], 32);
        EXPECT_EQ(a->m_Plr[kPlrEnergy], 10);
    }
}

TEST_F(MazeTest, AStairRisingLeftFromColumn6IsMirroredAt59To61) {
    // Look for a band whose stair rises to the left from a foot at column 6
    // and whose twin is mirrored (its foot, rising right, at column 58).
    c_MyApp* a = app();
    int found = 0;
    for (int seed = 1; seed < 3000 && !found; ++seed) {
        a->NewLevel(seed);
        for (int f = 7; f < 64; f += 4) {
            if (a->MapCell(6, f) != 10 || a->MapCell(58, f) != 9) continue;
            found = seed;
            for (int k = 1; k <= 3; ++k) {
                EXPECT_EQ(a->MapCell(6 - k, f - k), 2) << "step " << k;
                EXPECT_EQ(a->MapCell(58 + k, f - k), 1) << "twin " << k;
            }
        }
    }
    EXPECT_NE(found, 0) << "no seed gave that staircase";
}

TEST_F(MazeTest, TheSameSeedGivesTheSameMazeAndAnotherSeedAnother) {
    c_MyApp* a = app();
    a->NewLevel(123456);
    unsigned first = Digest(a);
    a->NewLevel(99);
    unsigned other = Digest(a);
    a->NewLevel(123456);
    EXPECT_EQ(Digest(a), first);
    EXPECT_NE(other, first);
    // Pinned: a change to the generator's draws or their order shows here.
    EXPECT_EQ(first, 3732926224u);
}
