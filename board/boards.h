// board/boards.h - the ranked boards, kept in memory and served from there.
//
// Each variant's board (each name once, with its best accepted round, best
// first), all-time or of one day's maze, is read from the store when it is
// first asked for after a change,
// and kept until the next change: reads never touch the store otherwise. The
// board marks a change itself when it decides a round; Follow notices the
// changes of others (an operator's command) from the store's version.
// Any thread; a board being read again holds back no reader of the one before.
#ifndef LANTERN_BOARD_BOARDS_H
#define LANTERN_BOARD_BOARDS_H

#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/store.h"

class BoardCache {
public:
    explicit BoardCache(Store& store) : store_(store) {}

    // Every board is read again when next asked for.
    void Changed();
    // Marks the boards changed when the store's version moved.
    void Follow();

    // {"variant", "total", "rows": [{"rank", "name", "score", "updates", "id", "at"}]}
    // (and "day" for a day's board) for rows offset .. offset + limit - 1 of
    // `variant`'s board (1..3), or of its board of `day` when that is not empty.
    std::string Page(int variant, const std::string& day, int limit, int offset);

    // Where `folded`'s best round stands on that board: its rank (from 1) and
    // the row; false when the name has no accepted round there.
    bool Place(int variant, const std::string& day, const std::string& folded, int* rank, BoardEntry* entry);

private:
    struct Ranked {
        std::vector<BoardEntry> rows;
        std::unordered_map<std::string, std::size_t> byName;  // folded name -> its row
    };
    using Key = std::pair<int, std::string>;  // (variant, day)
    std::shared_ptr<const Ranked> Get(const Key& key);

    Store& store_;
    std::mutex mutex_;  // guards the boards, the pages and the version
    std::map<Key, std::shared_ptr<const Ranked>> boards_;
    // Pages as written, until the next change: (variant, day, limit, offset) -> JSON.
    std::map<std::tuple<int, std::string, int, int>, std::shared_ptr<const std::string>> pages_;
    int64_t version_ = -1;
    std::mutex reading_;  // one reading of the store at a time
};

// "2026-12-08T21:53:10Z" for seconds since 1970.
std::string IsoTime(int64_t seconds);

#endif
