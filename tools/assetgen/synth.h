// tools/assetgen/synth.h - the sound synthesiser: oscillators, noise,
// envelopes, filters and the finishing steps every sound goes through.
//
// Sounds are mono or interleaved stereo float buffers (-1..1) at kRate.
// Everything is deterministic: noise comes from the seeded Rng.
#ifndef LANTERN_TOOLS_ASSETGEN_SYNTH_H
#define LANTERN_TOOLS_ASSETGEN_SYNTH_H

#include <functional>
#include <vector>

#include "rng.h"

namespace assetgen {

constexpr int kRate = 44100;  // samples per second, for every sound we make
using Buffer = std::vector<float>;

inline int Samples(float seconds) { return static_cast<int>(seconds * kRate + 0.5f); }
// Frequency of a MIDI note number (69 = A4 = 440 Hz).
float NoteHz(float midi);

// Band-limited waveforms of a running phase (cycles, any real number).
float SineWave(double phase);
float TriangleWave(double phase);
// polyBLEP-corrected saw and pulse: `dt` is the phase step per sample.
float SawWave(double phase, double dt);
float PulseWave(double phase, double dt, float duty);

// An oscillator whose frequency may change every sample.
struct Osc {
    double phase = 0;
    float Next(float hz, int shape, float duty = 0.5f);  // shape: 0 sine, 1 triangle, 2 saw, 3 pulse
};

// Envelope pieces, t in seconds.
float Adsr(float t, float length, float attack, float decay, float sustain, float release);
float ExpDecay(float t, float halfLife);

// Second-order filter (RBJ cookbook biquad).
class Biquad {
public:
    static Biquad LowPass(float hz, float q = 0.707f);
    static Biquad HighPass(float hz, float q = 0.707f);
    static Biquad BandPass(float hz, float q);
    float Process(float x);

private:
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// Mixes `src` into `dst` from sample `at`, scaled by `gain`; grows dst.
void MixInto(Buffer& dst, const Buffer& src, int at, float gain = 1);
// Short raised-cosine fades at both ends so a sound starts and ends at
// exactly zero without a click.
void FadeEdges(Buffer& b, float inSeconds, float outSeconds);
// Scales so the largest sample magnitude is `peak`.
void Normalize(Buffer& b, float peak);
// Feedback echo, for a sense of space.
void Echo(Buffer& b, float delaySeconds, float feedback, float mix);
// Cuts the tail once the sound stays below `threshold` for good (keeping a
// few milliseconds for the fade-out).
void TrimTail(Buffer& b, float threshold);
// Removes DC (a slow high-pass) so a sound ends at rest.
void RemoveDc(Buffer& b);

}  // namespace assetgen

#endif
