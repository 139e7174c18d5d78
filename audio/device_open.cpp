// audio/device_open.cpp - opening the default device and context.
#include "audio/device_open.h"

#include "audio/openal.h"

Opened open_default_device() {
    Opened r;
    if (!oal::Load()) {
        r.failure = "alcOpenDevice failed";
        return r;
    }
    if (!(r.device = oal::alcOpenDevice(nullptr))) {
        r.failure = "alcOpenDevice failed";
    } else if (!(r.context = oal::alcCreateContext(r.device, nullptr))) {
        r.failure = "alcCreateContext failed";
        oal::alcCloseDevice(r.device);
        r.device = nullptr;
    }
    if (r.failure) oal::Unload();
    return r;
}

void close_opened(Opened* r) {
    if (r->context) oal::alcDestroyContext(r->context);
    if (r->device) oal::alcCloseDevice(r->device);
    *r = Opened();
    oal::Unload();
}

void DeviceAttempt::Run() {
    result_ = open_default_device();
    done_.store(true, std::memory_order_release);
}

Opened DeviceAttempt::Take() {
    if (worker_.joinable()) worker_.join();
    Opened r = result_;
    result_ = Opened();
    return r;
}

// A program that ends while an attempt runs waits for it and closes what it
// opened.
DeviceAttempt::~DeviceAttempt() {
    if (worker_.joinable()) worker_.join();
    if (result_.device) close_opened(&result_);
}
