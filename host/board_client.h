// host/board_client.h - the desktop's side of the world board: its settings,
// its HTTP client (libcurl) and the rounds it sends.
//
// The settings live in kBoardSettingsFile beside the state file (whose format
// stays as it was), readable by the player alone: the board's address, the
// player's name, the key made at first use (24 random bytes, URL-safe base64)
// and whether the player was asked for a name. A finished round's replay
// waits in kOutboxFolder until the board has it; a thread of the client's own
// sends the rounds, follows a 202 until the round is decided, asks for today's
// maze, and waits between tries when the board cannot be reached (from 5 s
// up to 5 minutes), so that the game never waits for the network. Every
// request has a timeout (5 s to connect, 20 s in all).
//
// The page has a client of its own in its script; the web build leaves this
// file out (host/web/web.cmake).
#ifndef LANTERN_HOST_BOARD_CLIENT_H
#define LANTERN_HOST_BOARD_CLIENT_H

#include <cstdio>
#include <string>
#include <vector>

#include "host/world_board.h"

extern const char* const kBoardSettingsFile;  // "./.vorlinboard"
extern const char* const kOutboxFolder;       // "./replays/outbox"

struct BoardSettings {
    std::string board;  // the board's address, "http://host:port/"; empty: none
    std::string name;
    std::string key;
    bool asked = false;  // the player was asked for a name

    // Reads the file; a missing file is no board. False, with the reason, when it cannot be read.
    bool Load(std::string* error);
    // Writes it (readable by the player alone), through a temporary file.
    bool Save(std::string* error) const;
    // Makes the key when there is none.
    void MakeKey();
};

// Remembers --board URL ("none" forgets it) and --name NAME in the settings
// file; false with the reason on `err`, already printed.
bool ApplyBoardOptions(const std::string& board, bool boardGiven, const std::string& name, bool nameGiven,
                       std::FILE* err);

// --submit: sends each file to the board in the settings under its name and
// prints a line each: "FILE: rank R on board V (score S in U updates)", or the
// board's reason. Returns the worst status: 2 when a file could not be read or
// the board could not be reached, else 1 when one was refused, else 0.
int SubmitReplays(const std::vector<std::string>& paths, std::FILE* out, std::FILE* err);

// `bytes` in URL-safe base64 without padding, as a replay travels to the board.
std::string Base64Url(const std::string& bytes);

// The windowed game's world board: from now on bbWorldBoard() answers from
// the settings file (before, and in programs that never call this, it is
// "no board").
void EnableWorldBoard();
// Ends the client's thread (after the request under way, at most its
// timeout) and goes back to "no board": for programs that end quietly (the
// tests). The game itself never waits for it: it ends with the process.
void StopWorldBoard();

#endif
