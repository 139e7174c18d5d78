// tests/common/test_support.h - helpers shared by the test programs.
#ifndef LANTERN_TESTS_COMMON_TEST_SUPPORT_H
#define LANTERN_TESTS_COMMON_TEST_SUPPORT_H

#include <functional>
#include <string>
#include <vector>

#include "game_driver/game_process.h"

// True in a build checked by AddressSanitizer, whose allocator keeps freed
// memory in quarantine and makes resident memory meaningless as a measure.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

// Mazes (the game's --seed) that the end-to-end tests play, because a maze
// of the clock's choosing may not hold what they look for; play tests check
// that each still does:
// - in the third variant the enemies find a player who stands still within
//   seven seconds;
// - in the second, walking right from the start lights a beacon within two
//   seconds, before anything else earns a badge;
// - in the second, no enemy touches a player who walks right from the start
//   for any time and then waits a minute; in the first and the third a
//   player who stands still is left alone for ten seconds.
constexpr int kStillPlayerLosesSeed = 6;
constexpr int kBeaconNearStartSeed = 3;
constexpr int kWalkerUntouchedSeed = 36;

// What a child process printed and how it ended.
using ChildResult = ProcessResult;

// Runs `body` in a forked child with `input` on its standard input (closed
// after it is written) and collects its output. The child exits with status 0
// if `body` returns.
ChildResult RunInChild(const std::function<void()>& body, const std::string& input = "");

// Runs a program with arguments and an environment added to the current one.
ChildResult RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                       const std::string& input = "", double timeoutSeconds = 30);

// A program running in the background, its output going to files (the game
// driver's process, tools/game_driver/game_process.h).
using BackgroundProcess = GameProcess;

// Runs a shell command and returns its standard output (trailing newline removed).
std::string Shell(const std::string& command);

// A fresh temporary folder that is the working directory for its lifetime.
class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string old_cwd_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// Initialises GLFW for a test, reporting GLFW's reason on standard error when
// it fails and trying again a few times: a busy virtual display now and then
// refuses a connection for a moment.
bool InitGlfwForTest();

// Ends the collector's current cycle: marks everything reachable, sweeps and
// starts the next cycle from the roots.
void GcFinishCycle();

#endif
