// The window-less replay check, driven through the abstract host with a
// stand-in game: it waits for the game to be ready, plays the replay to its
// end, and compares the score, the length and the world with the recording.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/headless.h"
#include "host/verify.h"

namespace {

// A game that is ready after `readyAfter` updates and then plays a replay for
// `length` updates, ending as `end` says; it counts the host's updates.
class StandInGame : public BBGameDelegate, public BBGameReplays {
public:
    int readyAfter = 30, length = 200;
    BBRoundEnd end{120, 200, 0xabcd};
    int updates = 0, startedAt = -1, startedReadyAt = -1;

    void UpdateGame() override { ++updates; }
    bool Open(const std::string&, BBRecordedRound*, std::string*) override { return true; }
    void WatchOnceReady() override {}
    bool Ready() override { return updates >= readyAfter; }
    void Start() override {
        startedAt = updates;
        startedReadyAt = Ready();
    }
    bool Over() override { return startedAt >= 0 && updates - startedAt >= length; }
    BBRoundEnd Result() override { return end; }
    void FixRoundSeed(int32_t) override {}
    std::string Folder() override { return "./replays"; }
};

struct Check {
    int status;
    std::string out, err;
};

Check CheckWith(StandInGame* game, const BBRecordedRound& recorded) {
    BBHeadlessGame host;
    host.SetDelegate(game);
    host.StartGame();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Check c;
    c.status = CheckReplay(&host, game, recorded, "run.replay", out, err);
    for (std::FILE* f : {out, err}) {
        std::string& text = f == out ? c.out : c.err;
        std::rewind(f);
        for (int ch; (ch = std::fgetc(f)) != EOF;) text += static_cast<char>(ch);
        std::fclose(f);
    }
    EXPECT_EQ(host.Updates(), game->updates) << "every update goes through the host";
    EXPECT_EQ(host.Millisecs(), static_cast<int>(game->updates * 1000LL / 60)) << "its clock follows the updates";
    return c;
}

}  // namespace

TEST(VerifyReplayTest, WaitsForTheGamePlaysTheRoundThroughAndComparesAllThree) {
    BBRecordedRound recorded;
    recorded.end = BBRoundEnd{120, 200, 0xabcd};

    StandInGame* same = new StandInGame();
    Check c = CheckWith(same, recorded);
    EXPECT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(c.out, "score 120 updates 200\n");
    EXPECT_EQ(c.err, "");
    EXPECT_EQ(same->startedAt, 30);
    EXPECT_TRUE(same->startedReadyAt);
    EXPECT_EQ(same->updates, 230) << "no update after the round's end";

    StandInGame* otherWorld = new StandInGame();
    otherWorld->end.world = 0xabce;
    c = CheckWith(otherWorld, recorded);
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(c.err, "lantern-vault: run.replay: the round reached its score and length but ended in another "
                     "state than it was recorded\n");

    StandInGame* shorter = new StandInGame();
    shorter->length = 150;
    shorter->end = BBRoundEnd{90, 150, 0xabcd};
    recorded.otherVersion = "0.9";
    c = CheckWith(shorter, recorded);
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(c.out, "score 90 updates 150\n");
    EXPECT_EQ(c.err, "lantern-vault: run.replay: the round replayed to score 90 in 150 updates, but it was "
                     "recorded with score 120 in 200 (by version 0.9)\n");
}

TEST(VerifyReplayTest, AGameThatNeverEndsTheRoundIsStoppedAtABound) {
    BBRecordedRound recorded;
    recorded.end = BBRoundEnd{120, 200, 0xabcd};
    StandInGame* stuck = new StandInGame();
    stuck->readyAfter = 1 << 30;  // never ready
    stuck->length = 1 << 30;      // and never over
    stuck->end = BBRoundEnd{};    // nothing was watched
    Check c = CheckWith(stuck, recorded);
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(stuck->updates, kReadyUpdates + 200 + kReadyUpdates);
}
