// tools/assetgen/rng.h - a small deterministic random generator. The standard
// distributions differ between library versions, so all randomness in the
// generated data goes through this, seeded by constants: two runs give the
// same bytes.
#ifndef LANTERN_TOOLS_ASSETGEN_RNG_H
#define LANTERN_TOOLS_ASSETGEN_RNG_H

#include <cstdint>

namespace assetgen {

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    // splitmix64: good spread even from small consecutive seeds.
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    float Float() { return static_cast<float>(Next() >> 40) / static_cast<float>(1u << 24); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Float(); }
    // Uniform integer in [lo, hi].
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1)); }
    bool Chance(float p) { return Float() < p; }

private:
    uint64_t state_;
};

// Hash of integer coordinates to [0, 1): value noise without tables.
inline float Hash01(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFFFF) / 16777216.0f;
}

}  // namespace assetgen

#endif
