// Replays: a round played with keys, a resize, a loss of focus, the pause
// menu and the music player running is recorded, written, read back and
// watched, and comes out the same round; watching leaves the player's
// options, badges and state file alone; damaged files are refused.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <map>

#include "alloc_count.h"
#include "common/test_support.h"
#include "game/replay.h"
#include "input/device.h"
#include "round_world.h"
#include "support/random.h"

using namespace play;

namespace {

const int kEscape = 27, kEnter = 13, kLeft = 37, kUp = 38, kRight = 39, kDown = 40;

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// A maze of variant 3 where the scripted round below lives until its end.
const int32_t kScriptSurvivesSeed = 20261208;

class ReplayTest : public RoundTest {
protected:
    void TearDown() override {
        if (app()) {
            bb_Zanth_HasMusic = 0;
            app()->m_JMPlayer->p_JM_Stop(1);
            Resize(640, 480);
            FinishLoading();
        }
        RoundTest::TearDown();
    }

    // The round's world as it stands, copied: maze, entities, player, live
    // particles, the generator and the score.
    struct WorldState {
        std::vector<float> map, ents, plr, particles;
        int seed = 0, score = 0;
        bool operator==(const WorldState& o) const {
            return map == o.map && ents == o.ents && plr == o.plr && particles == o.particles && seed == o.seed &&
                   score == o.score;
        }
    };
    static WorldState World() {
        WorldState w;
        const float* map = &app()->m_Map[0];
        w.map.assign(map, map + 64 * 64);
        w.ents.assign(&app()->m_Ents[0], &app()->m_Ents[0] + app()->m_Ents.Length());
        w.plr.assign(&app()->m_Plr[0], &app()->m_Plr[0] + 500);
        // Live particles; a free record keeps what an earlier round left.
        for (int i = 0; i <= app()->m_PartMax; ++i) {
            const float* p = &app()->m_Part[i * kParticleFloats];
            if (p[kPartKind] != 0) w.particles.insert(w.particles.end(), p, p + kParticleFloats);
        }
        w.seed = bb_random_Seed;
        w.score = app()->m_Score;
        return w;
    }

    // Frames (an update and a render each) with `key` held.
    void HoldFrames(int key, int frames) {
        KeyDown(key);
        Frame(frames);
        KeyUp(key);
        Frame();
    }

    // Plays a round of variant 3 from the menu to its end through the pause
    // menu; `world` and `updates` get the world as the round handed back to
    // the menu and the round's update count.
    void PlayScriptedRound(WorldState* world, long* updates) {
        // The script walks blind: in a maze drawn from the clock the enemies
        // catch the player before the pause about one time in twenty (the
        // round is over, and nothing pauses). A fixed maze where the player
        // lives through the script; the replay still draws from its seed.
        FixRoundSeed(kScriptSurvivesSeed);
        struct Forget {
            ~Forget() { ForgetRoundSeed(); }
        } forget;
        app()->m_GameType = 3;
        app()->m_Mode = c_MyApp::kModeStartRound;
        long n = 0;
        auto frames = [&](int count) {
            for (int i = 0; i < count && app()->m_Mode != c_MyApp::kModeToMenu; ++i, ++n) Frame();
        };
        auto hold = [&](int key, int count) {
            KeyDown(key);
            frames(count);
            KeyUp(key);
            frames(1);
        };
        frames(1);
        ASSERT_EQ(app()->m_Mode, c_MyApp::kModeRound) << "the round started";
        hold(kRight, 80);
        hold(kUp, 8);
        hold(kLeft, 150);
        hold(kDown, 40);
        // A bigger window: the screen is fitted anew and everything reloads.
        Resize(900, 600);
        frames(40);
        hold(kRight, 120);
        hold(kUp, 5);
        // The focus goes and comes back: the round pauses; Escape resumes it.
        host()->SuspendGame();
        Render();
        host()->ResumeGame();
        frames(20);
        ASSERT_EQ(app()->m_Paused, 1);
        hold(kEscape, 3);
        frames(30);
        hold(kLeft, 90);
        Resize(640, 480);
        frames(40);
        // Pause, select "End Game", take it: the banner, then the menu.
        hold(kEscape, 3);
        frames(20);
        hold(kLeft, 3);
        hold(kEnter, 3);
        for (int i = 0; i < 400 && app()->m_Mode != c_MyApp::kModeToMenu; ++i, ++n) Frame();
        ASSERT_EQ(app()->m_Mode, c_MyApp::kModeToMenu) << "the round handed back to the menu";
        *world = World();
        *updates = n;
        Frame();
        ASSERT_EQ(app()->m_Mode, c_MyApp::kModeMenu);
    }
};

TEST_F(ReplayTest, ARecordedRoundReplaysUpdateForUpdateFromItsFileWhateverTheWindowAndLeavesThePlayersStateAlone) {
    // The music player runs while the round is recorded: its draws, made by
    // the clock, must not reach the round's numbers.
    app()->m_JMPlayer->p_JM_Init(32, 4, 3, 3, 4);
    bb_Zanth_HasMusic = 1;
    WorldState world;
    long updates = 0;
    PlayScriptedRound(&world, &updates);
    if (HasFatalFailure()) return;
    bb_Zanth_HasMusic = 0;

    const ReplayFile* recorded = app()->m_Replays->LastRecorded();
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(static_cast<long>(recorded->updates), updates);
    EXPECT_EQ(recorded->variant, 3);
    EXPECT_LT(recorded->tape.size(), 4000u) << "a round of some seconds takes a few hundred bytes";

    ReplayFile replay;
    std::string error;
    ASSERT_TRUE(ReadReplayFile(LastReplayPath(), &replay, &error)) << error;
    EXPECT_EQ(replay.score, recorded->score);
    EXPECT_EQ(replay.seed, recorded->seed);
    EXPECT_EQ(replay.tape, recorded->tape);
    EXPECT_EQ(replay.fields, recorded->fields);
    EXPECT_FALSE(replay.gameVersion.empty());

    // Watched in another window size, with other options, other badges, and
    // the music player off.
    Resize(1000, 560);
    FinishLoading();
    app()->m_GameType = 1;
    app()->m_Options[5] = 2;
    app()->m_Options[20] = 4321;
    app()->m_Badges[3] = !app()->m_Badges[3];
    std::vector<bool> badges;
    for (int i = 0; i < 256; ++i) badges.push_back(app()->m_Badges[i]);
    ASSERT_EQ(app()->p_Save(), 0);
    std::string state = FileText(".vorlinstate");
    ASSERT_FALSE(state.empty());

    app()->m_Replays->Watch(replay);
    EXPECT_TRUE(app()->m_Replays->Watching());
    bool markShown = false;
    for (long i = 0; i < updates + 100 && app()->m_Replays->Watching(); ++i) {
        Frame();
        if (i == updates / 2) {
            markShown = Drew("REPLAY");
            EXPECT_EQ(app()->m_Mode, c_MyApp::kModeRound) << "the round is on the game's own screen";
        }
    }
    EXPECT_FALSE(app()->m_Replays->Watching());
    EXPECT_TRUE(markShown) << "the REPLAY mark is drawn while the round plays";
    int score = -1;
    long watched = 0;
    uint32_t check = 0;
    app()->m_Replays->LastWatched(&score, &watched, &check);
    EXPECT_EQ(score, replay.score);
    EXPECT_EQ(check, replay.world) << "the world check --verify compares";
    EXPECT_EQ(watched, updates) << "the replay ends in the update the round ended";
    EXPECT_TRUE(World() == world) << "the same maze, enemies, player, particles and numbers";

    EXPECT_EQ(app()->m_Mode, c_MyApp::kModeMenu) << "back to the menu";
    EXPECT_EQ(app()->m_GameType, 1);
    EXPECT_EQ(app()->m_Options[5], 2);
    EXPECT_EQ(app()->m_Options[20], 4321);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(app()->m_Badges[i], badges[i]) << "badge " << i;
    Frame(3);
    EXPECT_EQ(FileText(".vorlinstate"), state) << "watching saves nothing";
    ReplayFile after;
    ASSERT_TRUE(ReadReplayFile(LastReplayPath(), &after, &error)) << error;
    EXPECT_EQ(after.tape, replay.tape) << "the last replay is still the played round's";

    // Any key ends a replay early, and the game is back in the menu.
    app()->m_Replays->Watch(replay);
    Frame(30);
    ASSERT_TRUE(app()->m_Replays->Watching());
    ASSERT_EQ(app()->m_Mode, c_MyApp::kModeRound);
    KeyDown('Q');
    Frame();
    KeyUp('Q');
    EXPECT_FALSE(app()->m_Replays->Watching());
    Frame();
    EXPECT_EQ(app()->m_Mode, c_MyApp::kModeMenu);
    EXPECT_EQ(app()->m_Options[5], 2);
    EXPECT_EQ(app()->m_TunePlaying, 0) << "the round's tune stops with it";
}

TEST_F(ReplayTest, ARoundWhoseReloadedArtArrivesLateWaitsForItAndReplaysToTheSameEnd) {
    // A host that fetches its files, as the page does: every "-hd" image (the
    // art of both of the round's window sizes) arrives only after it has been
    // asked for six times. The updates of the reloads after each change of
    // size wait for it, and the round's replay, watched where every file is
    // at hand, still ends where the round did.
    std::map<std::string, int> asked;
    int refused = 0;
    SetFileReady([&](const std::string& path) {
        if (path.find("-hd.png") == std::string::npos || ++asked[path] > 6) return true;
        ++refused;
        return false;
    });
    struct AtHand {
        ~AtHand() { SetFileReady(nullptr); }
    } atHand;
    WorldState world;
    long updates = 0;
    PlayScriptedRound(&world, &updates);
    if (HasFatalFailure()) return;
    SetFileReady(nullptr);
    EXPECT_GT(refused, 20) << "the reload waited for its files";
    EXPECT_GE(asked.size(), 10u) << "every image of the resolution was asked for";

    const ReplayFile* recorded = app()->m_Replays->LastRecorded();
    ASSERT_NE(recorded, nullptr);
    EXPECT_LT(static_cast<long>(recorded->updates), updates) << "the frames whose update waited are not the round's";
    ReplayFile replay = *recorded;
    app()->m_Replays->Watch(replay);
    for (long i = 0; i < updates + 100 && app()->m_Replays->Watching(); ++i) Frame();
    ASSERT_FALSE(app()->m_Replays->Watching());
    int score = -1;
    long watched = 0;
    uint32_t check = 0;
    app()->m_Replays->LastWatched(&score, &watched, &check);
    EXPECT_EQ(score, replay.score);
    EXPECT_EQ(check, replay.world);
    EXPECT_EQ(watched, static_cast<long>(replay.updates));
    EXPECT_TRUE(World() == world) << "the same maze, enemies, player, particles and numbers";
}

TEST_F(ReplayTest, TheWorldCheckChangesWithEveryPartOfTheWorldAndOnlyWithThose) {
    WorldState world;
    long updates = 0;
    PlayScriptedRound(&world, &updates);
    if (HasFatalFailure()) return;
    c_MyApp& a = *app();
    const uint32_t check = ReplaySession::WorldCheck(a);
    // One element of each part changed, checked, and put back.
    auto changes = [&](float& element) {
        const uint32_t before = ReplaySession::WorldCheck(a);
        float was = element;
        element = was + 1.5f;
        bool changed = ReplaySession::WorldCheck(a) != before;
        element = was;
        return changed && ReplaySession::WorldCheck(a) == before;
    };
    EXPECT_TRUE(changes(a.m_Map[0]));
    EXPECT_TRUE(changes(a.m_Map[64 * 64 - 1]));
    EXPECT_TRUE(changes(a.m_Ents[0]));
    EXPECT_TRUE(changes(a.m_Ents[a.m_Ents.Length() - 1]));
    EXPECT_TRUE(changes(a.m_Plr[0]));
    EXPECT_TRUE(changes(a.m_Plr[499]));
    float& kind = a.m_Part[a.m_PartMax * kParticleFloats + kPartKind];
    float wasKind = kind;
    kind = 0;  // a free record: whatever it holds is no part of the world
    const uint32_t freed = ReplaySession::WorldCheck(a);
    float& last = a.m_Part[a.m_PartMax * kParticleFloats + kParticleFloats - 1];
    float wasLast = last;
    last += 7;
    EXPECT_EQ(ReplaySession::WorldCheck(a), freed);
    kind = 1;  // alive: all of it counts
    EXPECT_NE(ReplaySession::WorldCheck(a), freed);
    EXPECT_TRUE(changes(last));
    last = wasLast;
    kind = wasKind;
    int seed = bb_random_Seed;
    bb_random_Seed = seed + 1;
    EXPECT_NE(ReplaySession::WorldCheck(a), check);
    bb_random_Seed = seed;
    a.m_Score += 5;
    EXPECT_NE(ReplaySession::WorldCheck(a), check);
    a.m_Score -= 5;
    EXPECT_EQ(ReplaySession::WorldCheck(a), check);
}

TEST_F(ReplayTest, DamagedTruncatedAndForeignFilesAreRefusedEachWithItsReason) {
    WorldState world;
    long updates = 0;
    PlayScriptedRound(&world, &updates);
    if (HasFatalFailure()) return;
    std::vector<uint8_t> good = EncodeReplay(*app()->m_Replays->LastRecorded());
    ReplayFile out;
    std::string error;
    ASSERT_TRUE(DecodeReplay(good.data(), good.size(), &out, &error)) << error;

    auto refused = [&](std::vector<uint8_t> bytes) {
        ReplayFile r;
        std::string why;
        EXPECT_FALSE(DecodeReplay(bytes.data(), bytes.size(), &r, &why));
        return why;
    };
    // Cut anywhere: truncated.
    for (size_t cut : {size_t(9), size_t(20), size_t(40), good.size() / 2, good.size() - 1})
        EXPECT_EQ(refused(std::vector<uint8_t>(good.begin(), good.begin() + cut)), "the replay is truncated") << cut;
    // Any byte changed: the checksum catches it.
    for (size_t at : {size_t(12), good.size() / 2, good.size() - 6}) {
        std::vector<uint8_t> bad = good;
        bad[at] ^= 0x20;
        EXPECT_NE(refused(bad).find("checksum"), std::string::npos) << at;
    }
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_NE(refused(longer).find("after its end"), std::string::npos);
    // Not a replay at all, or one of a format to come.
    EXPECT_EQ(refused({'P', 'K', 3, 4}), "not a replay file");
    std::string text = FileText(".vorlinstate");
    EXPECT_EQ(refused(std::vector<uint8_t>(text.begin(), text.end())), "not a replay file");
    std::vector<uint8_t> future = good;
    future[8] = 2;
    EXPECT_NE(refused(future).find("format 2 is not supported"), std::string::npos);
    // Sound checksums over contents this game cannot play.
    ReplayFile r = *app()->m_Replays->LastRecorded();
    r.tape.push_back(77);  // no such record
    EXPECT_NE(refused(EncodeReplay(r)).find("bad input record"), std::string::npos);
    r = *app()->m_Replays->LastRecorded();
    r.tape.pop_back();   // the last update is left open
    EXPECT_NE(refused(EncodeReplay(r)).find("damaged"), std::string::npos);
    r = *app()->m_Replays->LastRecorded();
    r.fields.pop_back();
    EXPECT_NE(refused(EncodeReplay(r)).find("start values"), std::string::npos);
    r = *app()->m_Replays->LastRecorded();
    r.updates += 1;
    EXPECT_NE(refused(EncodeReplay(r)).find("updates"), std::string::npos);
    r = *app()->m_Replays->LastRecorded();
    r.variant = 7;
    EXPECT_NE(refused(EncodeReplay(r)).find("variant 7"), std::string::npos);
    EXPECT_FALSE(ReadReplayFile("no-such.replay", &out, &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(ReplayTest, TheMusicPlayersDrawsLeaveTheRoundsGeneratorAlone) {
    // The player's steps fall due by the clock, not by the round's updates:
    // drawing from the round's generator would make a replay differ.
    c_JMPlayer* player = app()->m_JMPlayer;
    player->p_JM_Init(32, 4, 3, 3, 4);
    bb_random_Seed = 424242;
    player->p_JM_StartTune(String("Retro/HopperEsque"), 37171650, 100);
    for (int i = 0; i < 50; ++i) player->p_Rand(0, 9);
    EXPECT_EQ(bb_random_Seed, 424242);
    // Its own numbers still follow the tune's seed.
    int first[5], again[5];
    for (int& n : first) n = player->p_Rand(0, 1000);
    player->p_JM_StartTune(String("Retro/HopperEsque"), 37171650, 100);
    for (int i = 0; i < 50; ++i) player->p_Rand(0, 9);
    for (int& n : again) n = player->p_Rand(0, 1000);
    EXPECT_TRUE(std::equal(first, first + 5, again));
    player->p_JM_Stop(1);
}

TEST_F(ReplayTest, RecordingARoundAllocatesNothingPerUpdate) {
    if (!AllocCount::Available()) GTEST_SKIP() << "allocations are not counted in this build";
    app()->m_GameType = 2;
    app()->m_Mode = c_MyApp::kModeStartRound;
    Update();
    ASSERT_EQ(app()->m_Mode, c_MyApp::kModeRound);
    // Keys pressed and released, the pointer moving, a character typed:
    // every update has records on the tape.
    for (int i = 0; i < 6; ++i) {
        KeyDown(i % 2 ? kLeft : kRight);
        host()->MouseEvent(6, -1, 100.0f + i, 50.5f + i);
        Type('a' + i);
        EXPECT_EQ(AllocationsIn(1), 0) << i;
        KeyUp(i % 2 ? kLeft : kRight);
        EXPECT_EQ(AllocationsIn(20), 0) << i;
    }
}

// A round ended from its pause menu while two fingers pinch the pad leaves the
// pinch under way. The next round must not go on from it: the span the pinch
// compares with is no part of a replay, so that round would replay to another
// pad size alone than after the first, or than where it was recorded, and a
// finger on the pad's arrow would then move the player differently.
TEST_F(ReplayTest, APinchHeldAsARoundEndsLeavesTheNextRoundToReplayTheSameAloneAndAfterIt) {
    FixRoundSeed(kWalkerUntouchedSeed);
    struct Forget {
        ~Forget() {
            ForgetRoundSeed();
            SetTouchInUse(false);
        }
    } forget;
    c_MyApp* a = app();
    const float padY = bb_Zanth_jscrh - 100;
    auto finger = [&](int event, int id, float vx, float vy) {
        host()->TouchEvent(event, id, vx * a->m_ScaleX, vy * a->m_ScaleY);
    };
    auto startRound = [&] {
        a->m_Options[10] = a->m_Options[11] = 100;
        a->m_Options[12] = 10;
        a->m_GameType = 2;
        a->m_Mode = c_MyApp::kModeStartRound;
        Frame(30);
        ASSERT_EQ(a->m_Mode, c_MyApp::kModeRound);
        HoldFrames(kEscape, 3);
        Frame(20);
        ASSERT_EQ(a->m_Paused, 1);
    };
    // Keys end a round, as on a page, where a key hides the pad.
    auto endRound = [&] {
        SetTouchInUse(false);
        if (!a->m_Paused) HoldFrames(kEscape, 3);
        Frame(20);
        HoldFrames(kLeft, 3);
        HoldFrames(kEnter, 3);
        for (int i = 0; i < 400 && a->m_Mode != c_MyApp::kModeToMenu; ++i) Frame();
        ASSERT_EQ(a->m_Mode, c_MyApp::kModeToMenu) << "the round handed back to the menu";
        Frame();
    };

    // The first round: paused, pinched (320 pixels apart), ended with the fingers down.
    SetTouchInUse(true);
    startRound();
    if (HasFatalFailure()) return;
    finger(7, 0, 100, padY);
    finger(7, 1, 420, padY);
    Frame(5);
    ASSERT_EQ(a->m_PadDrag, 1) << "the pinch is under way";
    endRound();
    if (HasFatalFailure()) return;
    ReplayFile first = *a->m_Replays->LastRecorded();
    finger(8, 1, 0, 0);
    finger(8, 0, 0, 0);
    Frame();

    // The second: started with keys, paused, then pinched by fingers 80 pixels
    // apart, resumed by a finger, and a finger where the pad's right arrow is at
    // the size a stale pinch would leave (1.5), beyond it at the pad's own size.
    startRound();
    if (HasFatalFailure()) return;
    SetTouchInUse(true);
    Frame();
    finger(7, 0, 100, padY);
    finger(7, 1, 180, padY);
    Frame(3);
    finger(8, 1, 0, 0);
    finger(8, 0, 0, 0);
    Frame();
    EXPECT_EQ(a->m_Options[12], 10) << "the new pinch starts from its own fingers";
    finger(7, 0, bb_Zanth_jscrw / 2, bb_Zanth_jscrh / 2);  // "Resume"
    Frame(2);
    finger(8, 0, 0, 0);
    Frame(30);
    ASSERT_EQ(a->m_Paused, 0);
    finger(7, 0, 160, padY);
    Frame(30);
    finger(8, 0, 0, 0);
    Frame();
    endRound();
    if (HasFatalFailure()) return;
    ReplayFile second = *a->m_Replays->LastRecorded();

    ASSERT_EQ(WriteReplayFile("pinch-first.replay", first), 0);
    ASSERT_EQ(WriteReplayFile("pinch-second.replay", second), 0);
    ChildResult alone = RunProgram({LANTERN_EXE_PATH, "--verify", "pinch-second.replay"}, {"ALSOFT_DRIVERS=null"}, "", 120);
    EXPECT_EQ(alone.status, 0) << alone.out << alone.err;
    ChildResult both = RunProgram({LANTERN_EXE_PATH, "--verify", "pinch-first.replay", "pinch-second.replay"},
                                  {"ALSOFT_DRIVERS=null"}, "", 120);
    EXPECT_EQ(both.status, 0) << both.out << both.err;
    EXPECT_NE(both.out.find("pinch-second.replay: score " + std::to_string(second.score)), std::string::npos)
        << both.out;
}

// The rules of the carried values hold for a round played through a resize,
// a loss of focus and the pause menu; a value no game gives, at the start or
// set by the tape between updates, is named.
TEST_F(ReplayTest, ARoundsValuesAreOnesTheGameGivesAndAnyOtherIsNamed) {
    WorldState world;
    long updates = 0;
    PlayScriptedRound(&world, &updates);
    if (HasFatalFailure()) return;
    const ReplayFile& played = *app()->m_Replays->LastRecorded();
    std::string error;
    EXPECT_TRUE(CheckReplayValues(played, &error)) << error;

    auto refused = [&](ReplayFile r) {
        std::string why;
        EXPECT_FALSE(CheckReplayValues(r, &why));
        return why;
    };
    const uint32_t kFloat1000 = 0x447a0000;
    ReplayFile r = played;
    r.fields[0] = kFloat1000;  // a screen wider than any window's fit
    EXPECT_EQ(refused(r), "its start sets bb_Zanth_jscrw to 1000, which no game gives it there");
    r = played;
    r.fields[6] = 1000;  // a device size the screen's fields are not the fit of
    EXPECT_NE(refused(r).find("where the game fits a 1000 x"), std::string::npos) << refused(r);
    r = played;
    r.fields[18] = r.variant % 3 + 1;  // another variant than the file's
    EXPECT_NE(refused(r).find("m_GameType"), std::string::npos);
    r = played;
    r.fields[ReplayFieldCount() - 25 + 14] = 64;  // the console's overscan option
    EXPECT_NE(refused(r).find("m_Options[14] to 64"), std::string::npos);
    // On the tape: a loading stage the loader never skips to, a stick pushed beyond its end.
    r = played;
    r.tape.insert(r.tape.begin(), {9, 8, 12, 0, 0, 0, 10});  // field 8 (the loading stage) at 12, update 1
    r.updates += 1;
    EXPECT_EQ(refused(r), "update 1 of its tape sets m_LoadStage to 12, which no game gives it there");
    r = played;
    r.tape.insert(r.tape.begin(), {8, 0, 0, 0, 0, 0x40, 10});  // axis 0 of pad 0 at 2.0
    r.updates += 1;
    EXPECT_NE(refused(r).find("axis 0 of joystick 0 to 2"), std::string::npos) << refused(r);
}
