// The desktop game with a world board: the real lantern-vault-board on a
// free port of 127.0.0.1 and the shipped game. Recorded rounds sent with
// --submit come back ranked; a player who joins a board is asked for a name
// in the game's own name box, and a round played with real keys then goes to
// the board by itself; the menu's Daily button (Tab) plays the day's maze, and
// that round lands on the day's board.
#ifdef LANTERN_BOARD_PATH
#include <curl/curl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>

#include "game/replay.h"
#include "game_window.h"

namespace {

size_t Append(char* data, size_t size, size_t count, void* into) {
    static_cast<std::string*>(into)->append(data, size * count);
    return size * count;
}

}  // namespace

class WorldBoardProcessTest : public GameWindowTest {
protected:
    WorldBoardProcessTest() { startAtSetUp = false; }

    void SetUp() override {
        GameWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // A free port of 127.0.0.1 for the board (taken and given back at once).
        int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        close(probe);
        std::string port = std::to_string(ntohs(address.sin_port));
        url_ = "http://127.0.0.1:" + port + "/";
        board_.reset(new BackgroundProcess({LANTERN_BOARD_PATH, "--data", dir.path() + "/board", "--listen",
                                            "127.0.0.1:" + port, "--rate-limit", "100000000", "--verifiers", "1"},
                                           {"ALSOFT_DRIVERS=null"}));
        ASSERT_TRUE(XScreen::WaitUntil([&] { return !Get("api/health").is_null(); }, 60)) << "the board did not start";
    }

    void TearDown() override {
        GameWindowTest::TearDown();
        if (board_) board_->Signal(SIGTERM);
    }

    // GET `path` of the board: its JSON, or null when nothing (or no 200) came.
    nlohmann::json Get(const std::string& path) {
        std::string body;
        long status = 0;
        CURL* c = curl_easy_init();
        curl_easy_setopt(c, CURLOPT_URL, (url_ + path).c_str());
        curl_easy_setopt(c, CURLOPT_TIMEOUT, 10L);
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Append);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
        if (curl_easy_perform(c) == CURLE_OK) curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_cleanup(c);
        return status == 200 ? nlohmann::json::parse(body, nullptr, false) : nlohmann::json();
    }

    // Plays a round started with `key` from the menu and ends it from the
    // pause menu; returns once the round's replay is written (its banner
    // then fades over the menu).
    void PlayRound(const std::string& key) {
        const std::string last = dir.path() + "/replays/last.replay", before = ReadFile(last);
        ASSERT_TRUE(PressUntil(key, [&] { return ShowsEnergyBar(); })) << "no round";
        ASSERT_TRUE(PressUntil("Escape", [&] { return ShowsPauseMenu(); })) << "no pause";
        ASSERT_TRUE(PressUntil("Left", [&] { return EndGameSelected(); })) << "\"End Game\" not selected";
        ASSERT_TRUE(PressUntil("Return", [&] { return !ShowsPauseMenu(); })) << "the round did not end";
        ASSERT_TRUE(XScreen::WaitUntil([&] { return ReadFile(last) != before; }, 30)) << "no replay of the round";
        ASSERT_TRUE(WaitForMenu(30));
    }

    std::unique_ptr<BackgroundProcess> board_;
    std::string url_;
};

TEST_F(WorldBoardProcessTest, ARoundPlayedWithKeysGoesToTheBoardOnceANameIsGivenAndTheDailyMazeLandsOnItsDay) {
    // A player joins the board: the game asks for a name in its own box.
    command = {LANTERN_EXE_PATH, "--board", url_, "--seed", std::to_string(kWalkerUntouchedSeed)};
    Start();
    ASSERT_TRUE(WaitForMenu());
    Focus();
    // The name box: its first key, selected, bright blue.
    ASSERT_TRUE(XScreen::WaitUntil([&] { return ColourNear(screen.Pixel(window, 140, 195), 0x02a5ee, 30); }, 30))
        << "no name box";
    Xdo("type --delay 80 'Keyed In'");
    Press("Return");
    ASSERT_TRUE(XScreen::WaitUntil([&] { return ReadFile(dir.path() + "/.vorlinboard").find("name Keyed In") != std::string::npos; }, 20))
        << "the name was not kept: " << ReadFile(dir.path() + "/.vorlinboard");
    PlayRound("Return");
    if (HasFatalFailure()) return;
    nlohmann::json player;
    ASSERT_TRUE(XScreen::WaitUntil([&] { return !(player = Get("api/players/Keyed%20In")).is_null(); }, 60))
        << "the round did not reach the board";
    EXPECT_EQ(player["boards"][0]["variant"], 2);

    // The day's maze: a round of it is filed under today.
    nlohmann::json daily = Get("api/daily");
    ASSERT_FALSE(daily.is_null());
    PlayRound("Tab");
    if (HasFatalFailure()) return;
    ReplayFile last;
    std::string error;
    ASSERT_TRUE(ReadReplayFile(dir.path() + "/replays/last.replay", &last, &error)) << error;
    // (A round begun just before midnight plays the day that was.)
    nlohmann::json after = Get("api/daily");
    if (after["day"] != daily["day"] && last.seed == after["seed"].get<int32_t>()) daily = after;
    EXPECT_EQ(last.seed, daily["seed"].get<int32_t>()) << "the round played the day's maze";
    nlohmann::json day;
    ASSERT_TRUE(XScreen::WaitUntil([&] {
        day = Get("api/boards/2?day=" + daily["day"].get<std::string>());
        return !day.is_null() && day["total"] == 1;
    }, 60)) << "the daily round is not on its day's board: " << day.dump();
    EXPECT_EQ(day["rows"][0]["name"], "Keyed In");
}

TEST_F(WorldBoardProcessTest, SubmitSendsRecordedRoundsAndSaysWhatTheBoardMadeOfEach) {
    ChildResult soak = RunProgram({LANTERN_SOAK_PATH, "--seed", "3", "--updates", "6000", "--keep-rounds", "kept"},
                                  {"ALSOFT_DRIVERS=null"}, "", 240);
    ASSERT_EQ(soak.status, 0) << soak.out << soak.err;
    // Without a board or a name, nothing is sent.
    ChildResult alone = RunProgram({LANTERN_EXE_PATH, "--submit", "kept/0.replay"}, {"ALSOFT_DRIVERS=null"});
    EXPECT_EQ(alone.status, 2);
    EXPECT_NE(alone.err.find("--submit needs a board and a name"), std::string::npos) << alone.err;
    // With them (remembered from now on): a line each, and the worst status.
    std::string damaged = ReadFile("kept/1.replay");
    damaged[damaged.size() / 2] ^= 1;
    WriteFile("damaged.replay", damaged);
    ChildResult sent = RunProgram({LANTERN_EXE_PATH, "--board", url_, "--name", "Filer", "--submit", "kept/0.replay",
                                   "damaged.replay", "kept/2.replay"},
                                  {"ALSOFT_DRIVERS=null"}, "", 120);
    EXPECT_EQ(sent.status, 1) << sent.out << sent.err;
    EXPECT_TRUE(std::regex_search(sent.out, std::regex("^kept/0\\.replay: rank 1 on board [123] \\(score -?[0-9]+ in [0-9]+ updates\\)\n")))
        << sent.out;
    EXPECT_NE(sent.out.find("damaged.replay: refused: the replay is damaged (its checksum does not match)\n"),
              std::string::npos) << sent.out;
    EXPECT_TRUE(std::regex_search(sent.out, std::regex("\nkept/2\\.replay: rank 1 on board"))) << sent.out;
    struct stat info;
    ASSERT_EQ(stat(".vorlinboard", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the key is the player's alone";
    nlohmann::json filer = Get("api/players/filer");
    ASSERT_FALSE(filer.is_null());
    EXPECT_EQ(filer["name"], "Filer");
}
#endif
