// tools/assetgen/writers.h - file writers: PNG images, PCM WAV sounds and Ogg
// Vorbis music. Each creates the folders it needs and returns false (with a
// message on standard error) when the file cannot be written.
#ifndef LANTERN_TOOLS_ASSETGEN_WRITERS_H
#define LANTERN_TOOLS_ASSETGEN_WRITERS_H

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace assetgen {

bool WritePng(const std::string& path, const Canvas& canvas);
bool WritePngRgba(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

// Interleaved float samples (-1..1) written as 16-bit PCM.
bool WriteWav(const std::string& path, const std::vector<float>& samples, int channels, int hertz);

// Interleaved float samples of `channels` channels encoded as Ogg Vorbis at
// a quality of -0.1..1 (libvorbis' VBR scale). The stream holds exactly the
// given number of sample frames, so a looping player repeats it without a
// gap, and has a fixed serial number, so the same sound gives the same
// bytes. A non-empty `title` becomes the stream's TITLE comment.
bool WriteOggVorbis(const std::string& path, const std::vector<float>& samples, int channels, int hertz, float quality,
                    const std::string& title);
// The tune's form: stereo, titled "Firstlight".
bool WriteOggVorbis(const std::string& path, const std::vector<float>& stereo, int hertz, float quality);

// 16-bit conversion with rounding and clamping, as the WAV writer does it.
int16_t ToPcm16(float v);

// Makes the folders above `path`.
bool MakeParentDirs(const std::string& path);

}  // namespace assetgen

#endif
