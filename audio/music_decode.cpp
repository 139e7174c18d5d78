// audio/music_decode.cpp - MusicDecode: one whole-file decode on a worker thread.
#include "audio/music_decode.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Workers not yet joined. A normal end of the program destroys this list
// after main returns and waits for them there, so that no decoder is still
// running while the process tears down. Main thread only.
struct RunningWorkers {
    std::vector<std::thread*> threads;
    ~RunningWorkers() { JoinAll(); }
    void JoinAll() {
        for (std::thread* t : threads)
            if (t->joinable()) t->join();
        threads.clear();
    }
};

RunningWorkers& running() {
    static RunningWorkers workers;
    return workers;
}

void forget_worker(std::thread* t) {
    std::vector<std::thread*>& list = running().threads;
    list.erase(std::remove(list.begin(), list.end(), t), list.end());
}

}  // namespace

void WaitForMusicDecodes() { running().JoinAll(); }

MusicDecode::MusicDecode(FILE* file, AudioDecoder decoder) : file_(file), decoder_(decoder) {
    worker_ = std::thread(&MusicDecode::Run, this);
    running().threads.push_back(&worker_);
}

MusicDecode::~MusicDecode() {
    if (worker_.joinable()) worker_.join();
    forget_worker(&worker_);
    std::free(samples_);
}

void MusicDecode::Run() {
    int length = 0, channels = 0, format = 0, hertz = 0;
    unsigned char* samples = decoder_ && file_ ? decoder_(file_, &length, &channels, &format, &hertz) : nullptr;
    if (file_) std::fclose(file_);
    file_ = nullptr;
    samples_ = samples;
    length_ = length;
    channels_ = channels;
    format_ = format;
    hertz_ = hertz;
    done_.store(true, std::memory_order_release);
}

unsigned char* MusicDecode::Take(int* length, int* channels, int* format, int* hertz) {
    if (worker_.joinable()) worker_.join();
    forget_worker(&worker_);
    unsigned char* samples = samples_;
    samples_ = nullptr;
    if (samples) {
        *length = length_;
        *channels = channels_;
        *format = format_;
        *hertz = hertz_;
    }
    return samples;
}
