// tests/audio/sound_files.h - sound files written by the tests themselves.
//
// WAV files are assembled chunk by chunk so that a test can break exactly the
// part it is about; Ogg Vorbis files are encoded with libvorbis.
#ifndef LANTERN_TESTS_AUDIO_SOUND_FILES_H
#define LANTERN_TESTS_AUDIO_SOUND_FILES_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

std::string U16(unsigned value);
std::string U32(uint32_t value);

// A RIFF chunk: tag, size, body and, after an odd-sized body, the pad byte.
std::string Chunk(const std::string& tag, const std::string& body);
// The body of a fmt chunk; `extra` bytes follow the 16 standard ones.
std::string FmtBody(unsigned audioFormat, unsigned channels, uint32_t hertz, unsigned bits, int extra = 0);
// "RIFF", the size of what follows, "WAVE", then the chunks.
std::string Riff(const std::vector<std::string>& chunks);
// A plain PCM WAV file holding `samples` as its data chunk.
std::string PcmWav(unsigned channels, uint32_t hertz, unsigned bits, const std::string& samples);

// 16-bit little-endian samples of a sine wave, interleaved: every channel
// carries the same tone.
std::string SineSamples16(int frames, int channels, int hertz, double frequency, double amplitude);

// A complete Ogg Vorbis file of `frames` frames of a sine tone.
std::string EncodeOggSine(int frames, int channels, int hertz, double frequency);

// Recomputes the checksums of every Ogg page in place (for files a test has
// damaged on purpose behind the container's back).
void FixOggChecksums(std::string& ogg);
// Offsets of the Ogg pages in the file.
std::vector<size_t> OggPageOffsets(const std::string& ogg);

// A read-only stream over `bytes`, for the decoders that take an open file.
// The bytes must outlive the stream.
FILE* OpenBytes(const std::string& bytes);

// Statistics of decoded 16-bit samples.
double Rms16(const unsigned char* samples, long count);
// Sign changes along one channel of interleaved 16-bit samples.
int ZeroCrossings16(const unsigned char* samples, int frames, int channels, int channel);

#endif
