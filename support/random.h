// support/random.h - the shared pseudo-random generator and small math helpers.
//
// One global 32-bit state, bb_random_Seed, stepped as a linear congruential
// generator (x 1664525 + 1013904223 modulo 2^32). Game code may assign the
// seed and step it inline with bb_random_Step; the sequences must stay exact,
// since particles, star fields and music depend on them.
#ifndef LANTERN_SUPPORT_RANDOM_H
#define LANTERN_SUPPORT_RANDOM_H

extern int bb_random_Seed;

// Advances the generator whose state is `*seed` once and returns the new unit
// value r, 0 <= r < 1, in steps of 2^-24. A part of the program with numbers
// of its own (the music player) keeps its own state and steps it with this.
inline float bb_random_StepOf(int* seed) {
    unsigned s = static_cast<unsigned>(*seed) * 1664525u + 1013904223u;
    *seed = static_cast<int>(s);
    return static_cast<float>(s >> 8) * (1.0f / 16777216.0f);
}

// Advances the shared generator once and returns its new unit value.
inline float bb_random_Step() { return bb_random_StepOf(&bb_random_Seed); }

float bb_random_Rnd();
float bb_random_Rnd2(float low, float high);
float bb_random_Rnd3(float range);

int bb_math_Abs(int x);
float bb_math_Abs2(float x);
int bb_math_Max(int a, int b);
float bb_math_Max2(float a, float b);

void bb_random_init();

#endif
