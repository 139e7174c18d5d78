// board/http_server.cpp - RunHttpServer: Boost.Beast's templates live in this
// file alone, so that the rest of the board compiles without them.
#include "board/http_server.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "board/api.h"
#include "board/limits.h"

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {

// ---------------------------------------------------------------------------
// The page's files
// ---------------------------------------------------------------------------

const char* ContentType(const std::string& path) {
    static const std::pair<const char*, const char*> kTypes[] = {
        {".html", "text/html; charset=utf-8"},   {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"}, {".wasm", "application/wasm"},
        {".json", "application/json"},          {".webmanifest", "application/manifest+json"},
        {".png", "image/png"},                  {".ogg", "audio/ogg"},
        {".wav", "audio/wav"},                  {".css", "text/css; charset=utf-8"},
        {".txt", "text/plain; charset=utf-8"},  {".replay", "application/octet-stream"},
    };
    for (const auto& t : kTypes) {
        size_t n = std::strlen(t.first);
        if (path.size() > n && path.compare(path.size() - n, n, t.first) == 0) return t.second;
    }
    return "application/octet-stream";
}

// A file of the page folder `root` (a real path) named by `target`, or 404.
// Only plain names are served: letters, digits, ".", "-", "_" and "/", no
// segment starting with "." (so no "..") and nothing whose real path leaves
// the folder.
ApiAnswer PageFile(const std::string& root, const std::string& target) {
    ApiAnswer a;
    a.status = 404;
    a.body = ErrorJson("no such file");
    if (root.empty()) return a;
    std::string path = target.substr(0, target.find('?'));
    if (path == "/") path = "/index.html";
    if (path.size() > 256 || path[0] != '/') return a;
    for (size_t i = 0; i < path.size(); ++i) {
        char c = path[i];
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '_' || c == '.' || c == '/';
        if (!plain || (c == '/' && i + 1 < path.size() && (path[i + 1] == '/' || path[i + 1] == '.'))) return a;
    }
    char real[PATH_MAX];
    std::string full = root + path;
    struct stat info;
    if (!realpath(full.c_str(), real) || std::string(real).compare(0, root.size() + 1, root + "/") != 0 ||
        stat(real, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > 64 * 1024 * 1024)
        return a;
    std::ifstream in(real, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return a;
    a.status = 200;
    a.body = std::move(bytes);
    a.contentType = ContentType(path);
    return a;
}

// ---------------------------------------------------------------------------
// Sessions
// ---------------------------------------------------------------------------

class Session;

// What every session shares: the API, the options, the loop and the pool,
// and the live sessions (for a stop).
struct Server {
    BoardApi& api;
    ServerOptions options;
    std::string pageRoot;  // the real path of options.pageDir
    std::atomic<bool> stopping{false};
    std::atomic<int> connections{0};
    std::atomic<std::size_t> bodyBytes{0};  // the declared lengths of the bodies being read
    std::mutex mutex;
    std::map<Session*, std::weak_ptr<Session>> sessions;
    std::map<std::string, int> byAddress;  // open connections of each address
    // Last, so that they go first: what they still hold of a session (a
    // handler never run) goes while everything a session uses is still there.
    net::io_context loop;
    net::thread_pool workers;

    Server(BoardApi& a, const ServerOptions& o)
        : api(a), options(o), loop(o.threads), workers(static_cast<std::size_t>(o.workers)) {}
};

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, Server& server) : stream_(std::move(socket)), server_(server) {
        boost::system::error_code error;
        tcp::endpoint peer = stream_.socket().remote_endpoint(error);
        peer_ = error ? std::string() : peer.address().to_string();
    }
    ~Session() {
        Release();
        --server_.connections;
        std::lock_guard<std::mutex> lock(server_.mutex);
        server_.sessions.erase(this);
        if (admitted_ && --server_.byAddress[peer_] <= 0) server_.byAddress.erase(peer_);
    }

    // Counts the connection against its address's share; false when that is full.
    bool Admit() {
        std::lock_guard<std::mutex> lock(server_.mutex);
        if (server_.byAddress[peer_] >= limits::kConnectionsPerAddress) return false;
        ++server_.byAddress[peer_];
        admitted_ = true;
        return true;
    }

    void Start() {
        {
            std::lock_guard<std::mutex> lock(server_.mutex);
            server_.sessions[this] = weak_from_this();
        }
        net::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->ReadHeader(); });
    }

    // The server stops: an idle session closes; one under way finishes and
    // then closes; one waiting for a check is answered now.
    void Stop() {
        net::post(stream_.get_executor(), [self = shared_from_this()] {
            if (self->wait_) self->wait_->cancel();
            if (!self->busy_) beast::get_lowest_layer(self->stream_).cancel();
        });
    }

private:
    void ReadHeader() {
        if (server_.stopping) return Close();
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(limits::kHeaderBytes));
        parser_->body_limit(limits::kBodyBytes);
        stream_.expires_after(limits::kHeaderTime);
        http::async_read_header(stream_, buffer_, *parser_,
                                [self = shared_from_this()](beast::error_code e, std::size_t) { self->OnHeader(e); });
    }

    void OnHeader(beast::error_code e) {
        // A declared length over the limit is refused here, from the header alone.
        if (e == http::error::body_limit) return TooLarge();
        if (e == http::error::header_limit)
            return Refuse(431, "the request's line and headers are over " +
                                   std::to_string(limits::kHeaderBytes / 1024) + " KiB");
        if (e == http::error::end_of_stream || e == beast::error::timeout || e == net::error::operation_aborted ||
            e == net::error::connection_reset || e == net::error::eof)
            return Close();
        if (e) return Refuse(400, "the request cannot be read as HTTP/1.1");
        busy_ = true;
        // A body over the limit is refused from its declared length, unread.
        if (parser_->content_length() && *parser_->content_length() > limits::kBodyBytes) return TooLarge();
        if (parser_->is_done()) return OnRequest();
        // Counted against the memory all bodies together may take while they are read.
        std::size_t length = parser_->content_length() ? static_cast<std::size_t>(*parser_->content_length())
                                                       : limits::kBodyBytes;
        if (!Reserve(length)) {
            ApiAnswer a;
            a.status = 503;
            a.body = ErrorJson("the board is reading as many bodies as it holds at once; try again in a few seconds");
            a.headers.emplace_back("Retry-After", "5");
            close_ = true;
            return Write(a, true, false);
        }
        stream_.expires_after(limits::kBodyTime);
        http::async_read(stream_, buffer_, *parser_,
                         [self = shared_from_this()](beast::error_code e, std::size_t) { self->OnBody(e); });
    }

    void OnBody(beast::error_code e) {
        if (e == http::error::body_limit) return TooLarge();
        if (e) return Close();
        OnRequest();
    }

    bool Reserve(std::size_t bytes) {
        std::size_t now = server_.bodyBytes.load();
        do {
            if (now + bytes > limits::kBodyMemory) return false;
        } while (!server_.bodyBytes.compare_exchange_weak(now, now + bytes));
        reserved_ = bytes;
        return true;
    }

    void Release() {
        server_.bodyBytes -= reserved_;
        reserved_ = 0;
    }

    void TooLarge() {
        Refuse(413, "the body is over " + std::to_string(limits::kBodyBytes / (1024 * 1024)) + " MiB");
    }

    // Answers and closes (the rest of the request is not read).
    void Refuse(int status, const std::string& text) {
        busy_ = true;
        close_ = true;
        ApiAnswer a;
        a.status = status;
        a.body = ErrorJson(text);
        Write(a, true, false);
    }

    std::string ClientAddress(const http::request<http::string_body>& req) {
        if (server_.options.trustProxy.empty() || peer_ != server_.options.trustProxy) return peer_;
        auto forwarded = req.find("X-Forwarded-For");
        if (forwarded == req.end()) return peer_;
        // The last address is the one the proxy saw; what came before it the client wrote itself.
        std::string list(forwarded->value());
        std::string last = list.substr(list.rfind(',') == std::string::npos ? 0 : list.rfind(',') + 1);
        last.erase(0, last.find_first_not_of(" \t"));
        last.erase(last.find_last_not_of(" \t") + 1);
        boost::system::error_code error;
        net::ip::address address = net::ip::make_address(last, error);
        return error ? peer_ : address.to_string();
    }

    void OnRequest() {
        auto& req = parser_->get();
        ApiRequest r;
        r.method = std::string(req.method_string());
        r.target = std::string(req.target());
        r.body = std::move(req.body());
        r.address = ClientAddress(req);
        keepAlive_ = req.keep_alive();
        head_ = req.method() == http::verb::head;
        bool api = BoardApi::IsApiPath(r.target);
        if (!api) {
            bool get = req.method() == http::verb::get || head_;
            if (get) return Write(PageFile(server_.pageRoot, r.target), false, head_);
            ApiAnswer a;
            a.status = server_.pageRoot.empty() ? 404 : 405;
            a.body = ErrorJson(server_.pageRoot.empty() ? "no such path" : "the page's files take GET");
            if (a.status == 405) a.headers.emplace_back("Allow", "GET, HEAD");
            return Write(a, false, head_);
        }
        if (BoardApi::Quick(r)) return Write(server_.api.Handle(r), true, head_);
        // The loop runs on while the pool works for one of its sessions: the
        // answer always gets back to be written, even as the server stops.
        net::post(server_.workers, [self = shared_from_this(), r = std::move(r),
                                    work = net::make_work_guard(stream_.get_executor())] {
            ApiAnswer a = self->server_.api.Handle(r);
            if (a.waitFor) return self->WaitFor(a.waitFor);
            net::post(self->stream_.get_executor(), [self, a = std::move(a)] { self->Write(a, true, self->head_); });
        });
    }

    // A stored round: answered once it is decided or the wait is over (at
    // once when the server stops).
    void WaitFor(int64_t id) {
        net::post(stream_.get_executor(), [self = shared_from_this(), id] {
            auto answered = std::make_shared<std::atomic<bool>>(false);
            auto finish = [self, id, answered] {
                if (answered->exchange(true)) return;
                net::post(self->server_.workers, [self, id, work = net::make_work_guard(self->stream_.get_executor())] {
                    ApiAnswer a = self->server_.api.Decided(id);
                    net::post(self->stream_.get_executor(), [self, a = std::move(a)] {
                        self->wait_.reset();
                        self->Write(a, true, self->head_);
                    });
                });
            };
            self->wait_ = std::make_shared<net::steady_timer>(self->stream_.get_executor(), limits::kAnswerWait);
            if (self->server_.stopping) self->wait_->expires_after(std::chrono::seconds(0));
            self->wait_->async_wait([finish](beast::error_code) { finish(); });
            self->server_.api.WhenDecided(id, finish);
        });
    }

    void Write(ApiAnswer a, bool api, bool head) {
        auto res = std::make_shared<http::response<http::string_body>>();
        res->version(11);
        res->result(static_cast<unsigned>(a.status));
        res->set(http::field::server, "lantern-vault-board");
        res->set("X-Content-Type-Options", "nosniff");
        if (api) res->set(http::field::access_control_allow_origin, "*");
        if (!a.contentType.empty()) res->set(http::field::content_type, a.contentType);
        for (const auto& h : a.headers) res->set(h.first, h.second);
        res->body() = std::move(a.body);
        // A 204 has no body, and says nothing of its length.
        if (a.status != 204) res->prepare_payload();
        if (head) res->body().clear();
        bool keep = keepAlive_ && !close_ && !server_.stopping;
        res->keep_alive(keep);
        stream_.expires_after(limits::kWriteTime);
        http::async_write(stream_, *res, [self = shared_from_this(), res, keep](beast::error_code e, std::size_t) {
            self->busy_ = false;
            self->Release();
            if (e || !keep) return self->Close();
            self->ReadHeader();
        });
    }

    void Close() {
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        stream_.close();
    }

    beast::tcp_stream stream_;
    Server& server_;
    std::string peer_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::shared_ptr<net::steady_timer> wait_;  // while a submission waits for its check
    bool busy_ = false;       // a request is being answered
    bool keepAlive_ = false;  // the request asked to keep the connection
    bool close_ = false;      // the connection closes after this answer
    bool head_ = false;
    std::size_t reserved_ = 0;  // of Server::bodyBytes, until the answer is written
    bool admitted_ = false;     // counted in Server::byAddress
};

// ---------------------------------------------------------------------------
// Listening
// ---------------------------------------------------------------------------

void Accept(Server& server, tcp::acceptor& acceptor) {
    acceptor.async_accept(net::make_strand(server.loop), [&server, &acceptor](beast::error_code e, tcp::socket socket) {
        if (e == net::error::operation_aborted || server.stopping) return;
        if (!e) {
            // Over the limit: closed at once, before anything is read.
            if (++server.connections > limits::kConnections) {
                --server.connections;
                beast::error_code ignored;
                socket.close(ignored);
            } else {
                // Over its address's share: it goes at once.
                auto session = std::make_shared<Session>(std::move(socket), server);
                if (session->Admit()) session->Start();
            }
        }
        Accept(server, acceptor);
    });
}

// Every second, the board notices what others changed in its store.
void Follow(Server& server, net::steady_timer& timer) {
    timer.expires_after(std::chrono::seconds(1));
    timer.async_wait([&server, &timer](beast::error_code e) {
        if (e || server.stopping) return;
        net::post(server.workers, [&server] {
            try {
                server.api.Follow();
            } catch (const std::exception&) {
                // The store is away; the health answer says so.
            }
        });
        Follow(server, timer);
    });
}

}  // namespace

int RunHttpServer(BoardApi& api, const ServerOptions& options) {
    // Connections are files: as many as the system lets this process have.
    rlimit files;
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    Server server(api, options);
    if (!options.pageDir.empty()) {
        char real[PATH_MAX];
        if (!realpath(options.pageDir.c_str(), real)) throw std::runtime_error("no page folder " + options.pageDir);
        server.pageRoot = real;
    }
    boost::system::error_code error;
    net::ip::address address = net::ip::make_address(options.host, error);
    if (error) throw std::runtime_error("cannot listen on " + options.host + ": not an IP address");
    tcp::endpoint endpoint(address, options.port);
    tcp::acceptor acceptor(server.loop);
    acceptor.open(endpoint.protocol(), error);
    if (!error) acceptor.set_option(net::socket_base::reuse_address(true), error);
    if (!error) acceptor.bind(endpoint, error);
    if (!error) acceptor.listen(net::socket_base::max_listen_connections, error);
    if (error) throw std::runtime_error("cannot listen on " + options.host + ":" + std::to_string(options.port) + ": " +
                                        error.message());
    tcp::endpoint bound = acceptor.local_endpoint();
    std::string shown = bound.address().is_v6() ? "[" + bound.address().to_string() + "]" : bound.address().to_string();
    std::printf("listening on http://%s:%u/\n", shown.c_str(), static_cast<unsigned>(bound.port()));
    std::fflush(stdout);

    net::signal_set signals(server.loop, SIGTERM, SIGINT);
    net::steady_timer follow(server.loop);
    signals.async_wait([&](beast::error_code, int) {
        server.stopping = true;
        beast::error_code ignored;
        acceptor.close(ignored);
        follow.cancel();
        std::lock_guard<std::mutex> lock(server.mutex);
        for (auto& s : server.sessions)
            if (auto live = s.second.lock()) live->Stop();
    });
    Accept(server, acceptor);
    Follow(server, follow);

    std::vector<std::thread> threads;
    for (int i = 1; i < options.threads; ++i) threads.emplace_back([&server] { server.loop.run(); });
    server.loop.run();
    for (std::thread& t : threads) t.join();
    server.workers.join();
    // Submissions still waiting for a check were answered; their sessions go now, with the server.
    api.ForgetWaiters();
    return 0;
}
