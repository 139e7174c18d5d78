// runtime/exit.cpp - vorlin_exit: how the process ends (see runtime/error.h).
//
// The web build supplies its own vorlin_exit (host/web/exit.cpp): a page
// cannot end its process.
#include <unistd.h>

#include <cstdio>

#include "runtime/error.h"

void vorlin_exit(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
}
