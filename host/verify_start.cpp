// host/verify_start.cpp - VerifyReplay: the start-up of --verify.
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

}  // namespace

int VerifyReplay(const std::string& path, std::FILE* out, std::FILE* err) {
    BBGameReplays* replays = bbReplays();
    BBRecordedRound recorded;
    std::string error;
    if (!replays->Open(path, &recorded, &error)) {
        std::fprintf(err, "%s: %s: %s\n", kProgram, path.c_str(), error.c_str());
        return 2;
    }
    // No sound device is needed: sound goes nowhere, and the game's sound
    // answers never depend on a device anyway.
    setenv("ALSOFT_DRIVERS", "null", 1);
    BBHeadlessGame* host = new BBHeadlessGame();
    gc_init();
    bbInit();
    gc_mark();
    bbMain();
    host->StartGame();
    return CheckReplay(host, replays, recorded, path, out, err);
}
