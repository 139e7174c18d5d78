// game/replay_file.cpp - the replay file: encoding, checking, reading and writing.
#include "game/replay.h"

#include <cerrno>
#include <cstring>

#include "input/input_tape.h"

#ifndef LANTERN_VERSION
#error "LANTERN_VERSION is not defined: build with CMake"
#endif

const char* const kReplayFolder = "./replays";

namespace {

const char kMagic[8] = {'L', 'V', 'R', 'E', 'P', 'L', 'A', 'Y'};
// A replay of a whole day of play is far below this; a length field above it is damage.
const uint32_t kMaxTapeBytes = 256u << 20;
// A week at 60 updates a second (a round left paused counts too): no round lasts longer.
const uint32_t kMaxUpdates = 60u * 60 * 60 * 24 * 7;

uint32_t crc32(const uint8_t* p, size_t n) {
    static uint32_t table[256];
    static bool made = false;
    if (!made) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        made = true;
    }
    uint32_t c = 0xffffffffu;
    for (size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

void put_word(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Reads the file's parts in order; remembers when it ran past the end.
struct Reader {
    const uint8_t* p;
    size_t length;
    size_t at = 0;
    bool truncated = false;

    bool Has(size_t n) {
        if (length - at >= n) return true;
        truncated = true;
        return false;
    }
    uint8_t Byte() { return Has(1) ? p[at++] : 0; }
    uint32_t Word(int bytes = 4) {
        if (!Has(static_cast<size_t>(bytes))) return 0;
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[at++]) << (8 * i);
        return v;
    }
};

}  // namespace

std::string BestReplayPath(int variant) {
    return std::string(kReplayFolder) + "/best-" + std::to_string(variant) + ".replay";
}

std::string LastReplayPath() { return std::string(kReplayFolder) + "/last.replay"; }

std::vector<uint8_t> EncodeReplay(const ReplayFile& r) {
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    out.reserve(64 + 4 * r.fields.size() + r.tape.size());
    out.push_back(static_cast<uint8_t>(kReplayFormat));
    std::string version = r.gameVersion.substr(0, 255);
    out.push_back(static_cast<uint8_t>(version.size()));
    out.insert(out.end(), version.begin(), version.end());
    out.push_back(static_cast<uint8_t>(r.variant));
    put_word(out, static_cast<uint32_t>(r.seed));
    put_word(out, static_cast<uint32_t>(r.score));
    put_word(out, r.updates);
    put_word(out, r.world);
    out.push_back(static_cast<uint8_t>(r.fields.size()));
    out.push_back(static_cast<uint8_t>(r.fields.size() >> 8));
    for (uint32_t f : r.fields) put_word(out, f);
    put_word(out, static_cast<uint32_t>(r.tape.size()));
    out.insert(out.end(), r.tape.begin(), r.tape.end());
    put_word(out, crc32(out.data(), out.size()));
    return out;
}

bool DecodeReplay(const uint8_t* bytes, size_t length, ReplayFile* r, std::string* error) {
    auto fail = [error](const std::string& why) {
        *error = why;
        return false;
    };
    if (length < sizeof kMagic || std::memcmp(bytes, kMagic, sizeof kMagic) != 0) return fail("not a replay file");
    Reader in{bytes, length};
    in.at = sizeof kMagic;
    int format = in.Byte();
    if (in.truncated) return fail("the replay is truncated");
    if (format != kReplayFormat)
        return fail("replay format " + std::to_string(format) + " is not supported (this game reads format " +
                    std::to_string(kReplayFormat) + ")");

    int versionLength = in.Byte();
    std::string version;
    if (in.Has(static_cast<size_t>(versionLength))) {
        version.assign(reinterpret_cast<const char*>(bytes + in.at), static_cast<size_t>(versionLength));
        in.at += static_cast<size_t>(versionLength);
    }
    int variant = in.Byte();
    int32_t seed = static_cast<int32_t>(in.Word());
    int32_t score = static_cast<int32_t>(in.Word());
    uint32_t updates = in.Word();
    uint32_t world = in.Word();
    int fieldCount = static_cast<int>(in.Word(2));
    std::vector<uint32_t> fields;
    if (in.Has(4 * static_cast<size_t>(fieldCount))) {
        fields.reserve(static_cast<size_t>(fieldCount));
        for (int i = 0; i < fieldCount; ++i) fields.push_back(in.Word());
    }
    uint32_t tapeLength = in.Word();
    if (!in.truncated && tapeLength > kMaxTapeBytes) return fail("the replay is damaged (its tape length is impossible)");
    size_t tapeAt = in.at;
    if (!in.truncated && in.Has(tapeLength)) in.at += tapeLength;
    size_t checked = in.at;
    uint32_t checksum = in.Word();
    if (in.truncated) return fail("the replay is truncated");
    if (in.at != length) return fail("the replay is damaged (" + std::to_string(length - in.at) + " bytes after its end)");
    if (checksum != crc32(bytes, checked)) return fail("the replay is damaged (its checksum does not match)");

    // Sound bytes: now what they say must make sense to this game.
    if (variant < 1 || variant > 3) return fail("the replay is damaged (variant " + std::to_string(variant) + ")");
    if (fieldCount != ReplayFieldCount())
        return fail("the replay holds " + std::to_string(fieldCount) + " start values where this game keeps " +
                    std::to_string(ReplayFieldCount()) + " (written by version " + version + ")");
    InputTapeReader tape(bytes + tapeAt, tapeLength, fieldCount);
    long played = 0;
    std::string why;
    if (!tape.Scan(&played, &why)) return fail("the replay is damaged (" + why + ")");
    if (updates < 1 || updates > kMaxUpdates) return fail("the replay is damaged (" + std::to_string(updates) + " updates)");
    if (played != static_cast<long>(updates))
        return fail("the replay is damaged (its tape holds " + std::to_string(played) + " updates, not " +
                    std::to_string(updates) + ")");

    r->gameVersion = version;
    r->variant = variant;
    r->seed = seed;
    r->score = score;
    r->updates = updates;
    r->world = world;
    r->fields = std::move(fields);
    r->tape.assign(bytes + tapeAt, bytes + tapeAt + tapeLength);
    return true;
}

bool ReadReplayFile(const std::string& path, ReplayFile* replay, std::string* error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, f)) > 0) {
        bytes.insert(bytes.end(), block, block + got);
        if (bytes.size() > kMaxTapeBytes + (1u << 20)) break;  // no replay is this long
    }
    bool failed = std::ferror(f) != 0;
    int readErrno = errno;
    std::fclose(f);
    if (failed) {
        *error = std::strerror(readErrno);
        return false;
    }
    return DecodeReplay(bytes.data(), bytes.size(), replay, error);
}

