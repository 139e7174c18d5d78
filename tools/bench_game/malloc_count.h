// tools/bench_game/malloc_count.h - counting heap allocations of the main thread.
#ifndef LANTERN_TOOLS_BENCH_GAME_MALLOC_COUNT_H
#define LANTERN_TOOLS_BENCH_GAME_MALLOC_COUNT_H

// Starts counting the calling thread's malloc, calloc and realloc calls (which
// C++ allocation goes through too); returns the count so far.
void malloc_count_start();
long malloc_count_stop();

#endif
