// host/web/device_attempt.cpp - a device attempt for the web build: at once.
//
// A page without cross-origin isolation has no threads, and opening Web
// Audio never waits on a server, so the attempt runs in the constructor and
// is done when the audio device first looks (audio/device_open.h).
#include "audio/device_open.h"

DeviceAttempt::DeviceAttempt() { Run(); }
