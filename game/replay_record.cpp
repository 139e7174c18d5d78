// game/replay_record.cpp - recording every round the player plays, and
// putting a replay's input and state in place of the player's to watch one.
//
// Both happen around each update (ReplayUpdateBegin before the game reads
// any input, ReplayUpdateEnd after its update), with the carried fields
// (ReplayFieldTable) as the state a round starts from and the state that may
// change between two updates:
//   - recording: at the top of the update that starts a round the fields'
//     values are its start; at the top of every update of the round the
//     fields that differ from the end of the previous update are put on the
//     tape, followed by the input device's state.
//   - watching: the player's field values are kept aside and the replay's
//     start values put in; at the top of every update the fields are set to
//     their values at the end of the previous update plus the tape's changes
//     (so nothing the viewer's window does in between, a resize or a loss of
//     focus, reaches the round), and the game reads a second input device,
//     filled from the tape. The player's own device still receives the
//     viewer's events: a key or click ends the watching.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "game/gameplay.h"
#include "game/globals.h"
#include "game/myapp.h"
#include "game/replay.h"
#include "input/device.h"
#include "input/input_tape.h"
#include "runtime/error.h"
#include "support/random.h"

namespace {

// Bytes reserved for a round's tape: some hours of play.
const size_t kTapeReserve = 256 * 1024;

}  // namespace

struct ReplaySession {
    std::vector<void*> fields;           // storage of the carried fields (32 bits each), in file order
    std::vector<uint32_t> endOfUpdate;   // their values when the last update ended

    // Recording.
    InputTapeWriter writer{kTapeReserve};
    bool recording = false;
    ReplayFile recorded;                 // the round being recorded, then the last one finished
    bool hasRecorded = false;

    // Watching.
    ReplayFile watched;
    bool pending = false;                // WatchReplay was asked for; starts when the menu is up
    bool watching = false;
    std::unique_ptr<InputTapeReader> reader;
    c_InputDevice* playerInput = nullptr;  // the device the host feeds (held by the framework)
    std::vector<uint32_t> playerValues;    // the player's field values while a replay plays
    int lastScore = 0;
    long lastUpdates = 0;
    uint32_t lastWorld = 0;

    // Best replays: the score each holds, -1 for none; read on first use.
    int bestScore[4] = {-1, -1, -1, -1};
    bool bestKnown = false;
};

// ---------------------------------------------------------------------------
// The carried fields
// ---------------------------------------------------------------------------

// Everything a round reads that was set before it began or may change between
// its updates: the visible screen (set by the render), the loading stage (a
// resize restarts it), the pause (a loss of focus pauses), the variant, the
// options and control switches, the input latches and pointer history, the
// virtual buttons, the stick and tilt state, the boxes that a paused round
// can open, the debug and head-up display switches. All are 32 bits; floats
// travel as their bits. The order is the file's: a new field needs a new
// replay format.
namespace {

const int kScalarFields = 49;
const int kVKeys = 20;
const int kOptions = 25;

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

}  // namespace

int ReplayFieldCount() { return kScalarFields + kVKeys + kOptions; }

ReplaySession& c_MyApp::Replays() {
    if (m_Replays) return *m_Replays;
    m_Replays = new ReplaySession();
    std::vector<void*>& f = m_Replays->fields;
    void* scalars[] = {
        slot(bb_Zanth_jscrw), slot(bb_Zanth_jscrh), slot(m_ScaleX), slot(m_ScaleY), slot(m_FitAxis),
        slot(m_Landscape), slot(m_DevW), slot(m_DevH), slot(m_LoadStage), slot(m_Paused), slot(m_PauseState),
        slot(m_PauseSlide), slot(m_PauseSel), slot(bb_Zanth_iCadeControls), slot(bb_Zanth_OnScreenControls),
        slot(bb_Zanth_AccelerometerControls), slot(bb_Zanth_overscan), slot(bb_Zanth_DebugMode), slot(m_GameType),
        slot(m_NoHud), slot(m_MouseX), slot(m_MouseY), slot(m_MouseWasDown), slot(m_TouchLatch), slot(m_KeyLatch),
        slot(m_InputDelay), slot(m_KeyRampX), slot(m_KeyRampY), slot(m_MoveX), slot(m_MoveY),
        slot(m_TouchAnchorX), slot(m_TouchAnchorY), slot(m_AccelX0), slot(m_AccelY0), slot(m_TiltSmX),
        slot(m_TiltSmY), slot(m_PadDrag), slot(m_Fade), slot(m_OptionsOpen), slot(m_OptionSlide), slot(m_OptSel),
        slot(m_OptA), slot(m_OptB), slot(m_Fullscreen), slot(m_CreditsOpen), slot(m_BadgesOpen),
        slot(m_CreditSlide), slot(m_MenuSlide), slot(m_FreeEnt),
    };
    static_assert(sizeof scalars / sizeof scalars[0] == kScalarFields, "the scalar fields and their count agree");
    f.assign(scalars, scalars + kScalarFields);
    for (int i = 0; i < kVKeys; ++i) f.push_back(slot(m_VKeys[i]));
    for (int i = 0; i < kOptions; ++i) f.push_back(slot(m_Options[i]));
    size_t n = f.size();
    m_Replays->endOfUpdate.assign(n, 0);
    m_Replays->playerValues.assign(n, 0);
    m_Replays->recorded.fields.assign(n, 0);
    return *m_Replays;
}

void c_MyApp::ApplyReplayField(int index, uint32_t value) {
    ReplaySession& r = Replays();
    if (index >= 0 && index < static_cast<int>(r.fields.size())) set(r.fields[index], value);
}

void c_MyApp::TapeField(int index, uint32_t value, void* app) {
    static_cast<c_MyApp*>(app)->ApplyReplayField(index, value);
}

// ---------------------------------------------------------------------------
// Around every update
// ---------------------------------------------------------------------------

void c_MyApp::ReplayUpdateBegin() {
    ReplaySession& r = Replays();
    const size_t n = r.fields.size();

    if (r.watching) {
        // The viewer's keys, buttons and clicks end the watching; the update
        // then runs on the viewer's input, in the menu.
        if (r.playerInput->m_keyHitPut > 0) {
            StopWatching(true);
            return;
        }
    } else if (r.pending && m_Mode == 1 && m_LoadStage == 0) {
        StartWatching();
    }
    if (r.watching) {
        for (size_t i = 0; i < n; ++i) set(r.fields[i], r.endOfUpdate[i]);
        if (!r.reader->Next(m_TapeInput, TapeField, this)) {
            StopWatching(false);
            return;
        }
        bb_input_SetInputDevice(m_TapeInput);
        return;
    }

    if (!r.recording && m_Mode == 11 && m_LoadStage == 0) {
        r.writer.Begin();
        for (size_t i = 0; i < n; ++i) r.recorded.fields[i] = r.endOfUpdate[i] = get(r.fields[i]);
        r.recorded.variant = m_GameType;
        r.recording = true;
    }
    if (r.recording) {
        for (size_t i = 0; i < n; ++i) {
            uint32_t v = get(r.fields[i]);
            if (v != r.endOfUpdate[i]) r.writer.Field(static_cast<int>(i), v);
        }
        if (bb_input_device) r.writer.Input(*bb_input_device);
    }
}

void c_MyApp::ReplayUpdateEnd() {
    ReplaySession& r = Replays();
    const size_t n = r.fields.size();
    if (r.watching) {
        DrawReplayMark();
        bb_input_SetInputDevice(r.playerInput);
        for (size_t i = 0; i < n; ++i) r.endOfUpdate[i] = get(r.fields[i]);
        // The round is over when it hands back to the menu, as it did when it
        // was recorded; a tape that runs out first ends it there.
        if (m_Mode == 2 || r.reader->Played() >= static_cast<long>(r.watched.updates)) StopWatching(false);
        return;
    }
    if (!r.recording) return;
    r.writer.EndUpdate();
    for (size_t i = 0; i < n; ++i) r.endOfUpdate[i] = get(r.fields[i]);
    if (m_Mode == 2) {
        FinishRecording();
    } else if (m_Mode != 10 && m_Mode != 11) {
        r.recording = false;  // no round any more: nothing to keep
    }
}

int c_MyApp::RoundSeed() {
    ReplaySession& r = Replays();
    if (r.watching) return r.watched.seed;
    int32_t seed = 0;
    if (!FixedRoundSeed(&seed)) seed = bb_app_Millisecs();
    if (r.recording) r.recorded.seed = seed;
    return seed;
}

// ---------------------------------------------------------------------------
// Recording
// ---------------------------------------------------------------------------

void c_MyApp::FinishRecording() {
    ReplaySession& r = Replays();
    r.recording = false;
    r.writer.Finish();
    const std::vector<uint8_t>& tape = r.writer.Bytes();
    r.recorded.tape.assign(tape.begin(), tape.end());
    r.recorded.updates = static_cast<uint32_t>(r.writer.Updates());
    r.recorded.score = m_Score;
    r.recorded.world = WorldCheck();
    r.recorded.gameVersion = LANTERN_VERSION;
    r.hasRecorded = true;

    int variant = r.recorded.variant;
    if (variant < 1 || variant > 3) return;
    bool saved = WriteReplayFile(LastReplayPath(), r.recorded) == 0;
    // The best replay of a variant is the highest-scoring round recorded in
    // it; a tie keeps the older one, as the highscore table does.
    if (!r.bestKnown) LoadBestReplayScores();
    if (m_Score > r.bestScore[variant]) {
        if (WriteReplayFile(BestReplayPath(variant), r.recorded) == 0) {
            r.bestScore[variant] = m_Score;
        } else {
            saved = false;
        }
    }
    if (!saved) bbPrint(String("Replay could not be saved"));
}

const ReplayFile* c_MyApp::LastRecorded() const {
    return m_Replays && m_Replays->hasRecorded ? &m_Replays->recorded : nullptr;
}

void c_MyApp::LoadBestReplayScores() {
    ReplaySession& r = Replays();
    r.bestKnown = true;
    for (int v = 1; v <= 3; ++v) {
        ReplayFile best;
        std::string error;
        r.bestScore[v] = ReadReplayFile(BestReplayPath(v), &best, &error) && best.variant == v ? best.score : -1;
    }
}

bool c_MyApp::HasBestReplay(int variant) {
    ReplaySession& r = Replays();
    if (!r.bestKnown) LoadBestReplayScores();
    return variant >= 1 && variant <= 3 && r.bestScore[variant] >= 0;
}

// ---------------------------------------------------------------------------
// Watching
// ---------------------------------------------------------------------------

void c_MyApp::WatchReplay(const ReplayFile& replay) {
    ReplaySession& r = Replays();
    if (r.watching || r.recording || replay.fields.size() != r.fields.size()) return;
    r.watched = replay;
    r.pending = true;
}

bool c_MyApp::WatchBestReplay(int variant) {
    ReplayFile best;
    std::string error;
    if (variant < 1 || variant > 3 || !ReadReplayFile(BestReplayPath(variant), &best, &error)) {
        bbPrint(String("Replay could not be read: ") + String(error.c_str()));
        Replays().bestScore[variant >= 1 && variant <= 3 ? variant : 0] = -1;
        return false;
    }
    WatchReplay(best);
    return true;
}

bool c_MyApp::Watching() const { return m_Replays && (m_Replays->watching || m_Replays->pending); }

void c_MyApp::LastWatched(int* score, long* updates, uint32_t* world) const {
    *score = m_Replays ? m_Replays->lastScore : 0;
    *updates = m_Replays ? m_Replays->lastUpdates : 0;
    if (world) *world = m_Replays ? m_Replays->lastWorld : 0;
}

uint32_t c_MyApp::WorldCheck() const {
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
    mix(&m_Map[0], 64 * 64 * sizeof(float));
    mix(&m_Ents[0], static_cast<size_t>(m_Ents.Length()) * sizeof(float));
    mix(&m_Plr[0], 500 * sizeof(float));
    for (int i = 0; i <= m_PartMax && (i + 1) * play::kParticleFloats <= m_Part.Length(); ++i) {
        const float* p = &m_Part[i * play::kParticleFloats];
        if (p[play::kPartKind] != 0) mix(p, play::kParticleFloats * sizeof(float));
    }
    mix(&bb_random_Seed, sizeof bb_random_Seed);
    mix(&m_Score, sizeof m_Score);
    return h;
}

void c_MyApp::StartWatching() {
    ReplaySession& r = Replays();
    r.pending = false;
    r.watching = true;
    r.playerInput = bb_input_device;
    // A fresh device for every replay: nothing held, nothing hit.
    gc_assign(m_TapeInput, (new c_InputDevice())->m_new());
    const size_t n = r.fields.size();
    for (size_t i = 0; i < n; ++i) {
        r.playerValues[i] = get(r.fields[i]);
        set(r.fields[i], r.endOfUpdate[i] = r.watched.fields[i]);
    }
    r.reader.reset(new InputTapeReader(r.watched.tape.data(), r.watched.tape.size(), static_cast<int>(n)));
    m_Mode = 11;
}

void c_MyApp::StopWatching(bool interrupted) {
    ReplaySession& r = Replays();
    r.watching = false;
    r.lastScore = m_Score;
    r.lastUpdates = r.reader ? r.reader->Played() : 0;
    r.lastWorld = WorldCheck();
    bb_input_SetInputDevice(r.playerInput);
    const size_t n = r.fields.size();
    for (size_t i = 0; i < n; ++i) set(r.fields[i], r.playerValues[i]);
    if (interrupted || m_Mode != 2) {
        // Cut short: the round's tune and banner go with it.
        m_JMPlayer->p_JM_Stop(1);
        if (m_TunePlaying) p_StopTune();
        m_OverTimer = 0;
    }
    m_Mode = 1;
    m_MenuSlide = -32;
    // The press that ended it does not act in the menu too.
    ConsumePress();
    gc_assign(m_TapeInput, nullptr);
}

void c_MyApp::DrawReplayMark() {
    // Drawn last, with the drawing state put back afterwards: the mark must
    // not change what the next update draws or hit-tests.
    float sizeX = m_SizeX, sizeY = m_SizeY, rot = m_Rot, r = m_ColR, g = m_ColG, b = m_ColB, a = m_Alpha;
    int blend = m_Blend;
    p_ResetDraw();
    p_SetSize(2);
    p_SetCol(255, 90, 90, 1);
    p_Text(bb_Zanth_jscrw - 12, 12, String("REPLAY"), 2, 1);
    m_SizeX = sizeX;
    m_SizeY = sizeY;
    m_Rot = rot;
    m_ColR = r;
    m_ColG = g;
    m_ColB = b;
    m_Alpha = a;
    m_Blend = blend;
}
