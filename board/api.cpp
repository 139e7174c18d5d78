// board/api.cpp - BoardApi: routing and the answers.
#include "board/api.h"

#include <uriparser/Uri.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "board/daily.h"
#include "board/limits.h"
#include "board/names.h"
#include "board/submission.h"

namespace {

const char* const kVariantNames[] = {"", "1", "2", "3"};

ApiAnswer Json(int status, const std::string& body) {
    ApiAnswer a;
    a.status = status;
    a.body = body;
    return a;
}

ApiAnswer Error(int status, const std::string& text) { return Json(status, ErrorJson(text)); }

ApiAnswer WithRetry(ApiAnswer a, long seconds) {
    a.headers.emplace_back("Retry-After", std::to_string(seconds));
    return a;
}

// The path's segments after "/api/", without the query; false when the path
// cannot be read (a bad escape).
bool Segments(const std::string& target, std::vector<std::string>* segments, std::string* query) {
    size_t q = target.find('?');
    std::string path = target.substr(0, q);
    *query = q == std::string::npos ? "" : target.substr(q + 1);
    size_t at = 5;  // after "/api/"
    while (at <= path.size()) {
        size_t slash = path.find('/', at);
        std::string segment = path.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        // Percent escapes decoded by uriparser; "+" stays a plus in a path.
        std::vector<char> text(segment.begin(), segment.end());
        text.push_back('\0');
        uriUnescapeInPlaceExA(text.data(), URI_FALSE, URI_BR_DONT_TOUCH);
        segments->push_back(text.data());
        if (slash == std::string::npos) break;
        at = slash + 1;
    }
    return true;
}

// The query's parameters (uriparser), the last of each name winning.
std::map<std::string, std::string> QueryParameters(const std::string& query) {
    std::map<std::string, std::string> out;
    if (query.empty()) return out;
    UriQueryListA* list = nullptr;
    int count = 0;
    if (uriDissectQueryMallocA(&list, &count, query.data(), query.data() + query.size()) != URI_SUCCESS) return out;
    for (UriQueryListA* p = list; p; p = p->next) out[p->key ? p->key : ""] = p->value ? p->value : "";
    uriFreeQueryListA(list);
    return out;
}

// A whole number in [lo, hi] written in decimal digits alone; `fallback` when `text` is empty.
bool Number(const std::string& text, long fallback, long lo, long hi, long* value) {
    if (text.empty()) {
        *value = fallback;
        return true;
    }
    if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    *value = std::strtol(text.c_str(), nullptr, 10);
    return *value >= lo && *value <= hi;
}

bool RoundId(const std::string& text, int64_t* id) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    *id = std::strtoll(text.c_str(), nullptr, 10);
    return *id > 0;
}

}  // namespace

std::string ErrorJson(const std::string& text) { return nlohmann::json{{"error", text}}.dump(); }

BoardApi::BoardApi(Store& store, Checkers* checkers, const std::string& gameVersion, long rateLimit,
                   std::function<double()> now)
    : store_(store), checkers_(checkers), gameVersion_(gameVersion), now_(std::move(now)), rate_(rateLimit),
      boards_(store), daily_(store.Secret("daily", Daily::MakeSecret())) {
    Follow();
}

bool BoardApi::IsApiPath(const std::string& target) { return target == "/api" || target.compare(0, 5, "/api/") == 0 || target.compare(0, 5, "/api?") == 0; }

bool BoardApi::Quick(const ApiRequest& r) { return r.method != "POST" && r.target.compare(0, 11, "/api/health") != 0; }

// ---------------------------------------------------------------------------
// Routing
// ---------------------------------------------------------------------------

ApiAnswer BoardApi::Handle(const ApiRequest& r) {
    std::vector<std::string> s;
    std::string query;
    if (!IsApiPath(r.target) || !Segments(r.target, &s, &query)) return Error(404, "no such path");
    const std::string& m = r.method;
    // What each path allows: the answer to another method says so.
    std::string allow;
    if (s.size() == 1 && s[0] == "rounds") allow = "POST";
    else if ((s.size() == 2 && s[0] == "rounds") || (s.size() == 3 && s[0] == "rounds" && s[2] == "replay") ||
             (s.size() == 2 && (s[0] == "boards" || s[0] == "players")) ||
             (s.size() == 1 && (s[0] == "health" || s[0] == "daily")))
        allow = "GET";
    if (allow.empty()) return Error(404, "no such path");
    if (m == "OPTIONS") {
        ApiAnswer a = Json(204, "");
        a.contentType.clear();
        a.headers = {{"Access-Control-Allow-Methods", allow + ", OPTIONS"},
                     {"Access-Control-Allow-Headers", "Content-Type"},
                     {"Access-Control-Max-Age", "86400"}};
        return a;
    }
    bool get = m == "GET" || m == "HEAD";
    if ((allow == "GET" && !get) || (allow == "POST" && m != "POST")) {
        ApiAnswer a = Error(405, "this path takes " + allow);
        a.headers.emplace_back("Allow", allow + ", OPTIONS");
        return a;
    }
    try {
        if (allow == "POST") return Submit(r);
        if (s[0] == "health") return Health();
        if (s[0] == "daily") {
            DailyMaze maze = daily_.At(static_cast<int64_t>(now_()));
            return Json(200, nlohmann::json{{"day", maze.day}, {"seed", maze.seed}, {"ends", IsoTime(maze.ends)}}.dump());
        }
        if (s[0] == "boards") {
            for (int v = 1; v <= 3; ++v)
                if (s[1] == kVariantNames[v]) return BoardPage(v, query);
            return Error(404, "there are boards 1, 2 and 3");
        }
        if (s[0] == "players") return Player(s[1]);
        int64_t id = 0;
        if (!RoundId(s[1], &id)) return Error(404, "no such round");
        return RoundAnswer(id, s.size() == 3);
    } catch (const StoreError& e) {
        return WithRetry(Error(503, "the board's store cannot be reached now"), 5);
    }
}

// ---------------------------------------------------------------------------
// Submissions
// ---------------------------------------------------------------------------

ApiAnswer BoardApi::Submit(const ApiRequest& r) {
    Follow();
    if (Blocked(r.address)) return Error(403, "this address may not send rounds to the board");
    // Every submission costs a little before anything is made of it (a flood
    // of bodies that cannot be read is limited too); a round to check costs
    // its length.
    const std::string rateKey = RateKey(r.address);
    auto tooMany = [](long wait) {
        return WithRetry(Error(429, "this address has sent more rounds than the board checks for it; try again in " +
                                        std::to_string(wait) + " seconds"),
                         wait);
    };
    if (long wait = rate_.Take(rateKey, limits::kSubmissionCost, now_())) return tooMany(wait);
    Submission s;
    std::string error;
    if (!ReadSubmission(r.body, &s, &error)) return Error(400, error);
    RoundRow row;
    if (store_.FindRound(s.roundKey, &row)) return Json(200, RowJson(row));
    if (!CheckSubmission(s, gameVersion_, &error)) return Error(422, error);
    if (!checkers_ || checkers_->Pending() >= limits::kQueuedRounds)
        return WithRetry(Error(503, "the board has more rounds to check than it takes; try again in a minute"), 60);
    long more = static_cast<long>(s.replay.updates) - limits::kSubmissionCost;
    if (more > 0)
        if (long wait = rate_.Take(rateKey, more, now_())) return tooMany(wait);

    NewRound n;
    n.name = s.name.shown;
    n.folded = s.name.folded;
    n.keyHash = s.keyHash;
    n.roundKey = s.roundKey;
    n.variant = s.replay.variant;
    n.seed = s.replay.seed;
    n.claimedScore = s.replay.score;
    n.claimedUpdates = static_cast<long>(s.replay.updates);
    n.replay = s.bytes;
    n.at = static_cast<int64_t>(now_());
    n.day = daily_.DayOf(n.seed, n.at);
    switch (store_.AddRound(n, &row)) {
        case Store::Added::kDuplicate:
            return Json(200, RowJson(row));
        case Store::Added::kNameTaken:
            return Error(403, "the name " + s.name.shown + " belongs to another player's key");
        case Store::Added::kQueued:
            break;
    }
    // Stored: whatever happens now, the round is played (at the latest when
    // the board starts again).
    CheckJob job;
    job.id = row.id;
    job.replay = std::move(s.bytes);
    job.updates = n.claimedUpdates;
    if (!Queue(std::move(job))) return Json(202, nlohmann::json{{"id", row.id}}.dump());
    ApiAnswer a = Json(202, nlohmann::json{{"id", row.id}}.dump());
    a.waitFor = row.id;
    return a;
}

ApiAnswer BoardApi::Decided(int64_t id) {
    try {
        RoundRow row;
        if (!store_.Round(id, &row)) return Error(404, "no such round");
        if (row.status == "accepted") return Json(201, RowJson(row));
        if (row.status == "refused") return Error(422, row.reason);
        return Json(202, nlohmann::json{{"id", id}}.dump());
    } catch (const StoreError&) {
        // The round is stored; its decision can be asked for later.
        return Json(202, nlohmann::json{{"id", id}}.dump());
    }
}

void BoardApi::WhenDecided(int64_t id, std::function<void()> done) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        RoundRow row;
        bool open = false;
        try {
            open = store_.Round(id, &row) && row.status == "queued";
        } catch (const StoreError&) {
            open = true;
        }
        if (open) {
            waiting_.emplace(id, std::move(done));
            return;
        }
    }
    done();
}

void BoardApi::OnDecision(const CheckDecision& d) {
    std::vector<std::function<void()>> done;
    try {
        store_.Decide(d.id, d.accepted, d.score, d.updates, d.reason, static_cast<int64_t>(now_()));
    } catch (const StoreError&) {
        // Left queued in the store: played again at the next start.
    }
    boards_.Changed();
    bool backlog = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queued_.erase(d.id);
        backlog = backlog_;
        auto range = waiting_.equal_range(d.id);
        for (auto it = range.first; it != range.second; ++it) done.push_back(std::move(it->second));
        waiting_.erase(range.first, range.second);
    }
    for (auto& f : done) f();
    if (backlog) QueueStored();
}

bool BoardApi::Queue(CheckJob job) {
    std::lock_guard<std::mutex> lock(mutex_);
    int64_t id = job.id;
    if (!checkers_ || !checkers_->Queue(std::move(job))) {
        // Stored: it goes to the checkers once the queue has room again.
        backlog_ = true;
        return false;
    }
    queued_.insert(id);
    return true;
}

void BoardApi::QueueStored() {
    if (!checkers_) return;
    try {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            backlog_ = false;
        }
        for (const auto& q : store_.Queued()) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (queued_.count(q.first)) continue;
            }
            CheckJob job;
            job.id = q.first;
            job.updates = q.second;
            if (!store_.Replay(q.first, &job.replay)) continue;
            if (!Queue(std::move(job))) return;
        }
    } catch (const StoreError&) {
        // The store is away: what it holds is queued when it is back.
        std::lock_guard<std::mutex> lock(mutex_);
        backlog_ = true;
    }
}

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

std::string BoardApi::RowJson(const RoundRow& row) {
    nlohmann::json j = {{"id", row.id},         {"name", row.name}, {"variant", row.variant},
                        {"status", row.status}, {"at", IsoTime(row.submittedAt)}};
    if (!row.day.empty()) j["day"] = row.day;
    if (row.status == "accepted") {
        j["score"] = row.score;
        j["updates"] = row.updates;
        int rank = 0;
        BoardEntry best;
        bool placed = boards_.Place(row.variant, "", row.folded, &rank, &best);
        j["rank"] = placed ? rank : 0;
        j["best"] = placed && best.id == row.id;
        // A daily round is on its day's board too.
        if (!row.day.empty()) {
            placed = boards_.Place(row.variant, row.day, row.folded, &rank, &best);
            j["dayRank"] = placed ? rank : 0;
            j["dayBest"] = placed && best.id == row.id;
        }
    } else if (row.status == "refused") {
        j["reason"] = row.reason;
    }
    return j.dump();
}

ApiAnswer BoardApi::RoundAnswer(int64_t id, bool replay) {
    if (replay) {
        ApiAnswer a;
        if (!store_.Replay(id, &a.body)) return Error(404, "no such round");
        a.contentType = "application/octet-stream";
        a.headers.emplace_back("Content-Disposition",
                               "attachment; filename=\"round-" + std::to_string(id) + ".replay\"");
        return a;
    }
    RoundRow row;
    if (!store_.Round(id, &row)) return Error(404, "no such round");
    return Json(200, RowJson(row));
}

ApiAnswer BoardApi::BoardPage(int variant, const std::string& query) {
    std::map<std::string, std::string> p = QueryParameters(query);
    long limit = 0, offset = 0;
    if (!Number(p["limit"], limits::kPageRowsDefault, 1, limits::kPageRowsMax, &limit))
        return Error(400, "limit must be a whole number from 1 to " + std::to_string(limits::kPageRowsMax));
    if (!Number(p["offset"], 0, 0, 100000000, &offset)) return Error(400, "offset must be a whole number from 0");
    const std::string& day = p["day"];
    if (!day.empty() && !Daily::ValidDay(day)) return Error(400, "day must be a date written YYYY-MM-DD");
    return Json(200, boards_.Page(variant, day, static_cast<int>(limit), static_cast<int>(offset)));
}

ApiAnswer BoardApi::Player(const std::string& sent) {
    PlayerName name;
    std::string error;
    if (!ReadPlayerName(sent, &name, &error)) return Error(404, error);
    nlohmann::json boards = nlohmann::json::array();
    std::string shown = name.shown;
    for (int v = 1; v <= 3; ++v) {
        int rank = 0;
        BoardEntry e;
        if (!boards_.Place(v, "", name.folded, &rank, &e)) continue;
        shown = e.name;
        boards.push_back({{"variant", v}, {"rank", rank}, {"id", e.id}, {"score", e.score}, {"updates", e.updates},
                          {"at", IsoTime(e.at)}});
    }
    if (boards.empty()) return Error(404, "no round of " + name.shown + " is on the boards");
    return Json(200, nlohmann::json{{"name", shown}, {"boards", std::move(boards)}}.dump());
}

ApiAnswer BoardApi::Health() {
    if (store_.Healthy()) return Json(200, nlohmann::json{{"status", "ok"}, {"game", gameVersion_}}.dump());
    return WithRetry(Error(503, "the board's store cannot be read and written now"), 5);
}

// ---------------------------------------------------------------------------
// Others' changes
// ---------------------------------------------------------------------------

void BoardApi::Follow() {
    int64_t version = store_.Version();
    std::vector<std::string> blocked;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (version == followed_) return;
    }
    blocked = store_.BlockedAddresses();
    boards_.Follow();
    std::lock_guard<std::mutex> lock(mutex_);
    followed_ = version;
    blocked_ = std::set<std::string>(blocked.begin(), blocked.end());
}

void BoardApi::ForgetWaiters() {
    std::multimap<int64_t, std::function<void()>> gone;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        gone.swap(waiting_);
    }
}

bool BoardApi::Blocked(const std::string& address) {
    std::lock_guard<std::mutex> lock(mutex_);
    return blocked_.count(address) != 0;
}
