// audio/openal.h - OpenAL's entry points, taken from the library at run time.
//
// The audio device (audio/device.h) calls OpenAL only through the pointers in
// namespace oal, never through the library's own symbols, so the program
// starts without linking libopenal and can load the library afresh.
//
// Why afresh: OpenAL Soft chooses its backend once, when the library starts
// up, and drops every backend that could not start then. A game started
// before the sound server is up would keep a library without its backend,
// and no later alcOpenDevice could succeed. The device therefore unloads the
// library whenever it has no device open, and each attempt to open one
// starts with Load: a library that starts up again, with every backend.
//
// Lifetime: the pointers are valid from a successful Load until the next
// Unload; the library must have no device open when it is unloaded. A
// program that also links libopenal itself (the tests do, to look at sources)
// shares the same library, which then stays loaded, and Load and Unload only
// count references. Load and Unload run on one thread at a time: the audio
// device calls them on the main thread, or on the one worker that tries to
// open a device while the main thread leaves OpenAL alone.
#ifndef LANTERN_AUDIO_OPENAL_H
#define LANTERN_AUDIO_OPENAL_H

#include <AL/al.h>
#include <AL/alc.h>

// Every entry point the device uses, as X(name); each pointer has the type
// of the function it stands for.
#define OAL_ENTRY_POINTS(X) \
    X(alcOpenDevice) \
    X(alcCloseDevice) \
    X(alcCreateContext) \
    X(alcDestroyContext) \
    X(alcMakeContextCurrent) \
    X(alcIsExtensionPresent) \
    X(alcGetIntegerv) \
    X(alGetError) \
    X(alDistanceModel) \
    X(alGenBuffers) \
    X(alDeleteBuffers) \
    X(alBufferData) \
    X(alGenSources) \
    X(alDeleteSources) \
    X(alSourcei) \
    X(alSourcef) \
    X(alSource3f) \
    X(alGetSourcei) \
    X(alSourcePlay) \
    X(alSourceStop) \
    X(alSourcePause)

namespace oal {

#define OAL_DECLARE(name) extern decltype(&::name) name;
OAL_ENTRY_POINTS(OAL_DECLARE)
#undef OAL_DECLARE

// Loads the library (once per Unload) and fills the pointers; false, with
// the pointers null and nothing loaded, when the library or one of its entry
// points is missing.
bool Load();
// Gives the library back and sets the pointers to null.
void Unload();
bool Loaded();

// Whether the sound libraries keep their own complaints to themselves. An
// attempt to open a device that fails makes OpenAL Soft and ALSA write their
// reasons to standard error (nine lines on a machine without a sound card);
// the device lets the first attempt of a spell without a device say them
// and keeps the retries quiet (audio/device_life.h). Takes effect at the
// next Load: OpenAL Soft reads its log level (ALSOFT_LOGLEVEL) afresh with
// each load of the library, and ALSA's error handler lasts only as long as
// libasound stays loaded, so while quiet libasound is held loaded here with
// a handler that drops the messages. A log level that the environment
// already names is left as it is: whoever set it wants that level. Call it
// only while the library is not loaded and no other thread reads the
// environment or loads the library (the device calls it on the main thread
// just before an attempt starts).
void Quiet(bool quiet);

// The state OpenAL reports for a source: AL_STOPPED for none (name 0).
inline ALint SourceState(ALuint source) {
    ALint state = AL_STOPPED;
    if (source) alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

}  // namespace oal

#endif
