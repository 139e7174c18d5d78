// audio/device_open.h - opening an OpenAL device and context, at once or on a
// worker.
//
// open_default_device loads the library (audio/openal.h) and opens the
// default device with a context on it; on failure nothing stays open and the
// library is unloaded again. A DeviceAttempt makes one such attempt off the
// main thread, since opening may wait on a sound server and the game must
// not: while it runs, the main thread leaves OpenAL alone (no device is
// open), so the attempt may load and unload the library.
//
// Ownership: what an attempt opened belongs to it until Take hands it over;
// an attempt destroyed before that waits for its worker and closes it.
// A build without threads (the web page) makes the attempt at once, in the
// constructor (host/web/device_attempt.cpp).
#ifndef LANTERN_AUDIO_DEVICE_OPEN_H
#define LANTERN_AUDIO_DEVICE_OPEN_H

#include <AL/alc.h>

#include <atomic>
#include <thread>

// A device and context opened on the library loaded for them, or the step
// that failed (with nothing left open and the library unloaded).
struct Opened {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    const char* failure = nullptr;
};

Opened open_default_device();
// Closes what `r` holds, unloads the library and empties `r`.
void close_opened(Opened* r);

// One attempt to open a device.
class DeviceAttempt {
public:
    DeviceAttempt();
    ~DeviceAttempt();
    bool Done() const { return done_.load(std::memory_order_acquire); }
    // The result, once Done; the caller owns what it opened.
    Opened Take();

private:
    void Run();

    Opened result_;  // written by the worker before done_
    std::atomic<bool> done_{false};
    std::thread worker_;
};

#endif
