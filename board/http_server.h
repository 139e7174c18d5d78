// board/http_server.h - the board's HTTP: Boost.Beast over Asio.
//
// One event loop (run by a few threads) owns every connection; a connection is
// one small session that owns its stream and buffer. The layer only reads
// requests and writes answers: the API is board/api.h, the page's files are
// served from a folder. Every limit of board/limits.h that concerns the bytes
// of a request is kept here, where they arrive: the header's size and time,
// the body's size (refused from its Content-Length, before it is read) and
// time, the time a kept-alive connection may stay idle and an answer may take,
// and the connections open at once. Work that may wait on the store runs on
// a pool of its own threads, never on the loop's.
//
// Every answer carries X-Content-Type-Options: nosniff, and the API's allow
// any origin (the API uses no cookies). SIGTERM and SIGINT stop the server:
// it takes no more connections, answers the requests under way (a submission
// still waiting for its check gets its 202) and returns from Run.
#ifndef LANTERN_BOARD_HTTP_SERVER_H
#define LANTERN_BOARD_HTTP_SERVER_H

#include <string>

class BoardApi;

struct ServerOptions {
    std::string host = "127.0.0.1";
    unsigned short port = 8080;
    std::string pageDir;     // the page's files, served at "/"; empty: none
    std::string trustProxy;  // the address of a proxy whose X-Forwarded-For is believed; empty: none
    int threads = 2;         // threads of the event loop
    int workers = 4;         // threads for work that may wait on the store
};

// Listens and serves until SIGTERM or SIGINT; returns the process's exit
// status (0 after a stop by a signal). Prints "listening on http://HOST:PORT/"
// once it takes connections; throws std::runtime_error when it cannot listen.
int RunHttpServer(BoardApi& api, const ServerOptions& options);

#endif
