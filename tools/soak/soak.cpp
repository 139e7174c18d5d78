// tools/soak/soak.cpp - the whole game played for a long time by a random
// player, watching memory and the collector's heap.
//
//   soak [--seed N] [--updates N] [--check-every N] [--leak BYTES] [--keep-rounds DIR]
//
// --keep-rounds copies the replay of every round the player finished into
// DIR (N.replay), for other builds to play.
//
// --leak keeps BYTES of collected and BYTES of native memory every update
// after the warm-up: a leak on purpose, to show that the checks catch one.
//
// The game is started without a window, as the benchmarks start it (sound to
// OpenAL's null backend, OpenGL calls without a context do nothing), in a
// temporary folder of its own holding a link to the data folder, so the state
// file it writes is its own. Each update is the host's update followed by the
// host's render, as the main loop runs them, with no sleeping; the game's
// clock is simulated (1000/60 ms an update) so that a seed replays a run of
// the same build (the normal and the checked build, made by different
// compilers, play a seed differently).
// Every few hundred updates the collector checks its whole heap.
//
// Memory must stay bounded. It is measured twice: after a warm-up (a tenth of
// the run, at least 2000 updates or half a short run), by when the player has
// given the window each of its sizes and every screen's art has been loaded,
// so the allocators have reached their working size; and at the end, after
// the window has been given back its start size. The run fails when
//   - resident memory at the end exceeds the warm-up figure by more than
//     16 MiB plus 10%, or
//   - the collected heap after the warm-up peaks higher than it did up to the
//     warm-up plus one collection cycle's allocation (GC_CYCLE_BYTES): what is
//     live does not grow, and a cycle never leaves more garbage than that, or
//   - the native memory held by collected objects (decoded art and sound) at
//     the end exceeds the warm-up figure by more than 1 MiB plus 10%.
// In the checked build AddressSanitizer keeps freed blocks in a quarantine
// before reusing them; the program asks for a 16 MiB quarantine (unless
// ASAN_OPTIONS says otherwise), so the quarantine is full well before the
// warm-up ends.
//
// The game runs in a child process: quitting the game ends its process at
// once with status 0, which the parent reports as a failure (the player must
// never quit), as it does a crash or a sanitizer report.
//
// Every round the player finishes is recorded, as the game records every
// round; the child keeps each replay (rounds/N.replay beside the game's
// replays) with the score it ended with, and once the child is done the
// parent runs the game's verifier (lantern-vault --verify) on each: every
// round must replay to the score and update count it recorded.
//
// Exit status: 0 bounded and clean; 1 memory not bounded; 2 bad arguments;
// 3 heap check failed; 4 the game ended the process; 5 a round did not
// replay to its score; 6 a round could not be kept (--keep-rounds); 128 +
// the signal that killed it; otherwise the
// child's (1 for a sanitizer report).
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "common/headless_game.h"
#include "game/replay.h"
#include "random_player.h"
#include "runtime/gc.h"

#if defined(__SANITIZE_ADDRESS__)
#define SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_ASAN 1
#endif
#endif

#ifdef SOAK_ASAN
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
#endif

namespace {

const int kDeviceW = 640, kDeviceH = 480;   // the window's start size (pixels)
const long kRssSlackKiB = 16 * 1024;        // resident growth always allowed (KiB)
const long long kNativeSlackBytes = 1 << 20;  // growth of native memory always allowed (bytes)

struct Options {
    uint64_t seed = 0;
    long updates = 100000;
    long checkEvery = 300;  // updates between heap checks
    long leak = 0;          // bytes leaked on purpose per update after the warm-up
    std::string keepRounds;  // where the finished rounds' replays are copied; empty: nowhere
};

// Shared with the parent, which reports where the child stopped.
struct Progress {
    long update;
    int finished;  // the child reached its report
};
Progress* g_progress;

// The desktop host with a simulated clock (Millisecs follows the updates)
// and the random player's pad on joystick port 0.
class SoakHost : public BBDesktopGame {
public:
    int Millisecs() override { return static_cast<int>(ticks * 1000 / 60); }
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float>, Array<bool> buttons) override {
        if (port != 0 || !pad || !pad->present) return false;
        if (joyx.Length() > 0) joyx[0] = pad->stickX;
        if (joyy.Length() > 0) joyy[0] = pad->stickY;
        for (int b = 0; b < 32 && b < buttons.Length(); ++b) buttons[b] = pad->buttons[b];
        return true;
    }
    long long ticks = 0;            // updates run
    const SoakPad* pad = nullptr;  // the player's, once there is a player
};

// The leak asked for by --leak: collected arrays held by a root of their
// own, each reported as owning a native block that is never freed.
std::vector<Array<int>> g_leaked;
std::vector<void*> g_leakedBlocks;

void mark_leaked() {
    for (const Array<int>& a : g_leaked) gc_mark_q(a);
}

void leak(long bytes) {
    if (bytes <= 0) return;
    static bool rooted = false;
    if (!rooted) gc_add_roots(mark_leaked);
    rooted = true;
    g_leaked.emplace_back();
    g_leaked.back() = Array<int>(static_cast<int>(bytes / 4) + 1);  // assignment shades the new array
    void* block = std::malloc(static_cast<size_t>(bytes));
    if (block) std::memset(block, 1, static_cast<size_t>(bytes));
    g_leakedBlocks.push_back(block);
    gc_external_alloc(g_leaked.back().rep(), bytes);
}

double now_seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool parse_long(const char* text, long* out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 0) return false;
    *out = v;
    return true;
}

bool parse_args(int argc, char** argv, Options* o) {
    bool seeded = false;
    for (int i = 1; i < argc; i += 2) {
        std::string arg = argv[i];
        long v = 0;
        if (arg == "--keep-rounds" && i + 1 < argc && *argv[i + 1]) {
            o->keepRounds = argv[i + 1];
            continue;
        }
        if (i + 1 >= argc || !parse_long(argv[i + 1], &v)) return false;
        if (arg == "--seed") {
            o->seed = static_cast<uint64_t>(v);
            seeded = true;
        } else if (arg == "--updates") {
            o->updates = v;
        } else if (arg == "--leak") {
            o->leak = v;
        } else if (arg == "--check-every") {
            o->checkEvery = v > 0 ? v : 1;
        } else {
            return false;
        }
    }
    if (!seeded) o->seed = std::random_device()() % 1000000000u;
    return true;
}

// A folder of its own holding a link to the data folder, for the game's
// working directory.
std::string make_temp_dir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/lantern-soak-XXXXXX";
    if (!mkdtemp(&pattern[0])) return std::string();
    if (symlink(LANTERN_DATA_PATH, (pattern + "/data").c_str()) != 0) {
        rmdir(pattern.c_str());
        return std::string();
    }
    return pattern;
}

const char* const kRoundsFolder = "rounds";  // the kept replays, in the game's folder

std::string round_path(const std::string& dir, long n) { return dir + "/" + kRoundsFolder + "/" + std::to_string(n) + ".replay"; }

void remove_temp_dir(const std::string& dir) {
    unlink((dir + "/data").c_str());
    unlink((dir + "/.vorlinstate").c_str());
    for (const char* name : {"last", "best-1", "best-2", "best-3"})
        unlink((dir + "/replays/" + name + ".replay").c_str());
    rmdir((dir + "/replays").c_str());
    for (long n = 0; unlink(round_path(dir, n).c_str()) == 0; ++n) {
    }
    rmdir((dir + "/" + kRoundsFolder).c_str());
    rmdir(dir.c_str());
}

// Keeps the replay of the round the game has just finished as round `n`.
bool keep_round(c_MyApp* app, long n) {
    const ReplayFile* replay = app->m_Replays->LastRecorded();
    if (!replay) return false;
    mkdir(kRoundsFolder, 0777);
    return WriteReplayFile(std::string(kRoundsFolder) + "/" + std::to_string(n) + ".replay", *replay) == 0;
}

// Copies every kept round into `to` (made if need be); false when one could
// not be copied.
bool copy_rounds(const std::string& dir, const std::string& to) {
    mkdir(to.c_str(), 0777);
    bool ok = true;
    for (long n = 0;; ++n) {
        std::ifstream in(round_path(dir, n), std::ios::binary);
        if (!in) break;
        std::ofstream out(to + "/" + std::to_string(n) + ".replay", std::ios::binary);
        out << in.rdbuf();
        if (!out) {
            std::printf("soak: FAILED: round %ld could not be copied to %s\n", n, to.c_str());
            ok = false;
        }
    }
    return ok;
}

// The game's verifier on every kept round, in the game's folder: each must
// print the score it recorded. Returns 0, or 5 when one did not.
int verify_rounds(const std::string& dir, const uint64_t seed) {
    long n = 0, good = 0;
    for (;; ++n) {
        std::string path = round_path(dir, n);
        ReplayFile replay;
        std::string error;
        if (access(path.c_str(), F_OK) != 0) break;
        if (!ReadReplayFile(path, &replay, &error)) {
            std::printf("soak: FAILED: round %ld's replay does not read back: %s\n", n, error.c_str());
            continue;
        }
        std::string command = "cd '" + dir + "' && '" LANTERN_EXE_PATH "' --verify '" + path + "' 2>&1";
        FILE* out = popen(command.c_str(), "r");
        char line[256] = "";
        if (out && !std::fgets(line, sizeof line, out)) line[0] = 0;
        int status = out ? pclose(out) : -1;
        std::string expected = "score " + std::to_string(replay.score) + " updates " + std::to_string(replay.updates) + "\n";
        if (status == 0 && expected == line) {
            ++good;
        } else {
            std::printf("soak: FAILED: round %ld (score %d in %u updates) replayed as: %s", n, replay.score,
                        replay.updates, line[0] ? line : "nothing\n");
        }
    }
    std::printf("soak: %ld of %ld rounds replayed to their scores by the verifier\n", good, n);
    if (good == n) return 0;
    std::printf("soak: FAILED: replays differ (replay with --seed %llu)\n", static_cast<unsigned long long>(seed));
    return 5;
}

// One pass of the main loop's work: an update and a render.
void frame(SoakHost* host) {
    host->UpdateGame();
    host->RenderGame();
    ++host->ticks;
}

void finish_loading(SoakHost* host, c_MyApp* app) {
    for (int i = 0; i < 600 && (app->m_LoadStage != 0 || app->m_DevW != bb_graphics_device->width); ++i)
        frame(host);
}

void check_heap(long update, const Options& o) {
    if (gc_check_heap() == 0) return;
    std::printf("soak: FAILED: the collector's heap check found problems at update %ld (replay with --seed %llu)\n",
                update, static_cast<unsigned long long>(o.seed));
    std::fflush(stdout);
    std::_Exit(3);
}

struct Figures {
    long rssStart = 0, rssWarm = 0, rssEnd = 0;  // KiB
    int gcPeakWarm = 0, gcPeakAfter = 0;         // bytes
    long long externalWarm = 0, externalEnd = 0;  // bytes
};

int report(const Options& o, const Figures& f, double seconds, RandomPlayer& player) {
    std::printf("soak: %ld updates in %.1f s, %.0f updates/s\n", o.updates, seconds,
                seconds > 0 ? o.updates / seconds : 0.0);
    std::printf("soak: highest gc_alloced_bytes %d (up to the warm-up %d, after it %d)\n", gc_max_alloced_bytes,
                f.gcPeakWarm, f.gcPeakAfter);
    std::printf("soak: VmRSS %ld KiB at the start (after loading), %ld KiB after the warm-up, %ld KiB at the end\n",
                f.rssStart, f.rssWarm, f.rssEnd);
    RandomPlayer::Print(player.Counts(), stdout);

    long rssAllowed = f.rssWarm + kRssSlackKiB + f.rssWarm / 10;
    bool rssOk = f.rssEnd <= rssAllowed;
    bool gcOk = f.gcPeakAfter <= f.gcPeakWarm + GC_CYCLE_BYTES;
    long long nativeAllowed = f.externalWarm + kNativeSlackBytes + f.externalWarm / 10;
    bool nativeOk = f.externalEnd <= nativeAllowed;
    std::printf("soak: resident memory %s (end %ld KiB, allowed %ld KiB)\n", rssOk ? "bounded" : "NOT BOUNDED",
                f.rssEnd, rssAllowed);
    std::printf("soak: collected heap %s (peak after the warm-up %d, allowed %d)\n", gcOk ? "bounded" : "NOT BOUNDED",
                f.gcPeakAfter, f.gcPeakWarm + GC_CYCLE_BYTES);
    std::printf("soak: native memory %s (%lld bytes after the warm-up, %lld at the end, allowed %lld)\n",
                nativeOk ? "bounded" : "NOT BOUNDED", f.externalWarm, f.externalEnd, nativeAllowed);
    if (rssOk && gcOk && nativeOk) return 0;
    std::printf("soak: FAILED: memory not bounded (replay with --seed %llu)\n", static_cast<unsigned long long>(o.seed));
    return 1;
}

// The soak itself, in the child process.
int run(const Options& o, const std::string& dir) {
    if (chdir(dir.c_str()) != 0) {
        std::perror("soak: entering the working folder");
        return 2;
    }
    SoakHost* host = new SoakHost();
    c_MyApp* app = StartHeadlessGameOn(host, kDeviceW, kDeviceH);
    finish_loading(host, app);
    if (app->m_LoadStage != 0) {
        std::printf("soak: FAILED: the game did not finish loading\n");
        return 1;
    }

    Figures f;
    f.rssStart = ResidentKiB();
    long warmup = std::max(o.updates / 10, std::min(2000L, o.updates / 2));
    RandomPlayer player(host, app, o.seed);
    player.ScheduleSizeTour(warmup / 4);
    host->pad = &player.Pad();
    double start = now_seconds();
    long rounds = 0;
    for (long u = 0; u < o.updates; ++u) {
        player.BeforeUpdate(u);
        int mode = app->m_Mode;
        frame(host);
        // A round hands back to the menu in its last update; watched
        // rounds are not recorded, and not kept.
        if (mode == c_MyApp::kModeRound && app->m_Mode == c_MyApp::kModeToMenu && keep_round(app, rounds)) ++rounds;
        player.AfterUpdate();
        if (u > warmup) leak(o.leak);
        g_progress->update = u;
        int& peak = u < warmup ? f.gcPeakWarm : f.gcPeakAfter;
        if (gc_alloced_bytes > peak) peak = gc_alloced_bytes;
        if (u % o.checkEvery == 0) check_heap(u, o);
        if (u == warmup) {
            f.rssWarm = ResidentKiB();
            f.externalWarm = gc_external_bytes;
        }
        if (u > 0 && u % 10000 == 0) {
            std::printf("soak: %ld updates, VmRSS %ld KiB, gc_alloced_bytes %d\n", u, ResidentKiB(), gc_alloced_bytes);
            std::fflush(stdout);
        }
    }
    double seconds = now_seconds() - start;
    if (o.updates <= warmup) {
        f.rssWarm = ResidentKiB();
        f.externalWarm = gc_external_bytes;
    }

    // Back to the start size, loaded, and a few seconds of menu for the
    // collector to finish with what the run dropped.
    player.Settle(o.updates);
    finish_loading(host, app);
    for (int i = 0; i < 600; ++i) {
        frame(host);
        if (gc_alloced_bytes > f.gcPeakAfter) f.gcPeakAfter = gc_alloced_bytes;
    }
    check_heap(o.updates, o);
    f.rssEnd = ResidentKiB();
    f.externalEnd = gc_external_bytes;
    return report(o, f, seconds, player);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse_args(argc, argv, &o)) {
        std::fprintf(stderr, "usage: soak [--seed N] [--updates N] [--check-every N] [--leak BYTES] [--keep-rounds DIR]\n");
        return 2;
    }
    std::printf("soak: seed %llu (replay with --seed %llu), %ld updates, heap check every %ld\n",
                static_cast<unsigned long long>(o.seed), static_cast<unsigned long long>(o.seed), o.updates,
                o.checkEvery);
    std::fflush(stdout);

    void* shared = mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        std::perror("soak: mmap");
        return 2;
    }
    g_progress = new (shared) Progress{-1, 0};
    std::string dir = make_temp_dir();
    if (dir.empty()) {
        std::perror("soak: making the working folder");
        return 2;
    }
    pid_t child = fork();
    if (child < 0) {
        std::perror("soak: fork");
        remove_temp_dir(dir);
        return 2;
    }
    if (child == 0) {
        int status = run(o, dir);
        g_progress->finished = 1;
        std::fflush(stdout);
        std::_Exit(status);
    }

    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    int replays = g_progress->finished ? verify_rounds(dir, o.seed) : 0;
    if (!o.keepRounds.empty() && !copy_rounds(dir, o.keepRounds) && replays == 0) replays = 6;
    remove_temp_dir(dir);
    if (WIFEXITED(status) && g_progress->finished) return WEXITSTATUS(status) ? WEXITSTATUS(status) : replays;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        std::printf("soak: FAILED: the game ended the process at update %ld (replay with --seed %llu)\n",
                    g_progress->update, static_cast<unsigned long long>(o.seed));
        return 4;
    }
    if (WIFSIGNALED(status)) {
        std::printf("soak: FAILED: killed by signal %d at update %ld (replay with --seed %llu)\n", WTERMSIG(status),
                    g_progress->update, static_cast<unsigned long long>(o.seed));
        return 128 + WTERMSIG(status);
    }
    std::printf("soak: FAILED: status %d at update %ld (replay with --seed %llu)\n", WEXITSTATUS(status),
                g_progress->update, static_cast<unsigned long long>(o.seed));
    return WEXITSTATUS(status) ? WEXITSTATUS(status) : 1;
}
