// runtime/error.h - console output and the fatal-error path.
//
// bbPrint writes a line to standard output as UTF-8. bbError stops the
// program: quietly with status 0 for an empty message (the normal way to
// quit), otherwise through dbg_error, which reports the message and then
// offers the debugging-host exchange on the standard streams. Without a host
// answering on standard input the process exits with status -1.
//
// The process always ends through vorlin_exit, which flushes the standard
// streams and leaves without running static destructors (devices and the
// window may still be live when a quit is requested from inside an event).
#ifndef LANTERN_RUNTIME_ERROR_H
#define LANTERN_RUNTIME_ERROR_H

#include "runtime/string.h"

// Current source position for error reports; never set in this program.
extern const char* dbg_info;

int bbPrint(const String& text);
int bbDebugLog(const String& text);
[[noreturn]] int bbError(const String& message);
[[noreturn]] void dbg_error(const char* message);
void dbg_print(const String& text);
String dbg_stacktrace();
void dbg_stop();
void sighandler(int signal);
// Installs sighandler for memory faults, illegal instructions and
// floating-point exceptions, running on a stack of its own so that a stack
// overflow is reported like any other memory fault.
void dbg_install_signal_handlers();

// Flushes standard output and error, then ends the process with `status`.
[[noreturn]] void vorlin_exit(int status);

// Finds a live collected object (on the unmarked, queued or marked list) by
// address; null for anything else. Used by the "@" command so that a number
// typed by a debugging host is never dereferenced unless it is a live object.
struct gc_object;
gc_object* dbg_find_live_object(const void* address);

#endif
