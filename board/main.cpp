// board/main.cpp - lantern-vault-board: the world board's program.
//
//   lantern-vault-board [OPTION]...            serves the board (and the page)
//   lantern-vault-board admin [--data DIR] ... an operator's change, while it runs
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "board/api.h"
#include "board/checker.h"
#include "board/http_server.h"
#include "board/limits.h"
#include "board/names.h"
#include "board/store.h"

#ifndef LANTERN_VERSION
#error "LANTERN_VERSION is not defined: build with CMake"
#endif

namespace {

const char* const kProgram = "lantern-vault-board";

struct Options {
    ServerOptions server;
    std::string data = "./board-data";
    std::string verifier;  // default: lantern-vault beside this program
    int verifiers = 0;     // default: the cores
    long rateLimit = limits::kRateUpdatesPerMinute;
    bool help = false, version = false;
    std::vector<std::string> admin;  // the admin command and its arguments
    std::string error;
};

std::string Usage() {
    char text[4096];
    std::snprintf(text, sizeof text,
                  "Usage: %s [OPTION]...\n"
                  "       %s admin [--data DIR] COMMAND\n"
                  "The world board of Bramblet in The Lantern Vault: every round sent to it is played\n"
                  "again by the game before it counts.\n\n"
                  "Options:\n"
                  "  --listen HOST:PORT  where to take connections (127.0.0.1:8080; [::1]:8080 for IPv6)\n"
                  "  --data DIR          the board's store (./board-data)\n"
                  "  --page DIR          the web page's files, served at / (none: the API alone)\n"
                  "  --verifier PATH     the game's program that plays rounds again (lantern-vault\n"
                  "                      beside this program); its data/ folder lies beside it\n"
                  "  --verifiers N       checking processes (one per core)\n"
                  "  --rate-limit N      updates of rounds one client address may have checked a\n"
                  "                      minute (%ld)\n"
                  "  --trust-proxy ADDR  take the client's address from X-Forwarded-For when the\n"
                  "                      request comes from ADDR (a TLS proxy in front)\n"
                  "  -h, --help          print this help and exit\n"
                  "      --version       print the version and exit\n\n"
                  "Admin commands, while the board runs (it follows within a second):\n"
                  "  remove ID           remove the round ID from the board\n"
                  "  free NAME           free NAME for any key (its rounds stay)\n"
                  "  block ADDRESS       refuse the rounds an address sends\n"
                  "  unblock ADDRESS     take rounds from it again\n\n"
                  "Limits: bodies up to %zu MiB, headers %zu KiB; rounds up to %ld updates (two hours);\n"
                  "%zu rounds waiting to be checked; a request's headers within %ld s, its body within\n"
                  "%ld s; %d connections. docs/board.md says why.\n",
                  kProgram, kProgram, limits::kRateUpdatesPerMinute, limits::kBodyBytes / (1024 * 1024),
                  limits::kHeaderBytes / 1024, limits::kRoundUpdates, limits::kQueuedRounds,
                  static_cast<long>(limits::kHeaderTime.count()), static_cast<long>(limits::kBodyTime.count()),
                  limits::kConnections);
    return text;
}

bool ReadNumber(const std::string& text, long lo, long hi, long* value) {
    if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    *value = std::strtol(text.c_str(), nullptr, 10);
    return *value >= lo && *value <= hi;
}

bool ReadListen(const std::string& text, ServerOptions* server) {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    std::string host = text.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    long port = 0;
    if (!ReadNumber(text.substr(colon + 1), 0, 65535, &port)) return false;
    server->host = host;
    server->port = static_cast<unsigned short>(port);
    return true;
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc && o.error.empty() && !o.help && !o.version; ++i) {
        std::string arg = argv[i], value;
        if (arg == "admin" && o.admin.empty()) {
            // What follows is the admin command, after an optional --data.
            for (++i; i < argc; ++i) {
                if (std::string(argv[i]) == "--data" && i + 1 < argc && o.admin.empty()) {
                    o.data = argv[++i];
                } else {
                    o.admin.push_back(argv[i]);
                }
            }
            if (o.admin.empty()) o.error = "admin needs a command";
            break;
        }
        if (arg == "-h" || arg == "--help") {
            o.help = true;
            break;
        }
        if (arg == "--version") {
            o.version = true;
            break;
        }
        size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        static const char* const kValued[] = {"--listen", "--data", "--page", "--verifier", "--verifiers",
                                              "--rate-limit", "--trust-proxy"};
        bool valued = false;
        for (const char* v : kValued) valued = valued || name == v;
        if (!valued) {
            o.error = "unknown option '" + arg + "'";
            break;
        }
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        }
        if (value.empty()) {
            o.error = "option '" + name + "' needs a value";
            break;
        }
        long n = 0;
        if (name == "--listen") {
            if (!ReadListen(value, &o.server)) o.error = "--listen takes HOST:PORT, not '" + value + "'";
        } else if (name == "--data") {
            o.data = value;
        } else if (name == "--page") {
            o.server.pageDir = value;
        } else if (name == "--verifier") {
            o.verifier = value;
        } else if (name == "--verifiers") {
            if (ReadNumber(value, 1, 256, &n)) o.verifiers = static_cast<int>(n);
            else o.error = "--verifiers takes a number from 1 to 256";
        } else if (name == "--rate-limit") {
            if (ReadNumber(value, 1, 1000000000000L, &n)) o.rateLimit = n;
            else o.error = "--rate-limit takes a number of updates from 1";
        } else if (name == "--trust-proxy") {
            o.server.trustProxy = value;
        }
    }
    return o;
}

std::string Folder(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

std::string ThisProgram() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "";
    path[n] = '\0';
    return path;
}

double Now() {
    timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

int Admin(const Options& o) {
    std::unique_ptr<Store> store = OpenSqliteStore(o.data);
    const std::vector<std::string>& a = o.admin;
    if (a.size() == 2 && a[0] == "remove") {
        long id = 0;
        if (!ReadNumber(a[1], 1, 1000000000000L, &id)) {
            std::fprintf(stderr, "%s: admin remove takes a round's id\n", kProgram);
            return 2;
        }
        bool done = store->RemoveRound(id);
        std::printf(done ? "round %ld removed\n" : "no round %ld\n", id);
        return done ? 0 : 1;
    }
    if (a.size() == 2 && a[0] == "free") {
        PlayerName name;
        std::string error;
        if (!ReadPlayerName(a[1], &name, &error)) {
            std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
            return 2;
        }
        bool done = store->FreeName(name.folded);
        std::printf(done ? "%s is free\n" : "%s belonged to no key\n", name.shown.c_str());
        return done ? 0 : 1;
    }
    if (a.size() == 2 && (a[0] == "block" || a[0] == "unblock")) {
        if (a[0] == "block") {
            store->Block(a[1], static_cast<int64_t>(Now()));
            std::printf("%s is blocked\n", a[1].c_str());
            return 0;
        }
        bool done = store->Unblock(a[1]);
        std::printf(done ? "%s is no longer blocked\n" : "%s was not blocked\n", a[1].c_str());
        return done ? 0 : 1;
    }
    std::fprintf(stderr, "%s: unknown admin command\n%s", kProgram, Usage().c_str());
    return 2;
}

// The folder the checking processes run in: a link to the verifier's data
// and nothing else (no saved state of a player who once played there).
std::string CheckerFolder(const Options& o, const std::string& verifier) {
    std::string folder = o.data + "/checker";
    mkdir(folder.c_str(), 0755);
    std::string data = Folder(verifier) + "/data";
    char real[4096];
    if (!realpath(data.c_str(), real)) throw std::runtime_error("no data folder beside the verifier (" + data + ")");
    std::string link = folder + "/data";
    unlink(link.c_str());
    if (symlink(real, link.c_str()) != 0) throw std::runtime_error("cannot link the game's data into " + folder);
    return folder;
}

int Serve(const Options& o) {
    if (mkdir(o.data.c_str(), 0755) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot make the data folder " + o.data + ": " + std::strerror(errno));
    std::unique_ptr<Store> store = OpenSqliteStore(o.data);

    CheckerOptions c;
    c.verifier = o.verifier.empty() ? Folder(ThisProgram()) + "/lantern-vault" : o.verifier;
    char real[4096];
    if (!realpath(c.verifier.c_str(), real) || access(real, X_OK) != 0)
        throw std::runtime_error("no verifier at " + c.verifier + " (--verifier names the game's program)");
    c.verifier = real;
    c.folder = CheckerFolder(o, c.verifier);
    c.processes = o.verifiers > 0 ? o.verifiers : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    c.queueLength = limits::kQueuedRounds;
#ifdef LANTERN_SANITIZE
    // Shadow memory takes terabytes of address space, and every step is slower.
    c.memoryLimit = false;
    c.cpuScale = 10;
#endif
    BoardApi* api = nullptr;
    Checkers checkers(c, [&api](const CheckDecision& d) { api->OnDecision(d); });
    BoardApi board(*store, &checkers, checkers.GameVersion(), o.rateLimit, Now);
    api = &board;
    board.QueueStored();
    std::fprintf(stderr, "%s: %d checking processes of %s (version %s); store in %s\n", kProgram, c.processes,
                 c.verifier.c_str(), checkers.GameVersion().c_str(), o.data.c_str());
    int status = RunHttpServer(board, o.server);
    checkers.Stop();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // A client or a checking process that goes away is an error of one write, not the board's end.
    signal(SIGPIPE, SIG_IGN);
    Options o = Parse(argc, argv);
    if (!o.error.empty()) {
        std::fprintf(stderr, "%s: %s\n%s", kProgram, o.error.c_str(), Usage().c_str());
        return 2;
    }
    if (o.help) {
        std::fputs(Usage().c_str(), stdout);
        return 0;
    }
    if (o.version) {
        std::printf("%s %s\n", kProgram, LANTERN_VERSION);
        return 0;
    }
    try {
        return o.admin.empty() ? Serve(o) : Admin(o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
        return 1;
    }
}
