// tools/assetgen/tune_format.h - note data of the procedural music player
// and its image format.
//
// A tune holds 64 patterns; each pattern has 8 tracks of 64 steps; each step
// of a track is a cell of 8 fields (note, volume, effect, parameter, four
// unused), every value 0..31. The file is a PNG of 64 frames of 64 x 64
// pixels, laid out as the game's image loader cuts frames (here an 8 x 8 grid
// of frames, 512 x 512 pixels): frame p is pattern p, pixel column 8t + k of
// row s holds field k of track t at step s, and the value is stored in the
// blue channel shifted left by 3. Every pixel is opaque.
#ifndef LANTERN_TOOLS_ASSETGEN_TUNE_FORMAT_H
#define LANTERN_TOOLS_ASSETGEN_TUNE_FORMAT_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

constexpr int kTunePatterns = 64, kTuneTracks = 8, kTuneSteps = 64, kTuneFields = 8;
constexpr int kTuneFrame = 64;          // frame size in pixels
constexpr int kTuneGridColumns = 8;     // frames per row of the image
constexpr int kTuneImageSize = kTuneFrame * kTuneGridColumns;  // 512

// Field numbers and effect codes the player understands.
enum TuneField { kNote = 0, kVolume = 1, kEffect = 2, kParam = 3 };
enum TuneEffect { kSlideUpFine = 1, kSlideDownFine = 2, kSlideUp = 3, kSlideDown = 4, kPatternBreak = 8, kBranch = 27 };

// Drum notes: the eight samples of a kit, 1..8.
constexpr int kDrumNotes[8] = {13, 15, 17, 18, 20, 22, 24, 25};

struct TuneData {
    std::vector<uint8_t> values = std::vector<uint8_t>(kTunePatterns * kTuneTracks * kTuneSteps * kTuneFields, 0);
    uint8_t& At(int pattern, int track, int step, int field) {
        return values[((pattern * kTuneTracks + track) * kTuneSteps + step) * kTuneFields + field];
    }
    uint8_t At(int pattern, int track, int step, int field) const {
        return values[((pattern * kTuneTracks + track) * kTuneSteps + step) * kTuneFields + field];
    }
};

// RGBA pixels of the tune image (kTuneImageSize square).
std::vector<uint8_t> TuneImagePixels(const TuneData& tune);
// The inverse, as the game reads the image: blue >> 3 of each pixel.
TuneData DecodeTuneImage(const uint8_t* rgba, int width, int height, int channels);

struct TuneFile {
    std::string name;  // "Hollow Ridge/Tune_12": written as tunes/<name>.png
    TuneData data;
};
std::vector<TuneFile> AllTunes();

}  // namespace assetgen

#endif
