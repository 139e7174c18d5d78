// support/random.cpp - random numbers and math helpers.
#include "support/random.h"

int bb_random_Seed = 1234;

void bb_random_init() { bb_random_Seed = 1234; }

float bb_random_Rnd() { return bb_random_Step(); }

float bb_random_Rnd2(float low, float high) { return low + (high - low) * bb_random_Step(); }

float bb_random_Rnd3(float range) { return bb_random_Step() * range; }

int bb_math_Abs(int x) {
    // The most negative int stays as it is (two's-complement wrap).
    return x < 0 ? static_cast<int>(0u - static_cast<unsigned>(x)) : x;
}

float bb_math_Abs2(float x) { return x >= 0 ? x : -x; }

int bb_math_Max(int a, int b) { return a < b ? b : a; }

float bb_math_Max2(float a, float b) { return a > b ? a : b; }
