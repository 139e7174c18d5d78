// board/rate_limit.h - how much checking each client address may ask for.
//
// A leaky bucket per address, counted in updates of rounds to play again,
// not in requests: a two-hour round costs as much as 24 five-minute ones. An
// address's allowance refills at `perMinute` updates a minute up to a
// minute's worth; a round is taken when the allowance covers it (or, for a
// round longer than a minute's worth, when the allowance is full), and its
// cost is then taken away, which may leave the allowance below nothing.
// IPv6 addresses count by their /64 network, which one client usually holds
// whole. At most kTracked addresses are remembered; full allowances are
// forgotten first. Any thread.
#ifndef LANTERN_BOARD_RATE_LIMIT_H
#define LANTERN_BOARD_RATE_LIMIT_H

#include <mutex>
#include <string>
#include <unordered_map>

class RateLimit {
public:
    explicit RateLimit(long perMinute) : perMinute_(perMinute > 0 ? perMinute : 1) {}

    // Takes `cost` updates from `address`'s allowance at time `now`
    // (seconds): 0 when it was taken, else the whole seconds after which it
    // would be.
    long Take(const std::string& address, long cost, double now);

    static const std::size_t kTracked = 100000;

private:
    struct Bucket {
        double level;  // updates the address may still ask for
        double at;     // when `level` was last brought up to date
    };
    void Forget(double now);

    double perMinute_;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
};

// The key an address counts under: an IPv4 address itself, an IPv6 one's /64.
std::string RateKey(const std::string& address);

#endif
