// support/asyncevent.h - the pump that polls asynchronous event sources.
//
// Objects that work in the background register as c_IAsyncEventSource and are
// polled once per pump call, on the main thread, in registration order. The
// game pumps once per update. bb_asyncevent__current is the source being
// polled and doubles as the re-entrancy guard: a pump called from inside a
// source's poll returns at once.
#ifndef LANTERN_SUPPORT_ASYNCEVENT_H
#define LANTERN_SUPPORT_ASYNCEVENT_H

#include "runtime/array.h"

class c_IAsyncEventSource : public virtual gc_interface {
public:
    virtual int p_UpdateAsyncEvents() = 0;
};

// A growable stack of event sources.
class c_Stack : public Object {
public:
    static c_IAsyncEventSource* m_NIL;  // written into vacated slots

    Array<c_IAsyncEventSource*> m_data;  // storage; only the first m_length are in use
    int m_length = 0;

    c_Stack* m_new();
    c_Stack* m_new2(Array<c_IAsyncEventSource*> data);
    int p_Length2();
    c_IAsyncEventSource* p_Get(int index);
    // Sets the length; shrinking clears the vacated slots, growing past the
    // storage reallocates to max(2 x length + 10, n) entries.
    void p_Length(int n);
    void p_Push(c_IAsyncEventSource* value);
    // Removes the first entry equal to `value`; later entries move down.
    void p_RemoveEach(c_IAsyncEventSource* value);
    void mark() override;
};

extern c_Stack* bb_asyncevent__sources;
extern c_IAsyncEventSource* bb_asyncevent__current;

int bb_asyncevent_UpdateAsyncEvents();
int bb_asyncevent_AddAsyncEventSource(c_IAsyncEventSource* source);
int bb_asyncevent_RemoveAsyncEventSource(c_IAsyncEventSource* source);

void bb_asyncevent_init();

#endif
