// host/web/main.cpp - the web build's program entry.
//
// Returns as soon as the browser drives the frames; the program lives on in
// the page (host/web/webgame.h).
#include "host/web/webgame.h"

int main(int argc, const char** argv) {
    BBWebGame::Main(argc, argv);
    return 0;
}
