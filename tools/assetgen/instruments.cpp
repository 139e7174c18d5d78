// tools/assetgen/instruments.cpp - the procedural music player's samples:
// four drum kits of eight one-shots (inst/dK-N.wav) and looping melodic
// voices (inst/leadN, inst/accompanyN, inst/bassN).
//
// A melodic sample is played looped at a rate chosen by the note, with rate
// 1.0 the tune's base note: C5 for leads, C4 for accompaniment, C2 for bass.
// To loop without a click, each is built by additive synthesis from
// partials that all complete a whole number of cycles in the sample's
// length; a second voice one cycle sharper over the whole sample gives a
// slow chorus that loops as well.
#include <cmath>
#include <string>

#include "sounds.h"
#include "writers.h"

namespace assetgen {

namespace {

constexpr float kLeadHz = 523.2511f;    // C5
constexpr float kAccompHz = 261.6256f;  // C4
constexpr float kBassHz = 65.40639f;    // C2
constexpr float kPiF = 3.14159265f;

// Harmonic h's amplitude for a timbre.
using Timbre = float (*)(int h, float hz);

float PulseQuarter(int h, float) { return std::fabs(std::sin(h * kPiF * 0.25f)) / h; }
float SoftSaw(int h, float hz) { return 1.0f / h / (1 + std::pow(h * hz / 2500.0f, 2.0f)); }
float Ocarina(int h, float) { return h == 1 ? 1.0f : (h == 2 ? 0.06f : (h == 3 ? 0.14f : 0.0f)); }
float Triangle(int h, float) { return (h % 2) ? 1.0f / (h * h) : 0.0f; }
float Organ(int h, float) { return h == 1 ? 1.0f : (h == 2 ? 0.5f : (h == 4 ? 0.28f : (h == 8 ? 0.12f : (h == 3 ? 0.1f : 0.0f)))); }
float SoftSquare(int h, float hz) { return (h % 2) ? 1.0f / h / (1 + std::pow(h * hz / 1800.0f, 2.0f)) : 0.0f; }
float RoundBass(int h, float) { return h == 1 ? 1.0f : (h == 2 ? 0.35f : (h == 3 ? 0.12f : 0.0f)); }
float DarkSaw(int h, float hz) { return 1.0f / h / (1 + std::pow(h * hz / 700.0f, 2.0f)); }
float DarkSquare(int h, float hz) { return (h % 2) ? 1.0f / h / (1 + std::pow(h * hz / 500.0f, 2.0f)) : 0.0f; }

// About one second of a looping tone at baseHz.
InstrumentSample Loop(const std::string& path, float baseHz, Timbre timbre, float chorus) {
    const int cycles = static_cast<int>(std::lround(baseHz));  // in about one second
    const int n = static_cast<int>(std::lround(cycles * static_cast<double>(kRate) / baseHz));
    Buffer b(n, 0.0f);
    for (int voice = 0; voice < (chorus > 0 ? 2 : 1); ++voice) {
        const int k = cycles + voice;  // the chorus voice gains one cycle per loop
        const float gain = voice == 0 ? 1.0f : chorus;
        for (int h = 1; h * baseHz < 9000.0f; ++h) {
            float a = timbre(h, baseHz) * gain;
            if (a == 0) continue;
            double w = 2.0 * 3.141592653589793 * h * k / n;
            for (int i = 0; i < n; ++i) b[i] += static_cast<float>(a * std::sin(w * i + 0.7 * voice * h));
        }
    }
    Normalize(b, 0.7f);
    return {path, true, static_cast<float>(static_cast<double>(cycles) * kRate / n), b};
}

// How one drum kit sounds.
struct Kit {
    float kickHz, kickEnd, kickDecay;  // pitch sweep and body (seconds)
    float snareHz, noiseLp;            // snare tone; noise brightness
    float hatDecay;
    bool chip;                         // sample-and-hold noise and square tones
    float tone;                        // overall low-pass (Hz)
};

float Noise1(Rng& rng, bool chip, int i, float& held) {
    if (!chip || i % 6 == 0) held = rng.Range(-1, 1);
    return held;
}

Buffer Drum(const Kit& k, int which, uint64_t seed) {
    Rng rng(seed);
    float held = 0;
    float len = which == 8 ? 1.2f : (which == 4 ? 0.5f : 0.4f);
    Buffer b(Samples(len));
    Osc osc;
    Biquad hp = Biquad::HighPass(which == 3 || which == 4 ? 7000.0f : 1200.0f);
    Biquad bp = Biquad::BandPass(which == 7 ? 1200.0f : 2500.0f, 0.9f);
    Biquad lp = Biquad::LowPass(k.noiseLp);
    int shape = k.chip ? 3 : 0;
    for (size_t i = 0; i < b.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float n = Noise1(rng, k.chip, static_cast<int>(i), held);
        float v = 0;
        switch (which) {
            case 1: {  // kick
                float hz = k.kickEnd + (k.kickHz - k.kickEnd) * ExpDecay(t, 0.025f);
                v = osc.Next(hz, shape) * ExpDecay(t, k.kickDecay) + 0.3f * n * ExpDecay(t, 0.003f);
                break;
            }
            case 2:  // snare: a tone and a burst of noise
                v = 0.55f * osc.Next(k.snareHz * (1 + 0.5f * ExpDecay(t, 0.01f)), shape) * ExpDecay(t, 0.04f) +
                    0.8f * lp.Process(n) * ExpDecay(t, 0.07f);
                break;
            case 3: v = hp.Process(n) * ExpDecay(t, k.hatDecay); break;          // closed hat
            case 4: v = hp.Process(n) * ExpDecay(t, k.hatDecay * 5); break;      // open hat
            case 5:                                                              // low tom
                v = osc.Next(110 * (1 + 0.4f * ExpDecay(t, 0.04f)), shape) * ExpDecay(t, 0.12f);
                break;
            case 6:  // high tom
                v = osc.Next(180 * (1 + 0.4f * ExpDecay(t, 0.04f)), shape) * ExpDecay(t, 0.1f);
                break;
            case 7: {  // clap: three quick bursts and a tail
                float e = 0;
                for (float s : {0.0f, 0.011f, 0.022f}) e = std::max(e, (t >= s ? ExpDecay(t - s, 0.006f) : 0.0f));
                e = std::max(e, t > 0.03f ? 0.6f * ExpDecay(t - 0.03f, 0.05f) : 0.0f);
                v = bp.Process(n) * e * 1.6f;
                break;
            }
            default:  // crash
                v = hp.Process(n) * ExpDecay(t, 0.35f) * 0.8f;
                break;
        }
        b[i] = v;
    }
    Biquad tone = Biquad::LowPass(k.tone);
    for (float& v : b) v = tone.Process(v);
    RemoveDc(b);
    Normalize(b, which == 1 ? 0.75f : (which == 3 ? 0.45f : 0.6f));
    TrimTail(b, 0.0008f);
    FadeEdges(b, 0.0005f, 0.02f);
    return b;
}

const Kit kKits[4] = {
    {150, 50, 0.12f, 190, 5000, 0.03f, false, 12000},  // natural
    {120, 45, 0.35f, 220, 8000, 0.025f, false, 14000}, // deep and long
    {200, 60, 0.1f, 240, 9000, 0.03f, true, 10000},    // chip
    {130, 55, 0.09f, 180, 2500, 0.02f, false, 5000},   // soft and muffled
};

}  // namespace

Buffer DrumHit(int kit, int drum) { return Drum(kKits[kit - 1], drum, static_cast<uint64_t>(kit * 100 + drum)); }

std::vector<InstrumentSample> AllInstruments() {
    std::vector<InstrumentSample> all;
    for (int kit = 1; kit <= 4; ++kit)
        for (int d = 1; d <= 8; ++d)
            all.push_back({"inst/d" + std::to_string(kit) + "-" + std::to_string(d) + ".wav", false, 0, DrumHit(kit, d)});
    all.push_back(Loop("inst/lead1.wav", kLeadHz, PulseQuarter, 0.5f));
    all.push_back(Loop("inst/lead2.wav", kLeadHz, SoftSaw, 0.6f));
    all.push_back(Loop("inst/lead3.wav", kLeadHz, Ocarina, 0.0f));
    all.push_back(Loop("inst/accompany1.wav", kAccompHz, Triangle, 0.7f));
    all.push_back(Loop("inst/accompany2.wav", kAccompHz, Organ, 0.3f));
    all.push_back(Loop("inst/accompany3.wav", kAccompHz, SoftSquare, 0.5f));
    all.push_back(Loop("inst/bass1.wav", kBassHz, RoundBass, 0));
    all.push_back(Loop("inst/bass2.wav", kBassHz, Triangle, 0));
    all.push_back(Loop("inst/bass3.wav", kBassHz, DarkSaw, 0));
    all.push_back(Loop("inst/bass4.wav", kBassHz, DarkSquare, 0));
    return all;
}

std::vector<Job> InstrumentJobs() {
    Job j;
    j.name = "inst";
    j.cost = 4;
    j.run = [](const std::string& dir) {
        for (const InstrumentSample& s : AllInstruments())
            if (!WriteWav(dir + "/" + s.path, s.samples, 1, kRate)) return false;
        return true;
    };
    return {j};
}

std::vector<Job> SoundJobs() {
    std::vector<Job> jobs = SoundEffectJobs();
    for (Job& j : InstrumentJobs()) jobs.push_back(std::move(j));
    return jobs;
}

}  // namespace assetgen
