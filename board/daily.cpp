// board/daily.cpp - Daily.
#include "board/daily.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <ctime>
#include <stdexcept>

namespace {

const int64_t kDay = 86400;

int64_t DayStart(int64_t seconds) { return seconds - ((seconds % kDay) + kDay) % kDay; }

}  // namespace

std::string Daily::DayText(int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc;
    gmtime_r(&t, &utc);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
    return text;
}

bool Daily::ValidDay(const std::string& day) {
    if (day.size() != 10 || day[4] != '-' || day[7] != '-') return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (day[i] < '0' || day[i] > '9') return false;
    std::tm t = {};
    t.tm_year = std::stoi(day.substr(0, 4)) - 1900;
    t.tm_mon = std::stoi(day.substr(5, 2)) - 1;
    t.tm_mday = std::stoi(day.substr(8, 2));
    // A date that does not exist (the 31st of April) comes back as another one.
    return DayText(static_cast<int64_t>(timegm(&t))) == day;
}

int32_t Daily::Seed(const std::string& day) const {
    std::string message = "lantern-vault daily " + day;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!HMAC(EVP_sha256(), secret_.data(), static_cast<int>(secret_.size()),
              reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest, &length))
        throw std::runtime_error("the daily maze's seed cannot be made (HMAC failed)");
    uint32_t v = static_cast<uint32_t>(digest[0]) | static_cast<uint32_t>(digest[1]) << 8 |
                 static_cast<uint32_t>(digest[2]) << 16 | static_cast<uint32_t>(digest[3]) << 24;
    return static_cast<int32_t>(v);
}

DailyMaze Daily::At(int64_t now) const {
    DailyMaze maze;
    maze.day = DayText(now);
    maze.seed = Seed(maze.day);
    maze.ends = DayStart(now) + kDay;
    return maze;
}

std::string Daily::DayOf(int32_t seed, int64_t now) const {
    std::string today = DayText(now);
    if (seed == Seed(today)) return today;
    if (now - DayStart(now) < kGrace) {
        std::string yesterday = DayText(now - kDay);
        if (seed == Seed(yesterday)) return yesterday;
    }
    return "";
}

std::string Daily::MakeSecret() {
    unsigned char bytes[32];
    if (RAND_bytes(bytes, sizeof bytes) != 1) throw std::runtime_error("no random bytes for the daily secret");
    return std::string(reinterpret_cast<char*>(bytes), sizeof bytes);
}
