// host/verify_start.cpp - VerifyReplays: the start-up of --verify.
//
// Linked with the program, beside host/startup.cpp, since it starts the
// program's own bbInit and bbMain and asks its bbReplays.
#include <cstdlib>

#include "host/headless.h"
#include "host/startup.h"
#include "host/title.h"
#include "host/verify.h"
#include "runtime/gc.h"

namespace {

const char* const kProgram = kProgramName;

// Starts the program's game without a window. Once in a process: there is
// one application in it.
BBHeadlessGame* StartGame() {
    // No sound device is needed: sound goes nowhere, and the game's sound
    // answers never depend on a device anyway.
    setenv("ALSOFT_DRIVERS", "null", 1);
    BBHeadlessGame* host = new BBHeadlessGame();
    gc_init();
    bbInit();
    gc_mark();
    bbMain();
    host->StartGame();
    return host;
}

int VerifyOne(const std::string& path, std::FILE* out, std::FILE* err) {
    BBGameReplays* replays = bbReplays();
    BBRecordedRound recorded;
    std::string error;
    if (!replays->Open(path, &recorded, &error)) {
        std::fprintf(err, "%s: %s: %s\n", kProgram, path.c_str(), error.c_str());
        return 2;
    }
    return CheckReplay(StartGame(), replays, recorded, path, out, err);
}

}  // namespace

int VerifyReplays(const std::vector<std::string>& paths, std::FILE* out, std::FILE* err) {
    if (paths.size() == 1) return VerifyOne(paths[0], out, err);
    return CheckReplays(paths, bbReplays(), StartGame, out);
}
