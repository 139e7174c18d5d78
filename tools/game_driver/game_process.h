// tools/game_driver/game_process.h - the game (or a program measured beside
// it) started from outside, in a folder of its own, with its output kept.
#ifndef LANTERN_TOOLS_GAME_DRIVER_GAME_PROCESS_H
#define LANTERN_TOOLS_GAME_DRIVER_GAME_PROCESS_H

#include <string>
#include <vector>

// In a forked child: applies the environment changes ("NAME=value" sets,
// "NAME" removes), enters `folder` (unless empty) and replaces the process
// with the program. Returns only by exiting with 127 after saying why.
[[noreturn]] void ExecProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                              const std::string& folder = "");

// What a process printed and how it ended.
struct ProcessResult {
    std::string out;  // standard output
    std::string err;  // standard error
    int status = -1;  // exit status (0..255), or -1 when it did not exit normally
    int signal = 0;   // the terminating signal, if any
};

// A program running in the background: argv[0] is a path or a name found on
// PATH; `env` adds NAME=value to the environment it inherits, or takes NAME
// out of it; it runs in `folder` (the current folder when empty). Standard
// input is empty; standard output and error go to files, read once it ends.
// A process still running when this goes is killed.
class GameProcess {
public:
    GameProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                const std::string& folder = "");
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    int pid() const { return pid_; }
    // CLOCK_MONOTONIC seconds just before the process was forked (the clock
    // the frame probe's times are on).
    double started() const { return started_; }
    // Waits up to `seconds` for the process to end; false when it still runs.
    bool Wait(double seconds);
    bool Running() { return !Wait(0); }
    void Signal(int sig);
    // CPU seconds of all the process's threads so far (user and system), from /proc.
    double CpuSeconds() const;
    const ProcessResult& result() const { return result_; }  // valid once Wait returned true

private:
    int pid_ = -1;
    bool done_ = false;
    double started_ = 0;
    std::string outPath_, errPath_;
    ProcessResult result_;
};

// Monotonic seconds (CLOCK_MONOTONIC).
double MonotonicSeconds();

#endif  // LANTERN_TOOLS_GAME_DRIVER_GAME_PROCESS_H
