// tools/bench_graphics/alloc_count.h - counts calls of the global operator new.
#ifndef LANTERN_TOOLS_BENCH_GRAPHICS_ALLOC_COUNT_H
#define LANTERN_TOOLS_BENCH_GRAPHICS_ALLOC_COUNT_H

// C++ heap allocations made by this program so far.
long bench_new_calls();

#endif
