// tools/checked/leak_check_options.cpp - linked into every program of the checked build.
//
// LeakSanitizer follows the blocks of dynamic thread-local storage that glibc
// hands out (a library opened at run time, such as Mesa's driver, keeps its
// thread-locals in one), to scan them for pointers. clang 14's runtime still
// guesses a block's layout from its address: one that lies 16 bytes past a
// page boundary is taken for the layout of glibc 2.19, whose blocks came from
// mmap behind a 16-byte header. Since glibc 2.25 they come from malloc, so
// the "header" it reads is the allocator's own data, and it records a range
// that starts near address zero and spans terabytes. The leak check's tracer
// then crashes on that range ("Tracer caught signal 11") and the program
// fails after every test in it has passed: with Mesa's block in the 32-byte
// size class, about one test program in seven that draws.
//
// For every other block from malloc the runtime records a size of zero and
// scans nothing, so following them finds nothing either way: the blocks are
// ordinary heap blocks, reachable (or not) through glibc's own table of them.
// Not following them at all removes the crash and changes no other result.
// ASAN_OPTIONS or LSAN_OPTIONS can still turn it back on.
extern "C" const char* __lsan_default_options() { return "intercept_tls_get_addr=0"; }
