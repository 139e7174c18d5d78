/* host/web/signal_stack.c - sigaltstack, which Emscripten's C library lacks.
 *
 * The runtime installs its fatal-signal handler on a stack of its own. In a
 * page no signal ever arrives (a memory fault in WebAssembly traps, and the
 * page reports it), so there is no stack to switch to: the call says so. */
#include <errno.h>
#include <signal.h>

int sigaltstack(const stack_t* stack, stack_t* old) {
    (void)stack;
    (void)old;
    errno = ENOSYS;
    return -1;
}
