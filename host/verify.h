// host/verify.h - checking replays without a window (--verify).
//
// One file is checked as it always was: "score S updates U" on the output,
// the reason on the error stream when it does not match or cannot be read.
// Several files are checked one after another in one game, started once:
// the game goes back to its menu after each replayed round and every round
// starts from its own seed and start values, so a round plays the same
// after another as it does alone. Each file gets one line on the output:
//
//   NAME: score S updates U: matched
//   NAME: score S updates U: did not match (recorded score S in U updates)
//   NAME: score S updates U: did not match (ended in another state than recorded)
//   NAME: could not be read: REASON
//   NAME: not checked: REASON            (the game did not start or finish a round)
//
// where a mismatch of a file written by another version of the game ends in
// ", by version V" inside the brackets, and control characters in NAME are
// shown as "?", so that each file is one line. The exit status is the worst
// of the files': 2 when one could not be read, else 1 when one did not match
// or was not checked, else 0.
#ifndef LANTERN_HOST_VERIFY_H
#define LANTERN_HOST_VERIFY_H

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host/game_replays.h"

class BBHeadlessGame;

// Checks the replays at `paths` with the program's game (bbReplays), starting
// it on a BBHeadlessGame with the working directory's data and sound to
// OpenAL's null backend the first time a file can be read (never when none
// can), and playing each round as fast as it goes. One path is checked by
// CheckReplay, several by CheckReplays. Returns 0 when every round replayed
// to the score, update count and world it recorded, else the worst status as
// above. Writes no file. The game stays as it ends: the caller ends the
// process.
int VerifyReplays(const std::vector<std::string>& paths, std::FILE* out, std::FILE* err);

// The check of one file on a started game: updates `host` until the game is
// ready for a replay (at most kReadyUpdates), starts the replay `replays`
// holds and updates until it is over (at most the recorded length and
// kReadyUpdates more), prints "score S updates U" to `out` and compares the
// end with `recorded`. Returns 0 when they agree, else 1 with a line on
// `err`; `path` names the file in that line.
int CheckReplay(BBHeadlessGame* host, BBGameReplays* replays, const BBRecordedRound& recorded,
                const std::string& path, std::FILE* out, std::FILE* err);

// The check of several files in one game: opens each of `paths` in turn with
// `replays`, and plays each that can be read as CheckReplay does on the host
// `start` returns (called once, when the first file can be read). Prints one
// line per file to `out` (see above) and returns the worst status.
int CheckReplays(const std::vector<std::string>& paths, BBGameReplays* replays,
                 const std::function<BBHeadlessGame*()>& start, std::FILE* out);

// How playing an opened replay went.
enum class BBReplayRun {
    kEnded,       // its round ran and ended
    kNotStarted,  // the game was over at once: it did not take the replay
    kNotEnded,    // the round did not end within its bound (the game stays busy with it)
};

// Plays the replay `replays` holds (opened, not yet started) on the started
// game of `host`: updates until the game is ready (at most kReadyUpdates),
// starts it and updates until it is over (at most its recorded length and
// kReadyUpdates more). Replays->Result() then says how it ended.
BBReplayRun PlayOpenedReplay(BBHeadlessGame* host, BBGameReplays* replays, const BBRecordedRound& recorded);

// The verdict on a replayed round that ended as `played`, against how
// `recorded` says it ended: the part of a file's line after its name,
// "score S updates U: matched" or "score S updates U: did not match (...)"
// as above. True when it matched. Every host that plays a replay and says how
// it ended (--verify, the page) says it with this.
bool ReplayVerdict(const BBRoundEnd& played, const BBRecordedRound& recorded, std::string* line);

// Checks rounds for the world board (--check-rounds): starts the program's
// game without a window, as --verify does, and answers on `outFd` "ready
// VERSION" once its menu is up. Then, for each request on `inFd`, a line
// "round LENGTH" followed by a replay file's LENGTH bytes (at most
// kCheckedRoundBytes), it plays the round from the menu, as --verify plays a
// file, and answers one line:
//
//   played score S updates U: matched           (or ": did not match (...)", as --verify says)
//   unreadable REASON                           (the bytes are no replay this game plays)
//   unchecked REASON                            (the game did not start or finish the round)
//
// The game's own messages go to the error stream. Returns 0 at the end of
// the requests, 2 on a request it cannot read (after saying so when it can).
int CheckRoundStream(int inFd, int outFd, const char* version);

// The largest replay file --check-rounds takes (bytes).
const unsigned long kCheckedRoundBytes = 64ul << 20;

// Updates the game may take to get ready (the staged loader brings up the
// menu well within this).
const int kReadyUpdates = 1000;

#endif
