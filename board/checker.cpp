// board/checker.cpp - the checking processes and the queue they take rounds from.
#include "board/checker.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "board/limits.h"

namespace {

double Monotonic() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

}  // namespace

// One checking process: the verifier run with --check-rounds, its input and
// output as pipes, its error stream the board's.
class CheckProcess {
public:
    CheckProcess(const CheckerOptions& options) : options_(options) {}
    ~CheckProcess() { Kill(); }

    bool Running() const { return pid_ > 0; }

    // Starts it and waits for its "ready VERSION" line.
    bool Start(std::string* version, std::string* error) {
        Kill();
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0) return Fail(error, "cannot make a pipe");
        if (pipe2(out, O_CLOEXEC) != 0) {
            close(in[0]);
            close(in[1]);
            return Fail(error, "cannot make a pipe");
        }
        std::string flag = "--check-rounds";
        char* argv[] = {const_cast<char*>(options_.verifier.c_str()), const_cast<char*>(flag.c_str()), nullptr};
        // The board's environment, with sound going nowhere.
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "ALSOFT_DRIVERS=", 15) != 0) env.push_back(*e);
        env.push_back("ALSOFT_DRIVERS=null");
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(&e[0]);
        envp.push_back(nullptr);
        rlimit memory{static_cast<rlim_t>(limits::kCheckerMemory), static_cast<rlim_t>(limits::kCheckerMemory)};
        const char* folder = options_.folder.c_str();
        bool limitMemory = options_.memoryLimit;
        pid_t pid = fork();
        if (pid == 0) {
            // Only calls that are safe between fork and exec from here on.
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            // Nothing of the board's (its sockets, its store) goes with it.
            close_range(3, ~0U, 0);
            if (limitMemory) setrlimit(RLIMIT_AS, &memory);
            if (chdir(folder) != 0) _exit(126);
            execve(argv[0], argv, envp.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        if (pid < 0) {
            close(in[1]);
            close(out[0]);
            return Fail(error, std::string("cannot start a checking process: ") + std::strerror(errno));
        }
        pid_ = pid;
        toChild_ = in[1];
        fromChild_ = out[0];
        fcntl(toChild_, F_SETFL, O_NONBLOCK);
        fcntl(fromChild_, F_SETFL, O_NONBLOCK);
        buffer_.clear();
        std::string line;
        double deadline = Monotonic() + limits::kCheckerStart;
        if (!ReadLine(deadline, -1, &line)) {
            Kill();
            return Fail(error, "the verifier " + options_.verifier + " did not start (run it with --check-rounds to see why)");
        }
        if (line.compare(0, 6, "ready ") != 0) {
            Kill();
            return Fail(error, "the verifier " + options_.verifier + " answered '" + line + "' at its start");
        }
        *version = line.substr(6);
        return true;
    }

    enum class Outcome { kAnswered, kOverran, kDied };

    // Sends `replay` and reads the answer, within `cpu` seconds of the
    // process's CPU time and `wall` seconds.
    Outcome Check(const std::string& replay, double cpu, double wall, std::string* line) {
        double deadline = Monotonic() + wall;
        double cpuLimit = CpuSeconds() + cpu;
        std::string request = "round " + std::to_string(replay.size()) + "\n" + replay;
        size_t sent = 0;
        while (sent < request.size()) {
            ssize_t n = write(toChild_, request.data() + sent, request.size() - sent);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) return Outcome::kDied;
            pollfd p{toChild_, POLLOUT, 0};
            if (!Wait(p, deadline, cpuLimit)) return Overran() ? Outcome::kOverran : Outcome::kDied;
        }
        if (!ReadLine(deadline, cpuLimit, line)) return Overran() ? Outcome::kOverran : Outcome::kDied;
        return Outcome::kAnswered;
    }

    void Kill() {
        if (toChild_ >= 0) close(toChild_);
        if (fromChild_ >= 0) close(fromChild_);
        toChild_ = fromChild_ = -1;
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
        overran_ = false;
    }

private:
    bool Fail(std::string* error, const std::string& why) {
        *error = why;
        return false;
    }

    bool Overran() const { return overran_; }

    // CPU seconds of all the process's threads, from its own counters.
    double CpuSeconds() const {
        char path[64];
        std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid_));
        std::ifstream in(path);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // The fields after the command's closing bracket: state is the 3rd, utime the 14th, stime the 15th.
        size_t close = text.rfind(')');
        if (close == std::string::npos) return 0;
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        unsigned long long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
            if (i == 15) stime = std::strtoull(field.c_str(), nullptr, 10);
        }
        return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    // Waits for `p` to be ready, looking at the CPU spent every 50 ms; false
    // when the time or the CPU budget (`cpuLimit` < 0: none) ran out first.
    bool Wait(pollfd p, double deadline, double cpuLimit) {
        for (;;) {
            double left = deadline - Monotonic();
            if (left <= 0) {
                overran_ = true;
                return false;
            }
            int ms = static_cast<int>(std::min(left, 0.05) * 1000) + 1;
            int n = poll(&p, 1, ms);
            if (n > 0) return true;  // the read or write that follows says what it was
            if (n < 0 && errno != EINTR) return false;
            if (cpuLimit >= 0 && CpuSeconds() > cpuLimit) {
                overran_ = true;
                return false;
            }
        }
    }

    bool ReadLine(double deadline, double cpuLimit, std::string* line) {
        for (;;) {
            size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                *line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return true;
            }
            if (buffer_.size() > 64 * 1024) return false;  // no answer is this long
            char chunk[4096];
            ssize_t n = read(fromChild_, chunk, sizeof chunk);
            if (n > 0) {
                buffer_.append(chunk, static_cast<size_t>(n));
                continue;
            }
            if (n == 0) return false;  // the process ended
            if (errno != EAGAIN && errno != EINTR) return false;
            pollfd p{fromChild_, POLLIN, 0};
            if (!Wait(p, deadline, cpuLimit)) return false;
        }
    }

    const CheckerOptions& options_;
    pid_t pid_ = -1;
    int toChild_ = -1, fromChild_ = -1;
    std::string buffer_;
    bool overran_ = false;
};

// ---------------------------------------------------------------------------
// The pool
// ---------------------------------------------------------------------------

Checkers::Checkers(const CheckerOptions& options, std::function<void(const CheckDecision&)> decided)
    : options_(options), decided_(std::move(decided)) {
    // The first process is started here: the board needs its version, and a
    // verifier that cannot start is reported at once.
    std::unique_ptr<CheckProcess> first(new CheckProcess(options_));
    std::string error;
    if (!first->Start(&version_, &error)) throw std::runtime_error(error);
    first.reset();
    for (int i = 0; i < options_.processes; ++i) threads_.emplace_back([this, i] { Work(i); });
}

Checkers::~Checkers() { Stop(); }

bool Checkers::Queue(CheckJob job) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || queue_.size() >= options_.queueLength) return false;
    queue_.push_back(std::move(job));
    wake_.notify_one();
    return true;
}

std::size_t Checkers::Pending() {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size() + playing_;
}

double Checkers::CpuBudget(long updates) const {
    return (limits::kCheckBaseSeconds + limits::kCheckSecondsPerUpdate * static_cast<double>(updates)) *
           options_.cpuScale;
}

void Checkers::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
        wake_.notify_all();
    }
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
    threads_.clear();
}

void Checkers::Work(int) {
    CheckProcess process(options_);
    // Ready before the first round comes (Play starts it again when this failed).
    std::string version, error;
    process.Start(&version, &error);
    for (;;) {
        CheckJob job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            ++playing_;
        }
        CheckDecision decision = Play(job, process);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            --playing_;
        }
        decided_(decision);
    }
}

CheckDecision Checkers::Play(const CheckJob& job, CheckProcess& process) {
    CheckDecision d;
    d.id = job.id;
    double cpu = CpuBudget(job.updates);
    double wall = cpu * limits::kCheckWallFactor + limits::kCheckWallSlack;
    std::string why = "its process ended";
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!process.Running()) {
            std::string version, error;
            // A verifier that stops starting is tried again a little later,
            // not in a tight loop.
            for (int tries = 0; !process.Start(&version, &error); ++tries) {
                if (tries == 2) {
                    d.reason = "the round could not be checked (" + error + ")";
                    return d;
                }
                std::this_thread::sleep_for(std::chrono::seconds(1));
            }
        }
        std::string line;
        CheckProcess::Outcome outcome = process.Check(job.replay, cpu, wall, &line);
        if (outcome == CheckProcess::Outcome::kOverran) {
            why = "it took longer than a round of its length may";
            process.Kill();
            continue;
        }
        if (outcome == CheckProcess::Outcome::kDied) {
            process.Kill();
            continue;
        }
        int score = 0;
        long updates = 0;
        char verdict[32] = {0};
        if (std::sscanf(line.c_str(), "played score %d updates %ld: %31s", &score, &updates, verdict) == 3) {
            if (std::strcmp(verdict, "matched") == 0) {
                d.accepted = true;
                d.score = score;
                d.updates = updates;
                return d;
            }
            d.reason = "the round does not end as it claims: played again, " + line.substr(std::strlen("played "));
            process.Kill();
            return d;
        }
        if (line.compare(0, 11, "unreadable ") == 0) {
            d.reason = line.substr(11);
            process.Kill();
            return d;
        }
        why = line.compare(0, 10, "unchecked ") == 0 ? line.substr(10) : "its process answered '" + line + "'";
        process.Kill();
    }
    d.reason = "the round could not be checked (" + why + ")";
    return d;
}
