// game/replay_run.cpp - the command line's replays: checking one without a
// window (--verify), handing one to the game to watch (--replay), and the
// seed every round starts from (--seed).
#include <cstdlib>
#include <memory>

#include "game/globals.h"
#include "game/myapp.h"
#include "game/replay.h"
#include "host/desktop.h"
#include "host/startup.h"
#include "runtime/gc.h"

namespace {

const char* const kProgram = "lantern-vault";

// Updates the staged loader takes at most before the menu is up.
const int kLoadingUpdates = 1000;

// The desktop host without its window and clock: the game runs as fast as it
// can, on a clock that follows the updates; nothing is read from or written
// to the player's state file, and no pad is asked for.
class VerifyHost : public BBVorlinGame {
public:
    int Millisecs() override { return static_cast<int>(ticks * 1000 / 60); }
    String LoadState() override { return String(); }
    int SaveState(String) override { return 0; }
    bool PollJoystick(int, Array<float>, Array<float>, Array<float>, Array<bool>) override { return false; }
    long long ticks = 0;  // updates run

    void Update() {
        UpdateGame();
        ++ticks;
    }
};

// The replay given with --replay, until the game's menu takes it.
std::unique_ptr<ReplayFile> g_toWatch;

// The seed given with --seed.
bool g_seedFixed = false;
int32_t g_fixedSeed = 0;

bool read_or_report(const std::string& path, ReplayFile* replay, std::FILE* err) {
    std::string error;
    if (ReadReplayFile(path, replay, &error)) return true;
    std::fprintf(err, "%s: %s: %s\n", kProgram, path.c_str(), error.c_str());
    return false;
}

}  // namespace

int VerifyReplay(const std::string& path, std::FILE* out, std::FILE* err) {
    ReplayFile replay;
    if (!read_or_report(path, &replay, err)) return 2;

    // No sound device is needed: sound goes nowhere, and the game's sound
    // answers never depend on a device anyway.
    setenv("ALSOFT_DRIVERS", "null", 1);
    VerifyHost* host = new VerifyHost();
    gc_init();
    bbInit();
    gc_mark();
    bbMain();
    c_MyApp* app = static_cast<c_MyApp*>(bb_app__app);
    host->StartGame();
    for (int i = 0; i < kLoadingUpdates && (app->m_LoadStage != 0 || app->m_Mode != 1); ++i) host->Update();

    app->WatchReplay(replay);
    // The round ends by itself; the bound only guards against a game that
    // would never start it.
    long limit = static_cast<long>(replay.updates) + kLoadingUpdates;
    for (long i = 0; i < limit && app->Watching(); ++i) host->Update();

    int score = 0;
    long updates = 0;
    uint32_t world = 0;
    app->LastWatched(&score, &updates, &world);
    std::fprintf(out, "score %d updates %ld\n", score, updates);
    std::fflush(out);
    if (score == replay.score && updates == static_cast<long>(replay.updates) && world == replay.world) return 0;
    std::string by = replay.gameVersion == LANTERN_VERSION ? "" : " (by version " + replay.gameVersion + ")";
    if (score == replay.score && updates == static_cast<long>(replay.updates)) {
        std::fprintf(err, "%s: %s: the round reached its score and length but ended in another state than it was recorded%s\n",
                     kProgram, path.c_str(), by.c_str());
    } else {
        std::fprintf(err, "%s: %s: the round replayed to score %d in %ld updates, but it was recorded with score %d in %u%s\n",
                     kProgram, path.c_str(), score, updates, replay.score, replay.updates, by.c_str());
    }
    return 1;
}

int PrepareReplayToWatch(const std::string& path, std::FILE* err) {
    std::unique_ptr<ReplayFile> replay(new ReplayFile());
    if (!read_or_report(path, replay.get(), err)) return 2;
    g_toWatch = std::move(replay);
    return -1;
}

// Called once the game has loaded its saved state (game/flow.cpp).
void WatchCommandLineReplay(c_MyApp* app) {
    if (!g_toWatch) return;
    app->WatchReplay(*g_toWatch);
    g_toWatch.reset();
}

void FixRoundSeed(int32_t seed) {
    g_seedFixed = true;
    g_fixedSeed = seed;
}

void ForgetRoundSeed() { g_seedFixed = false; }

bool FixedRoundSeed(int32_t* seed) {
    if (g_seedFixed) *seed = g_fixedSeed;
    return g_seedFixed;
}
