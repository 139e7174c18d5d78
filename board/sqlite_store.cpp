// board/sqlite_store.cpp - the store in SQLite: one file, board.sqlite, in the
// board's data folder, in WAL mode with full sync, so that a transaction that
// has returned is on disk and readers never wait for the writer.
#include <sqlite3.h>

#include <mutex>

#include "board/store.h"

namespace {

// Each entry takes the schema from the version before it to its own (the
// first from nothing to 1). A store is upgraded through every entry it has
// not seen, in one transaction each.
const char* const kMigrations[] = {
    // 1: names, rounds and blocked addresses.
    "CREATE TABLE names("
    "  folded TEXT PRIMARY KEY, name TEXT NOT NULL, key_hash TEXT NOT NULL, claimed_at INTEGER NOT NULL);"
    "CREATE TABLE rounds("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT, round_key TEXT NOT NULL UNIQUE,"
    "  folded TEXT NOT NULL, name TEXT NOT NULL, variant INTEGER NOT NULL, seed INTEGER NOT NULL,"
    "  claimed_score INTEGER NOT NULL, claimed_updates INTEGER NOT NULL,"
    "  status TEXT NOT NULL CHECK (status IN ('queued', 'accepted', 'refused')),"
    "  score INTEGER NOT NULL DEFAULT 0, updates INTEGER NOT NULL DEFAULT 0, reason TEXT NOT NULL DEFAULT '',"
    "  submitted_at INTEGER NOT NULL, decided_at INTEGER NOT NULL DEFAULT 0, replay BLOB NOT NULL);"
    "CREATE INDEX rounds_by_status ON rounds(status, id);"
    "CREATE INDEX rounds_by_board ON rounds(variant, status, folded, score DESC, updates, id);"
    "CREATE TABLE blocked(address TEXT PRIMARY KEY, at INTEGER NOT NULL);"
    "CREATE TABLE health(id INTEGER PRIMARY KEY, at INTEGER NOT NULL);",
    // 2: the daily mazes: a round's day, and the board's secrets.
    "ALTER TABLE rounds ADD COLUMN day TEXT NOT NULL DEFAULT '';"
    "CREATE INDEX rounds_by_day ON rounds(day, variant, status, folded, score DESC, updates, id);"
    "CREATE TABLE secrets(name TEXT PRIMARY KEY, value BLOB NOT NULL);",
};
const int kSchemaVersion = sizeof kMigrations / sizeof kMigrations[0];

const char* const kRoundColumns =
    "id, name, folded, variant, seed, status, score, updates, reason, submitted_at, decided_at, day";

// A prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &s_, nullptr) != SQLITE_OK) Fail("prepare");
    }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int i, int64_t v) {
        Check(sqlite3_bind_int64(s_, i, v));
        return *this;
    }
    Statement& Bind(int i, const std::string& v) {
        Check(sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& BindBlob(int i, const std::string& v) {
        Check(sqlite3_bind_blob(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    // True while there is a row.
    bool Step() {
        int rc = sqlite3_step(s_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) Fail("step");
        return false;
    }
    int64_t Int(int column) { return sqlite3_column_int64(s_, column); }
    std::string Text(int column) {
        const void* p = sqlite3_column_blob(s_, column);
        return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(s_, column)))
                 : std::string();
    }

private:
    void Check(int rc) {
        if (rc != SQLITE_OK) Fail("bind");
    }
    [[noreturn]] void Fail(const char* what) {
        throw StoreError(std::string("the store failed to ") + what + ": " + sqlite3_errmsg(db_));
    }
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
};

RoundRow ReadRound(Statement& s) {
    RoundRow r;
    r.id = s.Int(0);
    r.name = s.Text(1);
    r.folded = s.Text(2);
    r.variant = static_cast<int>(s.Int(3));
    r.seed = static_cast<int32_t>(s.Int(4));
    r.status = s.Text(5);
    r.score = static_cast<int>(s.Int(6));
    r.updates = static_cast<long>(s.Int(7));
    r.reason = s.Text(8);
    r.submittedAt = s.Int(9);
    r.decidedAt = s.Int(10);
    r.day = s.Text(11);
    return r;
}

class SqliteStore : public Store {
public:
    explicit SqliteStore(const std::string& dir) {
        std::string path = dir + "/board.sqlite";
        int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw StoreError("cannot open " + path + ": " + why);
        }
        sqlite3_busy_timeout(db_, 5000);
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=FULL");
        Upgrade();
    }
    ~SqliteStore() override { sqlite3_close(db_); }

    Added AddRound(const NewRound& n, RoundRow* row) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Transaction t(this);
        if (FindLocked(n.roundKey, row)) return Added::kDuplicate;
        Statement owner(db_, "SELECT key_hash FROM names WHERE folded = ?");
        owner.Bind(1, n.folded);
        if (owner.Step()) {
            if (owner.Text(0) != n.keyHash) return Added::kNameTaken;
        } else {
            Statement claim(db_, "INSERT INTO names(folded, name, key_hash, claimed_at) VALUES(?, ?, ?, ?)");
            claim.Bind(1, n.folded).Bind(2, n.name).Bind(3, n.keyHash).Bind(4, n.at).Step();
        }
        // The name as its owner first wrote it.
        Statement shown(db_, "SELECT name FROM names WHERE folded = ?");
        shown.Bind(1, n.folded);
        std::string name = shown.Step() ? shown.Text(0) : n.name;
        Statement add(db_,
                      "INSERT INTO rounds(round_key, folded, name, variant, seed, claimed_score, claimed_updates,"
                      " status, submitted_at, replay, day) VALUES(?, ?, ?, ?, ?, ?, ?, 'queued', ?, ?, ?)");
        add.Bind(1, n.roundKey).Bind(2, n.folded).Bind(3, name).Bind(4, n.variant).Bind(5, n.seed);
        add.Bind(6, n.claimedScore).Bind(7, n.claimedUpdates).Bind(8, n.at).BindBlob(9, n.replay);
        add.Bind(10, n.day).Step();
        int64_t id = sqlite3_last_insert_rowid(db_);
        t.Commit();
        if (!RoundLocked(id, row)) throw StoreError("the store lost a round it had just added");
        return Added::kQueued;
    }

    bool FindRound(const std::string& roundKey, RoundRow* row) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return FindLocked(roundKey, row);
    }

    bool Round(int64_t id, RoundRow* row) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return RoundLocked(id, row);
    }

    bool Replay(int64_t id, std::string* bytes) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement s(db_, "SELECT replay FROM rounds WHERE id = ?");
        s.Bind(1, id);
        if (!s.Step()) return false;
        *bytes = s.Text(0);
        return true;
    }

    bool Decide(int64_t id, bool accepted, int score, long updates, const std::string& reason, int64_t at) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement s(db_,
                    "UPDATE rounds SET status = ?, score = ?, updates = ?, reason = ?, decided_at = ?"
                    " WHERE id = ? AND status = 'queued'");
        s.Bind(1, std::string(accepted ? "accepted" : "refused")).Bind(2, score).Bind(3, updates);
        s.Bind(4, reason).Bind(5, at).Bind(6, id).Step();
        ++changes_;
        return sqlite3_changes(db_) == 1;
    }

    std::vector<std::pair<int64_t, long>> Queued() override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement s(db_, "SELECT id, claimed_updates FROM rounds WHERE status = 'queued' ORDER BY id");
        std::vector<std::pair<int64_t, long>> ids;
        while (s.Step()) ids.emplace_back(s.Int(0), static_cast<long>(s.Int(1)));
        return ids;
    }

    std::vector<BoardEntry> Board(int variant, const std::string& day) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement s(db_,
                    "SELECT id, name, folded, score, updates, submitted_at FROM ("
                    "  SELECT *, ROW_NUMBER() OVER (PARTITION BY folded ORDER BY score DESC, updates, id) AS place"
                    "  FROM rounds WHERE variant = ? AND status = 'accepted' AND (? = '' OR day = ?))"
                    " WHERE place = 1 ORDER BY score DESC, updates, id");
        s.Bind(1, variant).Bind(2, day).Bind(3, day);
        std::vector<BoardEntry> rows;
        while (s.Step()) {
            BoardEntry e;
            e.id = s.Int(0);
            e.name = s.Text(1);
            e.folded = s.Text(2);
            e.score = static_cast<int>(s.Int(3));
            e.updates = static_cast<long>(s.Int(4));
            e.at = s.Int(5);
            rows.push_back(std::move(e));
        }
        return rows;
    }

    std::string Secret(const std::string& name, const std::string& fresh) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Transaction t(this);
        Statement keep(db_, "INSERT OR IGNORE INTO secrets(name, value) VALUES(?, ?)");
        keep.Bind(1, name).BindBlob(2, fresh).Step();
        Statement read(db_, "SELECT value FROM secrets WHERE name = ?");
        read.Bind(1, name);
        if (!read.Step()) throw StoreError("the store lost its secret " + name);
        std::string value = read.Text(0);
        t.Commit();
        return value;
    }

    std::vector<std::string> BlockedAddresses() override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement s(db_, "SELECT address FROM blocked");
        std::vector<std::string> out;
        while (s.Step()) out.push_back(s.Text(0));
        return out;
    }

    int64_t Version() override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement s(db_, "PRAGMA data_version");
        // The pragma counts the other connections' changes; this one's are counted apart.
        return (s.Step() ? s.Int(0) : 0) * 1000003 + changes_;
    }

    bool Healthy() override {
        try {
            std::lock_guard<std::mutex> lock(mutex_);
            Statement write(db_, "INSERT OR REPLACE INTO health(id, at) VALUES(1, strftime('%s', 'now'))");
            write.Step();
            Statement read(db_, "SELECT count(*) FROM health");
            return read.Step() && read.Int(0) == 1;
        } catch (const StoreError&) {
            return false;
        }
    }

    bool RemoveRound(int64_t id) override { return Change("DELETE FROM rounds WHERE id = ?", id); }

    bool FreeName(const std::string& folded) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement s(db_, "DELETE FROM names WHERE folded = ?");
        s.Bind(1, folded).Step();
        ++changes_;
        return sqlite3_changes(db_) == 1;
    }

    void Block(const std::string& address, int64_t at) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement s(db_, "INSERT OR REPLACE INTO blocked(address, at) VALUES(?, ?)");
        s.Bind(1, address).Bind(2, at).Step();
        ++changes_;
    }

    bool Unblock(const std::string& address) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement s(db_, "DELETE FROM blocked WHERE address = ?");
        s.Bind(1, address).Step();
        ++changes_;
        return sqlite3_changes(db_) == 1;
    }

private:
    // BEGIN IMMEDIATE ... COMMIT, rolled back when left without a commit.
    class Transaction {
    public:
        explicit Transaction(SqliteStore* store) : store_(store) { store_->Exec("BEGIN IMMEDIATE"); }
        ~Transaction() {
            if (!done_) sqlite3_exec(store_->db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        void Commit() {
            store_->Exec("COMMIT");
            done_ = true;
            ++store_->changes_;
        }

    private:
        SqliteStore* store_;
        bool done_ = false;
    };

    void Exec(const char* sql) {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            std::string why = message ? message : sqlite3_errmsg(db_);
            sqlite3_free(message);
            throw StoreError("the store failed: " + why);
        }
    }

    // Applies the migrations the store has not had, each in a transaction of
    // its own, under the write lock (another process may open it at once).
    void Upgrade() {
        Exec("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
        for (;;) {
            Transaction t(this);
            Statement read(db_, "SELECT version FROM schema_version");
            int version = read.Step() ? static_cast<int>(read.Int(0)) : 0;
            if (version > kSchemaVersion)
                throw StoreError("the store was made by a newer board (schema " + std::to_string(version) +
                                 "; this board knows up to " + std::to_string(kSchemaVersion) + ")");
            if (version == kSchemaVersion) return;
            Exec(kMigrations[version]);
            Exec(version == 0 ? "INSERT INTO schema_version(version) VALUES(1)"
                              : "UPDATE schema_version SET version = version + 1");
            t.Commit();
        }
    }

    bool FindLocked(const std::string& roundKey, RoundRow* row) {
        Statement s(db_, (std::string("SELECT ") + kRoundColumns + " FROM rounds WHERE round_key = ?").c_str());
        s.Bind(1, roundKey);
        if (!s.Step()) return false;
        *row = ReadRound(s);
        return true;
    }

    bool RoundLocked(int64_t id, RoundRow* row) {
        Statement s(db_, (std::string("SELECT ") + kRoundColumns + " FROM rounds WHERE id = ?").c_str());
        s.Bind(1, id);
        if (!s.Step()) return false;
        *row = ReadRound(s);
        return true;
    }

    bool Change(const char* sql, int64_t id) {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement s(db_, sql);
        s.Bind(1, id).Step();
        ++changes_;
        return sqlite3_changes(db_) == 1;
    }

    sqlite3* db_ = nullptr;
    std::mutex mutex_;
    int64_t changes_ = 0;  // this connection's own changes (PRAGMA data_version leaves them out)
};

}  // namespace

std::unique_ptr<Store> OpenSqliteStore(const std::string& dir) { return std::unique_ptr<Store>(new SqliteStore(dir)); }
