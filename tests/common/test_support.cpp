// tests/common/test_support.cpp - child processes, temporary folders, collector cycles.
#include "common/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "runtime/gc.h"

namespace {

// Reads both pipes until they close, writing `input` to the child's stdin.
void pump_pipes(int outFd, int errFd, int inFd, const std::string& input, ChildResult& r, pid_t pid,
                double timeoutSeconds) {
    size_t written = 0;
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (outFd >= 0 || errFd >= 0) {
        pollfd fds[3];
        int n = 0;
        if (outFd >= 0) fds[n++] = {outFd, POLLIN, 0};
        if (errFd >= 0) fds[n++] = {errFd, POLLIN, 0};
        if (inFd >= 0) fds[n++] = {inFd, POLLOUT, 0};
        int ready = poll(fds, n, 200);
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            deadline = std::chrono::steady_clock::now() + std::chrono::hours(1);
        }
        if (ready <= 0) continue;
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            if (fds[i].fd == inFd) {
                ssize_t w = write(inFd, input.data() + written, input.size() - written);
                if (w > 0) written += static_cast<size_t>(w);
                if (w <= 0 || written == input.size()) {
                    close(inFd);
                    inFd = -1;
                }
                continue;
            }
            char buf[4096];
            ssize_t got = read(fds[i].fd, buf, sizeof buf);
            std::string& sink = fds[i].fd == outFd ? r.out : r.err;
            if (got > 0) {
                sink.append(buf, static_cast<size_t>(got));
            } else {
                close(fds[i].fd);
                (fds[i].fd == outFd ? outFd : errFd) = -1;
            }
        }
    }
    if (inFd >= 0) close(inFd);
}

ChildResult run_forked(const std::function<void()>& child, const std::string& input, double timeoutSeconds) {
    int out[2], err[2], in[2];
    if (pipe(out) || pipe(err) || pipe(in)) throw std::runtime_error("pipe failed");
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        signal(SIGPIPE, SIG_DFL);
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(in[0]); close(in[1]); close(out[0]); close(out[1]); close(err[0]); close(err[1]);
        child();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(0);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    signal(SIGPIPE, SIG_IGN);
    ChildResult r;
    pump_pipes(out[0], err[0], in[1], input, r, pid, timeoutSeconds);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    return r;
}

}  // namespace

ChildResult RunInChild(const std::function<void()>& body, const std::string& input) {
    return run_forked(body, input, 60);
}

ChildResult RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                       const std::string& input, double timeoutSeconds) {
    return run_forked([&] { ExecProgram(argv, env); }, input, timeoutSeconds);
}

std::string Shell(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t got;
    while ((got = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, got);
    pclose(p);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

ScopedTempDir::ScopedTempDir() {
    char templ[] = "/tmp/lantern-test-XXXXXX";
    if (!mkdtemp(templ)) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) old_cwd_ = cwd;
    if (chdir(path_.c_str()) != 0) throw std::runtime_error("chdir failed");
}

ScopedTempDir::~ScopedTempDir() {
    if (!old_cwd_.empty() && chdir(old_cwd_.c_str()) != 0) std::perror("chdir");
    std::string cmd = "chmod -R u+rwx '" + path_ + "' && rm -rf '" + path_ + "'";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", path_.c_str());
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

bool InitGlfwForTest() {
    glfwSetErrorCallback([](int code, const char* text) { std::fprintf(stderr, "GLFW error %d: %s\n", code, text); });
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (glfwInit()) {
            return true;
        }
        usleep(200000);
    }
    return false;
}

void GcFinishCycle() {
    gc_mark_queued(0x7fffffff);
    gc_sweep();
    gc_mark();
    gc_new_bytes = 0;
}
