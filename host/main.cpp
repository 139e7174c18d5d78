// host/main.cpp - the desktop's process entry.
#include <unistd.h>

#include <cstdio>

#include "host/board_client.h"
#include "host/command_line.h"
#include "host/desktop.h"
#include "host/game_replays.h"
#include "host/title.h"
#include "host/verify.h"
#include "runtime/error.h"

#ifndef LANTERN_VERSION
#error "LANTERN_VERSION is not defined: build with CMake"
#endif

int main(int argc, const char** argv) {
    // The command line first: asking for the help or the version needs no
    // display, and a mistake on it is reported before a window opens.
    CommandLine line = ParseCommandLine(argc, argv);
    int status = AnswerCommandLine(line, LANTERN_VERSION, stdout, stderr);
    if (status >= 0) return status;
    // Checking replays opens no window at all. It ends as the game does, at
    // once: the game and its devices are left as they are, as a quit leaves
    // them.
    if (!line.verifyFiles.empty()) vorlin_exit(VerifyReplays(line.verifyFiles, stdout, stderr));
    if (line.checkRounds) vorlin_exit(CheckRoundStream(STDIN_FILENO, STDOUT_FILENO, LANTERN_VERSION));
    // The world board's settings are remembered before anything else uses them.
    if ((line.boardGiven || line.nameGiven) &&
        !ApplyBoardOptions(line.board, line.boardGiven, line.name, line.nameGiven, stderr))
        return 2;
    if (!line.submitFiles.empty()) return SubmitReplays(line.submitFiles, stdout, stderr);
    BBGameReplays* replays = bbReplays();
    if (line.seedGiven) replays->FixRoundSeed(line.seed);
    // A replay to watch is read before the window opens, so a bad file is
    // refused without one.
    if (!line.replayFile.empty()) {
        BBRecordedRound recorded;
        std::string error;
        if (!replays->Open(line.replayFile, &recorded, &error)) {
            std::fprintf(stderr, "%s: %s: %s\n", kProgramName, line.replayFile.c_str(), error.c_str());
            return 2;
        }
        replays->WatchOnceReady();
    }
    EnableWorldBoard();
    BBDesktopGame::Main(argc, argv);
    return 0;
}
