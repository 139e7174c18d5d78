// board/store.h - where the board keeps its names, rounds and blocks.
//
// One interface, filled by SQLite (board/sqlite_store.h) and later by other
// stores, so that the rest of the board never names one. What it holds:
//
//   names    a name's caseless form, the name as first written, and the hash
//            of the key that claimed it with its first round;
//   rounds   every round sent: its name, variant, seed, what the file claims,
//            the replay's bytes, the key that makes it the round (one row per
//            round, whoever sent it), and its status: "queued" until it is
//            played again, then "accepted" with the board's own score and
//            length, or "refused" with the reason;
//   blocked  client addresses whose submissions are refused;
//   secrets  values the board makes once and keeps (the daily mazes' secret).
//
// A round sent during a day (or within the hour after) in that day's maze is
// filed under the day as well: the day's board ranks those.
//
// Invariants: a round is stored before the client is told it was taken, and
// a stored round is never lost; a round changes from "queued" to a decision
// once; a name belongs to one key. The schema carries its version, and a
// store made by an earlier version is upgraded in place when opened.
//
// Every call may come from any thread. A failure to read or write the store
// throws StoreError; the board answers 503 for it.
#ifndef LANTERN_BOARD_STORE_H
#define LANTERN_BOARD_STORE_H

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct StoreError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A round as the board shows it.
struct RoundRow {
    int64_t id = 0;
    std::string name;    // as first written
    std::string folded;  // the name's caseless form
    int variant = 0;
    int32_t seed = 0;
    std::string status;  // "queued", "accepted" or "refused"
    int score = 0;       // the board's own, once accepted
    long updates = 0;
    std::string reason;  // why it was refused
    int64_t submittedAt = 0;  // seconds since 1970 (UTC)
    int64_t decidedAt = 0;
    std::string day;     // "YYYY-MM-DD" for a round of that day's maze, else empty
};

// A round to add.
struct NewRound {
    std::string name, folded, keyHash;
    std::string roundKey;
    int variant = 0;
    int32_t seed = 0;
    int claimedScore = 0;
    long claimedUpdates = 0;
    std::string replay;  // the file's bytes
    int64_t at = 0;      // seconds since 1970
    std::string day;     // the day it is filed under, or empty
};

// A name's best accepted round on a variant's board.
struct BoardEntry {
    int64_t id = 0;
    std::string name, folded;
    int score = 0;
    long updates = 0;
    int64_t at = 0;  // when it was sent
};

class Store {
public:
    virtual ~Store() {}

    enum class Added {
        kQueued,     // stored as a new round, waiting to be played
        kDuplicate,  // the same round is on the board already: `row` is its row
        kNameTaken,  // the name belongs to another key; nothing was stored
    };
    // Stores `round` as queued and claims its name for its key when the name
    // is new, at once (one transaction, on disk before it returns), unless
    // a round with its key is there already or the name is another key's.
    virtual Added AddRound(const NewRound& round, RoundRow* row) = 0;
    // The round with `roundKey`, if any.
    virtual bool FindRound(const std::string& roundKey, RoundRow* row) = 0;
    virtual bool Round(int64_t id, RoundRow* row) = 0;
    virtual bool Replay(int64_t id, std::string* bytes) = 0;
    // Records the decision on a queued round; a round decided already stays
    // as it was (false).
    virtual bool Decide(int64_t id, bool accepted, int score, long updates, const std::string& reason,
                        int64_t at) = 0;
    // The queued rounds, oldest first: their ids and claimed lengths.
    virtual std::vector<std::pair<int64_t, long>> Queued() = 0;
    // Each name's best accepted round on `variant`, best first: the higher
    // score, then the shorter round, then the earlier one; of the rounds filed
    // under `day` ("YYYY-MM-DD") when it is not empty.
    virtual std::vector<BoardEntry> Board(int variant, const std::string& day) = 0;
    // The secret kept under `name`; `fresh` becomes it when there is none yet
    // (whoever asks first, every later caller gets the same).
    virtual std::string Secret(const std::string& name, const std::string& fresh) = 0;
    virtual std::vector<std::string> BlockedAddresses() = 0;
    // A number that changes whenever the store changes, whoever changed it
    // (the board itself, or an operator's command).
    virtual int64_t Version() = 0;
    // Reads and writes a row of its own: true while the store can do both.
    virtual bool Healthy() = 0;

    // An operator's changes (lantern-vault-board admin).
    virtual bool RemoveRound(int64_t id) = 0;
    virtual bool FreeName(const std::string& folded) = 0;
    virtual void Block(const std::string& address, int64_t at) = 0;
    virtual bool Unblock(const std::string& address) = 0;
};

// Opens (making and upgrading as needed) the SQLite store in folder `dir`.
std::unique_ptr<Store> OpenSqliteStore(const std::string& dir);

#endif
