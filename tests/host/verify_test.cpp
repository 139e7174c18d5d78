// The window-less replay check, driven through the abstract host with a
// stand-in game: it waits for the game to be ready, plays the replay to its
// end, and compares the score, the length and the world with the recording;
// several files are checked one after another in one game, a line each.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

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
    bool OpenBytes(const uint8_t*, size_t, BBRecordedRound*, std::string*) override { return true; }
    void WatchOnceReady() override {}
    bool Playing() override { return startedAt >= 0 && !Over(); }
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

// ---------------------------------------------------------------------------
// Several files in one game
// ---------------------------------------------------------------------------

namespace {

// A stand-in game that knows some files: what each recorded, how its round
// plays (its length and end), and which cannot be read and why.
class ListGame : public BBGameDelegate, public BBGameReplays {
public:
    struct File {
        BBRecordedRound recorded;
        long length;       // updates the round takes, once started
        BBRoundEnd played;  // how it ends
        std::string error;  // why it cannot be read; empty when it can
    };
    std::map<std::string, File> files;
    int readyAfter = 30;
    int updates = 0;
    std::vector<int> startedAt;  // the update each round started at
    std::vector<std::string> played;
    std::string refused;  // a file whose replay the game does not start

    void UpdateGame() override { ++updates; }
    bool Open(const std::string& path, BBRecordedRound* recorded, std::string* error) override {
        auto f = files.find(path);
        if (f == files.end() || !f->second.error.empty()) {
            *error = f == files.end() ? "No such file or directory" : f->second.error;
            return false;
        }
        *recorded = f->second.recorded;
        open_ = path;
        return true;
    }
    bool OpenBytes(const uint8_t*, size_t, BBRecordedRound*, std::string*) override { return false; }
    void WatchOnceReady() override {}
    bool Ready() override { return updates >= readyAfter && !Playing(); }
    void Start() override {
        if (Playing() || open_ == refused) return;  // as the game: no round starts inside another
        startedAt.push_back(updates);
        played.push_back(open_);
    }
    bool Over() override { return !Playing(); }
    bool Playing() override {
        return !startedAt.empty() && updates - startedAt.back() < files.at(played.back()).length;
    }
    BBRoundEnd Result() override { return played.empty() ? BBRoundEnd{} : files[played.back()].played; }
    void FixRoundSeed(int32_t) override {}
    std::string Folder() override { return "./replays"; }

    // A file whose round plays to what it recorded.
    void Good(const std::string& name, BBRoundEnd end) { files[name] = File{{end, ""}, end.updates, end, ""}; }

private:
    std::string open_;
};

struct ListCheck {
    int status;
    std::string out;
    int starts = 0;  // times the game was started
};

ListCheck CheckList(ListGame* game, const std::vector<std::string>& paths) {
    BBHeadlessGame host;
    ListCheck c;
    std::FILE* out = std::tmpfile();
    c.status = CheckReplays(paths, game, [&]() {
        ++c.starts;
        host.SetDelegate(game);
        host.StartGame();
        return &host;
    }, out);
    std::rewind(out);
    for (int ch; (ch = std::fgetc(out)) != EOF;) c.out += static_cast<char>(ch);
    std::fclose(out);
    return c;
}

}  // namespace

TEST(VerifyReplaysTest, EachFileGetsItsLineInOrderFromOneGameAndTheWorstStatusWins) {
    ListGame* game = new ListGame();
    game->Good("a.replay", BBRoundEnd{120, 200, 0xabcd});
    game->Good("c.replay", BBRoundEnd{40, 90, 0x1234});
    game->files["b.replay"].error = "the replay is damaged (its checksum does not match)";
    ListGame::File shorter{{BBRoundEnd{5, 40, 7}, ""}, 12, BBRoundEnd{0, 12, 9}, ""};
    game->files["d.replay"] = shorter;
    shorter.recorded.otherVersion = "0.9";
    game->files["e.replay"] = shorter;
    game->files["f.replay"] = ListGame::File{{BBRoundEnd{5, 40, 7}, "0.9"}, 40, BBRoundEnd{5, 40, 8}, ""};

    ListCheck c = CheckList(game, {"a.replay", "b.replay", "c.replay", "d.replay", "e.replay", "f.replay",
                                   "a.replay", "missing.replay"});
    EXPECT_EQ(c.out,
              "a.replay: score 120 updates 200: matched\n"
              "b.replay: could not be read: the replay is damaged (its checksum does not match)\n"
              "c.replay: score 40 updates 90: matched\n"
              "d.replay: score 0 updates 12: did not match (recorded score 5 in 40 updates)\n"
              "e.replay: score 0 updates 12: did not match (recorded score 5 in 40 updates, by version 0.9)\n"
              "f.replay: score 5 updates 40: did not match (ended in another state than recorded, by version 0.9)\n"
              "a.replay: score 120 updates 200: matched\n"
              "missing.replay: could not be read: No such file or directory\n");
    EXPECT_EQ(c.status, 2);
    EXPECT_EQ(c.starts, 1) << "one game for every file";
    // Each round started as soon as the one before it had ended.
    EXPECT_EQ(game->startedAt, (std::vector<int>{30, 230, 320, 332, 344, 384}));
    EXPECT_EQ(game->updates, 584) << "no update after the last round";
}

TEST(VerifyReplaysTest, TheStatusIsOneWhenEveryFileReadsButOneDidNotMatchAndZeroWhenAllMatched) {
    ListGame* game = new ListGame();
    game->Good("a.replay", BBRoundEnd{120, 200, 0xabcd});
    game->files["d.replay"] = ListGame::File{{BBRoundEnd{5, 40, 7}, ""}, 12, BBRoundEnd{0, 12, 9}, ""};
    EXPECT_EQ(CheckList(game, {"a.replay", "d.replay", "a.replay"}).status, 1);

    ListGame* all = new ListGame();
    all->Good("a.replay", BBRoundEnd{120, 200, 0xabcd});
    all->Good("c.replay", BBRoundEnd{40, 90, 0x1234});
    ListCheck c = CheckList(all, {"c.replay", "a.replay"});
    EXPECT_EQ(c.status, 0) << c.out;
    EXPECT_EQ(c.out, "c.replay: score 40 updates 90: matched\na.replay: score 120 updates 200: matched\n");
}

TEST(VerifyReplaysTest, ARoundThatNeverEndsLeavesTheFilesAfterItUnchecked) {
    ListGame* game = new ListGame();
    game->Good("a.replay", BBRoundEnd{120, 200, 0xabcd});
    game->files["stuck.replay"] = ListGame::File{{BBRoundEnd{5, 40, 7}, ""}, 1 << 30, BBRoundEnd{}, ""};
    ListCheck c = CheckList(game, {"a.replay", "stuck.replay", "a.replay", "gone.replay"});
    EXPECT_EQ(c.out, "a.replay: score 120 updates 200: matched\n"
                     "stuck.replay: not checked: the game did not finish its round within 1040 updates\n"
                     "a.replay: not checked: the game did not finish the round of stuck.replay\n"
                     "gone.replay: could not be read: No such file or directory\n");
    EXPECT_EQ(c.status, 2);
    EXPECT_EQ(game->startedAt.size(), 2u) << "nothing was started inside the unfinished round";
    EXPECT_EQ(game->updates, 30 + 200 + 1040) << "the unfinished round was given its bound and no more";
}

TEST(VerifyReplaysTest, AReplayTheGameDidNotStartIsNotTakenForTheRoundBeforeIt) {
    ListGame* game = new ListGame();
    game->Good("a.replay", BBRoundEnd{120, 200, 0xabcd});
    game->Good("copy.replay", BBRoundEnd{120, 200, 0xabcd});
    game->refused = "copy.replay";
    ListCheck c = CheckList(game, {"a.replay", "copy.replay", "a.replay"});
    EXPECT_EQ(c.out, "a.replay: score 120 updates 200: matched\n"
                     "copy.replay: not checked: the game did not start its round\n"
                     "a.replay: score 120 updates 200: matched\n");
    EXPECT_EQ(c.status, 1);
}

TEST(VerifyReplaysTest, ANameWithControlCharactersStaysOnItsOneLine) {
    ListGame* game = new ListGame();
    game->Good("a\nb.replay: score 1 updates 1: matched", BBRoundEnd{120, 200, 0xabcd});
    ListCheck c = CheckList(game, {"a\nb.replay: score 1 updates 1: matched", "c\td\x7f.replay"});
    EXPECT_EQ(c.out, "a?b.replay: score 1 updates 1: matched: score 120 updates 200: matched\n"
                     "c?d?.replay: could not be read: No such file or directory\n");
}
