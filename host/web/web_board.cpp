// host/web/web_board.cpp - the world board in the web build: the page's.
//
// The page talks to its board with its own script; until it does, the game
// meets no board in a page (every question answered "no").
#include "host/world_board.h"

namespace {

class PageBoard : public BBWorldBoard {
public:
    void Poll() override {}
    bool Set() override { return false; }
    bool Answers() override { return false; }
    bool WantsName() override { return false; }
    bool SetName(const std::string&, std::string* error) override {
        *error = "the page keeps the name";
        return false;
    }
    void RoundFinished(const std::vector<uint8_t>&) override {}
    bool LastAnswer(std::string*) override { return false; }
    bool Daily(int32_t*) override { return false; }
};

}  // namespace

BBWorldBoard* bbWorldBoard() {
    static PageBoard board;
    return &board;
}
