// support/asyncevent.cpp - c_Stack and the asynchronous event pump.
#include "support/asyncevent.h"

c_IAsyncEventSource* c_Stack::m_NIL;
c_Stack* bb_asyncevent__sources;
c_IAsyncEventSource* bb_asyncevent__current;

namespace {

void mark_roots() {
    gc_mark_q(bb_asyncevent__current);
    gc_mark_q(bb_asyncevent__sources);
    gc_mark_q(c_Stack::m_NIL);
}

}  // namespace

void bb_asyncevent_init() {
    gc_assign(bb_asyncevent__current, nullptr);
    gc_assign(bb_asyncevent__sources, (new c_Stack())->m_new());
    gc_add_roots(mark_roots);
}

// ---------------------------------------------------------------------------
// c_Stack
// ---------------------------------------------------------------------------

c_Stack* c_Stack::m_new() { return this; }

c_Stack* c_Stack::m_new2(Array<c_IAsyncEventSource*> data) {
    m_data = data.Resize(data.Length());
    m_length = data.Length();
    return this;
}

int c_Stack::p_Length2() { return m_length; }

c_IAsyncEventSource* c_Stack::p_Get(int index) { return m_data[index]; }

void c_Stack::p_Length(int n) {
    if (n < 0) n = 0;
    for (int i = n; i < m_length; ++i) gc_assign(m_data[i], m_NIL);
    if (n > m_data.Length()) {
        int capacity = m_length * 2 + 10;
        m_data = m_data.Resize(capacity > n ? capacity : n);
    }
    m_length = n;
}

void c_Stack::p_Push(c_IAsyncEventSource* value) {
    p_Length(m_length + 1);
    gc_assign(m_data[m_length - 1], value);
}

void c_Stack::p_RemoveEach(c_IAsyncEventSource* value) {
    for (int i = 0; i < m_length; ++i) {
        if (m_data[i] != value) continue;
        for (int j = i + 1; j < m_length; ++j) gc_assign(m_data[j - 1], m_data[j]);
        p_Length(m_length - 1);
        return;
    }
}

void c_Stack::mark() { gc_mark_q(m_data); }

// ---------------------------------------------------------------------------
// The pump
// ---------------------------------------------------------------------------

int bb_asyncevent_UpdateAsyncEvents() {
    if (bb_asyncevent__current) return 0;
    int i = 0;
    while (i < bb_asyncevent__sources->p_Length2()) {
        gc_assign(bb_asyncevent__current, bb_asyncevent__sources->p_Get(i));
        bb_asyncevent__current->p_UpdateAsyncEvents();
        // A source that removed itself cleared the guard: the entry that moved
        // into its place is polled next.
        if (bb_asyncevent__current) ++i;
    }
    gc_assign(bb_asyncevent__current, nullptr);
    return 0;
}

int bb_asyncevent_AddAsyncEventSource(c_IAsyncEventSource* source) {
    bb_asyncevent__sources->p_Push(source);
    return 0;
}

int bb_asyncevent_RemoveAsyncEventSource(c_IAsyncEventSource* source) {
    if (source == bb_asyncevent__current) gc_assign(bb_asyncevent__current, nullptr);
    bb_asyncevent__sources->p_RemoveEach(source);
    return 0;
}
