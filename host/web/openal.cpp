// host/web/openal.cpp - OpenAL's entry points in the web build: linked.
//
// The page links Emscripten's OpenAL, which reaches Web Audio; there is no
// library to load, and nothing to start afresh. The pointers of audio/openal.h
// point at the linked functions between Load and Unload, as on the desktop.
#include "audio/openal.h"

namespace oal {

#define OAL_DEFINE(name) decltype(&::name) name;
OAL_ENTRY_POINTS(OAL_DEFINE)
#undef OAL_DEFINE

namespace {
bool loaded;
}

bool Load() {
#define OAL_LINK(name) name = ::name;
    OAL_ENTRY_POINTS(OAL_LINK)
#undef OAL_LINK
    loaded = true;
    return true;
}

void Unload() {
#define OAL_FORGET(name) name = nullptr;
    OAL_ENTRY_POINTS(OAL_FORGET)
#undef OAL_FORGET
    loaded = false;
}

bool Loaded() { return loaded; }

// Web Audio has no libraries that complain on their own.
void Quiet(bool) {}

}  // namespace oal
