// runtime/object.cpp - the root class Object.
#include <cstdint>

#include "runtime/array.h"

int Object::Compare(Object* other) {
    return static_cast<int>(reinterpret_cast<intptr_t>(this) - reinterpret_cast<intptr_t>(other));
}

String Object::debug() { return String("+Object\n"); }
