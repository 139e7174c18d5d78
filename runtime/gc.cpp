// runtime/gc.cpp - the incremental collector (see gc.h for colours and lists).
#include "runtime/gc.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

int gc_markbit = 1;
gc_object gc_unmarked_list(gc_permanent);
gc_object gc_queued_list(gc_permanent);
gc_object gc_marked_list(gc_permanent);
gc_object gc_free_list(gc_permanent);
int gc_new_bytes;
int gc_alloced_bytes;
int gc_max_alloced_bytes;
int gc_marked_bytes;
int gc_free_bytes;
bool gc_force_sweep;
bool gc_check_each_step;
bool gc_checking;
long long gc_external_bytes;
long long gc_new_external_bytes;
int gc_native_white;
int gc_native_shaded;
int gc_native_dead;

namespace {

// Released blocks by size class (index size / 8, sizes 8..56); the link of a
// cached block is its first word.
void* gc_cache[8];

// Cycles still to be driven to completion for native memory that arrived in
// an earlier one: an owner dropped after its parent was marked in that cycle
// floated through it and is found dead only by the next.
int native_followups;

std::vector<gc_root_marker>& root_markers() {
    static std::vector<gc_root_marker> markers;
    return markers;
}

// A new-expression first calls operator new and only then runs the
// constructors, possibly evaluating further new-expressions in between (the
// constructor's arguments). gc_object() takes its size from this stack of
// allocations that have no object yet, so the header is written by the
// constructor itself rather than assumed to survive from raw memory.
struct PendingAlloc {
    void* mem;
    int size;
};
const int kMaxPending = 64;
PendingAlloc pending[kMaxPending];
int pending_count;

// -------------------------------------------------------------------------
// List primitives
// -------------------------------------------------------------------------

void list_clear(gc_object* head) {
    head->succ = head->pred = head;
}

bool list_empty(const gc_object* head) { return head->succ == head; }

void list_unlink(gc_object* p) {
    p->pred->succ = p->succ;
    p->succ->pred = p->pred;
}

void list_append(gc_object* head, gc_object* p) {
    p->succ = head;
    p->pred = head->pred;
    head->pred->succ = p;
    head->pred = p;
}

// Moves every object of `from` to the tail of `to`, in order; `from` ends empty.
void list_splice_all(gc_object* from, gc_object* to) {
    if (list_empty(from)) return;
    gc_object* first = from->succ;
    gc_object* last = from->pred;
    first->pred = to->pred;
    to->pred->succ = first;
    last->succ = to;
    to->pred = last;
    list_clear(from);
}

// -------------------------------------------------------------------------
// Memory
// -------------------------------------------------------------------------

int round_size(std::size_t size) { return static_cast<int>((size + 7) & ~std::size_t(7)); }

void* raw_alloc(int size) {
    if (size <= GC_CACHE_MAX) {
        void*& top = gc_cache[size >> 3];
        if (top) {
            void* p = top;
            top = *static_cast<void**>(p);
            return p;
        }
    }
    void* p = std::malloc(size);
    if (!p) {
        std::fputs("Out of memory\n", stderr);
        std::abort();
    }
    return p;
}

void raw_release(void* p, int size) {
    if (size <= GC_CACHE_MAX) {
        *static_cast<void**>(p) = gc_cache[size >> 3];
        gc_cache[size >> 3] = p;
    } else {
        std::free(p);
    }
}

// Destroys one dead object from the head of gc_free_list.
void destroy_oldest_dead() {
    gc_object* p = gc_free_list.succ;
    list_unlink(p);
    int size = p->gc_size();
    // Counted out before the destructor runs, so that a destructor that
    // allocates finds the free list and its byte count in agreement.
    gc_free_bytes -= size;
    if (p->gc_native()) --gc_native_dead;
    p->~gc_object();  // virtual: runs the most derived destructor
    raw_release(p, size);
}

}  // namespace

// ---------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------

gc_object::gc_object() {
    // Collected objects are made only with `new`; one on the stack, in a
    // static or inside another object would corrupt the lists, so it stops
    // the program here (one comparison, kept in every build).
    if (pending_count == 0 || pending[pending_count - 1].mem != this) {
        std::fputs("gc: a collected object was not created with new\n", stderr);
        std::abort();
    }
    int size = pending[--pending_count].size;
    flags = size | gc_markbit;
    list_append(&gc_unmarked_list, this);
    gc_alloced_bytes += size;
    if (gc_alloced_bytes > gc_max_alloced_bytes) gc_max_alloced_bytes = gc_alloced_bytes;
}

gc_object::gc_object(gc_permanent_t) : succ(this), pred(this), flags(3) {}

gc_object::~gc_object() {}

void gc_object::mark() {}

void* gc_object::operator new(std::size_t size) { return gc_object_alloc(round_size(size)); }

void* gc_object::operator new(std::size_t size, std::size_t total) {
    return gc_object_alloc(round_size(total > size ? total : size));
}

void gc_object::operator delete(void* p) {
    // Construction failed. Either gc_object() never ran (the allocation is
    // still pending) or the object was linked and must leave its list again.
    for (int i = pending_count - 1; i >= 0; --i) {
        if (pending[i].mem == p) {
            int size = pending[i].size;
            for (int j = i + 1; j < pending_count; ++j) pending[j - 1] = pending[j];
            --pending_count;
            raw_release(p, size);
            return;
        }
    }
    gc_object_free(static_cast<gc_object*>(p));
}

void gc_object::operator delete(void* p, std::size_t) { operator delete(p); }

void* gc_object_alloc(int size) {
    size = round_size(size);
    gc_new_bytes += size;

    // Lazy destruction: destroy at least as many dead bytes as requested.
    int target = gc_free_bytes - size;
    if (target < 0) target = 0;
    while (gc_free_bytes > target) {
        if (list_empty(&gc_free_list)) {
            gc_free_bytes = 0;
            break;
        }
        destroy_oldest_dead();
    }

    void* p = raw_alloc(size);
    if (pending_count == kMaxPending) {
        std::fputs("gc: too many nested allocations\n", stderr);
        std::abort();
    }
    pending[pending_count++] = PendingAlloc{p, size};
    return p;
}

void gc_object_free(gc_object* obj) {
    // The object is on the list it joined at allocation (possibly already
    // shaded); take it off and out of the live byte count.
    int size = obj->gc_size();
    if (obj->gc_native()) --(gc_is_white(obj) ? gc_native_white : gc_native_shaded);
    if (!gc_is_white(obj)) {
        // Grey and black share a colour; only black ones count in
        // gc_marked_bytes, so find out which list holds it (a rare path).
        for (gc_object* q = gc_marked_list.succ; q != &gc_marked_list; q = q->succ) {
            if (q == obj) {
                gc_marked_bytes -= size;
                break;
            }
        }
    }
    list_unlink(obj);
    gc_alloced_bytes -= size;
    raw_release(obj, size);
}

// ---------------------------------------------------------------------------
// Marking
// ---------------------------------------------------------------------------

void gc_shade_grey(gc_object* p) {
    p->flags ^= 1;
    if (p->gc_native()) {
        --gc_native_white;
        ++gc_native_shaded;
    }
    list_unlink(p);
    list_append(&gc_queued_list, p);
}

void gc_shade_black(gc_object* p) {
    p->flags ^= 1;
    if (p->gc_native()) {
        --gc_native_white;
        ++gc_native_shaded;
    }
    gc_marked_bytes += p->gc_size();
    list_unlink(p);
    list_append(&gc_marked_list, p);
    p->mark();
}

void gc_add_roots(gc_root_marker fn) {
    for (gc_root_marker m : root_markers())
        if (m == fn) return;
    root_markers().push_back(fn);
}

void gc_mark() {
    for (gc_root_marker m : root_markers()) m();
}

void gc_mark_queued(int limit) {
    while (gc_marked_bytes < limit && !list_empty(&gc_queued_list)) {
        gc_object* p = gc_queued_list.succ;
        list_unlink(p);
        list_append(&gc_marked_list, p);
        gc_marked_bytes += p->gc_size();
        p->mark();
    }
}

// ---------------------------------------------------------------------------
// Control
// ---------------------------------------------------------------------------

namespace {

// Native memory given back by a destroyed object should leave the process.
// glibc serves large blocks from their own mappings, returned to the system
// when freed, but by default it raises that size limit to the largest block
// freed so far; after the first big image has gone, later ones come from the
// main heap, whose freed pages it keeps. A fixed limit keeps every large
// block (pixels, textures, decoded sound) in a mapping of its own.
void return_large_blocks_to_the_system() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, GC_LARGE_BLOCK_BYTES);
#endif
}

}  // namespace

void gc_init() {
    return_large_blocks_to_the_system();
    list_clear(&gc_unmarked_list);
    list_clear(&gc_queued_list);
    list_clear(&gc_marked_list);
    list_clear(&gc_free_list);
    gc_new_bytes = gc_alloced_bytes = gc_max_alloced_bytes = 0;
    gc_marked_bytes = gc_free_bytes = 0;
    gc_force_sweep = false;
    gc_external_bytes = gc_new_external_bytes = 0;
    gc_native_white = gc_native_shaded = gc_native_dead = 0;
    native_followups = 0;
}

// ---------------------------------------------------------------------------
// Native memory
// ---------------------------------------------------------------------------

namespace {

int saturating_add(int counter, long long bytes) {
    long long sum = counter + bytes;
    return sum > 0x7fffffff ? 0x7fffffff : static_cast<int>(sum);
}

}  // namespace

void gc_external_alloc(gc_object* owner, long long bytes) {
    if (bytes <= 0) return;
    gc_external_bytes += bytes;
    gc_new_external_bytes += bytes;
    gc_new_bytes = saturating_add(gc_new_bytes, bytes);
    if (owner && !owner->gc_native() && owner->gc_colour() != 3) {
        owner->flags |= GC_NATIVE_FLAG;
        ++(gc_is_white(owner) ? gc_native_white : gc_native_shaded);
    }
}

void gc_external_free(long long bytes) {
    if (bytes > 0) gc_external_bytes -= bytes;
}

void gc_sweep() {
    int dead = gc_alloced_bytes - gc_marked_bytes;
    if (dead != 0) {
        list_splice_all(&gc_unmarked_list, &gc_free_list);
        gc_free_bytes += dead;
    }
    gc_alloced_bytes = gc_marked_bytes;
    list_splice_all(&gc_marked_list, &gc_unmarked_list);
    gc_marked_bytes = 0;
    gc_markbit ^= 1;
    gc_native_dead += gc_native_white;
    gc_native_white = gc_native_shaded;
    gc_native_shaded = 0;
}

namespace {

void finish_cycle() {
    gc_mark_queued(0x7fffffff);
    gc_sweep();
    gc_mark();
    if (gc_new_external_bytes > 0) {
        native_followups = 1;
    } else if (native_followups > 0) {
        --native_followups;
    }
    gc_new_bytes = 0;
    gc_new_external_bytes = 0;
    gc_force_sweep = false;
}

// Native memory that arrived in this cycle (or the last) has most likely
// replaced memory that was dropped: finish the cycle without waiting for more
// allocation, a bounded amount of marking per step. True when it ended.
bool finish_native_cycle() {
    int64_t limit = static_cast<int64_t>(gc_marked_bytes) + GC_EXTERNAL_MARK_STEP;
    gc_mark_queued(limit > 0x7fffffff ? 0x7fffffff : static_cast<int>(limit));
    if (!list_empty(&gc_queued_list)) return false;
    finish_cycle();
    return true;
}

// Dead objects that own native memory give it back in their destructors;
// destroy them (and the dead objects ahead of them, oldest first) a bounded
// amount per step rather than waiting for allocation to get round to them.
void destroy_native_dead() {
    int target = gc_free_bytes - GC_EXTERNAL_DESTROY_STEP;
    while (gc_native_dead > 0 && gc_free_bytes > target && !list_empty(&gc_free_list)) destroy_oldest_dead();
}

void collect_step() {
    if (gc_new_bytes > GC_CYCLE_BYTES) {
        finish_cycle();
        return;
    }
    // Mark in proportion to new allocation, so that the whole heap has been
    // marked by the time GC_CYCLE_BYTES were allocated.
    int64_t n = gc_new_bytes;
    int64_t a = gc_alloced_bytes;
    int64_t limit = n + (a - n) * n / GC_CYCLE_BYTES;
    gc_mark_queued(static_cast<int>(limit));
    if ((gc_new_external_bytes > 0 || native_followups > 0) && finish_native_cycle()) return;
    // Destruction waits for a step that did not end a cycle, so that the
    // final marking and the destructors do not add up in one step.
    if (gc_native_dead > 0) destroy_native_dead();
}

}  // namespace

void gc_collect() {
    collect_step();
    if (gc_check_each_step && gc_check_heap() != 0) {
        std::fputs("gc: heap check failed after a collection step\n", stderr);
        std::abort();
    }
}

// ---------------------------------------------------------------------------
// Heap check
// ---------------------------------------------------------------------------

namespace {

int check_problems;
gc_object* check_parent;

void report(const char* what, const gc_object* p) {
    ++check_problems;
    std::fprintf(stderr, "gc_check_heap: %s (object %p)\n", what, static_cast<const void*>(p));
}

// Walks one list, checks its links and colours, returns the bytes it holds
// and adds the native owners on it to *natives.
int64_t check_list(gc_object* head, int want_colour, const char* name, std::vector<gc_object*>* out,
                   int* natives) {
    int64_t bytes = 0;
    gc_object* prev = head;
    long count = 0;
    for (gc_object* p = head->succ; p != head; p = p->succ) {
        if (p->pred != prev) report("broken back link", p);
        if (want_colour >= 0 && p->gc_colour() != want_colour) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "wrong colour %d on %s", p->gc_colour(), name);
            report(buf, p);
        }
        if (p->gc_size() <= 0) report("object without a size", p);
        bytes += p->gc_size();
        if (p->gc_native()) ++*natives;
        if (out) out->push_back(p);
        prev = p;
        if (++count > 100000000L) {
            report("list does not end", head);
            break;
        }
    }
    if (head->pred != prev) report("broken tail link", head);
    return bytes;
}

}  // namespace

void gc_check_child(gc_object* p) {
    if (p && gc_is_white(p)) report("black object points to a white one", check_parent);
}

int gc_check_heap() {
    check_problems = 0;
    int white = gc_markbit;
    int shaded = gc_markbit ^ 1;
    std::vector<gc_object*> black;
    int nativeWhite = 0, nativeShaded = 0, nativeDead = 0;
    int64_t unmarked = check_list(&gc_unmarked_list, white, "unmarked list", nullptr, &nativeWhite);
    int64_t queued = check_list(&gc_queued_list, shaded, "queued list", nullptr, &nativeShaded);
    int64_t marked = check_list(&gc_marked_list, shaded, "marked list", &black, &nativeShaded);
    int64_t dead = check_list(&gc_free_list, -1, "free list", nullptr, &nativeDead);
    if (unmarked + queued + marked != gc_alloced_bytes) report("gc_alloced_bytes does not match the lists", nullptr);
    if (marked != gc_marked_bytes) report("gc_marked_bytes does not match the marked list", nullptr);
    if (dead != gc_free_bytes) report("gc_free_bytes does not match the free list", nullptr);
    if (pending_count != 0) report("allocation without an object", nullptr);
    if (nativeWhite != gc_native_white || nativeShaded != gc_native_shaded || nativeDead != gc_native_dead) {
        report("the counts of native owners do not match the lists", nullptr);
    }

    gc_checking = true;
    for (gc_object* p : black) {
        check_parent = p;
        p->mark();
    }
    gc_checking = false;
    check_parent = nullptr;
    return check_problems;
}
