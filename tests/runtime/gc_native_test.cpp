// Native memory under the collector: it paces cycles like allocation, and
// dead owners are destroyed by collection steps alone, a bounded amount per
// step, while ordinary dead objects still wait for allocation. The heap check
// runs after every step.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "common/test_support.h"
#include "runtime/array.h"

namespace {

const int KiB = 1024, MiB = 1024 * 1024;

std::set<int> destroyed;

// Holds `native` bytes outside the heap and may point to another owner.
class Owner : public Object {
public:
    Owner(int id, long long native) : id(id), native(native) { gc_external_alloc(this, native); }
    ~Owner() override {
        gc_external_free(native);
        destroyed.insert(id);
    }
    void mark() override { gc_mark_q(child); }
    int id;
    long long native;
    Owner* child = nullptr;
};

class Blob : public Object {};

std::vector<Object*> roots;
void mark_roots() { for (Object* o : roots) gc_mark_q(o); }
// A store into the roots, through the barrier as every store must be.
void Keep(Object* o) {
    roots.push_back(o);
    gc_mark_q(o);
}

class GcNativeTest : public ::testing::Test {
protected:
    void SetUp() override {
        gc_init();
        gc_add_roots(mark_roots);
        roots.clear();
        destroyed.clear();
        gc_check_each_step = true;
        // A live heap of 4 MiB, more than one step marks on native pressure.
        for (int i = 0; i < 64; ++i) roots.push_back(new (static_cast<std::size_t>(64 * KiB)) Blob());
        gc_mark();
        GcFinishCycle();
    }
    void TearDown() override {
        gc_check_each_step = false;
        roots.clear();
    }
    // Collection steps without any allocation until `id` was destroyed; how
    // many it took, or -1.
    static int StepsUntilDestroyed(int id) {
        for (int i = 1; i <= 100; ++i) {
            gc_collect();
            if (destroyed.count(id)) return i;
        }
        return -1;
    }
};

}  // namespace

TEST_F(GcNativeTest, NativeBytesPaceTheCycleAndDroppedOwnersGoWithinAFewSteps) {
    Keep(new Owner(1, 256 * KiB));
    new Owner(2, 256 * KiB);  // dropped at once
    EXPECT_EQ(gc_new_bytes, 2 * roots.back()->gc_size() + 512 * KiB) << "native bytes count as allocation";
    int steps = StepsUntilDestroyed(2);
    EXPECT_GT(steps, 1) << "marking is spread over steps";
    EXPECT_LE(steps, 20);
    EXPECT_EQ(destroyed.count(1), 0u);
    EXPECT_EQ(gc_external_bytes, 256 * KiB);

    // An owner dropped after its parent was marked floats through this
    // cycle and goes in the next.
    Owner* parent = static_cast<Owner*>(roots.back());
    gc_assign(parent->child, new Owner(3, MiB));
    gc_mark_queued(0x7fffffff);  // both black in this cycle
    parent->child = nullptr;
    EXPECT_GT(StepsUntilDestroyed(3), 0);
    EXPECT_EQ(destroyed.count(1), 0u);

    // Nothing native is pending any more: steps leave ordinary garbage to
    // allocation, as before.
    for (int i = 0; i < 40; ++i) gc_collect();
    new (static_cast<std::size_t>(64 * KiB)) Blob();
    gc_new_bytes = GC_CYCLE_BYTES + 1;
    gc_collect();
    int freeBytes = gc_free_bytes;
    EXPECT_GT(freeBytes, 0);
    for (int i = 0; i < 40; ++i) gc_collect();
    EXPECT_EQ(gc_free_bytes, freeBytes);
}

TEST_F(GcNativeTest, DeadObjectsAheadOfANativeOwnerAreDestroyedABoundedAmountPerStep) {
    for (int i = 0; i < 64; ++i) new (static_cast<std::size_t>(16 * KiB)) Blob();  // 1 MiB of garbage
    gc_new_bytes = GC_CYCLE_BYTES + 1;
    gc_collect();
    new Owner(1, MiB);
    int before = gc_free_bytes;
    int steps = StepsUntilDestroyed(1);
    ASSERT_GT(steps, 0);
    EXPECT_GE(steps, before / (GC_EXTERNAL_DESTROY_STEP + 16 * KiB));
    EXPECT_EQ(gc_native_dead, 0);
}
