// audio/file_identity.cpp - which file an open FILE is (see audio/music_decode.h).
#include <sys/stat.h>

#include "audio/music_decode.h"

bool IdentifyFile(FILE* f, FileIdentity* id) {
    struct stat st;
    if (!f || fstat(fileno(f), &st) != 0) return false;
    id->device = st.st_dev;
    id->inode = st.st_ino;
    id->size = st.st_size;
    id->modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return true;
}
