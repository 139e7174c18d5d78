// board/checker.h - playing rounds again: the checking processes.
//
// Every round is played again by the game's own program (the verifier, run
// with --check-rounds: host/verify.h), in processes that stay running and take
// round after round from one bounded queue. A round starts from the game's
// menu, from the start values and seed its replay carries. Each process has an
// address-space limit (none in the checked build) and each round a CPU-time
// budget in proportion to its length, measured by the board from the
// process's own counters, since a process that stays running cannot use a
// CPU limit of its own; a round that overruns it, or whose process dies, is
// tried once more on a fresh process, then refused as "could not be checked".
// A process whose round was refused, or which died or overran, is replaced, so
// that whatever a refused round did to it reaches no other round.
//
// Threads: one per process, started by the constructor; Queue may be called
// from any thread; decisions are handed to the function given to the
// constructor, on the checking thread that made them.
#ifndef LANTERN_BOARD_CHECKER_H
#define LANTERN_BOARD_CHECKER_H

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A round to play again: its id on the board, its replay, its length (updates).
struct CheckJob {
    int64_t id = 0;
    std::string replay;
    long updates = 0;
};

// How it ended: accepted with the board's own score and length, or refused.
struct CheckDecision {
    int64_t id = 0;
    bool accepted = false;
    int score = 0;
    long updates = 0;
    std::string reason;
};

struct CheckerOptions {
    std::string verifier;     // the game's program
    std::string folder;       // where the processes run: holds (a link to) the game's data/
    int processes = 1;
    std::size_t queueLength = 512;  // rounds waiting at most
    bool memoryLimit = true;  // limit each process's address space
    double cpuScale = 1;      // the CPU budgets are multiplied by this (the checked build)
};

class Checkers {
public:
    // Starts the processes, and waits for the first to be ready: throws
    // std::runtime_error, saying why, when it cannot start.
    Checkers(const CheckerOptions& options, std::function<void(const CheckDecision&)> decided);
    ~Checkers();
    Checkers(const Checkers&) = delete;
    Checkers& operator=(const Checkers&) = delete;

    // The version of the game the processes play ("ready VERSION").
    const std::string& GameVersion() const { return version_; }

    // Adds a round to the queue; false when the queue is full.
    bool Queue(CheckJob job);
    // Rounds waiting or being played.
    std::size_t Pending();
    // The CPU seconds each round's process may spend on a round of `updates`.
    double CpuBudget(long updates) const;
    // Stops taking rounds: the rounds under way finish, the queue is dropped
    // (the store keeps them queued), and the processes end.
    void Stop();

private:
    void Work(int index);
    CheckDecision Play(const CheckJob& job, class CheckProcess& process);

    CheckerOptions options_;
    std::function<void(const CheckDecision&)> decided_;
    std::string version_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<CheckJob> queue_;
    std::size_t playing_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

#endif
