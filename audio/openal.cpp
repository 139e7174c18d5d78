// audio/openal.cpp - loading libopenal and its entry points with dlopen.
#include "audio/openal.h"

#include <dlfcn.h>

namespace oal {

#define OAL_DEFINE(name) decltype(&::name) name;
OAL_ENTRY_POINTS(OAL_DEFINE)
#undef OAL_DEFINE

namespace {

void* library;  // dlopen handle while loaded

void forget_entry_points() {
#define OAL_FORGET(name) name = nullptr;
    OAL_ENTRY_POINTS(OAL_FORGET)
#undef OAL_FORGET
}

}  // namespace

bool Load() {
    if (library) return true;
    // Local binding: the library's symbols stay out of the program's global
    // scope, so nothing else can come to depend on them while it is loaded.
    library = dlopen("libopenal.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library) return false;
    bool complete = true;
#define OAL_RESOLVE(name)                                              \
    name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name)); \
    complete = complete && name != nullptr;
    OAL_ENTRY_POINTS(OAL_RESOLVE)
#undef OAL_RESOLVE
    if (!complete) Unload();
    return complete;
}

void Unload() {
    forget_entry_points();
    if (library) dlclose(library);
    library = nullptr;
}

bool Loaded() { return library != nullptr; }

}  // namespace oal
