// host/world_board.h - the world board as the game meets it, through its host.
//
// A player joins a world board on the desktop with --board URL (the host keeps
// it in a settings file of its own) and on the page by the page's own board.
// The host then sends every round the player finishes, once it knows the
// player's name, keeps the rounds it could not send yet and sends them
// later, and tells the game what the board last answered and today's maze.
// The network is the host's: the desktop talks to the board on a thread of
// its own (libcurl, host/board_client.h), the page with its script; the game
// never waits for it.
//
// Without a board every question is answered "no", and the game shows no
// text, button or wait it would not show without one.
//
// Main thread only (the host hands over what its network brought in Poll).
#ifndef LANTERN_HOST_WORLD_BOARD_H
#define LANTERN_HOST_WORLD_BOARD_H

#include <cstdint>
#include <string>
#include <vector>

class BBWorldBoard {
public:
    virtual ~BBWorldBoard() {}

    // Takes what the host's network brought since the last call; the game
    // calls it once an update.
    virtual void Poll() = 0;
    // True while a board is set.
    virtual bool Set() = 0;
    // True while a board is set and its last answer came (it is reachable).
    virtual bool Answers() = 0;
    // True when the player still has to be asked for a name: a board is set,
    // no name is known, and the player was not asked before.
    virtual bool WantsName() = 0;
    // Keeps `name` as the player's (or, empty, that the player was asked and
    // gave none); false with a line saying why when it is no name the host
    // takes (the desktop's name box takes ASCII letters, digits, spaces, "-",
    // "_" and ".", 1 to 16 of them).
    virtual bool SetName(const std::string& name, std::string* error) = 0;
    // A round the player finished: its replay file's bytes. Sent once a name
    // is known; kept until then, and while the board cannot be reached.
    virtual void RoundFinished(const std::vector<uint8_t>& replay) = 0;
    // What the board answered about the last round sent, as one line for the
    // menu ("World rank 3 on board 2", or the board's reason); false while
    // there is nothing to say.
    virtual bool LastAnswer(std::string* line) = 0;
    // Today's maze, once the board has told it: true with its seed.
    virtual bool Daily(int32_t* seed) = 0;
    // True once after the player asked for the day's maze outside the game's
    // menu (the page's World tab, a #daily link): the menu then starts it.
    virtual bool DailyAsked() = 0;
};

// The host's world board, for as long as the process lives; never null.
BBWorldBoard* bbWorldBoard();

#endif
