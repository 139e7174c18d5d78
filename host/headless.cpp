// host/headless.cpp - BBHeadlessGame: the clock of its updates and no saved state.
#include "host/headless.h"

#include "host/files.h"

int BBHeadlessGame::Millisecs() { return static_cast<int>(updates_ * 1000 / 60); }

String BBHeadlessGame::LoadState() { return String(); }

int BBHeadlessGame::SaveState(String) { return 0; }

String BBHeadlessGame::PathToFilePath(String path) { return MapGamePath(path); }

void BBHeadlessGame::Update() {
    UpdateGame();
    ++updates_;
}
