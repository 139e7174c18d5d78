// host/verify_start.cpp - the start-ups without a window: VerifyReplays
// (--verify) and CheckRoundStream (--check-rounds).
//
// Linked with the program, beside host/startup.cpp, since it starts the
// program's own bbInit and bbMain and asks its bbReplays.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

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

int CheckRoundStream(int inFd, int outFd, const char* version) {
    // The game's own messages (its settings loaded, and so on) go to the
    // error stream: the protocol's stream carries nothing else.
    int protocol = dup(outFd);
    if (protocol < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) return 2;
    std::FILE* in = fdopen(inFd, "rb");
    std::FILE* out = fdopen(protocol, "wb");
    if (!in || !out) return 2;

    BBHeadlessGame* host = StartGame();
    BBGameReplays* replays = bbReplays();
    for (int i = 0; i < kReadyUpdates && !replays->Ready(); ++i) host->Update();
    if (!replays->Ready()) {
        std::fputs("failed the game did not reach its menu\n", out);
        return 1;
    }
    std::fprintf(out, "ready %s\n", version);
    std::fflush(out);

    char request[64];
    std::vector<uint8_t> bytes;
    while (std::fgets(request, sizeof request, in)) {
        unsigned long length = 0;
        char end = 0;
        if (std::sscanf(request, "round %lu%c", &length, &end) != 2 || end != '\n' || length > kCheckedRoundBytes) {
            std::fputs("failed the request is not \"round LENGTH\"\n", out);
            return 2;
        }
        bytes.resize(length);
        if (std::fread(bytes.data(), 1, length, in) != length) return 2;
        BBRecordedRound recorded;
        std::string error;
        if (!replays->OpenBytes(bytes.data(), bytes.size(), &recorded, &error)) {
            std::fprintf(out, "unreadable %s\n", error.c_str());
        } else {
            switch (PlayOpenedReplay(host, replays, recorded)) {
                case BBReplayRun::kEnded: {
                    std::string verdict;
                    ReplayVerdict(replays->Result(), recorded, &verdict);
                    std::fprintf(out, "played %s\n", verdict.c_str());
                    break;
                }
                case BBReplayRun::kNotStarted:
                    std::fputs("unchecked the game did not start its round\n", out);
                    break;
                case BBReplayRun::kNotEnded:
                    std::fprintf(out, "unchecked the game did not finish its round within %ld updates\n",
                                 recorded.end.updates + kReadyUpdates);
                    break;
            }
        }
        std::fflush(out);
    }
    return 0;
}
