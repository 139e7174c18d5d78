// host/verify.h - checking a replay without a window (--verify).
#ifndef LANTERN_HOST_VERIFY_H
#define LANTERN_HOST_VERIFY_H

#include <cstdio>
#include <string>

#include "host/game_replays.h"

class BBHeadlessGame;

// Checks the replay at `path` with the program's game (bbReplays): reads it,
// starts the game on a BBHeadlessGame with the working directory's data and
// sound to OpenAL's null backend, and plays the round as fast as it goes
// (CheckReplay). Returns 0 when the round replayed to the score, update
// count and world it recorded, 1 (with a line on `err`) when it did not, 2
// (with a line on `err` and nothing played) when the file cannot be read or
// is no sound replay. Writes no file. The game stays as it ends: the caller
// ends the process.
int VerifyReplay(const std::string& path, std::FILE* out, std::FILE* err);

// The check on a started game: updates `host` until the game is ready for a
// replay (at most kReadyUpdates), starts the replay `replays` holds and
// updates until it is over (at most the recorded length and kReadyUpdates
// more), prints "score S updates U" to `out` and compares the end with
// `recorded`. Returns 0 or 1 as VerifyReplay; `path` names the file in the
// line on `err`.
int CheckReplay(BBHeadlessGame* host, BBGameReplays* replays, const BBRecordedRound& recorded,
                const std::string& path, std::FILE* out, std::FILE* err);

// Updates the game may take to get ready (the staged loader brings up the
// menu well within this).
const int kReadyUpdates = 1000;

#endif
