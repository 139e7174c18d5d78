// host/main.cpp - the process entry.
#include <cstdio>

#include "host/command_line.h"
#include "host/glfwgame.h"

#ifndef LANTERN_VERSION
#error "LANTERN_VERSION is not defined: build with CMake"
#endif

int main(int argc, const char** argv) {
    // The command line first: asking for the help or the version needs no
    // display, and a mistake on it is reported before a window opens.
    int status = AnswerCommandLine(ParseCommandLine(argc, argv), LANTERN_VERSION, stdout, stderr);
    if (status >= 0) return status;
    BBVorlinGame::Main(argc, argv);
    return 0;
}
