// tests/support/random_test.cpp - the generator's exact sequence and the math
// helpers' edge cases.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "support/random.h"

namespace {

class Random : public ::testing::Test {
protected:
    void SetUp() override { bb_random_init(); }
};

TEST_F(Random, StartsFromSeed1234) {
    bb_random_Seed = 99;
    bb_random_init();
    EXPECT_EQ(bb_random_Seed, 1234);
}

TEST_F(Random, FirstStepFrom1234GivesTheDocumentedValue) {
    float r = bb_random_Rnd();
    EXPECT_EQ(static_cast<unsigned>(bb_random_Seed), 3067928073u);
    EXPECT_EQ(r, 11984094.0f / 16777216.0f);
    EXPECT_NEAR(r, 0.7143, 0.0001);
}

TEST_F(Random, SequenceFrom1234IsExactlyReproduced) {
    // Seeds and unit values computed independently (64-bit arithmetic, modulo 2^32).
    const unsigned seeds[] = {3067928073u, 889114580u, 3219257635u, 1486326822u, 3450746189u, 1275680328u};
    const int units[] = {11984094, 3473103, 12575225, 5805964, 13479477, 4983126};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(bb_random_Rnd(), units[i] / 16777216.0f) << "step " << i;
        EXPECT_EQ(static_cast<unsigned>(bb_random_Seed), seeds[i]) << "step " << i;
    }
}

TEST_F(Random, SeedWrapsModulo2To32) {
    bb_random_Seed = -1;  // 0xffffffff
    EXPECT_EQ(bb_random_Rnd(), 3954061 / 16777216.0f);
    EXPECT_EQ(static_cast<unsigned>(bb_random_Seed), 1012239698u);
    bb_random_Seed = 0;
    EXPECT_EQ(bb_random_Rnd(), 3960563 / 16777216.0f);
}

TEST_F(Random, InlineStepAndRndFollowTheSameSequence) {
    float a[50], b[50];
    for (float& v : a) v = bb_random_Rnd();
    bb_random_init();
    for (float& v : b) v = bb_random_Step();
    for (int i = 0; i < 50; ++i) EXPECT_EQ(a[i], b[i]) << i;
}

TEST_F(Random, UnitValuesStayBelowOneOnA24BitGrid) {
    for (int i = 0; i < 100000; ++i) {
        float r = bb_random_Rnd();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        float scaled = r * 16777216.0f;
        ASSERT_EQ(scaled, std::floor(scaled));
    }
}

TEST_F(Random, RangesScaleTheUnitValue) {
    int seed = bb_random_Seed;
    float r = bb_random_Rnd();
    bb_random_Seed = seed;
    EXPECT_EQ(bb_random_Rnd2(-10, 30), -10 + 40 * r);
    bb_random_Seed = seed;
    EXPECT_EQ(bb_random_Rnd3(8), r * 8);
}

TEST_F(Random, EmptyRangesStillAdvanceTheSeed) {
    EXPECT_EQ(bb_random_Rnd2(5, 5), 5.0f);
    EXPECT_EQ(static_cast<unsigned>(bb_random_Seed), 3067928073u);
    EXPECT_EQ(bb_random_Rnd3(0), 0.0f);
    EXPECT_EQ(static_cast<unsigned>(bb_random_Seed), 889114580u);
}

TEST(Math, AbsOfTheMostNegativeIntWrapsToItself) {
    EXPECT_EQ(bb_math_Abs(INT_MIN), INT_MIN);
    EXPECT_EQ(bb_math_Abs(-7), 7);
    EXPECT_EQ(bb_math_Abs(7), 7);
    EXPECT_EQ(bb_math_Abs(0), 0);
    EXPECT_EQ(bb_math_Abs(INT_MAX), INT_MAX);
}

TEST(Math, FloatAbs) {
    EXPECT_EQ(bb_math_Abs2(-2.5f), 2.5f);
    EXPECT_EQ(bb_math_Abs2(2.5f), 2.5f);
    EXPECT_EQ(bb_math_Abs2(-std::numeric_limits<float>::infinity()), std::numeric_limits<float>::infinity());
}

TEST(Math, MaxReturnsTheLarger) {
    EXPECT_EQ(bb_math_Max(3, 9), 9);
    EXPECT_EQ(bb_math_Max(9, 3), 9);
    EXPECT_EQ(bb_math_Max(INT_MIN, -1), -1);
    EXPECT_EQ(bb_math_Max2(1.5f, -2.0f), 1.5f);
    EXPECT_EQ(bb_math_Max2(-2.0f, 1.5f), 1.5f);
}

TEST(Math, FloatMaxWithNanFirstReturnsTheSecond) {
    float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(bb_math_Max2(nan, 4.0f), 4.0f);
    EXPECT_TRUE(std::isnan(bb_math_Max2(4.0f, nan)));
}

}  // namespace
