// tools/assetgen/sfx.cpp - the game's sound effects, sfx/NNN.wav.
//
// Each effect is a few synthesised voices; every one is finished the same
// way: DC removed, a 2 ms fade-in and a short fade-out (so it starts and
// ends at exactly zero, without a click), and normalised to a common peak
// so the effects sit at one level.
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "jobs.h"
#include "sounds.h"
#include "synth.h"
#include "writers.h"

namespace assetgen {

namespace {

// A voice with a pitch glide from hz0 to hz1 (exponential) and an envelope.
Buffer Tone(float seconds, float hz0, float hz1, int shape, const std::function<float(float)>& env, float duty = 0.5f,
            float vibratoHz = 0, float vibratoDepth = 0) {
    Buffer b(Samples(seconds));
    Osc o;
    for (size_t i = 0; i < b.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float hz = hz0 * std::pow(hz1 / hz0, t / seconds);
        if (vibratoDepth > 0) hz *= 1 + vibratoDepth * std::sin(2 * 3.14159265f * vibratoHz * t);
        b[i] = o.Next(hz, shape, duty) * env(t);
    }
    return b;
}

// A bell: a few inharmonic sine partials with their own decays.
Buffer Bell(float seconds, float hz, float decay) {
    Buffer b(Samples(seconds));
    const float ratios[4] = {1.0f, 2.0f, 3.01f, 4.2f};
    const float gains[4] = {1.0f, 0.45f, 0.22f, 0.12f};
    for (size_t i = 0; i < b.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float v = 0;
        for (int k = 0; k < 4; ++k) v += gains[k] * std::sin(2 * 3.14159265f * hz * ratios[k] * t) * ExpDecay(t, decay / (1 + k * 0.6f));
        b[i] = v * std::min(1.0f, t / 0.002f);
    }
    return b;
}

Buffer Noise(float seconds, uint64_t seed, Biquad filter, const std::function<float(float)>& env) {
    Buffer b(Samples(seconds));
    Rng rng(seed);
    for (size_t i = 0; i < b.size(); ++i) b[i] = filter.Process(rng.Range(-1, 1)) * env(static_cast<float>(i) / kRate);
    return b;
}

std::function<float(float)> Pluck(float attack, float halfLife) {
    return [=](float t) { return std::min(1.0f, t / attack) * ExpDecay(t - attack, halfLife); };
}

Buffer Finish(Buffer b, float peak, float fadeOut) {
    RemoveDc(b);
    Normalize(b, peak);
    TrimTail(b, 0.0008f);
    FadeEdges(b, 0.002f, fadeOut);
    Normalize(b, peak);
    return b;
}

Buffer Blip() {  // 1: neutral blip
    return Finish(Tone(0.08f, 880, 990, 1, Pluck(0.003f, 0.02f)), 0.6f, 0.02f);
}

Buffer BeaconTouched() {  // 2: a soft whoosh and two rising chimes
    Buffer b = Noise(0.25f, 2, Biquad::BandPass(1800, 1.2f), [](float t) { return std::sin(3.14159f * std::min(1.0f, t / 0.25f)) * 0.35f; });
    MixInto(b, Bell(0.5f, NoteHz(84), 0.12f), Samples(0.03f), 0.6f);
    MixInto(b, Bell(0.6f, NoteHz(91), 0.15f), Samples(0.12f), 0.6f);
    return Finish(b, 0.7f, 0.05f);
}

Buffer EnemyCaught() {  // 3: the wisp bursts: a falling zap and a puff
    Buffer b = Tone(0.3f, 1400, 160, 3, Pluck(0.002f, 0.07f), 0.25f);
    MixInto(b, Noise(0.22f, 3, Biquad::LowPass(3000), Pluck(0.001f, 0.04f)), 0, 0.6f);
    MixInto(b, Tone(0.25f, 2000, 900, 0, Pluck(0.002f, 0.04f)), Samples(0.04f), 0.3f);
    return Finish(b, 0.65f, 0.04f);
}

Buffer ChargeCollected() {  // 4: a quick electric arpeggio upward
    Buffer b;
    const float notes[3] = {76, 83, 88};
    for (int i = 0; i < 3; ++i) {
        float hz = NoteHz(notes[i]);
        MixInto(b, Tone(0.12f, hz, hz * 1.02f, 3, Pluck(0.002f, 0.035f), 0.3f), Samples(0.045f * i), 0.5f);
        MixInto(b, Tone(0.12f, hz * 2, hz * 2, 0, Pluck(0.002f, 0.03f)), Samples(0.045f * i), 0.25f);
    }
    return Finish(b, 0.6f, 0.03f);
}

Buffer BeaconRecharged() {  // 5: a warm rising sweep ending on a chord
    Buffer b = Tone(0.35f, 220, 660, 2, [](float t) { return std::min(1.0f, t / 0.05f) * (1 - t / 0.4f); });
    Biquad lp = Biquad::LowPass(2500);
    for (float& v : b) v = lp.Process(v) * 0.5f;
    for (float n : {72.0f, 76.0f, 79.0f}) MixInto(b, Bell(0.6f, NoteHz(n), 0.15f), Samples(0.3f), 0.35f);
    return Finish(b, 0.65f, 0.08f);
}

Buffer PrizeCollected() {  // 6: a jewel: two bright bells and a shimmer
    Buffer b = Bell(0.5f, NoteHz(83), 0.1f);
    MixInto(b, Bell(0.6f, NoteHz(88), 0.14f), Samples(0.07f), 0.9f);
    MixInto(b, Noise(0.4f, 6, Biquad::HighPass(6000), [](float t) { return ExpDecay(t, 0.08f) * 0.25f; }), Samples(0.07f));
    return Finish(b, 0.7f, 0.06f);
}

Buffer PrizeSpent() {  // 7: the lantern dims: two soft falling tones
    Buffer b = Tone(0.18f, NoteHz(76), NoteHz(75), 1, Pluck(0.005f, 0.06f));
    MixInto(b, Tone(0.3f, NoteHz(71), NoteHz(69), 1, Pluck(0.005f, 0.09f)), Samples(0.11f));
    return Finish(b, 0.5f, 0.05f);
}

Buffer Hurt() {  // 8: a thump and a buzz falling away (the game lowers its pitch as energy drops)
    Buffer b = Tone(0.28f, 320, 90, 3, Pluck(0.002f, 0.06f), 0.4f);
    MixInto(b, Tone(0.15f, 150, 50, 0, Pluck(0.001f, 0.04f)), 0, 0.9f);
    MixInto(b, Noise(0.08f, 8, Biquad::LowPass(1500), Pluck(0.001f, 0.015f)), 0, 0.5f);
    return Finish(b, 0.7f, 0.04f);
}

Buffer GameOver() {  // 9: a slow, sad descent with a low drone
    Buffer b;
    const float notes[4] = {69, 67, 64, 57};
    for (int i = 0; i < 4; ++i) {
        float len = i == 3 ? 1.2f : 0.35f;
        auto env = [len](float t) { return std::min(1.0f, t / 0.01f) * std::max(0.0f, 1 - t / len); };
        MixInto(b, Tone(len, NoteHz(notes[i]), NoteHz(notes[i]), 1, env, 0.5f, 5.5f, 0.006f), Samples(0.3f * i), 0.6f);
        MixInto(b, Tone(len, NoteHz(notes[i] - 12), NoteHz(notes[i] - 12), 3, env, 0.5f), Samples(0.3f * i), 0.12f);
    }
    Echo(b, 0.18f, 0.3f, 0.3f);
    return Finish(b, 0.7f, 0.2f);
}

Buffer Swish() {  // 95: a soft swish, for things sliding in
    Buffer b = Noise(0.3f, 95, Biquad::BandPass(1200, 0.8f), [](float t) { return std::sin(3.14159f * std::min(1.0f, t / 0.3f)); });
    return Finish(b, 0.45f, 0.03f);
}

Buffer Jingle() {  // 96: the start-up jingle: a lantern being lit
    Buffer b;
    const float notes[6] = {69, 72, 76, 81, 79, 81};
    const float at[6] = {0, 0.12f, 0.24f, 0.36f, 0.6f, 0.72f};
    for (int i = 0; i < 6; ++i) MixInto(b, Bell(1.2f, NoteHz(notes[i]), i >= 4 ? 0.3f : 0.16f), Samples(at[i]), 0.5f);
    // A soft chord underneath (A minor to F, then home).
    for (float n : {57.0f, 64.0f, 69.0f}) {
        auto env = [](float t) { return std::min(1.0f, t / 0.15f) * std::max(0.0f, 1 - t / 1.4f); };
        MixInto(b, Tone(1.4f, NoteHz(n), NoteHz(n), 1, env, 0.5f, 4.5f, 0.004f), 0, 0.12f);
    }
    Echo(b, 0.15f, 0.35f, 0.35f);
    return Finish(b, 0.7f, 0.3f);
}

Buffer Confirm() {  // 98: bright and sure, two notes up
    Buffer b = Tone(0.09f, NoteHz(79), NoteHz(79), 3, Pluck(0.002f, 0.04f), 0.5f);
    MixInto(b, Tone(0.2f, NoteHz(86), NoteHz(86), 3, Pluck(0.002f, 0.06f), 0.5f), Samples(0.07f));
    Biquad lp = Biquad::LowPass(5000);
    for (float& v : b) v = lp.Process(v);
    return Finish(b, 0.55f, 0.04f);
}

Buffer Click() {  // 99: a short wooden tick for moving the selection
    Buffer b = Tone(0.04f, 1800, 1200, 0, Pluck(0.0005f, 0.006f));
    MixInto(b, Noise(0.02f, 99, Biquad::BandPass(3500, 2), Pluck(0.0005f, 0.003f)), 0, 0.5f);
    return Finish(b, 0.5f, 0.008f);
}

}  // namespace

std::vector<SoundEffect> AllSoundEffects() {
    return {{1, Blip},   {2, BeaconTouched}, {3, EnemyCaught}, {4, ChargeCollected}, {5, BeaconRecharged},
            {6, PrizeCollected}, {7, PrizeSpent}, {8, Hurt}, {9, GameOver}, {95, Swish},
            {96, Jingle}, {98, Confirm}, {99, Click}};
}

std::string SoundEffectPath(int id) {
    char name[32];
    std::snprintf(name, sizeof name, "sfx/%03d.wav", id);
    return name;
}

std::vector<Job> SoundEffectJobs() {
    std::vector<Job> jobs;
    for (const SoundEffect& e : AllSoundEffects()) {
        Job j;
        j.name = SoundEffectPath(e.id);
        j.run = [e](const std::string& dir) { return WriteWav(dir + "/" + SoundEffectPath(e.id), e.make(), 1, kRate); };
        jobs.push_back(j);
    }
    return jobs;
}

std::string WebSoundPath(int id) {
    std::string path = SoundEffectPath(id);
    return path.substr(0, path.size() - 4) + ".ogg";
}

// The effects are short and bright (blips, chimes, noise bursts), and the
// web page downloads them over mobile networks. At quality 0.4 the set is
// about a sixth of the WAVs' bytes; the tonal effects decode within 20 to 34
// dB of their samples and every 10 ms keeps its loudness within about 1 dB.
// Lower qualities save little: 0.3 writes 8 % fewer bytes and loses about 3 dB
// on the chimes and the jingle.
//
// The tune goes to the page too, in fewer bytes than the desktop's (480 KB
// at quality 0 against 858 KB at 0.35): it is the biggest file the page
// fetches after the player's start, and its whole page must stay small.
bool WriteWebSounds(const std::string& dir) {
    bool ok = true;
    for (const SoundEffect& e : AllSoundEffects())
        ok = WriteOggVorbis(dir + "/" + WebSoundPath(e.id), e.make(), 1, kRate, kWebSoundQuality, "") && ok;
    return WriteOggVorbis(dir + "/sfx/Firstlight.ogg", ComposeFirstlight(), 2, kRate, kWebTuneQuality, "Firstlight") && ok;
}

}  // namespace assetgen
