// Console output, runtime errors, fatal signals and the debugging-host exchange,
// each run in a child process so its exit status and output can be checked.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include <unistd.h>

#include "common/test_support.h"
#include "runtime/array.h"
#include "runtime/error.h"

namespace {

const char* const kReport = "Vorlin Runtime Error : Image frame outside surface\n\n";
const char* const kMarker = "{{~~~~}}\n\n";

ChildResult ErrorWithHost(const std::string& hostInput) {
    return RunInChild([] { bbError(String("Image frame outside surface")); }, hostInput);
}

}  // namespace

TEST(ErrorTest, EmptyMessageQuitsQuietlyWithStatusZero) {
    ChildResult r = RunInChild([] {
        std::printf("before ");  // buffered output still reaches the terminal
        bbError(String());
    });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "before ");
    EXPECT_EQ(r.err, "");
}

TEST(ErrorTest, MessageIsReportedThenTheProcessExitsWithoutAHost) {
    ChildResult r = ErrorWithHost("");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, kReport);
    EXPECT_EQ(r.err, kMarker);
}

TEST(ErrorTest, PrintEncodesEachCodeUnitAsUtf8) {
    ChildResult r = RunInChild([] {
        bbPrint(String(u"\u00e9", 1));
        bbPrint(String(u"\xd83d\xde00", 2));  // a surrogate pair: two three-byte units
        bbPrint(String(u"a\0b", 3));           // a code unit 0 ends the line's text
    });
    EXPECT_EQ(r.out, "\xc3\xa9\n\xed\xa0\xbd\xed\xb8\x80\na\n");
}

TEST(ErrorTest, HostAnsweringRunReportsTheErrorAgain) {
    ChildResult r = ErrorWithHost("r\n");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, std::string(kReport) + kReport);
    EXPECT_EQ(r.err, std::string(kMarker) + kMarker);
}

TEST(ErrorTest, HostCommandsQuitIgnoreAndRejectAsDescribed) {
    ChildResult quit = ErrorWithHost("?\nq\n");
    EXPECT_EQ(quit.status, 0);
    EXPECT_EQ(quit.out, kReport);

    ChildResult unknown = ErrorWithHost("x marks\n");
    EXPECT_EQ(unknown.status, 255);
    EXPECT_EQ(unknown.out, std::string(kReport) + "????? x marks ?????");

    ChildResult unterminated = ErrorWithHost("q");
    EXPECT_EQ(unterminated.status, 255) << "a line without its newline ends the exchange";
}

TEST(ErrorTest, ObjectQueryAnswersOnlyForLiveObjects) {
    gc_init();
    Object* obj = new Object();
    EXPECT_EQ(dbg_find_live_object(obj), obj);
    EXPECT_EQ(dbg_find_live_object(reinterpret_cast<char*>(obj) + 8), nullptr);
    EXPECT_EQ(dbg_find_live_object(reinterpret_cast<void*>(0x10)), nullptr);
    EXPECT_EQ(dbg_find_live_object(&gc_unmarked_list), nullptr) << "list heads are not objects";

    // Unknown numbers and null are answered with an empty line, never dereferenced.
    ChildResult bogus = ErrorWithHost("@0x10\n@(nil)\n@garbage\n@0xdeadbeefdeadbeef\nq\n");
    EXPECT_EQ(bogus.status, 0);
    EXPECT_EQ(bogus.err, std::string(kMarker) + "\n\n\n\n");

    ChildResult live = RunInChild(
        [] {
            gc_init();
            static Object* obj = new Object();
            // Answer our own query through a pipe standing in for the host.
            int fds[2];
            if (pipe(fds) != 0) std::abort();
            char line[64];
            int n = std::snprintf(line, sizeof line, "@%p\nq\n", static_cast<void*>(obj));
            if (write(fds[1], line, n) != n) std::abort();
            close(fds[1]);
            dup2(fds[0], 0);
            bbError(String("boom"));
        },
        "");
    EXPECT_EQ(live.status, 0);
    EXPECT_EQ(live.err, std::string(kMarker) + "+Object\n\n");
}

TEST(ErrorTest, FatalSignalsBecomeRuntimeErrors) {
    struct Case {
        int sig;
        const char* message;
    };
    for (Case c : {Case{SIGSEGV, "Memory access violation"}, Case{SIGILL, "Illegal instruction"},
                   Case{SIGFPE, "Floating point exception"}, Case{SIGUSR1, "Unknown signal"}}) {
        ChildResult r = RunInChild([c] {
            std::signal(c.sig, sighandler);
            std::raise(c.sig);
        });
        EXPECT_EQ(r.status, 255) << c.message;
        EXPECT_EQ(r.out, std::string("Vorlin Runtime Error : ") + c.message + "\n\n");
    }
}

TEST(ErrorTest, AStackOverflowIsReportedLikeAnyMemoryFault) {
    ChildResult r = RunInChild([] {
        dbg_install_signal_handlers();
        // Recursion that only ends when the stack does.
        struct Recurse {
            static int Down(volatile int depth) {
                volatile char frame[1024];
                frame[0] = static_cast<char>(depth);
                return depth < 0 ? 0 : Down(depth + 1) + frame[0];
            }
        };
        Recurse::Down(0);
    });
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Vorlin Runtime Error : Memory access violation\n\n");
}

TEST(ErrorTest, HostLinesMayHoldTwoHundredFiftyFiveCharacters) {
    ChildResult r = ErrorWithHost("?" + std::string(254, 'x') + "\nq\n");
    EXPECT_EQ(r.status, 0) << "a full-length line is read whole";
    ChildResult longer = ErrorWithHost("?" + std::string(255, 'x') + "\nq\n");
    EXPECT_EQ(longer.status, 255) << "a longer one is cut and ends the exchange";
}

TEST(ErrorTest, RealSegmentationFaultIsReported) {
    ChildResult r = RunInChild([] {
        dbg_install_signal_handlers();
        volatile int* volatile p = nullptr;
        *p = 1;
    });
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Vorlin Runtime Error : Memory access violation\n\n");
}
