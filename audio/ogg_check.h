// audio/ogg_check.h - checking an Ogg Vorbis file before it is decoded.
//
// A damaged file is rejected as a whole rather than played in part, and the
// decoder only ever sees streams whose pages arrived intact and whose header
// counts are believable (a comment header whose counts exceed the packet
// could make a decoder allocate gigabytes). So a file is checked first:
// - every Ogg page up to the end of the first logical stream must be
//   complete and carry its correct CRC-32 (random damage never passes);
// - the stream must begin with a Vorbis identification header (at least one
//   channel, a sample rate) and a comment header whose vendor string and
//   comments fit inside the packet.
#ifndef LANTERN_AUDIO_OGG_CHECK_H
#define LANTERN_AUDIO_OGG_CHECK_H

#include <cstddef>

// The number of leading bytes of `data` the decoder may see (every page up to
// and including the first end-of-stream page, or all of them), or 0 when the
// file fails a check.
size_t CheckedVorbisStreamSize(const unsigned char* data, size_t size);

#endif
