// board/boards.cpp - BoardCache.
#include "board/boards.h"

#include <ctime>

#include <nlohmann/json.hpp>

std::string IsoTime(int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc;
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

namespace {

// Boards and pages kept at most: a reader asking for every day or offset in
// turn makes no more.
const std::size_t kKeptBoards = 64;
const std::size_t kKeptPages = 256;

}  // namespace

void BoardCache::Changed() {
    std::lock_guard<std::mutex> lock(mutex_);
    boards_.clear();
    pages_.clear();
}

void BoardCache::Follow() {
    int64_t version = store_.Version();
    std::lock_guard<std::mutex> lock(mutex_);
    if (version == version_) return;
    version_ = version;
    boards_.clear();
    pages_.clear();
}

std::shared_ptr<const BoardCache::Ranked> BoardCache::Get(const Key& key) {
    if (key.first < 1 || key.first > 3) return nullptr;
    auto kept = [&]() -> std::shared_ptr<const Ranked> {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = boards_.find(key);
        return it == boards_.end() ? nullptr : it->second;
    };
    if (auto board = kept()) return board;
    std::lock_guard<std::mutex> reading(reading_);
    // Another reader may have read it meanwhile.
    if (auto board = kept()) return board;
    std::shared_ptr<Ranked> ranked(new Ranked());
    ranked->rows = store_.Board(key.first, key.second);
    for (std::size_t i = 0; i < ranked->rows.size(); ++i) ranked->byName.emplace(ranked->rows[i].folded, i);
    std::lock_guard<std::mutex> lock(mutex_);
    if (boards_.size() >= kKeptBoards) boards_.clear();
    boards_[key] = ranked;
    return ranked;
}

std::string BoardCache::Page(int variant, const std::string& day, int limit, int offset) {
    auto key = std::make_tuple(variant, day, limit, offset);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto kept = pages_.find(key);
        if (kept != pages_.end()) return *kept->second;
    }
    std::shared_ptr<const Ranked> board = Get(Key(variant, day));
    nlohmann::json rows = nlohmann::json::array();
    std::size_t total = board ? board->rows.size() : 0;
    for (std::size_t i = static_cast<std::size_t>(offset); board && i < total && rows.size() < static_cast<std::size_t>(limit); ++i) {
        const BoardEntry& e = board->rows[i];
        rows.push_back({{"rank", i + 1}, {"name", e.name}, {"score", e.score}, {"updates", e.updates},
                        {"id", e.id}, {"at", IsoTime(e.at)}});
    }
    nlohmann::json page = {{"variant", variant}, {"total", total}, {"rows", std::move(rows)}};
    if (!day.empty()) page["day"] = day;
    auto text = std::make_shared<const std::string>(page.dump());
    std::lock_guard<std::mutex> lock(mutex_);
    // Kept only when the board it was made from is still the current one.
    auto current = boards_.find(Key(variant, day));
    if (current != boards_.end() && current->second == board && pages_.size() < kKeptPages) pages_[key] = text;
    return *text;
}

bool BoardCache::Place(int variant, const std::string& day, const std::string& folded, int* rank,
                       BoardEntry* entry) {
    std::shared_ptr<const Ranked> board = Get(Key(variant, day));
    if (!board) return false;
    auto it = board->byName.find(folded);
    if (it == board->byName.end()) return false;
    *rank = static_cast<int>(it->second) + 1;
    *entry = board->rows[it->second];
    return true;
}
