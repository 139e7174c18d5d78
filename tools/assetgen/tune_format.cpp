// tools/assetgen/tune_format.cpp - tune data to pixels and back.
#include "tune_format.h"

namespace assetgen {

std::vector<uint8_t> TuneImagePixels(const TuneData& tune) {
    std::vector<uint8_t> px(kTuneImageSize * kTuneImageSize * 4, 0);
    for (int p = 0; p < kTunePatterns; ++p) {
        int fx = (p % kTuneGridColumns) * kTuneFrame, fy = (p / kTuneGridColumns) * kTuneFrame;
        for (int t = 0; t < kTuneTracks; ++t)
            for (int s = 0; s < kTuneSteps; ++s)
                for (int k = 0; k < kTuneFields; ++k) {
                    uint8_t* q = &px[((fy + s) * kTuneImageSize + fx + t * kTuneFields + k) * 4];
                    uint8_t v = tune.At(p, t, s, k) & 31;
                    q[2] = static_cast<uint8_t>(v << 3);
                    q[3] = 255;
                }
    }
    return px;
}

TuneData DecodeTuneImage(const uint8_t* rgba, int width, int height, int channels) {
    TuneData tune;
    // Frames are cut left to right, wrapping to a new row at the image's
    // right edge, as the game's loader does.
    int fx = 0, fy = 0;
    for (int p = 0; p < kTunePatterns; ++p) {
        if (fx + kTuneFrame > width) {
            fx = 0;
            fy += kTuneFrame;
        }
        if (fy + kTuneFrame > height) break;
        for (int t = 0; t < kTuneTracks; ++t)
            for (int s = 0; s < kTuneSteps; ++s)
                for (int k = 0; k < kTuneFields; ++k) {
                    const uint8_t* q = &rgba[((fy + s) * width + fx + t * kTuneFields + k) * channels];
                    tune.At(p, t, s, k) = static_cast<uint8_t>((channels >= 3 ? q[2] : q[0]) >> 3);
                }
        fx += kTuneFrame;
    }
    return tune;
}

}  // namespace assetgen
