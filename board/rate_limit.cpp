// board/rate_limit.cpp - RateLimit.
#include "board/rate_limit.h"

#include <algorithm>
#include <cmath>

#include <boost/asio/ip/address.hpp>

long RateLimit::Take(const std::string& address, long cost, double now) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (buckets_.size() >= kTracked && buckets_.find(address) == buckets_.end()) Forget(now);
    auto it = buckets_.find(address);
    if (it == buckets_.end()) it = buckets_.emplace(address, Bucket{perMinute_, now}).first;
    Bucket& b = it->second;
    b.level = std::min(perMinute_, b.level + (now - b.at) * perMinute_ / 60);
    b.at = now;
    double needed = std::min(static_cast<double>(cost), perMinute_);
    if (b.level >= needed) {
        b.level -= static_cast<double>(cost);
        return 0;
    }
    return std::max(1L, static_cast<long>(std::ceil((needed - b.level) * 60 / perMinute_)));
}

void RateLimit::Forget(double now) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        bool full = it->second.level + (now - it->second.at) * perMinute_ / 60 >= perMinute_;
        it = full ? buckets_.erase(it) : std::next(it);
    }
    // Every one still owes: the oldest half goes (their clients were the
    // busiest a while ago; remembering them longer costs memory without end).
    if (buckets_.size() >= kTracked) {
        std::vector<std::pair<double, std::string>> byAge;
        for (const auto& b : buckets_) byAge.emplace_back(b.second.at, b.first);
        std::sort(byAge.begin(), byAge.end());
        for (size_t i = 0; i < byAge.size() / 2; ++i) buckets_.erase(byAge[i].second);
    }
}

std::string RateKey(const std::string& address) {
    boost::system::error_code error;
    boost::asio::ip::address a = boost::asio::ip::make_address(address, error);
    if (error || !a.is_v6()) return address;
    if (a.to_v6().is_v4_mapped()) return boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, a.to_v6()).to_string();
    boost::asio::ip::address_v6::bytes_type bytes = a.to_v6().to_bytes();
    for (size_t i = 8; i < bytes.size(); ++i) bytes[i] = 0;
    return boost::asio::ip::address_v6(bytes).to_string() + "/64";
}
