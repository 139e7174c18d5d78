// support/random.h - the shared pseudo-random generator and small math helpers.
//
// One global 32-bit state, bb_random_Seed, stepped as a linear congruential
// generator (x 1664525 + 1013904223 modulo 2^32). Game code may assign the
// seed and step it inline with bb_random_Step; the sequences must stay exact,
// since particles, star fields and music depend on them.
#ifndef VORLIN_SUPPORT_RANDOM_H
#define VORLIN_SUPPORT_RANDOM_H

extern int bb_random_Seed;

// Advances the seed once and returns the new unit value r, 0 <= r < 1, in
// steps of 2^-24.
inline float bb_random_Step() {
    unsigned s = static_cast<unsigned>(bb_random_Seed) * 1664525u + 1013904223u;
    bb_random_Seed = static_cast<int>(s);
    return static_cast<float>(s >> 8) * (1.0f / 16777216.0f);
}

float bb_random_Rnd();
float bb_random_Rnd2(float low, float high);
float bb_random_Rnd3(float range);

int bb_math_Abs(int x);
float bb_math_Abs2(float x);
int bb_math_Max(int a, int b);
float bb_math_Max2(float a, float b);

void bb_random_init();

#endif
