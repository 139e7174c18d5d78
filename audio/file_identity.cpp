// audio/file_identity.cpp - which file an open FILE or a path is (see
// audio/music_decode.h).
#include <sys/stat.h>

#include "audio/music_decode.h"
#include "host/game.h"

bool IdentifyFile(FILE* f, FileIdentity* id) {
    struct stat st;
    if (!f || fstat(fileno(f), &st) != 0) return false;
    id->device = st.st_dev;
    id->inode = st.st_ino;
    id->size = st.st_size;
    id->modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return true;
}

bool IdentifyPath(const String& path, FILE** file, FileIdentity* id) {
    BBGame* host = BBGame::_game;
    FILE* f = host ? host->OpenFile(path, String("rb")) : nullptr;
    if (!f) return false;
    bool known = IdentifyFile(f, id);
    if (file && known) {
        *file = f;
    } else {
        std::fclose(f);
    }
    return known;
}
