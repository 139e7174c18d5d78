// audio/decode.h - decoding whole sound files into PCM sample blocks.
//
// Two formats: uncompressed PCM WAV (our own RIFF chunk reader) and Ogg
// Vorbis (libvorbisfile). The host's BBGlfwGame::LoadAudioData picks one by the
// path's extension (".wav" or ".ogg", any case), opens the file through
// BBGame::OpenFile and always closes it again.
//
// Result of every decoder: a malloc'd block of interleaved samples that the
// caller owns and releases with free(), plus
//   length    sample frames (one sample per channel)
//   channels  channel count
//   format    bytes per sample: 1 (8-bit unsigned) or 2 (16-bit signed
//             little-endian); WAV may also give 3 or 4, which the audio
//             device turns into a silent sample
//   hertz     sample rate (frames per second)
// The block holds length x channels x format bytes, which never exceeds
// INT_MAX. Out-parameters are written only on success; every failure returns
// null without a message.
//
// Damaged input is rejected rather than trusted: no size field read from a
// file decides an allocation before the bytes have actually been read, and an
// Ogg stream must pass its page checksums before the Vorbis decoder sees it.
#ifndef LANTERN_AUDIO_DECODE_H
#define LANTERN_AUDIO_DECODE_H

#include <cstdio>

#include "runtime/string.h"

// Both read from the file's current position to its end (or to the end of
// the sound) and leave the file open.
unsigned char* LoadWAV(FILE* f, int* length, int* channels, int* format, int* hertz);
unsigned char* LoadOGG(FILE* f, int* length, int* channels, int* format, int* hertz);

// A decoder with the signature of the two above.
typedef unsigned char* (*AudioDecoder)(FILE* f, int* length, int* channels, int* format, int* hertz);
// The decoder for a file name by its extension (".wav" or ".ogg", any case), or null.
AudioDecoder AudioDecoderFor(const String& path);

#endif
