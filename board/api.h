// board/api.h - the board's API: plain functions from a request to an answer.
//
// The HTTP layer (board/http_server.h) only reads requests and writes
// answers; everything the API means is here, testable without a socket:
//
//   POST /api/rounds                 a round sent to the board (board/submission.h)
//   GET  /api/rounds/{id}            its row
//   GET  /api/rounds/{id}/replay     its replay's bytes
//   GET  /api/boards/{variant}       ?limit=N&offset=M[&day=YYYY-MM-DD]: a variant's board, paged
//   GET  /api/players/{name}         a name's best round and rank on each variant
//   GET  /api/health                 200 while the store can be read and written
//   GET  /api/daily                  today's maze: {"day", "seed", "ends"}
//   OPTIONS /api/...                 the preflight of a request from another origin
//
// Answers are JSON ({"error": "..."} with one line when something is refused)
// unless said. A submission that was stored waits for its check: Handle
// answers it with `waitFor` set, and the HTTP layer asks Decided for the
// final answer once the round is decided (201, or 422 when it was refused) or
// the wait is over (202).
#ifndef LANTERN_BOARD_API_H
#define LANTERN_BOARD_API_H

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "board/boards.h"
#include "board/checker.h"
#include "board/daily.h"
#include "board/rate_limit.h"
#include "board/store.h"

struct ApiRequest {
    std::string method;   // "GET", "POST", ...
    std::string target;   // the path and query as sent: "/api/boards/1?limit=5"
    std::string body;
    std::string address;  // the client's, as the board counts it (after --trust-proxy)
};

struct ApiAnswer {
    int status = 200;
    std::string body;
    std::string contentType = "application/json";
    std::vector<std::pair<std::string, std::string>> headers;  // beyond those every answer has
    int64_t waitFor = 0;  // a stored round whose decision this answer waits for
};

class BoardApi {
public:
    // `checkers` may be null (no round is then ever played); `gameVersion` is
    // the version the board plays. `now` gives seconds since 1970 (UTC).
    BoardApi(Store& store, Checkers* checkers, const std::string& gameVersion, long rateLimit,
             std::function<double()> now);

    // Whether `target` (a path) is the API's, rather than the page's.
    static bool IsApiPath(const std::string& target);

    // Answers an API request. Quick requests (every GET but the health) may be
    // answered on any thread; the others may wait on the store.
    ApiAnswer Handle(const ApiRequest& request);
    static bool Quick(const ApiRequest& request);

    // The answer to a submission whose round `id` is stored: 201 with its row
    // once accepted, 422 once refused, else (the wait is over) 202 {"id"}.
    ApiAnswer Decided(int64_t id);

    // Calls `done` (on a checking thread, or at once) when round `id` has
    // been decided; `done` is called once at most.
    void WhenDecided(int64_t id, std::function<void()> done);
    // A checking process decided a round: stored, the boards follow, and
    // whoever waits for it is called.
    void OnDecision(const CheckDecision& decision);
    // The rounds queued in the store go to the checkers (at the start, and
    // whenever the checkers' queue was full and has room again).
    void QueueStored();
    // Notices the changes of others (an operator's command): blocks and boards.
    void Follow();
    // Drops whoever still waits for a decision (the server has stopped).
    void ForgetWaiters();

private:
    ApiAnswer Submit(const ApiRequest& request);
    ApiAnswer RoundAnswer(int64_t id, bool replay);
    ApiAnswer BoardPage(int variant, const std::string& query);
    ApiAnswer Player(const std::string& name);
    ApiAnswer Health();
    // A round's row as JSON, with its rank and whether it is its name's best once accepted.
    std::string RowJson(const RoundRow& row);
    // Hands a stored round to the checkers; false (it stays in the store,
    // for later) when their queue is full.
    bool Queue(CheckJob job);
    bool Blocked(const std::string& address);

    Store& store_;
    Checkers* checkers_;
    std::string gameVersion_;
    std::function<double()> now_;
    RateLimit rate_;
    BoardCache boards_;
    Daily daily_;

    std::mutex mutex_;
    std::multimap<int64_t, std::function<void()>> waiting_;  // round id -> who waits for its decision
    std::set<std::string> blocked_;
    std::set<int64_t> queued_;  // the rounds handed to the checkers and not yet decided
    bool backlog_ = false;      // stored rounds wait that the checkers' queue had no room for
    int64_t followed_ = -1;  // the store's version the blocks were read at
};

// One line of JSON: {"error": text}.
std::string ErrorJson(const std::string& text);

#endif
