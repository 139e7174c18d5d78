// The board's store and its daily mazes without a server: a store made by
// the first version of the board is upgraded in place, keeping its rounds;
// a day's seed is the same for every server of one board, and a round is
// filed under the day whose maze it plays while the day lasts, and an hour
// after.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "board/daily.h"
#include "board/store.h"
#include "common/test_support.h"

namespace {

// The schema of the board's first version, as it made its stores.
const char* const kFirstSchema =
    "CREATE TABLE schema_version(version INTEGER NOT NULL);"
    "INSERT INTO schema_version VALUES(1);"
    "CREATE TABLE names(folded TEXT PRIMARY KEY, name TEXT NOT NULL, key_hash TEXT NOT NULL, claimed_at INTEGER NOT NULL);"
    "CREATE TABLE rounds(id INTEGER PRIMARY KEY AUTOINCREMENT, round_key TEXT NOT NULL UNIQUE,"
    "  folded TEXT NOT NULL, name TEXT NOT NULL, variant INTEGER NOT NULL, seed INTEGER NOT NULL,"
    "  claimed_score INTEGER NOT NULL, claimed_updates INTEGER NOT NULL,"
    "  status TEXT NOT NULL CHECK (status IN ('queued', 'accepted', 'refused')),"
    "  score INTEGER NOT NULL DEFAULT 0, updates INTEGER NOT NULL DEFAULT 0, reason TEXT NOT NULL DEFAULT '',"
    "  submitted_at INTEGER NOT NULL, decided_at INTEGER NOT NULL DEFAULT 0, replay BLOB NOT NULL);"
    "CREATE INDEX rounds_by_status ON rounds(status, id);"
    "CREATE INDEX rounds_by_board ON rounds(variant, status, folded, score DESC, updates, id);"
    "CREATE TABLE blocked(address TEXT PRIMARY KEY, at INTEGER NOT NULL);"
    "CREATE TABLE health(id INTEGER PRIMARY KEY, at INTEGER NOT NULL);"
    "INSERT INTO names VALUES('moss', 'Moss', 'hash', 1);"
    "INSERT INTO rounds(round_key, folded, name, variant, seed, claimed_score, claimed_updates, status, score, updates,"
    "  submitted_at, replay) VALUES('r1', 'moss', 'Moss', 2, 7, 40, 900, 'accepted', 40, 900, 100, x'00');";

}  // namespace

TEST(StoreTest, AStoreOfTheFirstVersionIsUpgradedInPlaceAndKeepsItsRounds) {
    ScopedTempDir dir;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir.path() + "/board.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, kFirstSchema, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);

    for (int opening = 0; opening < 2; ++opening) {
        std::unique_ptr<Store> store = OpenSqliteStore(dir.path());
        RoundRow row;
        ASSERT_TRUE(store->Round(1, &row));
        EXPECT_EQ(row.name, "Moss");
        EXPECT_EQ(row.score, 40);
        EXPECT_EQ(row.day, "") << "a round from before the daily mazes is no daily round";
        EXPECT_EQ(store->Board(2, "").size(), 1u);
        EXPECT_TRUE(store->Board(2, "2026-12-08").empty());
        EXPECT_EQ(store->Secret("daily", opening ? "second" : "first"), "first") << "made once, then kept";
        NewRound n;
        n.name = n.folded = "fern";
        n.keyHash = "k";
        n.roundKey = "r" + std::to_string(opening + 2);
        n.variant = 2;
        n.replay = "x";
        n.day = "2026-12-08";
        ASSERT_EQ(store->AddRound(n, &row), Store::Added::kQueued);
        EXPECT_EQ(row.day, "2026-12-08");
    }
    db = nullptr;
    ASSERT_EQ(sqlite3_open((dir.path() + "/board.sqlite").c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT version FROM schema_version", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(s, 0), 2);
    sqlite3_finalize(s);
    sqlite3_close(db);
}

TEST(DailyTest, EachDayHasOneSeedThatOnlyTheSecretGivesAndItsRoundsAreFiledUnderIt) {
    Daily one("a secret"), same("a secret"), other("another secret");
    const int64_t noon = 1796731200;  // 2026-12-08 12:00 UTC
    DailyMaze maze = one.At(noon);
    EXPECT_EQ(maze.day, "2026-12-08");
    EXPECT_EQ(maze.ends, 1796774400) << "the next midnight";
    EXPECT_EQ(maze.seed, same.At(noon).seed) << "every server of one board";
    EXPECT_NE(maze.seed, other.At(noon).seed);
    EXPECT_NE(maze.seed, one.At(noon + 86400).seed) << "another day, another maze";

    EXPECT_EQ(one.DayOf(maze.seed, noon), "2026-12-08");
    EXPECT_EQ(one.DayOf(maze.seed, maze.ends - 1), "2026-12-08");
    EXPECT_EQ(one.DayOf(maze.seed, maze.ends + 3599), "2026-12-08") << "within the hour after";
    EXPECT_EQ(one.DayOf(maze.seed, maze.ends + 3600), "");
    EXPECT_EQ(one.DayOf(maze.seed, noon - 86400), "") << "not before its day";
    EXPECT_EQ(one.DayOf(maze.seed + 1, noon), "");

    EXPECT_TRUE(Daily::ValidDay("2026-12-08"));
    EXPECT_TRUE(Daily::ValidDay("2028-02-29"));
    for (const char* bad : {"2026-02-29", "2026-04-31", "2026-13-01", "2026-1-08", "2026-12-08x", "20261208", ""})
        EXPECT_FALSE(Daily::ValidDay(bad)) << bad;
}
