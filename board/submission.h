// board/submission.h - a submitted round: from a request's body to a round the
// board may play again.
//
// A submission is JSON: {"name": NAME, "key": KEY, "replay": BASE64URL}, the
// replay being the file's bytes as the game writes them. It is read in two
// steps, with the look-up of a round already on the board between them:
//
//   ReadSubmission     the body, the name, the key and the replay's bytes can
//                      be read (else 400, with the line --verify would print
//                      for a replay it cannot read);
//   CheckSubmission    the round is one this board can have: recorded by the
//                      game it plays, no longer than two hours, and every value
//                      it sets one the game itself can give (else 422).
//
// Both are plain functions of their input, without a store or a socket.
#ifndef LANTERN_BOARD_SUBMISSION_H
#define LANTERN_BOARD_SUBMISSION_H

#include <string>

#include "board/names.h"
#include "game/replay.h"

struct Submission {
    PlayerName name;
    std::string keyHash;   // SHA-256 of the key, hex
    std::string bytes;     // the replay file's bytes
    ReplayFile replay;     // decoded from them
    // What makes the round the round, whatever else the file says: the
    // SHA-256 (hex) of its variant, seed, start values and tape.
    std::string roundKey;
};

bool ReadSubmission(const std::string& body, Submission* submission, std::string* error);

// `gameVersion` is the version of the game the board plays rounds with.
bool CheckSubmission(const Submission& submission, const std::string& gameVersion, std::string* error);

// Decodes URL-safe base64 (with or without its "=" padding); false when
// `text` is not that.
bool DecodeBase64Url(const std::string& text, std::string* bytes);

#endif
