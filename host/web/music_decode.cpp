// host/web/music_decode.cpp - MusicDecode for the web build: decoding at once.
//
// A page without cross-origin isolation has no threads, so the decode that
// the desktop runs on a worker runs here, on the main thread, when the audio
// device asks for it: during the loading screen, one frame that takes longer.
// The interface and its ownership rules are those of audio/music_decode.h;
// the worker thread member is never started.
#include "audio/music_decode.h"

#include <cstdlib>

MusicDecode::MusicDecode(FILE* file, AudioDecoder decoder) : file_(file), decoder_(decoder) { Run(); }

MusicDecode::~MusicDecode() { std::free(samples_); }

void MusicDecode::Run() {
    samples_ = decoder_ && file_ ? decoder_(file_, &length_, &channels_, &format_, &hertz_) : nullptr;
    if (file_) std::fclose(file_);
    file_ = nullptr;
    done_.store(true, std::memory_order_release);
}

unsigned char* MusicDecode::Take(int* length, int* channels, int* format, int* hertz) {
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

void WaitForMusicDecodes() {}  // every decode has finished in its constructor
