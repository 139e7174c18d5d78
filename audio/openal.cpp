// audio/openal.cpp - loading libopenal and its entry points with dlopen.
#include "audio/openal.h"

#include <dlfcn.h>

#include <cstdlib>

namespace oal {

#define OAL_DEFINE(name) decltype(&::name) name;
OAL_ENTRY_POINTS(OAL_DEFINE)
#undef OAL_DEFINE

namespace {

void* library;  // dlopen handle while loaded

// ALSA's error handler (alsa/error.h's snd_lib_error_handler_t), declared
// here so that the program needs neither ALSA's headers nor the library.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int err, const char* fmt, ...);

void drop_alsa_message(const char*, int, const char*, int, const char*, ...) {}

bool quiet;           // see Quiet
bool ownLogLevel;     // ALSOFT_LOGLEVEL is the one Quiet set
void* alsa;           // libasound, held loaded while quiet

// Installs `handler` as ALSA's error handler; null restores ALSA's own.
void set_alsa_handler(AlsaErrorHandler handler) {
    using SetHandler = int (*)(AlsaErrorHandler);
    auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (set) set(handler);
}

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

void Quiet(bool on) {
    if (on == quiet) return;
    quiet = on;
    if (on) {
        if (!std::getenv("ALSOFT_LOGLEVEL")) ownLogLevel = setenv("ALSOFT_LOGLEVEL", "0", 1) == 0;
        // The same library OpenAL Soft's ALSA backend loads: held here, it
        // keeps the handler across the loads and unloads of OpenAL Soft. A
        // system without ALSA has nothing to silence.
        alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (alsa) set_alsa_handler(drop_alsa_message);
    } else {
        if (ownLogLevel) unsetenv("ALSOFT_LOGLEVEL");
        ownLogLevel = false;
        if (alsa) {
            set_alsa_handler(nullptr);
            dlclose(alsa);
        }
        alsa = nullptr;
    }
}

}  // namespace oal
