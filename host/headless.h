// host/headless.h - a host without a window, a sound device or a player.
//
// BBHeadlessGame runs the game as fast as its caller updates it: the host of
// --verify (host/verify.h). Its clock follows the updates run through Update
// (1000/60 ms each), so a round plays the same however fast the machine is.
// It reads and writes no state file and finds no joystick; game paths map to
// files as on the desktop ("vorlin://data/" is "./data/"). Without a window
// the renderer draws nothing, and sound goes wherever OpenAL puts it (the
// caller chooses its null backend).
#ifndef LANTERN_HOST_HEADLESS_H
#define LANTERN_HOST_HEADLESS_H

#include "host/game.h"

class BBHeadlessGame : public BBGame {
public:
    int Millisecs() override;
    String LoadState() override;          // always empty
    int SaveState(String state) override;  // writes nothing; 0
    String PathToFilePath(String path) override;

    // One update of the game, and one step of the clock.
    void Update();
    long long Updates() const { return updates_; }

private:
    long long updates_ = 0;  // updates run
};

#endif
