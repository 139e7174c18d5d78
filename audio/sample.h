// audio/sample.h - sounds in memory: gxtkSample, its OpenAL buffer and the
// buffers still to delete.
//
// A gxtkSample is one decoded sound file held whole in one OpenAL buffer of
// the open device (music too; nothing is streamed). It keeps its file's path,
// so that a device opened later (audio/device_life.h) can be given the same
// samples again, and its decoded size, which it reports to the collector as
// native memory (runtime/gc.h), with a device or without, so that dropped
// sounds are destroyed soon after a reload rather than after megabytes of
// later allocation.
//
// Buffer lifetime: a sample's buffer belongs to the sample, but OpenAL
// refuses to delete a buffer that a source still holds. A discarded or
// collected sample therefore only queues its buffer name; FlushDiscarded (at
// the start of every LoadSample and PlaySample, and when the collector
// destroys a sample) detaches buffers from sources that have stopped and
// deletes every queued buffer no source holds. While a sample plays, loops or
// is paused the device's mark() keeps it alive, so its buffer is never queued
// while in use by the game.
//
// Invariants: buffer names, the samples' and the queued ones, belong to the
// open device and are all 0 or deleted while none is open (a closing device
// deletes them and marks the samples to `reload`); `bytes` is what the
// sample reports to the collector and counts in SampleLedger::nativeBytes.
// The bookkeeping of live samples and queued names is process-wide (see
// SampleLedger). Main thread only.
#ifndef LANTERN_AUDIO_SAMPLE_H
#define LANTERN_AUDIO_SAMPLE_H

#include <cstdint>
#include <vector>

#include "runtime/array.h"

class gxtkAudio;
class DeviceLife;

class gxtkSample : public Object {
public:
    unsigned int buffer = 0;  // OpenAL buffer name; 0 for none (also while no device is open)
    int64_t bytes = 0;        // size of the decoded samples, reported to the collector
    double seconds = 0;       // length at rate 1 (seconds); 0 when OpenAL cannot play it
    String path;              // the file it was read from, read again for a new device; empty: none
    bool reload = false;      // has samples that the open device does not hold yet

    gxtkSample();
    explicit gxtkSample(unsigned int buffer);
    // Queues the buffer like Discard, then deletes every queued buffer that no
    // source holds any more.
    ~gxtkSample() override;

    void SetBuffer(unsigned int name) { buffer = name; }
    // Gives up the buffer: queued for deletion once no source holds it, and
    // never uploaded again. A channel still playing it goes on until its end.
    virtual int Discard();

    // The live samples, oldest first (SampleLedger).
    gxtkSample* prevLive = nullptr;
    gxtkSample* nextLive = nullptr;
};

// Every sample not yet destroyed, whatever device loaded it, and the buffer
// names still to delete. This is global on purpose: the collector destroys a
// sample at any moment, with no device at hand, and the dying sample must
// still unlink itself, give back its count and bytes and queue its buffer.
// `device` is how it then reaches the device whose sources may hold buffers:
// the one most recently opened, until it is destroyed.
struct SampleLedger {
    gxtkSample* first = nullptr;  // the list of live samples (gxtkSample::prevLive/nextLive)
    gxtkSample* last = nullptr;
    int count = 0;                // live samples
    int64_t nativeBytes = 0;      // decoded samples of the live samples (bytes)
    std::vector<unsigned int> discarded;  // buffer names still to delete, oldest first
    DeviceLife* device = nullptr;
};
SampleLedger& Samples();

// Decoded samples and their layout, as a decoder hands them over.
struct Pcm {
    unsigned char* data;  // malloc'd
    int length, channels, bytesPerSample, hertz;
    long long Bytes() const { return static_cast<long long>(length) * channels * bytesPerSample; }
    bool Valid() const;
};

// A new buffer of the open device holding `pcm`; 0 while no device is open.
unsigned int MakeBuffer(const Pcm& pcm);
// Puts decoded samples (freed here), read from `path`, into a new buffer of
// `sample`, giving up any it held before; without a device the sample only
// learns its length and waits for one. False, with the sample unchanged, when
// `pcm` is unusable.
bool UploadSamples(gxtkSample* sample, Pcm pcm, const String& path);

// Deletes every queued buffer that no source of `audio` holds any more (see above).
void FlushDiscarded(gxtkAudio* audio);
// Buffer names queued for deletion and not deleted yet.
int DiscardedBufferCount();
// Samples not yet destroyed, and the bytes their buffers hold: for tests and
// measurements.
int gxtkLiveSamples();
int64_t gxtkSampleNativeBytes();

#endif
