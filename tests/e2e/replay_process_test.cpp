// Replays of the shipped game: a round played with real keys leaves its
// replay beside the state file; --verify replays it without a window to the
// score the highscore table recorded; the menu's R key and --replay show it
// with the REPLAY mark, and a key returns to the menu. --verify checks
// several files in one run, a line each.
#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include "game/replay.h"
#include "game_window.h"

namespace {

// At 640 x 480, the corner where the REPLAY mark is written, in its red.
const int kMarkLeft = 530, kMarkRight = 636, kMarkTop = 2, kMarkBottom = 40;

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// The most recent score of game variant `variant` in a state file's text.
int RecentScore(const std::string& state, int variant) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t bar; (bar = state.find('|', from)) != std::string::npos; from = bar + 1)
        parts.push_back(state.substr(from, bar - from));
    // 26 settings values, 9 of badges, then 21 per variant: pairs of (best, recent) and a checksum.
    size_t at = 26 + 9 + 21 * static_cast<size_t>(variant - 1) + 1;
    return at < parts.size() ? std::stoi(parts[at]) : -1;
}

}  // namespace

// Rounds start in a maze where no enemy touches a player who walks right and
// waits: in one of the clock's choosing the enemies sometimes ended the round
// before the test paused it, and its Escape then left the menu.
class ReplayProcessTest : public GameWindowTest {
protected:
    ReplayProcessTest() {
        command.push_back("--seed");
        command.push_back(std::to_string(kWalkerUntouchedSeed));
    }
    bool ShowsReplayMark() {
        int red = 0;
        for (int y = kMarkTop; y < kMarkBottom; y += 2)
            for (int x = kMarkLeft; x < kMarkRight; x += 2) {
                long p = screen.Pixel(window, x, y);
                if (p >= 0 && (p >> 16 & 0xff) > 200 && (p >> 8 & 0xff) < 140 && (p & 0xff) < 140) ++red;
            }
        return red > 10;
    }
    // Runs the game's --verify in the game's folder.
    ChildResult Verify(const std::string& file) {
        return RunProgram({LANTERN_EXE_PATH, "--verify", file}, {"ALSOFT_DRIVERS=null"}, "", 120);
    }
};

TEST_F(ReplayProcessTest, ARoundPlayedWithKeysIsVerifiedToItsTableScoreAndWatchedFromTheMenuAndTheCommandLine) {
    const std::string last = dir.path() + "/replays/last.replay";
    ASSERT_TRUE(WaitForMenu());
    Focus();
    ASSERT_FALSE(Exists(last));
    // A round of variant 2: a walk, a pause and its end from the pause menu.
    ASSERT_TRUE(PressUntil("Return", [&] { return ShowsEnergyBar(); })) << "no round";
    Walk(0, "Right", [] { return false; });
    ASSERT_TRUE(PressUntil("Escape", [&] { return ShowsPauseMenu(); })) << "no pause";
    ASSERT_TRUE(PressUntil("Left", [&] { return EndGameSelected(); })) << "\"End Game\" not selected";
    ASSERT_TRUE(PressUntil("Return", [&] { return !ShowsPauseMenu(); })) << "the round did not end";
    ASSERT_TRUE(XScreen::WaitUntil([&] { return Exists(last); }, 40)) << "no replay after the round";
    ASSERT_TRUE(XScreen::WaitUntil([&] { return RecentScore(ReadFile(dir.path() + "/.vorlinstate"), 2) >= 0; }, 20));
    EXPECT_EQ(ReadFile(last), ReadFile(dir.path() + "/replays/best-2.replay")) << "the first round is the best";

    // Checked without a window, it comes to the score the table recorded.
    ChildResult verified = Verify(last);
    EXPECT_EQ(verified.status, 0) << verified.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(verified.out, m, std::regex("score (-?[0-9]+) updates ([0-9]+)\n"))) << verified.out;
    EXPECT_EQ(std::stoi(m[1]), RecentScore(ReadFile(dir.path() + "/.vorlinstate"), 2));
    EXPECT_GT(std::stol(m[2]), 90) << "the banner alone lasts 90 updates";
    EXPECT_EQ(verified.err, "");

    // A damaged copy is refused with one line and status 2.
    std::string bytes = ReadFile(last);
    bytes[bytes.size() / 2] ^= 1;
    WriteFile("damaged.replay", bytes);
    ChildResult damaged = Verify("damaged.replay");
    EXPECT_EQ(damaged.status, 2);
    EXPECT_EQ(damaged.out, "");
    EXPECT_TRUE(std::regex_match(damaged.err, std::regex("lantern-vault: damaged.replay: [^\n]*checksum[^\n]*\n")))
        << damaged.err;

    // Watched from the menu: R plays the best round of the selected variant.
    ASSERT_TRUE(XScreen::WaitUntil([&] { return CentreVariant() == 2; }, 30)) << "no menu after the round";
    ASSERT_TRUE(PressUntil("r", [&] { return ShowsReplayMark(); })) << "R did not start the replay";
    EXPECT_TRUE(XScreen::WaitUntil([&] { return ShowsEnergyBar() && ShowsReplayMark(); }, 10));
    ASSERT_TRUE(PressUntil("x", [&] { return !ShowsReplayMark() && CentreVariant() == 2; })) << "no menu after a key";
    std::string state = ReadFile(dir.path() + "/.vorlinstate");

    // Named on the command line, it plays once the menu is up and returns to it.
    Key("F4");
    ASSERT_TRUE(game->Wait(20));
    command = {LANTERN_EXE_PATH, "--replay", last};
    Start();
    Focus();
    ASSERT_TRUE(XScreen::WaitUntil([&] { return ShowsReplayMark(); }, 30)) << "--replay showed no replay";
    ASSERT_TRUE(XScreen::WaitUntil([&] { return !ShowsReplayMark() && CentreVariant() == 2; }, 60))
        << "no menu after the replay";
    EXPECT_TRUE(game->Running());
    EXPECT_EQ(ReadFile(dir.path() + "/.vorlinstate"), state) << "watching recorded no score";
    EXPECT_EQ(ReadFile(last), ReadFile(dir.path() + "/replays/best-2.replay")) << "nor any replay";
}

// ---------------------------------------------------------------------------
// Several files checked in one run
// ---------------------------------------------------------------------------

namespace {

// Rounds of random play kept by the soak program, with what each recorded.
struct KeptRound {
    std::string path;
    ReplayFile replay;
};

std::vector<KeptRound> KeepRounds(const std::string& folder) {
    ChildResult soak = RunProgram({LANTERN_SOAK_PATH, "--seed", "3", "--updates", "6000", "--keep-rounds", folder},
                                  {"ALSOFT_DRIVERS=null"}, "", 240);
    EXPECT_EQ(soak.status, 0) << soak.out << soak.err;
    std::vector<KeptRound> rounds;
    for (int n = 0;; ++n) {
        KeptRound r{folder + "/" + std::to_string(n) + ".replay", {}};
        std::string error;
        if (!ReadReplayFile(r.path, &r.replay, &error)) break;
        rounds.push_back(r);
    }
    return rounds;
}

std::string Bytes(const ReplayFile& replay) {
    std::vector<uint8_t> bytes = EncodeReplay(replay);
    return std::string(bytes.begin(), bytes.end());
}

ChildResult VerifyFiles(const std::vector<std::string>& files) {
    std::vector<std::string> argv{LANTERN_EXE_PATH, "--verify"};
    argv.insert(argv.end(), files.begin(), files.end());
    return RunProgram(argv, {"ALSOFT_DRIVERS=null"}, "", 120);
}

std::string Played(const ReplayFile& r) {
    return "score " + std::to_string(r.score) + " updates " + std::to_string(r.updates);
}

}  // namespace

TEST(ReplayFilesTest, SeveralFilesGetALineEachFromOneRunAndTheWorstStatusWhileOneFileIsPrintedAsAlways) {
    ScopedTempDir dir;
    ASSERT_EQ(symlink(LANTERN_DATA_PATH, "data"), 0);
    std::vector<KeptRound> rounds = KeepRounds("rounds");
    ASSERT_GE(rounds.size(), 2u) << "the random player finished too few rounds";
    const KeptRound &a = rounds[0], &b = rounds[1];

    // Another round's copy that claims a score it did not make: it reads, and does not match.
    ReplayFile claimed = b.replay;
    claimed.score += 5;
    WriteFile("tampered.replay", Bytes(claimed));
    // A copy with one bit changed: refused by its checksum.
    std::string bytes = ReadFile(a.path);
    bytes[bytes.size() / 2] ^= 1;
    WriteFile("damaged.replay", bytes);

    // One file prints what it always printed, on its own.
    ChildResult one = VerifyFiles({a.path});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, Played(a.replay) + "\n");
    EXPECT_EQ(one.err, "");
    ChildResult damaged = VerifyFiles({"damaged.replay"});
    EXPECT_EQ(damaged.status, 2);
    EXPECT_EQ(damaged.out, "");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(damaged.err, m, std::regex("lantern-vault: damaged.replay: ([^\n]*checksum[^\n]*)\n")))
        << damaged.err;
    const std::string reason = m[1];
    ChildResult tampered = VerifyFiles({"tampered.replay"});
    EXPECT_EQ(tampered.status, 1);
    EXPECT_EQ(tampered.out, Played(b.replay) + "\n");

    // Several: a line each, in order, from one game; the rounds after another
    // round end exactly as they do alone.
    ChildResult many = VerifyFiles({a.path, "damaged.replay", "tampered.replay", b.path, a.path});
    EXPECT_EQ(many.out, a.path + ": " + Played(a.replay) + ": matched\n" +
                        "damaged.replay: could not be read: " + reason + "\n" +
                        "tampered.replay: " + Played(b.replay) + ": did not match (recorded score " +
                        std::to_string(claimed.score) + " in " + std::to_string(b.replay.updates) + " updates)\n" +
                        b.path + ": " + Played(b.replay) + ": matched\n" +
                        a.path + ": " + Played(a.replay) + ": matched\n");
    EXPECT_EQ(many.status, 2) << "the worst of the files'";
    EXPECT_EQ(many.err, "");

    ChildResult unmatched = VerifyFiles({"tampered.replay", a.path});
    EXPECT_EQ(unmatched.status, 1) << unmatched.out;
    // Every kept round, all in one run, after "--" too.
    std::vector<std::string> all{rounds[0].path, "--"};
    for (size_t i = 1; i < rounds.size(); ++i) all.push_back(rounds[i].path);
    ChildResult every = VerifyFiles(all);
    EXPECT_EQ(every.status, 0) << every.out;
    std::string lines;
    for (const KeptRound& r : rounds) lines += r.path + ": " + Played(r.replay) + ": matched\n";
    EXPECT_EQ(every.out, lines);
}
