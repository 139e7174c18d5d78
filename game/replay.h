// game/replay.h - replays: a round recorded as its seed and its input, the
// file that keeps it, and the ways to watch or check one.
//
// A round is fixed by its seed, its variant, the state it started from and
// the input the game read in each of its updates, so those are what a replay
// holds; playing it back runs the same game code on the same input and gives
// the same round, update for update.
//
// What is recorded (game/replay_record.cpp):
//   - the seed the round's maze and enemies are drawn from;
//   - the start: the values of the "carried" fields at the top of the
//     round's first update (the variant, the options and control switches,
//     the input latches, the visible screen size and the like: everything the
//     round reads that was set before it began; see ReplayFieldTable);
//   - per update, on an input tape (input/input_tape.h): the input device's
//     state as the game reads it, and every carried field whose value changed
//     between two updates, outside the game's update: a render that fitted
//     the screen to a new window size, the loading restarted by it, a pause
//     made by a loss of focus. Playback sets those fields from the tape, so a
//     round is replayed at the screen size it was played at, whatever the
//     size of the window that shows it.
// A round runs from the update that builds its maze (mode 11) to the update
// that hands it back to the menu (mode 2), paused updates included.
//
// The file: the bytes below, integers little-endian:
//   "LVREPLAY"            8 bytes
//   format                1 byte (kReplayFormat)
//   game version          1 byte length, then the text
//   variant               1 byte, 1..3
//   seed, score           4 bytes each, signed
//   updates               4 bytes: updates of the round
//   world                 4 bytes: the round's world check at its end (c_MyApp::WorldCheck)
//   fields                2 bytes count, then 4 bytes each (float fields as their bits)
//   tape                  4 bytes length, then the tape
//   checksum              4 bytes: CRC-32 of every byte before it
// Files are written as the state file is: to a temporary file beside the
// real one, synced, then renamed over it.
//
// Watching never records a score or a replay, never awards a badge and never
// saves the player's options: they are put back as they were when it ends.
#ifndef LANTERN_GAME_REPLAY_H
#define LANTERN_GAME_REPLAY_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

const int kReplayFormat = 1;
extern const char* const kReplayFolder;  // "./replays"

// A replay as it is held in memory.
struct ReplayFile {
    std::string gameVersion;       // the game that wrote it
    int variant = 0;               // 1..3
    int32_t seed = 0;
    int32_t score = 0;             // the round's final score
    uint32_t updates = 0;          // updates of the round
    uint32_t world = 0;            // the world check when the round ended
    std::vector<uint32_t> fields;  // start values of the carried fields
    std::vector<uint8_t> tape;     // the input tape
};

// The file's bytes.
std::vector<uint8_t> EncodeReplay(const ReplayFile& replay);
// Reads a replay from `bytes`; false with a one-line reason in `error` when
// the bytes are no replay, are truncated or damaged, or hold fields or a tape
// this game cannot play.
bool DecodeReplay(const uint8_t* bytes, size_t length, ReplayFile* replay, std::string* error);
// Reads and decodes the file at `path`; `error` as above, or why it could not be read.
bool ReadReplayFile(const std::string& path, ReplayFile* replay, std::string* error);
// Writes `replay` to `path` through a temporary file; 0 on success.
int WriteReplayFile(const std::string& path, const ReplayFile& replay);
// "./replays/best-2.replay" for variant 2.
std::string BestReplayPath(int variant);
std::string LastReplayPath();

// The number of carried fields (game/replay_record.cpp).
int ReplayFieldCount();

// The command line's two ways in (game/replay_run.cpp).
//
// --verify: checks `path` and plays its round without a window or sound
// device, as fast as it goes, with the working directory's data; prints
// "score S updates U" to `out`. Returns 0 when the round replayed to the
// score, update count and world it recorded, 1 (with a line on `err`) when
// it did not, 2 (with a line on `err` and nothing played) when the file cannot be
// read or is no sound replay. Writes no file.
int VerifyReplay(const std::string& path, std::FILE* out, std::FILE* err);
// --replay: checks `path` before any window opens (2 and a line on `err`
// when it cannot be watched, as for --verify); otherwise keeps the replay for
// the game, which plays it once its menu is up, and returns -1.
int PrepareReplayToWatch(const std::string& path, std::FILE* err);
// Hands the replay kept by PrepareReplayToWatch, if any, to `app` (once).
class c_MyApp;
void WatchCommandLineReplay(c_MyApp* app);

// --seed: every round played from now on draws its maze and enemies from
// `seed` instead of the clock, so one maze can be played again; a watched
// replay keeps its own seed. ForgetRoundSeed goes back to the clock.
void FixRoundSeed(int32_t seed);
void ForgetRoundSeed();
// True, with the seed in `seed`, while one is fixed.
bool FixedRoundSeed(int32_t* seed);

#endif
