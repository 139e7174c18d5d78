// audio/file_read.h - bounded reads from open files for the sound decoders.
//
// Sizes inside sound files are claims, not facts: these readers allocate as
// the bytes really arrive (growing geometrically), so a damaged size field
// costs at most about twice the bytes the file actually holds.
#ifndef LANTERN_AUDIO_FILE_READ_H
#define LANTERN_AUDIO_FILE_READ_H

#include <cstddef>
#include <cstdio>

// Exactly `size` bytes in a malloc'd block (at least 1 byte allocated), or
// null when the file ends first.
unsigned char* ReadExactly(FILE* f, size_t size);

// Reads and drops `size` bytes; false when the file ends first.
bool SkipExactly(FILE* f, size_t size);

// Everything from the current position to the end of the file in a malloc'd
// block, its size in *size; null when the file holds more than `limit` bytes
// or memory runs out.
unsigned char* ReadToEnd(FILE* f, size_t limit, size_t* size);

#endif
