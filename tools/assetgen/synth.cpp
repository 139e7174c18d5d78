// tools/assetgen/synth.cpp - synthesiser building blocks.
#include "synth.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {
constexpr double kTau = 6.283185307179586;

double Frac(double x) { return x - std::floor(x); }

// The polyBLEP residual that rounds off a waveform's jump.
double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}
}  // namespace

float NoteHz(float midi) { return 440.0f * std::pow(2.0f, (midi - 69.0f) / 12.0f); }

float SineWave(double phase) { return static_cast<float>(std::sin(kTau * phase)); }

float TriangleWave(double phase) {
    double p = Frac(phase);
    return static_cast<float>(p < 0.5 ? 4 * p - 1 : 3 - 4 * p);
}

float SawWave(double phase, double dt) {
    double p = Frac(phase);
    return static_cast<float>(2 * p - 1 - PolyBlep(p, dt));
}

float PulseWave(double phase, double dt, float duty) {
    double p = Frac(phase);
    double v = p < duty ? 1.0 : -1.0;
    v += PolyBlep(p, dt);
    v -= PolyBlep(Frac(p - duty + 1.0), dt);
    // Centre the wave: a pulse of duty d has a mean of 2d - 1.
    return static_cast<float>(v - (2.0 * duty - 1.0));
}

float Osc::Next(float hz, int shape, float duty) {
    double dt = hz / kRate;
    float v = 0;
    switch (shape) {
        case 0: v = SineWave(phase); break;
        case 1: v = TriangleWave(phase); break;
        case 2: v = SawWave(phase, dt); break;
        default: v = PulseWave(phase, dt, duty); break;
    }
    phase += dt;
    if (phase > 1e6) phase -= std::floor(phase);
    return v;
}

float Adsr(float t, float length, float attack, float decay, float sustain, float release) {
    if (t < 0) return 0;
    float level;
    if (t < attack) level = t / attack;
    else if (t < attack + decay) level = 1 - (1 - sustain) * (t - attack) / decay;
    else level = sustain;
    if (t > length) {
        // Release from whatever level the note held at its end.
        float held = Adsr(length, length + 1, attack, decay, sustain, release);
        float r = 1 - (t - length) / release;
        return r > 0 ? held * r * r : 0;
    }
    return level;
}

float ExpDecay(float t, float halfLife) { return t < 0 ? 0 : std::pow(0.5f, t / halfLife); }

Biquad Biquad::LowPass(float hz, float q) {
    Biquad f;
    double w = kTau * hz / kRate, c = std::cos(w), a = std::sin(w) / (2 * q), a0 = 1 + a;
    f.b0 = static_cast<float>((1 - c) / 2 / a0);
    f.b1 = static_cast<float>((1 - c) / a0);
    f.b2 = f.b0;
    f.a1 = static_cast<float>(-2 * c / a0);
    f.a2 = static_cast<float>((1 - a) / a0);
    return f;
}

Biquad Biquad::HighPass(float hz, float q) {
    Biquad f;
    double w = kTau * hz / kRate, c = std::cos(w), a = std::sin(w) / (2 * q), a0 = 1 + a;
    f.b0 = static_cast<float>((1 + c) / 2 / a0);
    f.b1 = static_cast<float>(-(1 + c) / a0);
    f.b2 = f.b0;
    f.a1 = static_cast<float>(-2 * c / a0);
    f.a2 = static_cast<float>((1 - a) / a0);
    return f;
}

Biquad Biquad::BandPass(float hz, float q) {
    Biquad f;
    double w = kTau * hz / kRate, c = std::cos(w), a = std::sin(w) / (2 * q), a0 = 1 + a;
    f.b0 = static_cast<float>(a / a0);
    f.b1 = 0;
    f.b2 = static_cast<float>(-a / a0);
    f.a1 = static_cast<float>(-2 * c / a0);
    f.a2 = static_cast<float>((1 - a) / a0);
    return f;
}

float Biquad::Process(float x) {
    float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}

void MixInto(Buffer& dst, const Buffer& src, int at, float gain) {
    if (dst.size() < at + src.size()) dst.resize(at + src.size(), 0.0f);
    for (size_t i = 0; i < src.size(); ++i) dst[at + i] += src[i] * gain;
}

void FadeEdges(Buffer& b, float inSeconds, float outSeconds) {
    int n = static_cast<int>(b.size());
    int fi = std::min(n / 2, Samples(inSeconds)), fo = std::min(n / 2, Samples(outSeconds));
    for (int i = 0; i < fi; ++i) b[i] *= 0.5f - 0.5f * std::cos(static_cast<float>(kTau) * 0.5f * i / fi);
    for (int i = 0; i < fo; ++i) b[n - 1 - i] *= 0.5f - 0.5f * std::cos(static_cast<float>(kTau) * 0.5f * i / fo);
    if (n > 0) {
        b[0] = 0;
        b[n - 1] = 0;
    }
}

void Normalize(Buffer& b, float peak) {
    float m = 0;
    for (float v : b) m = std::max(m, std::fabs(v));
    if (m > 0)
        for (float& v : b) v *= peak / m;
}

void Echo(Buffer& b, float delaySeconds, float feedback, float mix) {
    int d = Samples(delaySeconds);
    size_t tail = static_cast<size_t>(d * std::log(0.001) / std::log(std::max(feedback, 0.01f)));
    b.resize(b.size() + tail, 0.0f);
    Buffer wet(b.size(), 0.0f);
    for (size_t i = d; i < b.size(); ++i) wet[i] = (b[i - d] + wet[i - d]) * feedback;
    for (size_t i = 0; i < b.size(); ++i) b[i] += wet[i] * mix;
}

void TrimTail(Buffer& b, float threshold) {
    size_t last = b.size();
    while (last > 0 && std::fabs(b[last - 1]) < threshold) --last;
    b.resize(std::min(b.size(), last + Samples(0.005f)));
}

void RemoveDc(Buffer& b) {
    Biquad hp = Biquad::HighPass(20.0f);
    for (float& v : b) v = hp.Process(v);
}

}  // namespace assetgen
