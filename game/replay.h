// game/replay.h - replays: every round recorded as its seed and its input,
// the file that keeps one, and the session that records and plays them.
//
// A round is fixed by its seed, its variant, the state it started from and
// the input the game read in each of its updates, so those are what a replay
// holds; playing it back runs the same game code on the same input and gives
// the same round, update for update.
//
// What is recorded (ReplaySession, game/replay_session.cpp):
//   - the seed the round's maze and enemies are drawn from;
//   - the start: the values of the carried fields (below) at the top of the
//     round's first update;
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
// The carried fields are everything a round reads that was set before it
// began or may change between its updates: 49 of c_MyApp's own (the visible
// screen and its scale, the loading stage, the pause and its menu, the
// variant, the control switches, the input latches and pointer history, the
// stick and tilt state, the boxes a paused round can open, the debug and
// head-up display switches, the free entity slot), then the 20 virtual
// buttons, then the 25 saved options: ReplayFieldCount() in all, listed with
// the values each may hold in game/replay_fields.h. Invariant: every one is
// 32 bits (floats travel as their bits), and their order is the file's.
// Adding, removing or reordering a field changes what a file means, so it
// needs a new kReplayFormat; a file whose count differs is refused.
//
// The file: the bytes below, integers little-endian:
//   "LVREPLAY"            8 bytes
//   format                1 byte (kReplayFormat)
//   game version          1 byte length, then the text
//   variant               1 byte, 1..3
//   seed, score           4 bytes each, signed
//   updates               4 bytes: updates of the round
//   world                 4 bytes: the round's world check at its end (ReplaySession::WorldCheck)
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
#include <memory>
#include <string>
#include <vector>

#include "input/input_tape.h"

class c_InputDevice;
class c_MyApp;

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

// The number of carried fields.
int ReplayFieldCount();

// Whether every value `replay` sets, at its start and on its tape, is one the
// game itself can give that field there (game/replay_fields.h), and its
// joystick axes stay within -1 and 1: a round a game can have. False, with
// one line naming the first value that is not, otherwise. Decoding a replay
// does not check this; a replay from elsewhere is checked before it counts.
bool CheckReplayValues(const ReplayFile& replay, std::string* error);

// --seed: every round played from now on draws its maze and enemies from
// `seed` instead of the clock, so one maze can be played again; a watched
// replay keeps its own seed. ForgetRoundSeed goes back to the clock.
void FixRoundSeed(int32_t seed);
void ForgetRoundSeed();
// True, with the seed in `seed`, while one is fixed.
bool FixedRoundSeed(int32_t* seed);

// The replay a host handed over to watch before the game started
// (game/replay_entry.cpp: --replay), if any; taking it leaves none.
std::unique_ptr<ReplayFile> TakeReplayToWatch();

// Recording and watching, for one application object, which owns it (made
// by its m_new, it lives as long as the app). Both work around each update:
// BeginUpdate before the game reads any input, EndUpdate after its update.
//   - Recording: at the top of the update that starts a round the carried
//     fields' values are its start; at the top of every update of the round
//     the fields that differ from the end of the previous update go on the
//     tape, followed by the input device's state. When the round hands back
//     to the menu the replay is kept (LastRecorded) and written to
//     LastReplayPath, and to BestReplayPath when it beat the variant's best.
//   - Watching: the player's field values are kept aside and the replay's
//     start values put in; at the top of every update the fields are set to
//     their values at the end of the previous update plus the tape's changes
//     (so nothing the viewer's window does in between, a resize or a loss of
//     focus, reaches the round), and the game reads a second input device,
//     filled from the tape. The player's own device still receives the
//     viewer's events: a key or click ends the watching.
// Main thread only. The session is no collected object; the app's mark()
// calls Mark for the input device it holds.
class ReplaySession {
public:
    explicit ReplaySession(c_MyApp* app);
    ~ReplaySession();
    ReplaySession(const ReplaySession&) = delete;
    ReplaySession& operator=(const ReplaySession&) = delete;

    void BeginUpdate();
    void EndUpdate();
    // The seed of the round being started: the watched replay's, the daily
    // maze's when the round was started as the day's, the fixed seed, or the
    // clock.
    int32_t RoundSeed();
    // The next round plays the Daily Vault's maze `seed` (once).
    void PlayDaily(int32_t seed) {
        dailyPending_ = true;
        dailySeed_ = seed;
    }

    // Plays `replay` once the menu is up (at once when it is), on the menu's
    // screens, and returns to the menu when it ends or the player presses a
    // key or clicks. Watching saves nothing and awards nothing.
    void Watch(const ReplayFile& replay);
    // The best replay of `variant` (1..3) from its file; false when there is none.
    bool WatchBest(int variant);
    // Watches the replay a host handed over before the game started, if any
    // (once the saved state is loaded).
    void WatchReplayHandedOver();
    // Whether a best replay of `variant` exists (the menu's watch button).
    bool HasBest(int variant);
    // True from Watch until the replayed round has handed back to the menu.
    bool Watching() const;
    // True while the replayed round plays: once it has started (the menu was
    // up), until it has ended.
    bool Playing() const { return watching_; }
    // The last replayed round's score, update count and world check (set when it ends).
    void LastWatched(int* score, long* updates, uint32_t* world = nullptr) const;

    // The replay of the last round the player finished, or null.
    const ReplayFile* LastRecorded() const;

    // A 32-bit check of the round's world: the maze, the entities, the
    // player, the particles alive, the generator and the score. Two runs of a
    // round that end with the same check ended the same.
    static uint32_t WorldCheck(const c_MyApp& app);

    // Marks the collected objects the session holds.
    void Mark();

private:
    void RecordUpdate();
    void FinishRecording();
    void LoadBestScores();
    void StartWatching();
    void StopWatching(bool interrupted);
    void DrawMark();
    void ApplyField(int index, uint32_t value);
    static void TapeField(int index, uint32_t value, void* session);

    c_MyApp& app_;
    std::vector<void*> fields_;          // storage of the carried fields (32 bits each), in file order
    std::vector<uint32_t> endOfUpdate_;  // their values when the last update ended

    // Recording.
    InputTapeWriter writer_;
    bool recording_ = false;
    ReplayFile recorded_;                // the round being recorded, then the last one finished
    bool hasRecorded_ = false;

    // Watching.
    ReplayFile watched_;
    bool pending_ = false;               // Watch was asked for; starts when the menu is up
    bool watching_ = false;
    std::unique_ptr<InputTapeReader> reader_;
    c_InputDevice* tapeInput_ = nullptr;    // the input the replay feeds the game (collected)
    c_InputDevice* playerInput_ = nullptr;  // the device the host feeds (held by the framework)
    std::vector<uint32_t> playerValues_;    // the player's field values while a replay plays
    int lastScore_ = 0;
    long lastUpdates_ = 0;
    uint32_t lastWorld_ = 0;

    // The Daily Vault's maze for the next round, when it was asked for.
    bool dailyPending_ = false;
    int32_t dailySeed_ = 0;

    // Best replays: the score each holds, -1 for none; read on first use.
    int bestScore_[4] = {-1, -1, -1, -1};
    bool bestKnown_ = false;
};

#endif
