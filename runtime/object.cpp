// runtime/object.cpp - the root class Object.
#include <cstdint>

#include "runtime/array.h"

int Object::Compare(Object* other) {
    // The sign of the address difference: a truncated 64-bit difference
    // would not give a consistent order.
    uintptr_t a = reinterpret_cast<uintptr_t>(this), b = reinterpret_cast<uintptr_t>(other);
    return a < b ? -1 : (a > b ? 1 : 0);
}

String Object::debug() { return String("+Object\n"); }
