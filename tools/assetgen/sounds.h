// tools/assetgen/sounds.h - the sound files: effects and instrument samples.
#ifndef LANTERN_TOOLS_ASSETGEN_SOUNDS_H
#define LANTERN_TOOLS_ASSETGEN_SOUNDS_H

#include <string>
#include <vector>

#include "jobs.h"
#include "synth.h"

namespace assetgen {

struct SoundEffect {
    int id;              // sfx/NNN.wav
    Buffer (*make)();    // mono samples at kRate
};
std::vector<SoundEffect> AllSoundEffects();
std::string SoundEffectPath(int id);  // "sfx/001.wav"
std::vector<Job> SoundEffectJobs();

// The web page's copies of the effects: each sfx/NNN.wav as DIR/sfx/NNN.ogg,
// Ogg Vorbis of the same synthesised samples (mono, kRate, the same length)
// at kWebSoundQuality. False (with a message) when a file cannot be written.
bool WriteWebSounds(const std::string& dir);
std::string WebSoundPath(int id);  // "sfx/001.ogg"
// libvorbis' VBR scale (-0.1..1); see WriteWebSounds' notes in sfx.cpp.
constexpr float kWebSoundQuality = 0.4f;
constexpr float kWebTuneQuality = 0.0f;  // the tune's, for the page

// Instrument samples of the procedural music player.
struct InstrumentSample {
    std::string path;  // "inst/d1-1.wav", "inst/lead2.wav", ...
    bool looped;       // melodic samples loop seamlessly; drums are one-shots
    float baseHz;      // looped samples: the pitch at rate 1.0
    Buffer samples;    // mono, kRate
};
std::vector<InstrumentSample> AllInstruments();
// One drum of a kit (1..4): 1 kick, 2 snare, 3 closed hat, 4 open hat, 5 low
// tom, 6 high tom, 7 clap, 8 crash.
Buffer DrumHit(int kit, int drum);
std::vector<Job> InstrumentJobs();

// The background tune "Firstlight": interleaved stereo at kRate, exactly
// one loop long (its end runs on into its start).
Buffer ComposeFirstlight();
constexpr float kFirstlightSeconds = 64.0f;  // 32 bars of 4 beats at 120 a minute

}  // namespace assetgen

#endif
