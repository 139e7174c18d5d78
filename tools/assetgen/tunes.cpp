// tools/assetgen/tunes.cpp - the three tunes of the procedural music player.
//
// The player picks each track's pattern at random and independently, and
// transposes the melodic tracks by chord letters, so every pattern of a tune
// is written over one static harmony (C minor or C major pentatonic) and
// fits with every pattern of the other tracks. A step is 80 ms at the game's
// tempo; the tunes count 8 steps to a beat (about 94 beats a minute), 32 to a
// bar, 2 bars to a pattern.
//
// Drums are written as grids (one character a step); bass and accompaniment
// as digits into a short list of notes; lead melodies from rhythm grids with
// pitches chosen by a seeded walk over the scale that ends each phrase on a
// chord tone. A few slides, one pattern break and one conditional branch per
// tune use the player's effects.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rng.h"
#include "tune_format.h"

namespace assetgen {

namespace {

constexpr int kDrumA = 0, kDrumB = 1, kLead = 2, kAccomp = 3, kBass = 4;

// Eight 8-step beats joined into one 64-step pattern.
std::string Join(std::initializer_list<const char*> beats) {
    std::string s;
    for (const char* b : beats) s += b;
    if (s.size() != kTuneSteps) {
        std::fprintf(stderr, "assetgen: a tune pattern has %zu steps instead of 64: %s\n", s.size(), s.c_str());
        std::exit(1);
    }
    return s;
}

void SetCell(TuneData& t, int pattern, int track, int step, int note, int volume, int effect = 0, int param = 0) {
    t.At(pattern, track, step, kNote) = static_cast<uint8_t>(note);
    t.At(pattern, track, step, kVolume) = static_cast<uint8_t>(volume);
    t.At(pattern, track, step, kEffect) = static_cast<uint8_t>(effect);
    t.At(pattern, track, step, kParam) = static_cast<uint8_t>(param);
}

// k kick, s snare, h closed hat, o open hat, t low tom, T high tom, c clap,
// C crash. Beats are louder than off-beats.
void Drums(TuneData& t, int track, int pattern, const std::string& grid) {
    for (int s = 0; s < kTuneSteps; ++s) {
        int note = 0;
        switch (grid[s]) {
            case 'k': note = kDrumNotes[0]; break;
            case 's': note = kDrumNotes[1]; break;
            case 'h': note = kDrumNotes[2]; break;
            case 'o': note = kDrumNotes[3]; break;
            case 't': note = kDrumNotes[4]; break;
            case 'T': note = kDrumNotes[5]; break;
            case 'c': note = kDrumNotes[6]; break;
            case 'C': note = kDrumNotes[7]; break;
            default: continue;
        }
        int volume = (s % 8 == 0) ? 27 : (s % 4 == 0 ? 22 : 18);
        if (grid[s] == 'h') volume -= 6;
        SetCell(t, pattern, track, s, note, volume);
    }
}

// Digits index `notes`; each digit starts a note at that step.
void Line(TuneData& t, int track, int pattern, const std::string& grid, const std::vector<int>& notes, int volume) {
    for (int s = 0; s < kTuneSteps; ++s) {
        char c = grid[s];
        if (c < '0' || c > '9') continue;
        int accent = (s % 8 == 0) ? 3 : 0;
        SetCell(t, pattern, track, s, notes.at(c - '0'), volume + accent);
    }
}

// A melody on the rhythm `grid` ('x' starts a note): a walk over `scale`
// (note numbers, low to high) from `start`, landing on a chord tone at the
// last note of every 16 steps.
void Melody(TuneData& t, int pattern, const std::string& grid, const std::vector<int>& scale, const std::vector<int>& chordTones,
            int start, uint64_t seed) {
    Rng rng(seed);
    int i = start;
    static const int moves[7] = {-2, -1, -1, 0, 1, 1, 2};
    for (int s = 0; s < kTuneSteps; ++s) {
        if (grid[s] != 'x') continue;
        i = std::max(0, std::min(static_cast<int>(scale.size()) - 1, i + moves[rng.Int(0, 6)]));
        bool phraseEnd = true;
        for (int k = s + 1; k < (s / 16 + 1) * 16; ++k)
            if (grid[k] == 'x') phraseEnd = false;
        if (phraseEnd) {
            int best = -1;  // the nearest chord tone
            for (int k = 0; k < static_cast<int>(scale.size()); ++k)
                for (int tone : chordTones)
                    if (scale[k] == tone && (best < 0 || std::abs(k - i) < std::abs(best - i))) best = k;
            if (best >= 0) i = best;
        }
        int volume = (s % 8 == 0) ? 24 : 20;
        SetCell(t, pattern, kLead, s, scale[i], volume);
    }
}

// A fall in pitch over the steps after `from` (fine slide down).
void Fall(TuneData& t, int track, int pattern, int from, int steps, int amount) {
    for (int s = from; s < from + steps && s < kTuneSteps; ++s) {
        t.At(pattern, track, s, kEffect) = kSlideDownFine;
        t.At(pattern, track, s, kParam) = static_cast<uint8_t>(amount);
    }
}

void Rise(TuneData& t, int track, int pattern, int from, int steps, int amount) {
    for (int s = from; s < from + steps && s < kTuneSteps; ++s) {
        t.At(pattern, track, s, kEffect) = kSlideUpFine;
        t.At(pattern, track, s, kParam) = static_cast<uint8_t>(amount);
    }
}

// C minor pentatonic, and C major pentatonic, in the player's note numbers
// (13 = the sample's own pitch).
const std::vector<int> kMinorLead = {8, 11, 13, 16, 18, 20, 23, 25, 28};
const std::vector<int> kMinorChord = {13, 20, 25, 8};
const std::vector<int> kMajorLead = {8, 10, 13, 15, 17, 20, 22, 25, 27};
const std::vector<int> kMajorChord = {13, 17, 20, 25};

TuneData HollowRidge() {
    TuneData t;
    Drums(t, kDrumA, 0, Join({"k.......", "........", "s.......", "........", "k.......", "..k.....", "s.......", "........"}));
    Drums(t, kDrumA, 1, Join({"k.......", "....k...", "s.......", "........", "k.......", "..k.....", "s.......", "..s...s."}));
    Drums(t, kDrumA, 2, Join({"k.......", "........", "s.......", "....k...", "..k.....", "k.......", "s.......", "s...s..."}));
    Drums(t, kDrumB, 0, Join({"h...h...", "h...h...", "h...h...", "h...h...", "h...h...", "h...h...", "h...h...", "h...o..."}));
    Drums(t, kDrumB, 1, Join({"h.h.h.h.", "h.h.h.h.", "h.h.h.h.", "h.h.o...", "h.h.h.h.", "h.h.h.h.", "h.h.h.h.", "t...T..."}));
    Drums(t, kDrumB, 2, Join({"C.......", "h...h...", "h...h...", "h...h...", "h...h...", "h...h...", "c.......", "c...c..."}));
    // With an odd number of patterns left before the next variation, the
    // hats turn from pattern 0 to pattern 1 for the last step.
    t.At(0, kDrumB, 63, kEffect) = kBranch;
    t.At(0, kDrumB, 63, kParam) = 1;

    Melody(t, 0, Join({"x.......", "x...x...", "x.......", "x.......", "x...x...", "x...x...", "x.......", "........"}), kMinorLead, kMinorChord, 4, 11);
    Melody(t, 1, Join({"x...x...", "....x...", "x...x...", "x.......", "x.......", "x...x.x.", "x.......", "........"}), kMinorLead, kMinorChord, 5, 12);
    Melody(t, 2, Join({"........", "x...x...", "x...x...", "x...x...", "x.......", "x.......", "x.......", "........"}), kMinorLead, kMinorChord, 6, 13);
    Melody(t, 3, Join({"x.x.x...", "x.x.x...", "x...x...", "x...x...", "x.......", "x.......", "........", "........"}), kMinorLead, kMinorChord, 3, 14);
    Fall(t, kLead, 1, 57, 5, 3);
    Fall(t, kLead, 2, 49, 6, 2);
    // Pattern 3 stops after three quarters: every track moves on early.
    t.At(3, kLead, 47, kEffect) = kPatternBreak;

    const std::vector<int> arp = {13, 16, 20, 25};
    Line(t, kAccomp, 0, Join({"0...1...", "2...1...", "0...1...", "2...3...", "0...1...", "2...1...", "0...2...", "3...2..."}), arp, 15);
    Line(t, kAccomp, 1, Join({"0.1.2.1.", "0.1.2.3.", "2.1.0.1.", "2.1.0...", "0.1.2.1.", "0.1.2.3.", "2.1.0.1.", "2.1.0..."}), arp, 13);
    Line(t, kAccomp, 2, Join({"3.......", "2.......", "1.......", "0.......", "2.......", "1.......", "0.......", "........"}), arp, 16);

    const std::vector<int> bass = {13, 16, 18, 20, 23, 25, 8, 11};
    Line(t, kBass, 0, Join({"0.......", "0...5...", "0.......", "3.......", "0.......", "0...5...", "4.......", "3......."}), bass, 22);
    Line(t, kBass, 1, Join({"0...0...", "5...0...", "3...3...", "4...3...", "0...0...", "5...0...", "7...7...", "6......."}), bass, 22);
    Line(t, kBass, 2, Join({"0.......", "........", "3.......", "........", "2.......", "........", "3.......", "6......."}), bass, 24);
    Rise(t, kBass, 2, 57, 4, 4);
    return t;
}

TuneData CavernDigger() {
    TuneData t;
    Drums(t, kDrumA, 0, Join({"k...s...", "k.k.s...", "k...s...", "k.k.s...", "k...s...", "k.k.s...", "k...s...", "k.k.s.s."}));
    Drums(t, kDrumA, 1, Join({"k.......", "s.......", "k.k.....", "s.......", "k.......", "s.......", "k.k.....", "s...s.s."}));
    Drums(t, kDrumA, 2, Join({"k...s...", "k...s...", "k...s...", "k...s...", "k...s...", "k...s...", "t.t.T.T.", "s.s.s.s."}));
    Drums(t, kDrumA, 3, Join({"C...s...", "k.k.s...", "k...s...", "k.k.s..k", "k...s...", "k.k.s...", "k...s...", "k.k.s.s."}));
    Drums(t, kDrumB, 0, Join({"h.h.h.h.", "h.h.h.h.", "h.h.h.h.", "h.h.h.h.", "h.h.h.h.", "h.h.h.h.", "h.h.h.h.", "h.h.o.h."}));
    Drums(t, kDrumB, 1, Join({"hhh.hhh.", "hhh.hhh.", "hhh.hhh.", "hhh.o...", "hhh.hhh.", "hhh.hhh.", "hhh.hhh.", "c...c.c."}));
    Drums(t, kDrumB, 2, Join({"o.......", "o.......", "o.......", "o.......", "o.......", "o.......", "o...c...", "c.c.c.c."}));
    t.At(1, kDrumB, 63, kEffect) = kBranch;
    t.At(1, kDrumB, 63, kParam) = 2;  // with an even count left, back to pattern 0's last step

    Melody(t, 0, Join({"x.x.x.x.", "x...x...", "x.x.x.x.", "x.......", "x.x.x.x.", "x...x...", "x.x.x...", "x......."}), kMinorLead, kMinorChord, 4, 21);
    Melody(t, 1, Join({"x.......", "x.x.x...", "x.......", "x.x.x...", "x...x...", "x...x...", "x.x.x.x.", "x......."}), kMinorLead, kMinorChord, 5, 22);
    Melody(t, 2, Join({"x...x...", "x...x...", "x.x.x.x.", "x.......", "x...x...", "x...x...", "x.x.x.x.", "x......."}), kMinorLead, kMinorChord, 3, 23);
    Fall(t, kLead, 0, 57, 5, 4);
    t.At(2, kLead, 31, kEffect) = kPatternBreak;  // a half-length pattern

    const std::vector<int> arp = {13, 16, 20, 23, 25};
    Line(t, kAccomp, 0, Join({"0.2.4.2.", "0.2.4.2.", "0.2.4.2.", "1.3.4.3.", "0.2.4.2.", "0.2.4.2.", "0.2.4.2.", "3.2.1.0."}), arp, 13);
    Line(t, kAccomp, 1, Join({"4...4...", "3...3...", "2...2...", "1...1...", "4...4...", "3...3...", "2...2...", "0...0..."}), arp, 14);
    Line(t, kAccomp, 2, Join({"0.......", "........", "........", "........", "1.......", "........", "2.......", "........"}), arp, 16);

    const std::vector<int> bass = {13, 16, 18, 20, 23, 25, 8, 11};
    Line(t, kBass, 0, Join({"0.0.5.0.", "0.0.5.0.", "0.0.5.0.", "3.3.4.3.", "0.0.5.0.", "0.0.5.0.", "7.7.6.6.", "0.0.5.0."}), bass, 22);
    Line(t, kBass, 1, Join({"0...0...", "0...0.0.", "2...2...", "2...2.2.", "3...3...", "3...3.3.", "4...3...", "2...1..."}), bass, 22);
    Line(t, kBass, 2, Join({"0.......", "0.0.....", "5.......", "0.......", "6.......", "6.6.....", "7.......", "6......."}), bass, 24);
    Rise(t, kBass, 1, 60, 3, 6);
    return t;
}

TuneData HopperEsque() {
    TuneData t;
    Drums(t, kDrumA, 0, Join({"k.....k.", "s.......", "..k.k...", "s.......", "k.....k.", "s.......", "..k.k...", "s...s..."}));
    Drums(t, kDrumA, 1, Join({"k.......", "s.....k.", "k.......", "s.......", "k.......", "s.....k.", "k...k...", "s.s.s.s."}));
    Drums(t, kDrumA, 2, Join({"k.....k.", "c.......", "..k.k...", "c.......", "k.....k.", "c.......", "..k.k...", "c...T.t."}));
    Drums(t, kDrumB, 0, Join({"..h...h.", "..h...h.", "..h...h.", "..h...o.", "..h...h.", "..h...h.", "..h...h.", "..o...o."}));
    Drums(t, kDrumB, 1, Join({"h.hh..h.", "h.hh..h.", "h.hh..h.", "h.hh..o.", "h.hh..h.", "h.hh..h.", "h.hh..h.", "C......."}));
    Drums(t, kDrumB, 2, Join({"T...t...", "........", "T...t...", "........", "T...t...", "........", "T.T.t.t.", "c...c..."}));
    t.At(0, kDrumA, 63, kEffect) = kBranch;
    t.At(0, kDrumA, 63, kParam) = 1;

    Melody(t, 0, Join({"x..x..x.", "x.......", "x..x..x.", "x.......", "x..x..x.", "x...x...", "x.x.x...", "........"}), kMajorLead, kMajorChord, 4, 31);
    Melody(t, 1, Join({"x...x..x", "..x.....", "x...x..x", "..x.....", "x...x...", "x...x...", "x.......", "........"}), kMajorLead, kMajorChord, 5, 32);
    Melody(t, 2, Join({"x.x.x.x.", "x.......", "x.x.x.x.", "x.......", "x..x..x.", "x..x..x.", "x.......", "........"}), kMajorLead, kMajorChord, 6, 33);
    Melody(t, 3, Join({"........", "x..x..x.", "x.......", "x..x..x.", "x.......", "x.x.x.x.", "x.......", "........"}), kMajorLead, kMajorChord, 4, 34);
    Rise(t, kLead, 2, 50, 3, 5);
    Fall(t, kLead, 3, 52, 6, 3);
    t.At(1, kLead, 47, kEffect) = kPatternBreak;

    const std::vector<int> arp = {13, 17, 20, 22, 25};
    Line(t, kAccomp, 0, Join({"..0...2.", "..0...2.", "..1...3.", "..1...3.", "..0...2.", "..0...2.", "..1...3.", "..4...2."}), arp, 14);
    Line(t, kAccomp, 1, Join({"0.1.2.4.", "2.1.0...", "0.1.2.4.", "2.1.0...", "1.2.3.4.", "3.2.1...", "0.1.2.4.", "2.1.0..."}), arp, 12);
    Line(t, kAccomp, 2, Join({"4.......", "........", "3.......", "........", "2.......", "........", "1.......", "0......."}), arp, 15);

    const std::vector<int> bass = {13, 15, 17, 20, 22, 25, 8, 10};
    Line(t, kBass, 0, Join({"0.....0.", "..3.....", "0.....0.", "..3.....", "4.....4.", "..3.....", "0.....0.", "..6....."}), bass, 22);
    Line(t, kBass, 1, Join({"0...5...", "0...5...", "4...3...", "2...1...", "0...5...", "0...5...", "6...7...", "0...6..."}), bass, 22);
    Line(t, kBass, 2, Join({"0.0.0.0.", "3.3.3.3.", "4.4.4.4.", "3.3.3.3.", "0.0.0.0.", "3.3.3.3.", "6.6.7.7.", "0.0.0.0."}), bass, 20);
    return t;
}

}  // namespace

std::vector<TuneFile> AllTunes() {
    return {{"Hollow Ridge/Tune_12", HollowRidge()}, {"Retro/Cavern Digger", CavernDigger()}, {"Retro/HopperEsque", HopperEsque()}};
}

}  // namespace assetgen
