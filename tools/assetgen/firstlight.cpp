// tools/assetgen/firstlight.cpp - "Firstlight", the background tune: 32 bars
// in A minor at 120 beats a minute (64 seconds), with drums, bass, a pad,
// arpeggios, a lead melody and a counter-melody.
//
// The tune loops: it is rendered one loop long plus a tail, and the tail
// (ringing notes, echoes) is folded back onto the start, so the end of the
// file runs on into its beginning exactly as it would if the music went on.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "geom.h"
#include "sounds.h"

namespace assetgen {

namespace {

constexpr int kBars = 32;
constexpr int kStepsPerBar = 16;                            // sixteenth notes
constexpr double kStepSamples = kRate * 60.0 / 120.0 / 4;   // 5512.5
constexpr int kLoopSamples = static_cast<int>(kBars * kStepsPerBar * kStepSamples);
constexpr float kTailSeconds = 4;

int StepAt(double step) { return static_cast<int>(std::lround(step * kStepSamples)); }
float StepSeconds(float steps) { return static_cast<float>(steps * kStepSamples / kRate); }

// "A4", "C#5", "Bb3" to a MIDI note number.
int ParsePitch(const std::string& s) {
    static const int base[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int n = base[s[0] - 'A'];
    size_t i = 1;
    if (s[i] == '#') ++n, ++i;
    else if (s[i] == 'b') --n, ++i;
    return n + 12 * (std::atoi(s.c_str() + i) + 1);
}

struct Note {
    double step;     // start, in sixteenths from the start of the tune
    float length;    // sixteenths
    int pitch;       // MIDI, or -1 for a rest
};

// A melody line: "E5:4 A5:4 r:2 ..." (pitch:sixteenths), from bar `bar`.
std::vector<Note> ParseLine(int bar, const std::string& text) {
    std::vector<Note> out;
    std::istringstream in(text);
    std::string tok;
    double step = bar * kStepsPerBar;
    while (in >> tok) {
        size_t colon = tok.find(':');
        float len = std::stof(tok.substr(colon + 1));
        std::string p = tok.substr(0, colon);
        if (p != "r") out.push_back({step, len, ParsePitch(p)});
        step += len;
    }
    return out;
}

struct Bus {
    Buffer l, r;
    Bus() : l(kLoopSamples + Samples(kTailSeconds), 0.0f), r(kLoopSamples + Samples(kTailSeconds), 0.0f) {}
    void Add(const Buffer& mono, int at, float gain, float pan) {
        float gl = std::cos((pan + 1) * 0.25f * 3.14159265f) * gain, gr = std::sin((pan + 1) * 0.25f * 3.14159265f) * gain;
        for (size_t i = 0; i < mono.size() && at + i < l.size(); ++i) {
            l[at + i] += mono[i] * gl;
            r[at + i] += mono[i] * gr;
        }
    }
};

// ---- voices -----------------------------------------------------------------

Buffer LeadNote(float hz, float seconds) {
    Buffer b(Samples(seconds + 0.2f));
    Osc a, c;
    Biquad lp = Biquad::LowPass(3200);
    for (size_t i = 0; i < b.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float vib = 1 + 0.005f * std::sin(2 * 3.14159265f * 5.2f * t) * SmoothStep(0.15f, 0.4f, t);
        float v = 0.6f * a.Next(hz * vib, 3, 0.3f) + 0.4f * c.Next(hz * vib * 1.003f, 2);
        b[i] = lp.Process(v) * Adsr(t, seconds, 0.008f, 0.12f, 0.65f, 0.18f);
    }
    return b;
}

Buffer SoftLeadNote(float hz, float seconds) {
    Buffer b(Samples(seconds + 0.3f));
    Osc a, c;
    for (size_t i = 0; i < b.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float vib = 1 + 0.004f * std::sin(2 * 3.14159265f * 4.6f * t) * SmoothStep(0.2f, 0.5f, t);
        b[i] = (0.8f * a.Next(hz * vib, 1) + 0.2f * c.Next(hz * 2 * vib, 0)) * Adsr(t, seconds, 0.04f, 0.2f, 0.7f, 0.25f);
    }
    return b;
}

Buffer PadNote(float hz, float seconds) {
    Buffer b(Samples(seconds + 0.7f));
    Osc o[3];
    const float detune[3] = {1.0f, 1.0041f, 0.9959f};
    Biquad lp = Biquad::LowPass(1300, 0.6f);
    for (size_t i = 0; i < b.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float v = 0;
        for (int k = 0; k < 3; ++k) v += o[k].Next(hz * detune[k], 2);
        b[i] = lp.Process(v / 3) * Adsr(t, seconds, 0.35f, 0.3f, 0.8f, 0.6f);
    }
    return b;
}

Buffer ArpNote(float hz) {
    Buffer b(Samples(0.45f));
    Osc a, c;
    for (size_t i = 0; i < b.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        b[i] = (0.7f * a.Next(hz, 1) + 0.3f * c.Next(hz * 2, 0)) * std::min(1.0f, t / 0.003f) * ExpDecay(t, 0.07f);
    }
    return b;
}

Buffer BassNote(float hz, float seconds) {
    Buffer b(Samples(seconds + 0.08f));
    Osc a, c;
    Biquad lp = Biquad::LowPass(700);
    for (size_t i = 0; i < b.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float v = 0.75f * a.Next(hz, 0) + 0.35f * c.Next(hz, 2);
        b[i] = lp.Process(v) * Adsr(t, seconds, 0.004f, 0.15f, 0.7f, 0.06f);
    }
    return b;
}

// ---- the score ----------------------------------------------------------------

// One chord a bar: a name for the bass root and the pad's three notes.
struct Chord {
    int root;          // bass note (MIDI)
    int pad[3];        // voicing around middle C
};
const Chord kAm{45, {57, 60, 64}}, kF{41, {57, 60, 65}}, kC{48, {55, 60, 64}}, kG{43, {55, 59, 62}},
    kE{40, {56, 59, 64}}, kEm{40, {55, 59, 64}}, kDm{38, {57, 62, 65}};

const Chord* ChordOfBar(int bar) {
    static const Chord* const a[8] = {&kAm, &kF, &kC, &kG, &kAm, &kF, &kG, &kE};
    static const Chord* const c[8] = {&kF, &kG, &kEm, &kAm, &kDm, &kG, &kC, &kE};
    static const Chord* const d[8] = {&kAm, &kF, &kC, &kG, &kF, &kG, &kE, &kE};
    int section = bar / 8, i = bar % 8;
    if (section == 2) return c[i];
    if (section == 3) return d[i];
    return a[i];
}

std::vector<Note> Melody() {
    std::vector<Note> all;
    const char* verse[8] = {
        "E5:4 A5:4 G5:2 E5:2 C5:4", "D5:2 C5:2 A4:4 C5:4 F5:4", "E5:6 D5:2 C5:4 G4:4", "B4:4 D5:4 G5:6 r:2",
        "A5:4 G5:2 E5:2 A5:4 C6:4", "B5:2 A5:2 F5:4 A5:4 C6:4", "D6:4 B5:4 G5:4 D5:4", "E5:4 G#5:4 B5:4 E6:4"};
    const char* reprise[8] = {
        "A5:6 G5:2 E5:4 D5:4", "C5:4 A4:4 C5:4 F5:4", "G5:6 E5:2 C5:4 E5:4", "D5:8 B4:4 G4:4",
        "A4:4 C5:4 F5:4 A5:4", "G5:4 B5:4 D6:4 B5:4", "G#5:8 E5:4 B4:4", "E5:12 r:4"};
    for (int i = 0; i < 8; ++i) {
        for (const Note& n : ParseLine(8 + i, verse[i])) all.push_back(n);
        for (const Note& n : ParseLine(24 + i, reprise[i])) all.push_back(n);
    }
    return all;
}

std::vector<Note> CounterMelody() {
    std::vector<Note> all;
    const char* bridge[8] = {"A4:8 C5:8", "B4:8 D5:8", "G4:8 B4:8", "A4:8 E5:8",
                             "F5:8 D5:8", "B4:8 G4:8", "E5:8 C5:8", "B4:8 G#4:8"};
    for (int i = 0; i < 8; ++i)
        for (const Note& n : ParseLine(16 + i, bridge[i])) all.push_back(n);
    return all;
}

void AddDrums(Bus& drums) {
    const Buffer kick = DrumHit(1, 1), snare = DrumHit(1, 2), hat = DrumHit(1, 3), open = DrumHit(1, 4), crash = DrumHit(2, 8);
    for (int bar = 0; bar < kBars; ++bar) {
        double s0 = bar * kStepsPerBar;
        bool full = bar >= 8, withSnare = bar >= 4;
        bool fill = (bar % 8 == 7);
        if (bar % 8 == 0) drums.Add(crash, StepAt(s0), 0.45f, 0.2f);
        for (int s = 0; s < kStepsPerBar; ++s) {
            int at = StepAt(s0 + s);
            if (s == 0 || s == 8 || (full && s == 10)) drums.Add(kick, at, 1.0f, 0);
            if (withSnare && (s == 4 || s == 12)) drums.Add(snare, at, 0.75f, -0.05f);
            if (fill && withSnare && s >= 13) drums.Add(snare, at, 0.45f + 0.1f * (s - 13), 0.1f);
            if (s % 2 == 0) {
                bool openHat = (s == 14 && bar % 2 == 1);
                drums.Add(openHat ? open : hat, at, (s % 4 == 0 ? 0.38f : 0.28f) * (full ? 1.0f : 0.8f), 0.3f);
            } else if (full && bar >= 16) {
                drums.Add(hat, at, 0.14f, 0.35f);
            }
        }
    }
}

void AddHarmony(Bus& bass, Bus& pad, Bus& arp) {
    static const int bassSteps[5] = {0, 6, 8, 12, 14};
    static const int bassOffsets[5] = {0, 12, 0, 7, 12};
    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& ch = *ChordOfBar(bar);
        double s0 = bar * kStepsPerBar;
        for (int i = 0; i < 5; ++i) {
            float len = (i == 4) ? 2 : (i + 1 < 5 ? bassSteps[i + 1] - bassSteps[i] : 2);
            bass.Add(BassNote(NoteHz(static_cast<float>(ch.root + bassOffsets[i])), StepSeconds(len * 0.9f)),
                     StepAt(s0 + bassSteps[i]), i == 0 ? 1.0f : 0.8f, 0);
        }
        if (bar >= 4) {
            const float pans[3] = {-0.5f, 0.0f, 0.5f};
            for (int k = 0; k < 3; ++k)
                pad.Add(PadNote(NoteHz(static_cast<float>(ch.pad[k])), StepSeconds(kStepsPerBar - 0.5f)), StepAt(s0), 1.0f, pans[k]);
        }
        // Arpeggios in the intro and the bridge, quieter under the melody.
        bool quiet = (bar >= 8 && bar < 16) || bar >= 24;
        static const int order[4] = {0, 1, 2, 1};
        for (int s = 0; s < kStepsPerBar; ++s) {
            int pitch = ch.pad[order[s % 4]] + 12 + (s >= 8 && s % 4 == 2 ? 12 : 0);
            arp.Add(ArpNote(NoteHz(static_cast<float>(pitch))), StepAt(s0 + s), quiet ? 0.45f : 1.0f, (s % 2) ? 0.45f : -0.45f);
        }
    }
}

// Ping-pong echo over a bus: left repeats to the right and back.
void PingPong(Bus& b, float delaySeconds, float feedback, float mix) {
    int d = Samples(delaySeconds);
    Buffer wl(b.l.size(), 0.0f), wr(b.r.size(), 0.0f);
    for (size_t i = d; i < b.l.size(); ++i) {
        wl[i] = (b.r[i - d] + wr[i - d]) * feedback;
        wr[i] = (b.l[i - d] + wl[i - d]) * feedback;
    }
    for (size_t i = 0; i < b.l.size(); ++i) {
        b.l[i] += wl[i] * mix;
        b.r[i] += wr[i] * mix;
    }
}

}  // namespace

Buffer ComposeFirstlight() {
    Bus drums, bass, pad, arp, lead;
    AddDrums(drums);
    AddHarmony(bass, pad, arp);
    for (const Note& n : Melody()) lead.Add(LeadNote(NoteHz(static_cast<float>(n.pitch)), StepSeconds(n.length * 0.92f)), StepAt(n.step), 1.0f, 0.15f);
    for (const Note& n : CounterMelody())
        lead.Add(SoftLeadNote(NoteHz(static_cast<float>(n.pitch)), StepSeconds(n.length * 0.95f)), StepAt(n.step), 0.9f, -0.15f);
    PingPong(lead, static_cast<float>(3 * kStepSamples / kRate), 0.35f, 0.35f);
    PingPong(arp, static_cast<float>(3 * kStepSamples / kRate), 0.3f, 0.3f);

    const struct { Bus* bus; float gain; } mix[5] = {{&drums, 0.5f}, {&bass, 0.42f}, {&pad, 0.2f}, {&arp, 0.13f}, {&lead, 0.3f}};
    size_t total = drums.l.size();
    Buffer l(total, 0.0f), r(total, 0.0f);
    for (const auto& m : mix)
        for (size_t i = 0; i < total; ++i) {
            l[i] += m.bus->l[i] * m.gain;
            r[i] += m.bus->r[i] * m.gain;
        }
    // Fold the tail onto the start: the loop's end rings on into its start.
    for (size_t i = kLoopSamples; i < total; ++i) {
        l[i - kLoopSamples] += l[i];
        r[i - kLoopSamples] += r[i];
    }
    // The bass and drums carry no DC, but remove any anyway with a filter
    // run twice round the loop, so its state is settled at the seam.
    Buffer out(static_cast<size_t>(kLoopSamples) * 2);
    float peak = 0;
    for (int i = 0; i < kLoopSamples; ++i) {
        // A gentle saturation keeps occasional peaks round.
        out[i * 2] = std::tanh(l[i] * 1.1f);
        out[i * 2 + 1] = std::tanh(r[i] * 1.1f);
        peak = std::max({peak, std::fabs(out[i * 2]), std::fabs(out[i * 2 + 1])});
    }
    for (float& v : out) v *= 0.8f / peak;
    return out;
}

}  // namespace assetgen
