// game/replay_entry.cpp - the game's replays as the host asks for them
// (host/game_replays.h): a replay handed over to be watched (--replay, the
// page's), the command line's seed, and a replay played to its end for --verify.
#include "game/globals.h"
#include "game/myapp.h"
#include "game/replay.h"
#include "host/game_replays.h"

#ifndef LANTERN_VERSION
#error "LANTERN_VERSION is not defined: build with CMake"
#endif

namespace {

// The seed given with --seed.
bool g_seedFixed = false;
int32_t g_fixedSeed = 0;

// A replay handed over before the game started, until the game takes it.
std::unique_ptr<ReplayFile> g_toWatch;

c_MyApp* running_app() { return static_cast<c_MyApp*>(bb_app__app); }

class GameReplays : public BBGameReplays {
public:
    bool Open(const std::string& path, BBRecordedRound* recorded, std::string* error) override {
        std::unique_ptr<ReplayFile> replay(new ReplayFile());
        if (!ReadReplayFile(path, replay.get(), error)) return false;
        Keep(std::move(replay), recorded);
        return true;
    }

    bool OpenBytes(const uint8_t* bytes, size_t length, BBRecordedRound* recorded, std::string* error) override {
        std::unique_ptr<ReplayFile> replay(new ReplayFile());
        if (!DecodeReplay(bytes, length, replay.get(), error)) return false;
        Keep(std::move(replay), recorded);
        return true;
    }

    void WatchOnceReady() override {
        if (!kept_) return;
        if (running_app()) {
            running_app()->m_Replays->Watch(*kept_);
        } else {
            g_toWatch = std::move(kept_);
        }
    }

    bool Playing() override {
        c_MyApp* app = running_app();
        return app && app->m_Replays->Playing();
    }

    bool Ready() override {
        c_MyApp* app = running_app();
        return app && app->m_LoadStage == 0 && app->m_Mode == c_MyApp::kModeMenu;
    }

    void Start() override {
        if (kept_ && running_app()) running_app()->m_Replays->Watch(*kept_);
    }

    bool Over() override { return !running_app() || !running_app()->m_Replays->Watching(); }

    BBRoundEnd Result() override {
        BBRoundEnd end;
        if (running_app()) running_app()->m_Replays->LastWatched(&end.score, &end.updates, &end.world);
        return end;
    }

    void FixRoundSeed(int32_t seed) override { ::FixRoundSeed(seed); }

    std::string Folder() override { return kReplayFolder; }

private:
    void Keep(std::unique_ptr<ReplayFile> replay, BBRecordedRound* recorded) {
        recorded->end.score = replay->score;
        recorded->end.updates = static_cast<long>(replay->updates);
        recorded->end.world = replay->world;
        recorded->otherVersion = replay->gameVersion == LANTERN_VERSION ? "" : replay->gameVersion;
        kept_ = std::move(replay);
    }

    std::unique_ptr<ReplayFile> kept_;  // the replay Open read
};

}  // namespace

BBGameReplays* bbReplays() {
    static GameReplays* replays = new GameReplays();
    return replays;
}

std::unique_ptr<ReplayFile> TakeReplayToWatch() { return std::move(g_toWatch); }

void FixRoundSeed(int32_t seed) {
    g_seedFixed = true;
    g_fixedSeed = seed;
}

void ForgetRoundSeed() { g_seedFixed = false; }

bool FixedRoundSeed(int32_t* seed) {
    if (g_seedFixed) *seed = g_fixedSeed;
    return g_seedFixed;
}
