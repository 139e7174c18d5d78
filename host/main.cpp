// host/main.cpp - the process entry.
#include "host/glfwgame.h"

int main(int argc, const char** argv) {
    BBVorlinGame::Main(argc, argv);
    return 0;
}
