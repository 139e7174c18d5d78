// tests/common/test_main.cpp - the entry of every test program.
//
// Runs the tests, then ends the process on its own terms. In a build checked
// by LeakSanitizer the leak check would otherwise run from the exit handlers,
// at a moment nobody chooses: Mesa's own exit handler wakes and joins its
// worker threads there, OpenAL's mixer may still run, and LeakSanitizer's
// tracer has crashed while stopping a world in which a thread was part way
// through exiting. So once Google Test has printed its results (a parent
// test reads a child's "[  PASSED  ]" line), this
//   1. ends the window system (every window and display connection, so Mesa
//      tears down its screens and joins its threads), keeping every loaded
//      library in memory so the check still sees what their globals hold;
//   2. closes the sound device and waits for our own workers;
//   3. waits until this thread is the only one in the process;
//   4. runs the leak check, which reports any leak and fails the process.
// The check cannot race: with one thread left and no test code running, no
// thread can start or stop while the tracer stops the world. After it, the
// exit handlers run as usual and no leak check follows.
//
// A thread that does not end within the wait is named on standard error and
// fails the process at once, without the exit handlers or a leak check: the
// end could no longer be trusted to be quiet.
#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "audio/device.h"
#include "common/test_support.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
#define LANTERN_LEAK_CHECK 1
#include <sanitizer/lsan_interface.h>
#endif
#endif

namespace {

// The other threads of this process, by id and name.
std::vector<std::string> other_threads() {
    std::vector<std::string> found;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return found;
    std::string self = std::to_string(gettid());
    while (dirent* e = readdir(tasks)) {
        if (e->d_name[0] == '.' || self == e->d_name) continue;
        std::string name = ReadFile(std::string("/proc/self/task/") + e->d_name + "/comm");
        while (!name.empty() && name.back() == '\n') name.pop_back();
        found.push_back(std::string(e->d_name) + " (" + name + ")");
    }
    closedir(tasks);
    return found;
}

// Waits up to `seconds` for every other thread to be gone; true when they are.
bool wait_for_one_thread(double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!other_threads().empty()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Keeps a loaded shared library in memory until the process ends.
int keep_loaded(dl_phdr_info* info, size_t, void*) {
    if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

// Steps 1 to 3 above; false (after saying why) when other threads remain.
bool end_every_other_thread() {
    dl_iterate_phdr(keep_loaded, nullptr);
    glfwTerminate();  // does nothing when GLFW was never initialised
    EndAudioThreads();
    if (wait_for_one_thread(10)) return true;
    std::fprintf(stderr, "test program: threads still running at its end:");
    for (const std::string& t : other_threads()) std::fprintf(stderr, " %s", t.c_str());
    std::fprintf(stderr, "\n");
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    if (!end_every_other_thread()) _exit(1);  // no exit handlers, no leak check at a moment not chosen
#ifdef LANTERN_LEAK_CHECK
    __lsan_do_leak_check();
#endif
    return result;
}
