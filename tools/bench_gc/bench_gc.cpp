// tools/bench_gc/bench_gc.cpp - what one incremental collection step costs
// with a large live heap while the program keeps making garbage.
//
// The live heap is kRecords records, each an object holding an array of
// kLeaves small objects: about 270,000 objects, 10 MiB, all reached through
// pointers, so marking is pointer chasing as in a real program. Before each
// step the "program" replaces kReplaced leaves at random (through the write
// barrier, so the old ones become garbage) and makes one short-lived 1 KiB
// array: about 3.6 KiB of garbage per step, a steady state in which the live
// heap keeps its size and a cycle ends every few thousand steps.
//
// Prints one line per run:  mean_us p99_us max_us live_mib garbage_kib steps
// The times are the CPU time of gc_collect alone, read from the thread's CPU
// clock, so that the machine's other work, which preempts the program for
// milliseconds at a time, does not show up as slow steps. Destroying the dead
// happens inside allocation and is not timed.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/array.h"
#include "runtime/gc.h"

namespace {

const int kRecords = 4096;
const int kLeaves = 64;
const int kReplaced = 64;       // leaves replaced before each step
const int kSteps = 20000;       // timed steps per run
const int kWarmupSteps = 5000;  // steps run first, so the heap is in its steady state

class Leaf : public Object {
public:
    float value = 0;
};

class Record : public Object {
public:
    Array<Leaf*> leaves;
    explicit Record(int n) : leaves(n) {
        for (int i = 0; i < n; ++i) gc_assign(leaves[i], new Leaf());
    }
    void mark() override { gc_mark_q(leaves); }
};

Array<Record*>* g_records;

void mark_roots() { gc_mark_q(*g_records); }

uint32_t g_seed = 2026;
int random_below(int n) {
    g_seed = g_seed * 1664525u + 1013904223u;
    return static_cast<int>((g_seed >> 8) % static_cast<uint32_t>(n));
}

// What the program does between two steps.
void make_garbage() {
    Array<Record*>& records = *g_records;
    for (int i = 0; i < kReplaced; ++i) {
        Record* r = records[random_below(kRecords)];
        gc_assign(r->leaves[random_below(kLeaves)], new Leaf());
    }
    Array<int> scratch(256);
    scratch[0] = 1;
}

double cpu_us() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

int g_liveBytes;  // the heap as built, before any garbage

void run_once() {
    std::vector<double> times;
    times.reserve(kSteps);
    for (int i = 0; i < kWarmupSteps; ++i) {
        make_garbage();
        gc_collect();
    }
    int garbageBytes = 0;
    for (int i = 0; i < kSteps; ++i) {
        int before = gc_new_bytes;
        make_garbage();
        if (gc_new_bytes > before) garbageBytes += gc_new_bytes - before;
        double t = cpu_us();
        gc_collect();
        times.push_back(cpu_us() - t);
    }
    double sum = 0;
    for (double t : times) sum += t;
    std::sort(times.begin(), times.end());
    std::printf("%.2f %.2f %.1f %.1f %.1f %d\n", sum / kSteps, times[kSteps * 99 / 100], times.back(),
                g_liveBytes / 1048576.0, garbageBytes / 1024.0 / kSteps, kSteps);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    gc_init();
    g_records = new Array<Record*>(kRecords);
    gc_add_roots(mark_roots);
    gc_mark();  // the first cycle starts from the roots, as at program start
    for (int i = 0; i < kRecords; ++i) gc_assign((*g_records)[i], new Record(kLeaves));
    g_liveBytes = gc_alloced_bytes;
    for (int r = 0; r < runs; ++r) run_once();
    return 0;
}
