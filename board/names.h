// board/names.h - players' names and their keys.
//
// A name is what a reader sees: 1 to 16 characters as a reader counts them
// (grapheme clusters), each a letter with its combining marks or a digit of
// any script, a space, "-", "_" or "."; normalised to NFKC (so full-width
// forms fold to their usual ones), trimmed, with runs of spaces made one. No
// control, format or bidirectional character is allowed, nor a mark with
// nothing to combine with. Two names are the same name when their caseless
// forms (NFKC with case folding) are equal; the board stores the name as it
// was first written, and compares the folded form.
//
// A key is the secret a client makes and keeps to hold its name: URL-safe
// base64 or hex, 22 to 128 characters (at least 128 bits). The board keeps
// only its SHA-256.
#ifndef LANTERN_BOARD_NAMES_H
#define LANTERN_BOARD_NAMES_H

#include <string>

struct PlayerName {
    std::string shown;   // NFKC, trimmed: as the boards show it (UTF-8)
    std::string folded;  // its caseless form: what makes two names the same
};

// Reads a name sent by a client (UTF-8). False with a one-line reason when it
// is not a name the board takes.
bool ReadPlayerName(const std::string& sent, PlayerName* name, std::string* error);

// Checks a key sent by a client; false with a one-line reason when it is no key.
bool ReadPlayerKey(const std::string& sent, std::string* error);

// The SHA-256 of `bytes`, as 64 lowercase hex digits.
std::string Sha256Hex(const std::string& bytes);

#endif
