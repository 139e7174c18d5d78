// audio/device_attempt.cpp - a device attempt on a worker thread.
#include "audio/device_open.h"

DeviceAttempt::DeviceAttempt() : worker_([this] { Run(); }) {}
