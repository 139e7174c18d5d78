// host/files.h - data paths and the state file.
//
// Game file names are location independent: "vorlin://data/" names the
// read-only data folder ("./data/" below the working directory),
// "vorlin://internal/" and "vorlin://external/" writable folders. The host's
// OpenFile (host/game.h) maps every path it is given; the state string lives
// in kStateFile, UTF-8 without a byte-order mark, absent meaning empty.
#ifndef LANTERN_HOST_FILES_H
#define LANTERN_HOST_FILES_H

#include <cstddef>
#include <string>

#include "runtime/string.h"

extern const char* const kStateFile;  // "./.vorlinstate"

// Makes a game file name refer to the data folder unless it already carries a
// scheme or starts with "./" or "/".
String bb_data_FixDataPath(String path);

// The file system's name for a game path: "vorlin://data/", "vorlin://internal/"
// and "vorlin://external/" become "./data/", "./internal/" and "./external/";
// any other "vorlin:" path names nothing (empty); other paths stay as they are.
String MapGamePath(String path);

// Writes `length` bytes to `path` so that a failure never damages what the
// file held before: they go to `path` + ".new", are synced, and the
// temporary file is renamed over `path`. The state file is saved this way.
// Returns 0, -1 when the temporary file could not be made, -2 when the bytes
// did not all reach the disk (the old file is left as it was).
int WriteFileAtomically(const std::string& path, const void* data, size_t length);

#endif
