// Objects and arrays: shared empty representations, element lifecycles, tracing.
#include <gtest/gtest.h>

#include "common/test_support.h"
#include "runtime/array.h"

namespace {

class Node : public Object {
public:
    static int destroyed;
    ~Node() override { ++destroyed; }
};
int Node::destroyed;

class ArrayTest : public ::testing::Test {
protected:
    void SetUp() override { gc_init(); }
};

}  // namespace

TEST_F(ArrayTest, EmptyArraysOfATypeShareOnePermanentRepresentation) {
    int before = gc_new_bytes;
    Array<int> a, b(0);
    Array<String> s;
    EXPECT_EQ(a.rep(), b.rep());
    EXPECT_EQ(a.rep(), &Array<int>::Rep::nullRep);
    EXPECT_EQ(gc_new_bytes, before);
    EXPECT_EQ(a.rep()->gc_colour(), 3);
    EXPECT_EQ(s.Length(), 0);
    // Never queued, even through the barrier.
    Object* holder = nullptr;
    gc_assign(holder, static_cast<Object*>(nullptr));
    Array<int> field;
    field = a;
    EXPECT_EQ(a.rep()->gc_colour(), 3);
    EXPECT_EQ(gc_queued_list.succ, &gc_queued_list);
}

TEST_F(ArrayTest, NewArraysStartZeroed) {
    Array<String> s(3);
    ASSERT_EQ(s.Length(), 3);
    for (const String& e : s) EXPECT_EQ(e, String());
    Array<int> i(4);
    Array<float> f(2);
    Array<bool> b(2);
    Array<Node*> n(2);
    EXPECT_EQ(i[3], 0);
    EXPECT_EQ(f[1], 0.0f);
    EXPECT_FALSE(b[0]);
    EXPECT_EQ(n[1], nullptr);
}

TEST_F(ArrayTest, CopiesShareElements) {
    Array<int> a(2);
    Array<int> b = a;
    b[1] = 7;
    EXPECT_EQ(a[1], 7);
    Array<String> c = {String("x"), String("y")};
    EXPECT_EQ(c[1], String("y"));
    Array<int> bigger = a.Resize(4);
    EXPECT_EQ(bigger.Length(), 4);
    EXPECT_EQ(bigger[1], 7);
    EXPECT_EQ(bigger[3], 0);
}

TEST_F(ArrayTest, StringArraysReleaseTheirElementsWhenDestroyed) {
    String shared = String("abc") + String("def");
    {
        Array<String> a(2);
        a[0] = shared;
        a[1] = shared;
    }
    // Unreached: the cycle ends, then an allocation destroys the dead array.
    GcFinishCycle();
    GcFinishCycle();
    Array<int> trigger(1000);
    (void)trigger;
    EXPECT_EQ(gc_free_bytes, 0);
    EXPECT_EQ(shared, String("abcdef"));  // still valid: only the array's references went
}

TEST_F(ArrayTest, AnArrayKeepsItsElementsAliveUntilTheyAreCleared) {
    static Array<Node*> root;
    root = Array<Node*>(2);
    gc_add_roots([] { gc_mark_q(root); });
    Node::destroyed = 0;
    gc_assign(root[0], new Node());
    gc_assign(root[1], new Node());
    for (int i = 0; i < 3; ++i) GcFinishCycle();
    (void)new Node();
    EXPECT_EQ(Node::destroyed, 0);
    EXPECT_EQ(gc_check_heap(), 0);

    gc_assign(root[1], nullptr);
    GcFinishCycle();
    GcFinishCycle();
    for (int i = 0; i < 4; ++i) (void)new Node();
    EXPECT_GE(Node::destroyed, 1);
    EXPECT_NE(root[0], nullptr);
    root = Array<Node*>();
}

TEST_F(ArrayTest, ObjectEqualityIsIdentity) {
    Object* a = new Object();
    Object* b = new Object();
    EXPECT_TRUE(a->Equals(a));
    EXPECT_FALSE(a->Equals(b));
    EXPECT_EQ(a->Compare(a), 0);
    EXPECT_EQ(a->Compare(b), -b->Compare(a));
    EXPECT_EQ(a->Compare(b) < 0, a < b) << "the order follows the addresses";
    EXPECT_EQ(a->debug(), String("+Object\n"));
}
