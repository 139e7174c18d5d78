// tools/game_driver/game_process.cpp - starting, watching and ending a process.
#include "game_driver/game_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

void ExecProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& folder) {
    for (const std::string& e : env) {
        size_t eq = e.find('=');
        if (eq == std::string::npos) {
            unsetenv(e.c_str());
        } else {
            setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
        }
    }
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "cannot enter %s: %s\n", folder.c_str(), std::strerror(errno));
        _exit(127);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    std::fprintf(stderr, "cannot run %s: %s\n", args[0], std::strerror(errno));
    _exit(127);
}

double MonotonicSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

GameProcess::GameProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& folder) {
    if (argv.empty()) throw std::invalid_argument("no program to start");
    char outName[] = "/tmp/lantern-out-XXXXXX";
    char errName[] = "/tmp/lantern-err-XXXXXX";
    int outFd = mkstemp(outName);
    int errFd = outFd < 0 ? -1 : mkstemp(errName);
    if (outFd < 0 || errFd < 0) {
        if (outFd >= 0) {
            close(outFd);
            unlink(outName);
        }
        throw std::runtime_error("cannot make a file for a process's output in /tmp");
    }
    outPath_ = outName;
    errPath_ = errName;
    // What this process has buffered would otherwise be written twice.
    std::fflush(stdout);
    std::fflush(stderr);
    started_ = MonotonicSeconds();
    pid_ = fork();
    if (pid_ == 0) {
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        ExecProgram(argv, env, folder);
    }
    close(outFd);
    close(errFd);
    if (pid_ < 0) {
        unlink(outPath_.c_str());
        unlink(errPath_.c_str());
        throw std::runtime_error("cannot start " + argv[0] + ": fork failed");
    }
}

GameProcess::~GameProcess() {
    if (!done_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(outPath_.c_str());
    unlink(errPath_.c_str());
}

bool GameProcess::Wait(double seconds) {
    if (done_) return true;
    double deadline = MonotonicSeconds() + seconds;
    for (;;) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            done_ = true;
            if (WIFEXITED(status)) result_.status = WEXITSTATUS(status);
            if (WIFSIGNALED(status)) result_.signal = WTERMSIG(status);
            result_.out = read_file(outPath_);
            result_.err = read_file(errPath_);
            return true;
        }
        if (MonotonicSeconds() >= deadline) return false;
        usleep(10000);
    }
}

void GameProcess::Signal(int sig) {
    // Once reaped, the number may already belong to another process.
    if (!done_) kill(pid_, sig);
}

double GameProcess::CpuSeconds() const {
    std::string text = read_file("/proc/" + std::to_string(pid_) + "/stat");
    // The command name, in parentheses, may hold spaces: fields count from its end.
    size_t close = text.rfind(')');
    if (close == std::string::npos || close + 2 > text.size()) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string skip;
    for (int i = 3; i < 14; ++i) fields >> skip;  // fields 3..13
    double user = 0, system = 0;
    fields >> user >> system;                     // fields 14 and 15, clock ticks
    return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}
