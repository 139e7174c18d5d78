// host/game_replays.h - what the host may ask the game about replays.
//
// The host knows the game through the program's entry points (host/startup.h:
// bbInit, and bbMain, which creates the application) and this one interface,
// which the program supplies as well (bbReplays). The command line reaches
// replays through it: --verify plays them without a window (host/verify.h),
// --replay hands one to the game to watch once its menu is up, and --seed
// fixes the maze every round starts from. The page hands over the replays it
// opens (a link, a dropped file) the way --replay does.
#ifndef LANTERN_HOST_GAME_REPLAYS_H
#define LANTERN_HOST_GAME_REPLAYS_H

#include <cstddef>
#include <cstdint>
#include <string>

// How a round ended: its score, its length in updates and the check of its
// world (two plays of a round that end with the same check ended the same).
struct BBRoundEnd {
    int score = 0;
    long updates = 0;
    uint32_t world = 0;
};

// What a replay file says of the round it holds.
struct BBRecordedRound {
    BBRoundEnd end;
    std::string otherVersion;  // the version of the game that recorded it, when not this one; else empty
};

class BBGameReplays {
public:
    virtual ~BBGameReplays() {}
    // Reads the replay at `path` (the game need not have started) and keeps
    // it as the one to play. False, with a one-line reason in `error`, when it
    // cannot be read or is damaged, truncated or of another game.
    virtual bool Open(const std::string& path, BBRecordedRound* recorded, std::string* error) = 0;
    // The same for a replay file's `length` bytes at `bytes` (copied).
    virtual bool OpenBytes(const uint8_t* bytes, size_t length, BBRecordedRound* recorded, std::string* error) = 0;
    // The kept replay plays once the game's menu is up (at the next update
    // when it is up already; before the game runs, once it has started),
    // with the window the player sees: the one way a host with a window has
    // a replay watched. Over tells when it has ended, Result how.
    virtual void WatchOnceReady() = 0;
    // True while a replay's round plays (it has started and not ended).
    virtual bool Playing() = 0;
    // A host without a window plays a replay step by step instead (--verify):
    // True once the running game can start a replay (its menu is up).
    virtual bool Ready() = 0;
    // Starts the kept replay in the running game.
    virtual void Start() = 0;
    // True once the replay started or handed over has ended (or there is none).
    virtual bool Over() = 0;
    // How the last replay played ended.
    virtual BBRoundEnd Result() = 0;
    // Every round from now on starts from maze `seed` (--seed).
    virtual void FixRoundSeed(int32_t seed) = 0;
    // The folder the game keeps the replays of its rounds in (the last round
    // and the best of each variant); a host may keep copies of its files.
    virtual std::string Folder() = 0;
};

// Supplied by the program: its replays, for as long as the process lives.
BBGameReplays* bbReplays();

#endif
