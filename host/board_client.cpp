// host/board_client.cpp - the desktop's world board: settings, libcurl, the
// sending thread and --submit.
#include "host/board_client.h"

#include <curl/curl.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "host/files.h"
#include "host/title.h"

const char* const kBoardSettingsFile = "./.vorlinboard";
const char* const kOutboxFolder = "./replays/outbox";

std::string Base64Url(const std::string& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) v |= static_cast<uint8_t>(bytes[i + 2]);
        size_t digits = std::min<size_t>(4, bytes.size() - i + 1);
        for (size_t d = 0; d < digits; ++d) out += kDigits[(v >> (18 - 6 * d)) & 63];
    }
    return out;
}

namespace {

bool ReadWhole(const std::string& path, std::string* bytes, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = std::strerror(errno);
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    *bytes = all.str();
    return true;
}

// ---------------------------------------------------------------------------
// HTTP (libcurl)
// ---------------------------------------------------------------------------

// What the board answered; status 0 when nothing came (`error` says why).
struct Answer {
    long status = 0;
    nlohmann::json json;  // the body, when it is JSON
    long retryAfter = 0;
    std::string error;
};

size_t Collect(char* data, size_t size, size_t count, void* into) {
    std::string* body = static_cast<std::string*>(into);
    // No answer of the board's is this long; more is not read.
    if (body->size() + size * count > (1u << 20)) return 0;
    body->append(data, size * count);
    return size * count;
}

Answer Http(const std::string& url, const std::string* post) {
    Answer a;
    CURL* c = curl_easy_init();
    if (!c) {
        a.error = "no HTTP client";
        return a;
    }
    std::string body;
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 5L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, kProgramName);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
    if (post) {
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, post->data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post->size()));
    }
    CURLcode result = curl_easy_perform(c);
    if (result == CURLE_OK) {
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &a.status);
        curl_off_t retry = 0;
        if (curl_easy_getinfo(c, CURLINFO_RETRY_AFTER, &retry) == CURLE_OK) a.retryAfter = static_cast<long>(retry);
        a.json = nlohmann::json::parse(body, nullptr, false);
    } else {
        a.error = curl_easy_strerror(result);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(c);
    return a;
}

std::string Url(const std::string& board, const std::string& path) { return board + path; }

std::string Text(const nlohmann::json& j, const char* key) {
    auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

long Number(const nlohmann::json& j, const char* key) {
    auto it = j.find(key);
    return it != j.end() && it->is_number_integer() ? it->get<long>() : 0;
}

// The menu's line for a decided round.
std::string RankLine(const nlohmann::json& row) {
    if (Number(row, "dayRank") > 0) return "Daily rank " + std::to_string(Number(row, "dayRank"));
    return "World rank " + std::to_string(Number(row, "rank"));
}

// ---------------------------------------------------------------------------
// The settings file
// ---------------------------------------------------------------------------

bool ValidBoardAddress(const std::string& url) {
    return (url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0) && url.size() > 8 && url.size() < 2048 &&
           url.find_first_of(" \t\r\n") == std::string::npos;
}

}  // namespace

bool BoardSettings::Load(std::string* error) {
    std::ifstream in(kBoardSettingsFile);
    if (!in) {
        if (errno == ENOENT) return true;
        *error = std::string(kBoardSettingsFile) + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        size_t space = line.find(' ');
        std::string field = line.substr(0, space), value = space == std::string::npos ? "" : line.substr(space + 1);
        if (field == "board" && ValidBoardAddress(value)) board = value;
        if (field == "name") name = value;
        if (field == "key") key = value;
        if (field == "asked") asked = value == "1";
    }
    return true;
}

bool BoardSettings::Save(std::string* error) const {
    std::string text = "board " + board + "\nname " + name + "\nkey " + key + "\nasked " + (asked ? "1" : "0") + "\n";
    std::string temporary = std::string(kBoardSettingsFile) + ".new";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    bool ok = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && fsync(fd) == 0;
    if (fd >= 0) close(fd);
    ok = ok && rename(temporary.c_str(), kBoardSettingsFile) == 0;
    if (!ok) *error = std::string(kBoardSettingsFile) + ": " + std::strerror(errno);
    return ok;
}

void BoardSettings::MakeKey() {
    if (!key.empty()) return;
    std::string bytes(24, '\0');
    if (getrandom(&bytes[0], bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) return;
    key = Base64Url(bytes);
}

bool ApplyBoardOptions(const std::string& board, bool boardGiven, const std::string& name, bool nameGiven,
                       std::FILE* err) {
    BoardSettings s;
    std::string error;
    if (!s.Load(&error)) {
        std::fprintf(err, "%s: %s\n", kProgramName, error.c_str());
        return false;
    }
    if (boardGiven) {
        std::string url = board == "none" ? "" : board;
        if (!url.empty() && url.back() != '/') url += '/';
        if (!url.empty() && !ValidBoardAddress(url)) {
            std::fprintf(err, "%s: --board takes an http:// or https:// address, or none\n", kProgramName);
            return false;
        }
        s.board = url;
    }
    if (nameGiven) {
        bool control = std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
        if (name.empty() || name.size() > 256 || control) {
            std::fprintf(err, "%s: --name takes a name of 1 to 16 characters\n", kProgramName);
            return false;
        }
        s.name = name;
        s.asked = true;
    }
    s.MakeKey();
    if (!s.Save(&error)) {
        std::fprintf(err, "%s: %s\n", kProgramName, error.c_str());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Sending a round
// ---------------------------------------------------------------------------

namespace {

// How one round fared with the board.
struct Sent {
    enum Kind { kDecided, kWaiting, kRefused, kNameTaken, kLater } kind = kLater;
    long id = 0;
    nlohmann::json row;   // kDecided
    std::string reason;   // kRefused, kLater
    long retryAfter = 0;  // kLater
};

Sent Post(const BoardSettings& s, const std::string& replay) {
    std::string body = nlohmann::json{{"name", s.name}, {"key", s.key}, {"replay", Base64Url(replay)}}.dump();
    Answer a = Http(Url(s.board, "api/rounds"), &body);
    Sent sent;
    if (a.status == 0) {
        sent.reason = "the board cannot be reached (" + a.error + ")";
        return sent;
    }
    std::string status = Text(a.json, "status");
    if ((a.status == 200 || a.status == 201) && (status == "accepted" || status == "refused")) {
        sent.kind = status == "accepted" ? Sent::kDecided : Sent::kRefused;
        sent.row = a.json;
        sent.reason = Text(a.json, "reason");
    } else if (a.status == 200 || a.status == 202) {
        sent.kind = Sent::kWaiting;
        sent.id = Number(a.json, "id");
    } else if (a.status == 403 && Text(a.json, "error").find("belongs to another") != std::string::npos) {
        sent.kind = Sent::kNameTaken;
        sent.reason = Text(a.json, "error");
    } else if (a.status == 429 || a.status >= 500) {
        sent.reason = Text(a.json, "error");
        sent.retryAfter = a.retryAfter;
    } else {
        sent.kind = Sent::kRefused;
        sent.reason = Text(a.json, "error");
        if (sent.reason.empty()) sent.reason = "the board answered " + std::to_string(a.status);
    }
    return sent;
}

// The row of a round the board is still playing, once decided; false while it is not (or no answer came).
bool Follow(const BoardSettings& s, long id, nlohmann::json* row) {
    Answer a = Http(Url(s.board, "api/rounds/" + std::to_string(id)), nullptr);
    if (a.status != 200) return false;
    std::string status = Text(a.json, "status");
    if (status != "accepted" && status != "refused") return false;
    *row = a.json;
    return true;
}

// ---------------------------------------------------------------------------
// The game's world board
// ---------------------------------------------------------------------------

// Without a board: every question answered "no".
class NoBoard : public BBWorldBoard {
public:
    void Poll() override {}
    bool Set() override { return false; }
    bool Answers() override { return false; }
    bool WantsName() override { return false; }
    bool SetName(const std::string&, std::string* error) override {
        *error = "no world board is set";
        return false;
    }
    void RoundFinished(const std::vector<uint8_t>&) override {}
    bool LastAnswer(std::string*) override { return false; }
    bool Daily(int32_t*) override { return false; }
    bool DailyAsked() override { return false; }
};

class DesktopBoard : public BBWorldBoard {
public:
    explicit DesktopBoard(const BoardSettings& settings) : settings_(settings) {
        thread_ = std::thread([this] { Run(); });
    }

    void Stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            Wake();
        }
        thread_.join();
    }

    void Poll() override {}
    bool Set() override { return true; }
    bool Answers() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return answers_;
    }
    bool WantsName() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return settings_.name.empty() && !settings_.asked;
    }
    bool SetName(const std::string& name, std::string* error) override {
        bool plain = name.size() <= 16 && std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' ||
                   c == '-' || c == '_' || c == '.';
        });
        if (!plain) {
            *error = "a name is up to 16 letters, digits, spaces, \"-\", \"_\" and \".\"";
            return false;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        settings_.name = name;
        settings_.asked = true;
        settings_.MakeKey();
        if (!settings_.Save(error)) return false;
        Wake();
        return true;
    }
    void RoundFinished(const std::vector<uint8_t>& replay) override {
        mkdir(kOutboxFolder, 0755);
        char name[64];
        std::snprintf(name, sizeof name, "/%lld-%d.replay", static_cast<long long>(std::time(nullptr)), ++sent_);
        WriteFileAtomically(kOutboxFolder + std::string(name), replay.data(), replay.size());
        std::lock_guard<std::mutex> lock(mutex_);
        Wake();
    }
    bool LastAnswer(std::string* line) override {
        std::lock_guard<std::mutex> lock(mutex_);
        *line = line_;
        return !line_.empty();
    }
    bool Daily(int32_t* seed) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!dailyKnown_ || std::time(nullptr) >= dailyEnds_) return false;
        *seed = dailySeed_;
        return true;
    }
    // The desktop asks for the day's maze in the game's menu alone.
    bool DailyAsked() override { return false; }

private:
    // Has the thread look at once (a new round, a name); the mutex is held.
    void Wake() {
        woken_ = true;
        wake_.notify_all();
    }

    // The thread: today's maze, the rounds in the outbox, the rounds being played.
    void Run() {
        int wait = 5;
        for (;;) {
            BoardSettings s;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (stopping_) return;
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                s = settings_;
            }
            bool reached = FetchDaily(s);
            long retry = 0;
            if (reached && !s.name.empty()) reached = SendOutbox(s, &retry);
            if (reached) FollowWaiting(s);
            {
                std::unique_lock<std::mutex> lock(mutex_);
                answers_ = reached;
                wait = reached ? 5 : std::min(300, wait * 2);
                int seconds = retry > 0 ? static_cast<int>(std::min(retry, 300L)) : (reached && waiting_.empty() ? 60 : wait);
                wake_.wait_for(lock, std::chrono::seconds(seconds), [this] { return stopping_ || woken_; });
                woken_ = false;
            }
        }
    }

    bool FetchDaily(const BoardSettings& s) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (dailyKnown_ && std::time(nullptr) < dailyEnds_) return true;
        }
        Answer a = Http(Url(s.board, "api/daily"), nullptr);
        if (a.status == 0) return false;
        if (a.status != 200) return true;
        std::tm ends = {};
        std::string text = Text(a.json, "ends");
        if (!strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &ends)) return true;
        std::lock_guard<std::mutex> lock(mutex_);
        dailyKnown_ = true;
        dailySeed_ = static_cast<int32_t>(Number(a.json, "seed"));
        dailyEnds_ = timegm(&ends);
        return true;
    }

    // False when the board cannot take rounds now (`retry` says for how long, when it said).
    bool SendOutbox(const BoardSettings& s, long* retry) {
        std::vector<std::string> files;
        if (DIR* dir = opendir(kOutboxFolder)) {
            while (dirent* e = readdir(dir)) {
                std::string n = e->d_name;
                if (n.size() > 7 && n.compare(n.size() - 7, 7, ".replay") == 0) files.push_back(n);
            }
            closedir(dir);
        }
        std::sort(files.begin(), files.end());
        for (const std::string& f : files) {
            std::string path = std::string(kOutboxFolder) + "/" + f, replay, error;
            if (!ReadWhole(path, &replay, &error)) continue;
            Sent sent = Post(s, replay);
            if (sent.kind == Sent::kLater) {
                *retry = sent.retryAfter;
                return false;
            }
            if (sent.kind == Sent::kNameTaken) {
                // Kept: the player is asked for another name, and it goes under that one.
                std::lock_guard<std::mutex> lock(mutex_);
                std::string saveError;
                settings_.name.clear();
                settings_.asked = false;
                settings_.Save(&saveError);
                line_ = "Name taken";
                return true;
            }
            unlink(path.c_str());
            std::lock_guard<std::mutex> lock(mutex_);
            if (sent.kind == Sent::kDecided) line_ = RankLine(sent.row);
            if (sent.kind == Sent::kRefused) line_ = "Not ranked";
            if (sent.kind == Sent::kWaiting) {
                waiting_.push_back(sent.id);
                line_.clear();
            }
            if (sent.kind == Sent::kRefused)
                std::fprintf(stderr, "%s: the world board refused a round: %s\n", kProgramName, sent.reason.c_str());
        }
        return true;
    }

    void FollowWaiting(const BoardSettings& s) {
        std::vector<long> ids;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ids = waiting_;
        }
        for (long id : ids) {
            nlohmann::json row;
            if (!Follow(s, id, &row)) continue;
            std::lock_guard<std::mutex> lock(mutex_);
            waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), id), waiting_.end());
            line_ = Text(row, "status") == "accepted" ? RankLine(row) : "Not ranked";
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    BoardSettings settings_;
    bool answers_ = false;
    std::string line_;           // the menu's line for the last round decided
    std::vector<long> waiting_;  // rounds the board is still playing
    bool dailyKnown_ = false;
    int32_t dailySeed_ = 0;
    std::time_t dailyEnds_ = 0;
    int sent_ = 0;
    bool stopping_ = false;
    bool woken_ = false;  // something for the thread to look at came since it last looked
    std::thread thread_;
};

DesktopBoard* g_board = nullptr;

}  // namespace

void EnableWorldBoard() {
    BoardSettings s;
    std::string error;
    if (!s.Load(&error) || s.board.empty()) return;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    g_board = new DesktopBoard(s);
}

void StopWorldBoard() {
    if (!g_board) return;
    g_board->Stop();
    delete g_board;
    g_board = nullptr;
}

BBWorldBoard* bbWorldBoard() {
    static NoBoard none;
    if (g_board) return g_board;
    return &none;
}

// ---------------------------------------------------------------------------
// --submit
// ---------------------------------------------------------------------------

int SubmitReplays(const std::vector<std::string>& paths, std::FILE* out, std::FILE* err) {
    BoardSettings s;
    std::string error;
    if (!s.Load(&error)) {
        std::fprintf(err, "%s: %s\n", kProgramName, error.c_str());
        return 2;
    }
    if (s.board.empty() || s.name.empty()) {
        std::fprintf(err, "%s: --submit needs a board and a name: give --board URL and --name NAME once\n",
                     kProgramName);
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    int worst = 0;
    for (const std::string& path : paths) {
        std::string replay, shown = path;
        for (char& c : shown)
            if (static_cast<unsigned char>(c) < 0x20) c = '?';
        if (!ReadWhole(path, &replay, &error)) {
            std::fprintf(out, "%s: could not be read: %s\n", shown.c_str(), error.c_str());
            worst = 2;
            continue;
        }
        Sent sent = Post(s, replay);
        // A round the board is still playing is followed for a minute.
        for (int i = 0; sent.kind == Sent::kWaiting && i < 120; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            if (Follow(s, sent.id, &sent.row))
                sent.kind = Text(sent.row, "status") == "accepted" ? Sent::kDecided : Sent::kRefused;
            sent.reason = Text(sent.row, "reason");
        }
        int status = 0;
        if (sent.kind == Sent::kDecided) {
            std::fprintf(out, "%s: rank %ld on board %ld (score %ld in %ld updates)\n", shown.c_str(),
                         Number(sent.row, "rank"), Number(sent.row, "variant"), Number(sent.row, "score"),
                         Number(sent.row, "updates"));
        } else if (sent.kind == Sent::kWaiting) {
            std::fprintf(out, "%s: sent; the board is still playing it (round %ld)\n", shown.c_str(), sent.id);
        } else if (sent.kind == Sent::kLater) {
            std::fprintf(out, "%s: not sent: %s\n", shown.c_str(), sent.reason.c_str());
            status = 2;
        } else {
            std::fprintf(out, "%s: refused: %s\n", shown.c_str(), sent.reason.c_str());
            status = 1;
        }
        std::fflush(out);
        worst = std::max(worst, status);
    }
    return worst;
}
