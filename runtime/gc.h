// runtime/gc.h - the incremental garbage collector.
//
// Every framework and game object (and the storage of every Array) is a
// gc_object, allocated here and never deleted by its user.
//
// Colours. Each object carries a colour in the two lowest bits of `flags`:
//   white  (flags & 3) == gc_markbit       not reached yet in this cycle
//   grey   the other of 0/1, on gc_queued_list   reached, children not scanned
//   black  the other of 0/1, on gc_marked_list   reached and scanned
//   3      permanent (static empty arrays): never white, on no list, never freed
// Marking flips the low bit, so "reached" needs no separate bit; at the end of a
// cycle gc_markbit itself flips and every survivor is white again untouched.
//
// Lists. Four circular doubly linked lists with sentinel heads:
//   gc_unmarked_list  white objects, including everything allocated this cycle
//   gc_queued_list    grey objects
//   gc_marked_list    black objects
//   gc_free_list      dead objects waiting for their destructor
//
// The invariant: a black object never points to a white one. The write barrier
// gc_assign keeps it by shading the stored object grey; a root store goes
// through the same barrier, and the roots themselves are shaded when a cycle
// starts.
//
// When work happens. Nothing runs behind the program's back. gc_collect (called
// by the host after every event, update and render, when no object is held only
// by a local variable) marks an amount that grows with recent allocation; once
// more than GC_CYCLE_BYTES were allocated it finishes the cycle and sweeps,
// which only splices lists. Dead objects are destroyed later, inside
// gc_object_alloc, oldest first, at least as many bytes as each allocation asks.
//
// Native memory. Some objects own memory outside the collected heap (decoded
// pixels, textures, sound buffers) that dwarfs their own few bytes. Their
// owners report it with gc_external_alloc / gc_external_free. Reported bytes
// count as allocation: they add to gc_new_bytes and so pace marking and end a
// cycle like collected bytes do. Because such memory usually replaces memory
// that was just dropped, a cycle in which native memory arrived keeps marking
// at GC_EXTERNAL_MARK_STEP per step even without further allocation and ends
// as soon as its marking is complete; so does the cycle after it, which finds
// the owners that were dropped after their parent had been marked. An owner
// carries GC_NATIVE_FLAG in `flags`. While any dead object carries it, every
// step that does not end a cycle destroys up to GC_EXTERNAL_DESTROY_STEP bytes
// of dead objects, oldest first, so that their destructors give the memory
// back soon rather than after some future allocation. All of this work is
// bounded per step, and none of it happens while no native memory is about.
//
// Single-threaded: only the main thread may allocate, store references or
// collect.
#ifndef LANTERN_RUNTIME_GC_H
#define LANTERN_RUNTIME_GC_H

#include <cstddef>
#include <type_traits>

struct gc_permanent_t {};
constexpr gc_permanent_t gc_permanent{};

// The header of every collected object.
struct gc_object {
    gc_object* succ;  // next object on the list holding this one
    gc_object* pred;  // previous object on that list
    int flags;        // allocation size (bytes, multiple of 8) | GC_NATIVE_FLAG | colour (low 2 bits)

    // Links a freshly allocated object into gc_unmarked_list as white. Only
    // valid for objects created with `new` (which goes through gc_object_alloc).
    gc_object();
    // A permanent object (colour 3) that lives in static storage.
    explicit gc_object(gc_permanent_t);
    gc_object(const gc_object&) = delete;
    gc_object& operator=(const gc_object&) = delete;
    virtual ~gc_object();
    // Reports every collected reference this object holds (see gc_mark_q).
    virtual void mark();

    static void* operator new(std::size_t size);
    // Allocates `total` bytes (at least the object's size) for objects with
    // inline trailing storage, such as array representations.
    static void* operator new(std::size_t size, std::size_t total);
    // Reached only when a constructor throws inside a new-expression.
    static void operator delete(void* p);
    static void operator delete(void* p, std::size_t total);
    // Arrays of objects are not collected objects; use Array<T*>.
    static void* operator new[](std::size_t) = delete;

    int gc_size() const { return flags & ~7; }
    int gc_colour() const { return flags & 3; }
    bool gc_native() const;
};

// Base of interface types; derived from virtually by interfaces and their
// implementers. A reference of interface type is turned into its object with a
// dynamic_cast before it is marked.
struct gc_interface {
    virtual ~gc_interface() {}
};

// ---------------------------------------------------------------------------
// Collector state (see the prose at the top for what each list means)
// ---------------------------------------------------------------------------

const int GC_CYCLE_BYTES = 8388608;  // allocation (bytes) after which a cycle is finished
const int GC_CACHE_MAX = 56;         // largest block size (bytes) kept in gc_cache
const int GC_NATIVE_FLAG = 4;        // flags bit: the object owns (or owned) native memory
const int GC_EXTERNAL_MARK_STEP = 262144;    // least marking (bytes) per step in a cycle that got native memory
const int GC_EXTERNAL_DESTROY_STEP = 65536;  // dead bytes destroyed per step while dead objects own native memory
const int GC_LARGE_BLOCK_BYTES = 262144;     // C heap blocks from this size on are mapped alone (see gc_init)

extern int gc_markbit;            // 0 or 1: the colour that means white this cycle
extern gc_object gc_unmarked_list;
extern gc_object gc_queued_list;
extern gc_object gc_marked_list;
extern gc_object gc_free_list;
extern int gc_new_bytes;          // bytes allocated since the last cycle ended
extern int gc_alloced_bytes;      // bytes of objects on the unmarked, queued and marked lists
extern int gc_max_alloced_bytes;  // highest gc_alloced_bytes seen
extern int gc_marked_bytes;       // bytes moved to gc_marked_list this cycle
extern int gc_free_bytes;         // bytes of objects on gc_free_list
extern bool gc_force_sweep;       // set by whole-file reads, cleared when a cycle ends; not read by the step
extern bool gc_check_each_step;   // run gc_check_heap after every gc_collect and abort on a problem
extern long long gc_external_bytes;      // native bytes reported by objects not yet destroyed
extern long long gc_new_external_bytes;  // native bytes reported since the last cycle ended
extern int gc_native_white;       // objects with GC_NATIVE_FLAG on gc_unmarked_list
extern int gc_native_shaded;      // ... on gc_queued_list or gc_marked_list
extern int gc_native_dead;        // ... on gc_free_list

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

// Empties all lists and counters. Run once before the program creates objects.
// Also asks the C allocator to give large freed blocks back to the system at
// once, so that native memory released by destroyed objects leaves the process.
void gc_init();
// Memory for a new object of at least `size` bytes (destroys dead objects first).
void* gc_object_alloc(int size);
// Releases an object whose construction failed: unlinks it and returns its memory.
void gc_object_free(gc_object* obj);

// Native memory owned by `owner` (bytes outside the collected heap): counts as
// allocation for pacing and marks the owner so that, once dead, it is
// destroyed soon. gc_external_free reports the memory given back (by Discard
// or the destructor). Main thread only; neither runs any collection work.
void gc_external_alloc(gc_object* owner, long long bytes);
void gc_external_free(long long bytes);

// Root marking: functions registered here shade their module's globals when a
// cycle starts. Every module that owns object-typed globals registers one.
typedef void (*gc_root_marker)();
void gc_add_roots(gc_root_marker fn);

void gc_mark();                  // shade every root grey: starts a cycle
void gc_mark_queued(int limit);  // blacken grey objects until gc_marked_bytes >= limit
void gc_sweep();                 // end a cycle
void gc_collect();               // one collection step

// Debug check: walks the four lists and verifies links, colours against lists,
// byte counters, the counts of native owners and the black-never-points-to-white rule. Returns the number of
// problems found (each is described on standard error).
int gc_check_heap();

// Slow paths of the inline steps below.
void gc_shade_grey(gc_object* p);   // white -> grey (queued)
void gc_shade_black(gc_object* p);  // white -> black now, then its mark()
void gc_check_child(gc_object* p);  // used while gc_check_heap visits a black object
extern bool gc_checking;            // true while gc_check_heap visits children

inline bool gc_is_white(const gc_object* p) { return (p->flags & 3) == gc_markbit; }
inline bool gc_object::gc_native() const { return (flags & GC_NATIVE_FLAG) != 0; }

// mark-into-queue: the step mark() methods and root markers use for fields.
inline void gc_mark_q(gc_object* p) {
    if (gc_checking) { gc_check_child(p); return; }
    if (p && gc_is_white(p)) gc_shade_grey(p);
}
// mark-now: blackens at once and scans the children.
inline void gc_mark_now(gc_object* p) {
    if (gc_checking) { gc_check_child(p); return; }
    if (p && gc_is_white(p)) gc_shade_black(p);
}

// Turns any collected reference (object or interface) into its gc_object.
template <class T>
inline gc_object* gc_object_of(T* p) {
    if constexpr (std::is_base_of<gc_object, T>::value) {
        return p;
    } else {
        static_assert(std::is_base_of<gc_interface, T>::value, "not a collected reference");
        return p ? dynamic_cast<gc_object*>(p) : nullptr;
    }
}

template <class T>
inline void gc_mark_q(T* p) { gc_mark_q(gc_object_of(p)); }
template <class T>
inline void gc_mark_now(T* p) { gc_mark_now(gc_object_of(p)); }

// The write barrier: every store of an object reference into a field, array
// element or global goes through here.
template <class T, class U>
inline T* gc_assign(T*& lhs, U* rhs) {
    gc_object* o = gc_object_of(rhs);
    if (o && gc_is_white(o)) gc_shade_grey(o);
    lhs = rhs;
    return lhs;
}
template <class T>
inline T* gc_assign(T*& lhs, std::nullptr_t) {
    lhs = nullptr;
    return lhs;
}

#endif
