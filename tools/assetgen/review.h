// tools/assetgen/review.h - tools for people checking the generated data.
#ifndef LANTERN_TOOLS_ASSETGEN_REVIEW_H
#define LANTERN_TOOLS_ASSETGEN_REVIEW_H

#include <string>

namespace assetgen {

// A contact sheet of every image (the "-hd" resolution, frames outlined and
// numbered) and a scene built from the game's tiles and sprites as the game
// places them. Not part of the data folder.
bool WriteReviewSheet(const std::string& path);

// Prints, for every sound of a data folder: length, peak and RMS level, the
// first and last sample values and the longest silence.
bool ReportSounds(const std::string& dataDir);

}  // namespace assetgen

#endif
