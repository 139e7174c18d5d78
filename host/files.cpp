// host/files.cpp - path mapping, opening files, the state file and whole-file reads.
#include "host/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/game.h"

const char* const kStateFile = "./.vorlinstate";

namespace {

struct Mapping {
    const char* prefix;
    const char* replacement;
};
const Mapping kMappings[] = {
    {"vorlin://data/", "./data/"},
    {"vorlin://internal/", "./internal/"},
    {"vorlin://external/", "./external/"},
};

// 16-bit path -> bytes for the C library (UTF-8, the file system's encoding here).
std::string file_system_name(const String& path) { return path.ToUtf8(); }

}  // namespace

String bb_data_FixDataPath(String path) {
    int colon = path.Find(String(":/"));
    if (colon != -1 && path.Find(String("/")) == colon + 1) return path;
    if (path.StartsWith(String("./")) || path.StartsWith(String("/"))) return path;
    return String("vorlin://data/") + path;
}

String MapGamePath(String path) {
    if (!path.StartsWith(String("vorlin:"))) return path;
    for (const Mapping& m : kMappings) {
        String prefix(m.prefix);
        if (path.StartsWith(prefix)) return String(m.replacement) + path.Slice(prefix.Length());
    }
    return String();
}

FILE* BBGame::OpenFile(String path, String mode) {
    String mapped = PathToFilePath(path);
    if (mapped.Empty()) return nullptr;
    return std::fopen(file_system_name(mapped).c_str(), mode.ToUtf8().c_str());
}

// ---------------------------------------------------------------------------
// Whole files
// ---------------------------------------------------------------------------

String BBGame::LoadString(String path) {
    FILE* f = OpenFile(path, String("rb"));
    if (!f) return String();
    String text = String::Load(f);
    std::fclose(f);
    return text;
}

unsigned char* BBGame::LoadData(String path, int* length) {
    FILE* f = OpenFile(path, String("rb"));
    if (!f) return nullptr;
    std::vector<unsigned char> bytes;
    unsigned char block[4096];
    for (;;) {
        size_t got = std::fread(block, 1, sizeof block, f);
        bytes.insert(bytes.end(), block, block + got);
        if (got < sizeof block) break;
    }
    std::fclose(f);
    unsigned char* data = static_cast<unsigned char*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (!data) return nullptr;
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    *length = static_cast<int>(bytes.size());
    gc_force_sweep = true;
    return data;
}

// ---------------------------------------------------------------------------
// State file
// ---------------------------------------------------------------------------

String BBGame::LoadState() { return LoadString(String(kStateFile)); }

int BBGame::SaveState(String state) {
    std::string bytes = state.ToUtf8();
    return WriteFileAtomically(kStateFile, bytes.data(), bytes.size());
}

int WriteFileAtomically(const std::string& path, const void* data, size_t length) {
    // The new content goes to a temporary file beside the old one and
    // replaces it only once it is safely on disk; the temporary file is
    // opened without following a link planted under its name.
    std::string temp = path + ".new";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    struct stat old;
    if (::stat(path.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
    FILE* f = fdopen(fd, "wb");
    if (!f) {
        ::close(fd);
        std::remove(temp.c_str());
        return -1;
    }
    bool complete = std::fwrite(data, 1, length, f) == length;
    complete = std::fflush(f) == 0 && complete;
    complete = fsync(fileno(f)) == 0 && complete;
    complete = std::fclose(f) == 0 && complete;
    if (!complete || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return -2;
    }
    // Make the new name itself durable.
    std::string folder = path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/') + 1);
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        ::close(dir);
    }
    return 0;
}
