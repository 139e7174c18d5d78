// tools/bench_board/long_rounds.cpp - rounds of five minutes (or a length
// given), recorded by the game itself without a window, for the board's
// benchmark: each walks right for its own while, jumps now and then, and
// stands; distinct input makes distinct rounds.
//
//   long_rounds OUT_DIR [ROUNDS=8] [UPDATES=18000]
//
// Every round starts from one maze, in which the enemies leave a player who
// walks right and stands alone for long; a round they end sooner is kept at
// its length. The files are OUT_DIR/long-N.replay; each line printed is a
// file with its length in updates.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "common/headless_game.h"
#include "game/replay.h"

namespace {

// The maze of the end-to-end tests where a player who walks right is left alone.
const int32_t kQuietSeed = 36;
const int kKeyRight = 39, kKeyUp = 38, kKeyEscape = 27, kKeyLeft = 37, kKeyEnter = 13;

BBGlfwGame* host;
c_MyApp* app;

void Frame() {
    host->UpdateGame();
    HeadlessRender(app);
}

void Hold(int key, int updates) {
    host->KeyEvent(1, key);
    for (int i = 0; i < updates; ++i) Frame();
    host->KeyEvent(2, key);
    Frame();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: long_rounds OUT_DIR [ROUNDS] [UPDATES]\n");
        return 2;
    }
    std::string out = argv[1];
    int rounds = argc > 2 ? std::atoi(argv[2]) : 8;
    long length = argc > 3 ? std::atol(argv[3]) : 18000;
    mkdir(out.c_str(), 0755);
    // The game plays in a folder of its own, with the build's data linked in.
    char folder[] = "/tmp/lantern-long-rounds-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0 || symlink(LANTERN_DATA_PATH, "data") != 0) return 1;
    host = new BBDesktopGame();
    app = StartHeadlessGameOn(host, 640, 480);
    for (int i = 0; i < 2000 && !(app->m_Mode == c_MyApp::kModeMenu && app->m_LoadStage == 0); ++i) Frame();
    FixRoundSeed(kQuietSeed);
    for (int r = 0; r < rounds; ++r) {
        app->m_GameType = 2;
        app->m_Mode = c_MyApp::kModeStartRound;
        Frame();
        long played = 1;
        host->KeyEvent(1, kKeyRight);
        for (long walk = 60 + 45L * r; walk > 0; --walk, ++played) Frame();
        host->KeyEvent(2, kKeyRight);
        while (played < length - 120 && app->m_GameEnded == 0) {
            if (played % 600 == 0) Hold(kKeyUp, 3);
            Frame();
            ++played;
        }
        // The pause menu's "End Game".
        if (app->m_GameEnded == 0) {
            Hold(kKeyEscape, 2);
            for (int i = 0; i < 20; ++i) Frame();
            Hold(kKeyLeft, 2);
            Hold(kKeyEnter, 2);
        }
        for (int i = 0; i < 400 && app->m_Mode != c_MyApp::kModeMenu; ++i) Frame();
        const ReplayFile* replay = app->m_Replays->LastRecorded();
        if (!replay) return 1;
        std::vector<uint8_t> bytes = EncodeReplay(*replay);
        std::string path = out + "/long-" + std::to_string(r) + ".replay";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        std::printf("%s %u\n", path.c_str(), replay->updates);
        std::fflush(stdout);
    }
    return 0;
}
