// runtime/error.cpp - bbPrint, bbError, the error report and the debugging-host exchange.
#include "runtime/error.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/array.h"

const char* dbg_info;

// ---------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------

int bbPrint(const String& text) {
    // Written as a C string: a character 0 ends the line's output.
    std::string bytes = text.ToUtf8();
    std::fputs(bytes.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return 0;
}

int bbDebugLog(const String& text) { return bbPrint(text); }

void dbg_print(const String& text) {
    std::string bytes;
    bytes.reserve(text.Length() + 1);
    for (int i = 0; i < text.Length(); ++i) bytes += static_cast<char>(text[i] & 0xff);
    bytes += '\n';
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

String dbg_stacktrace() {
    if (!dbg_info || !*dbg_info) return String();
    return String(dbg_info) + String("\n");
}

// ---------------------------------------------------------------------------
// Errors
// ---------------------------------------------------------------------------

int bbError(const String& message) {
    if (message.Empty()) vorlin_exit(0);
    String::CString<char> text = message.ToCString();
    dbg_error(text.c_str());
}

void dbg_error(const char* message) {
    for (;;) {
        bbPrint(String("Vorlin Runtime Error : ") + String(message));
        bbPrint(dbg_stacktrace());
        dbg_stop();
    }
}

gc_object* dbg_find_live_object(const void* address) {
    if (!address) return nullptr;
    gc_object* lists[] = {&gc_unmarked_list, &gc_queued_list, &gc_marked_list};
    for (gc_object* head : lists) {
        for (gc_object* p = head->succ; p != head; p = p->succ) {
            if (p == address) return p;
        }
    }
    return nullptr;
}

namespace {

// Answers "@<address>": the object's debug text, or an empty line when the
// address is null or not a live collected object.
void answer_object_query(const char* text) {
    void* address = nullptr;
    if (std::sscanf(text, "%p", &address) != 1) address = nullptr;
    gc_object* live = dbg_find_live_object(address);
    Object* obj = live ? dynamic_cast<Object*>(live) : nullptr;
    dbg_print(obj ? obj->debug() : String());
}

}  // namespace

void dbg_stop() {
    std::fprintf(stderr, "{{~~%s~~}}\n", dbg_info ? dbg_info : "");
    dbg_print(dbg_stacktrace());
    std::fflush(stderr);

    char line[257];  // 255 characters, the newline and the terminator
    for (;;) {
        if (!std::fgets(line, sizeof line, stdin)) vorlin_exit(-1);
        size_t n = std::strlen(line);
        if (n == 0 || line[n - 1] != '\n') vorlin_exit(-1);
        line[n - 1] = 0;
        switch (line[0]) {
            case '?':
                continue;
            case '@':
                answer_object_query(line + 1);
                continue;
            case 'q':
                vorlin_exit(0);
            case 'r':
            case 's':
            case 'e':
            case 'l':
                return;
            default:
                std::printf("????? %s ?????", line);
                std::fflush(stdout);
                vorlin_exit(-1);
        }
    }
}

void sighandler(int sig) {
    const char* message = "Unknown signal";
    switch (sig) {
        case SIGSEGV: message = "Memory access violation"; break;
        case SIGILL: message = "Illegal instruction"; break;
        case SIGFPE: message = "Floating point exception"; break;
    }
    dbg_error(message);
}

void dbg_install_signal_handlers() {
    static char handler_stack[64 * 1024];
    stack_t ss{};
    ss.ss_sp = handler_stack;
    ss.ss_size = sizeof handler_stack;
    sigaltstack(&ss, nullptr);
    struct sigaction action{};
    action.sa_handler = sighandler;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGSEGV, SIGILL, SIGFPE}) sigaction(sig, &action, nullptr);
}
