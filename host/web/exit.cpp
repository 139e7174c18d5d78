// host/web/exit.cpp - vorlin_exit for the web build: the program ends, the page stays.
//
// A page cannot end its process, and a player does not expect a game to close
// its tab. The program hands its exit status to the page, which stops the
// frames and, after a normal quit, starts the game afresh (its state was
// saved and stored before the quit); after an error it shows the report.
// The C stack is then unwound without returning into the program, so no
// update, render or save follows, as on the desktop.
#include <emscripten.h>

#include <cstdio>

#include "host/web/web_host.h"
#include "runtime/error.h"

void vorlin_exit(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    lantern_web_program_ended(status);
    emscripten_exit_with_live_runtime();
    __builtin_unreachable();
}
