// game/replay_session.cpp - ReplaySession: recording every round the player
// plays, and putting a replay's input and state in place of the player's to
// watch one (see game/replay.h).
#include <cstdlib>
#include <cstring>

#include "game/gameplay.h"
#include "game/globals.h"
#include "game/myapp.h"
#include "game/replay.h"
#include "game/replay_fields.h"
#include "host/world_board.h"
#include "input/device.h"
#include "runtime/error.h"
#include "support/random.h"

#ifndef LANTERN_VERSION
#error "LANTERN_VERSION is not defined: build with CMake"
#endif

namespace {

// Bytes reserved for a round's tape: some hours of play.
const size_t kTapeReserve = 256 * 1024;

template <typename T>
void* slot(T& field) {
    static_assert(sizeof(T) == 4, "carried fields are 32 bits");
    return &field;
}

uint32_t get(void* field) {
    uint32_t v;
    std::memcpy(&v, field, 4);
    return v;
}

void set(void* field, uint32_t v) { std::memcpy(field, &v, 4); }

// The carried fields of `app`, in the file's order (game/replay_fields.h).
std::vector<void*> carried_fields(c_MyApp& a) {
#define LANTERN_REPLAY_SLOT(name, storage, rule) slot(storage),
    void* scalars[] = {LANTERN_REPLAY_SCALARS(LANTERN_REPLAY_SLOT)};
#undef LANTERN_REPLAY_SLOT
    static_assert(sizeof scalars / sizeof scalars[0] == kReplayScalars, "the scalar fields and their count agree");
    std::vector<void*> f(scalars, scalars + kReplayScalars);
    for (int i = 0; i < kReplayVKeys; ++i) f.push_back(slot(a.m_VKeys[i]));
    for (int i = 0; i < kReplayOptions; ++i) f.push_back(slot(a.m_Options[i]));
    return f;
}

}  // namespace

ReplaySession::ReplaySession(c_MyApp* app) : app_(*app), fields_(carried_fields(*app)), writer_(kTapeReserve) {
    size_t n = fields_.size();
    endOfUpdate_.assign(n, 0);
    playerValues_.assign(n, 0);
    recorded_.fields.assign(n, 0);
}

ReplaySession::~ReplaySession() {}

void ReplaySession::Mark() { gc_mark_q(tapeInput_); }

void ReplaySession::ApplyField(int index, uint32_t value) {
    if (index >= 0 && index < static_cast<int>(fields_.size())) set(fields_[index], value);
}

void ReplaySession::TapeField(int index, uint32_t value, void* session) {
    static_cast<ReplaySession*>(session)->ApplyField(index, value);
}

// ---------------------------------------------------------------------------
// Around every update
// ---------------------------------------------------------------------------

void ReplaySession::BeginUpdate() {
    if (watching_) {
        // The viewer's keys, buttons and clicks end the watching; the update
        // then runs on the viewer's input, in the menu.
        if (playerInput_->m_keyHitPut > 0) {
            StopWatching(true);
            return;
        }
    } else if (pending_ && app_.m_Mode == c_MyApp::kModeMenu && app_.m_LoadStage == 0) {
        StartWatching();
    }
    if (watching_) {
        for (size_t i = 0; i < fields_.size(); ++i) set(fields_[i], endOfUpdate_[i]);
        if (!reader_->Next(tapeInput_, TapeField, this)) {
            StopWatching(false);
            return;
        }
        bb_input_SetInputDevice(tapeInput_);
        return;
    }
    RecordUpdate();
}

void ReplaySession::EndUpdate() {
    const size_t n = fields_.size();
    if (watching_) {
        DrawMark();
        bb_input_SetInputDevice(playerInput_);
        for (size_t i = 0; i < n; ++i) endOfUpdate_[i] = get(fields_[i]);
        // The round is over when it hands back to the menu, as it did when it
        // was recorded; a tape that runs out first ends it there.
        if (app_.m_Mode == c_MyApp::kModeToMenu || reader_->Played() >= static_cast<long>(watched_.updates)) StopWatching(false);
        return;
    }
    if (!recording_) return;
    writer_.EndUpdate();
    for (size_t i = 0; i < n; ++i) endOfUpdate_[i] = get(fields_[i]);
    if (app_.m_Mode == c_MyApp::kModeToMenu) {
        FinishRecording();
    } else if (app_.m_Mode != c_MyApp::kModeRound && app_.m_Mode != c_MyApp::kModeStartRound) {
        recording_ = false;  // no round any more: nothing to keep
    }
}

int32_t ReplaySession::RoundSeed() {
    if (watching_) return watched_.seed;
    int32_t seed = 0;
    if (dailyPending_) {
        seed = dailySeed_;
        dailyPending_ = false;
    } else if (!FixedRoundSeed(&seed)) {
        seed = bb_app_Millisecs();
    }
    if (recording_) recorded_.seed = seed;
    return seed;
}

// ---------------------------------------------------------------------------
// Recording
// ---------------------------------------------------------------------------

void ReplaySession::RecordUpdate() {
    const size_t n = fields_.size();
    if (!recording_ && app_.m_Mode == c_MyApp::kModeStartRound && app_.m_LoadStage == 0) {
        writer_.Begin();
        for (size_t i = 0; i < n; ++i) recorded_.fields[i] = endOfUpdate_[i] = get(fields_[i]);
        recorded_.variant = app_.m_GameType;
        recording_ = true;
    }
    if (!recording_) return;
    for (size_t i = 0; i < n; ++i) {
        uint32_t v = get(fields_[i]);
        if (v != endOfUpdate_[i]) writer_.Field(static_cast<int>(i), v);
    }
    if (bb_input_device) writer_.Input(*bb_input_device);
}

void ReplaySession::FinishRecording() {
    recording_ = false;
    writer_.Finish();
    const std::vector<uint8_t>& tape = writer_.Bytes();
    recorded_.tape.assign(tape.begin(), tape.end());
    recorded_.updates = static_cast<uint32_t>(writer_.Updates());
    recorded_.score = app_.m_Score;
    recorded_.world = WorldCheck(app_);
    recorded_.gameVersion = LANTERN_VERSION;
    hasRecorded_ = true;

    int variant = recorded_.variant;
    if (variant < 1 || variant > 3) return;
    bool saved = WriteReplayFile(LastReplayPath(), recorded_) == 0;
    // The best replay of a variant is the highest-scoring round recorded in
    // it; a tie keeps the older one, as the highscore table does.
    if (!bestKnown_) LoadBestScores();
    if (app_.m_Score > bestScore_[variant]) {
        if (WriteReplayFile(BestReplayPath(variant), recorded_) == 0) {
            bestScore_[variant] = app_.m_Score;
        } else {
            saved = false;
        }
    }
    if (!saved) bbPrint(String("Replay could not be saved"));
    // The world board takes it, when one is set (host/world_board.h).
    bbWorldBoard()->RoundFinished(EncodeReplay(recorded_));
}

const ReplayFile* ReplaySession::LastRecorded() const { return hasRecorded_ ? &recorded_ : nullptr; }

void ReplaySession::LoadBestScores() {
    bestKnown_ = true;
    for (int v = 1; v <= 3; ++v) {
        ReplayFile best;
        std::string error;
        bestScore_[v] = ReadReplayFile(BestReplayPath(v), &best, &error) && best.variant == v ? best.score : -1;
    }
}

bool ReplaySession::HasBest(int variant) {
    if (!bestKnown_) LoadBestScores();
    return variant >= 1 && variant <= 3 && bestScore_[variant] >= 0;
}

uint32_t ReplaySession::WorldCheck(const c_MyApp& app) {
    // FNV-1a over the bytes.
    uint32_t h = 2166136261u;
    auto mix = [&h](const void* p, size_t n) {
        const unsigned char* b = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 16777619u;
    };
    // Only what a round sets and reads: the maze's 64 x 64 cells, the
    // entity table and the player record (which a round starts by clearing),
    // and the particles alive (a free record keeps whatever an earlier round
    // or the menu left in it).
    mix(&app.m_Map[0], 64 * 64 * sizeof(float));
    mix(&app.m_Ents[0], static_cast<size_t>(app.m_Ents.Length()) * sizeof(float));
    mix(&app.m_Plr[0], 500 * sizeof(float));
    for (int i = 0; i <= app.m_PartMax && (i + 1) * play::kParticleFloats <= app.m_Part.Length(); ++i) {
        const float* p = &app.m_Part[i * play::kParticleFloats];
        if (p[play::kPartKind] != 0) mix(p, play::kParticleFloats * sizeof(float));
    }
    mix(&bb_random_Seed, sizeof bb_random_Seed);
    mix(&app.m_Score, sizeof app.m_Score);
    return h;
}

// ---------------------------------------------------------------------------
// Watching
// ---------------------------------------------------------------------------

void ReplaySession::Watch(const ReplayFile& replay) {
    if (watching_ || recording_ || replay.fields.size() != fields_.size()) return;
    watched_ = replay;
    pending_ = true;
}

bool ReplaySession::WatchBest(int variant) {
    ReplayFile best;
    std::string error;
    if (variant < 1 || variant > 3 || !ReadReplayFile(BestReplayPath(variant), &best, &error)) {
        bbPrint(String("Replay could not be read: ") + String(error.c_str()));
        bestScore_[variant >= 1 && variant <= 3 ? variant : 0] = -1;
        return false;
    }
    Watch(best);
    return true;
}

void ReplaySession::WatchReplayHandedOver() {
    if (std::unique_ptr<ReplayFile> replay = TakeReplayToWatch()) Watch(*replay);
}

bool ReplaySession::Watching() const { return watching_ || pending_; }

void ReplaySession::LastWatched(int* score, long* updates, uint32_t* world) const {
    *score = lastScore_;
    *updates = lastUpdates_;
    if (world) *world = lastWorld_;
}

void ReplaySession::StartWatching() {
    pending_ = false;
    watching_ = true;
    playerInput_ = bb_input_device;
    // A fresh device for every replay: nothing held, nothing hit.
    gc_assign(tapeInput_, (new c_InputDevice())->m_new());
    const size_t n = fields_.size();
    for (size_t i = 0; i < n; ++i) {
        playerValues_[i] = get(fields_[i]);
        set(fields_[i], endOfUpdate_[i] = watched_.fields[i]);
    }
    reader_.reset(new InputTapeReader(watched_.tape.data(), watched_.tape.size(), static_cast<int>(n)));
    app_.m_Mode = c_MyApp::kModeStartRound;
}

void ReplaySession::StopWatching(bool interrupted) {
    watching_ = false;
    lastScore_ = app_.m_Score;
    lastUpdates_ = reader_ ? reader_->Played() : 0;
    lastWorld_ = WorldCheck(app_);
    bb_input_SetInputDevice(playerInput_);
    for (size_t i = 0; i < fields_.size(); ++i) set(fields_[i], playerValues_[i]);
    if (interrupted || app_.m_Mode != c_MyApp::kModeToMenu) {
        // Cut short: the round's tune and banner go with it.
        app_.m_JMPlayer->p_JM_Stop(1);
        if (app_.m_TunePlaying) app_.p_StopTune();
        app_.m_OverTimer = 0;
    }
    app_.m_Mode = c_MyApp::kModeMenu;
    app_.m_MenuSlide = -32;
    // The press that ended it does not act in the menu too.
    app_.ConsumePress();
    gc_assign(tapeInput_, nullptr);
}

void ReplaySession::DrawMark() {
    // Drawn last, with the drawing state put back afterwards: the mark must
    // not change what the next update draws or hit-tests.
    c_MyApp& a = app_;
    float sizeX = a.m_SizeX, sizeY = a.m_SizeY, rot = a.m_Rot, r = a.m_ColR, g = a.m_ColG, b = a.m_ColB;
    float alpha = a.m_Alpha;
    int blend = a.m_Blend;
    a.p_ResetDraw();
    a.p_SetSize(2);
    a.p_SetCol(255, 90, 90, 1);
    a.p_Text(bb_Zanth_jscrw - 12, 12, String("REPLAY"), 2, 1);
    a.m_SizeX = sizeX;
    a.m_SizeY = sizeY;
    a.m_Rot = rot;
    a.m_ColR = r;
    a.m_ColG = g;
    a.m_ColB = b;
    a.m_Alpha = alpha;
    a.m_Blend = blend;
}
