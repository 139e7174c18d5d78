// The asynchronous event pump and its source stack.
#include <gtest/gtest.h>

#include <vector>

#include "common/test_support.h"
#include "support/asyncevent.h"

namespace {

class Source : public Object, public virtual c_IAsyncEventSource {
public:
    std::vector<int>* log = nullptr;
    int id = 0;
    std::function<void(Source*)> action;
    int p_UpdateAsyncEvents() override {
        log->push_back(id);
        if (action) action(this);
        return 0;
    }
};

class AsyncEventTest : public ::testing::Test {
protected:
    void SetUp() override {
        gc_init();
        bb_asyncevent_init();
        gc_mark();
        gc_check_each_step = true;
    }
    void TearDown() override {
        gc_check_each_step = false;
        gc_assign(bb_asyncevent__sources, nullptr);
    }
    Source* Add(int id) {
        Source* s = new Source();
        s->id = id;
        s->log = &log;
        bb_asyncevent_AddAsyncEventSource(s);
        return s;
    }
    std::vector<int> log;
};

}  // namespace

TEST_F(AsyncEventTest, EmptyPumpReturnsAtOnceAndLeavesNoCurrentSource) {
    EXPECT_EQ(bb_asyncevent_UpdateAsyncEvents(), 0);
    EXPECT_EQ(bb_asyncevent__current, nullptr);
}

TEST_F(AsyncEventTest, SourcesArePolledInRegistrationOrder) {
    Add(1);
    Add(2);
    Add(3);
    bb_asyncevent_UpdateAsyncEvents();
    bb_asyncevent_UpdateAsyncEvents();
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(bb_asyncevent__current, nullptr);
}

TEST_F(AsyncEventTest, NestedPumpCallsDoNotPollAgain) {
    Add(1)->action = [](Source*) { bb_asyncevent_UpdateAsyncEvents(); };
    Add(2);
    bb_asyncevent_UpdateAsyncEvents();
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
}

TEST_F(AsyncEventTest, ASourceRemovingItselfDoesNotSkipTheNextOne) {
    Add(1);
    Add(2)->action = [](Source* self) { bb_asyncevent_RemoveAsyncEventSource(self); };
    Add(3);
    bb_asyncevent_UpdateAsyncEvents();
    bb_asyncevent_UpdateAsyncEvents();
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3, 1, 3}));
}

TEST_F(AsyncEventTest, RegisteredSourcesSurviveCollection) {
    Add(1);
    for (int i = 0; i < 3; ++i) {
        GcFinishCycle();
        new Object();  // destroys whatever died
    }
    EXPECT_EQ(gc_check_heap(), 0);
    bb_asyncevent_UpdateAsyncEvents();
    EXPECT_EQ(log, (std::vector<int>{1}));
}

TEST_F(AsyncEventTest, StackGrowsToTwiceItsLengthPlusTenAndClearsVacatedSlots) {
    Array<c_IAsyncEventSource*> three(3);
    c_Stack* stack = (new c_Stack())->m_new2(three);
    EXPECT_EQ(stack->p_Length2(), 3);
    EXPECT_EQ(stack->m_data.Length(), 3);
    stack->p_Length(4);
    EXPECT_EQ(stack->m_data.Length(), 16);
    stack->p_Length(40);
    EXPECT_EQ(stack->m_data.Length(), 40);

    Source* s = new Source();
    gc_assign(stack->m_data[1], static_cast<c_IAsyncEventSource*>(s));
    stack->p_Length(1);
    EXPECT_EQ(stack->m_data[1], nullptr);
    EXPECT_EQ(stack->p_Length2(), 1);
}
