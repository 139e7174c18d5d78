// host/web/web_board.cpp - the world board in the web build: the page's.
//
// The page talks to its board with its own script (host/web/index.html: it
// finds the board, keeps the player's name and key, sends the rounds, shows
// the answers and the boards); the game meets it through the calls below
// (host/web/web_host.js), which answer "no" while the page has no board.
// The page asks for the name itself, in any script, so the game's own name
// box never opens here.
#include <emscripten.h>

#include "host/web/web_host.h"
#include "host/world_board.h"

namespace {

class PageBoard : public BBWorldBoard {
public:
    void Poll() override {}
    bool Set() override { return lantern_web_board_state(0) != 0; }
    bool Answers() override { return lantern_web_board_state(1) != 0; }
    bool WantsName() override { return false; }
    bool SetName(const std::string&, std::string* error) override {
        *error = "the page keeps the name";
        return false;
    }
    void RoundFinished(const std::vector<uint8_t>& replay) override {
        lantern_web_board_round(replay.data(), static_cast<int>(replay.size()));
    }
    bool LastAnswer(std::string*) override { return false; }
    bool Daily(int32_t* seed) override { return lantern_web_board_daily(seed) != 0; }
    bool DailyAsked() override { return lantern_web_board_state(2) != 0; }
};

}  // namespace

BBWorldBoard* bbWorldBoard() {
    static PageBoard board;
    return &board;
}
