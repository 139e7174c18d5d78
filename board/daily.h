// board/daily.h - the Daily Vault: one maze a day for everyone.
//
// Each UTC day has a seed, made from the date and a secret the board makes at
// its first start and keeps in its store (HMAC-SHA-256 of the date, its first
// four bytes): every server of one board gives the same seed, and no one can
// know a day's maze before the day, since the board tells only today's. A
// daily round is an ordinary round in that maze; it is filed under the day
// when it arrives during the day or within the hour after its end.
#ifndef LANTERN_BOARD_DAILY_H
#define LANTERN_BOARD_DAILY_H

#include <cstdint>
#include <string>

struct DailyMaze {
    std::string day;   // "YYYY-MM-DD"
    int32_t seed = 0;
    int64_t ends = 0;  // the day's end, seconds since 1970 (UTC)
};

class Daily {
public:
    // How long after a day's end its rounds are still filed under it (seconds).
    static const int64_t kGrace = 3600;

    explicit Daily(std::string secret) : secret_(std::move(secret)) {}

    // The maze of the UTC day that `now` (seconds since 1970) falls in.
    DailyMaze At(int64_t now) const;
    int32_t Seed(const std::string& day) const;
    // The day a round in the maze `seed`, arriving at `now`, is filed under:
    // today when it is today's maze, yesterday within kGrace of midnight;
    // otherwise none ("").
    std::string DayOf(int32_t seed, int64_t now) const;

    // Whether `day` is a date written "YYYY-MM-DD".
    static bool ValidDay(const std::string& day);
    // The date of `seconds` since 1970, UTC.
    static std::string DayText(int64_t seconds);

    // A fresh secret: 32 random bytes.
    static std::string MakeSecret();

private:
    std::string secret_;
};

#endif
