// game/replay_write.cpp - WriteReplayFile: a replay written as the state file is.
#include <sys/stat.h>

#include <cerrno>

#include "game/replay.h"
#include "host/files.h"

int WriteReplayFile(const std::string& path, const ReplayFile& replay) {
    // The folder beside the state file is made on the first write.
    if (mkdir(kReplayFolder, 0777) != 0 && errno != EEXIST) return -1;
    std::vector<uint8_t> bytes = EncodeReplay(replay);
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}
