// audio/device.h - the OpenAL audio device: samples, 33 channels and music.
//
// gxtkAudio owns one OpenAL device and context, opened once when the
// framework starts the game, and 33 channels, each one OpenAL source made on
// first use and kept for the life of the device: channels 0-31 play sound
// effects, channel 32 plays music. A sound is a gxtkSample: one OpenAL buffer
// holding the whole decoded file (music too; nothing is streamed).
//
// Music is decoded once per file: the device keeps the last music sample it
// played or prepared, with the identity of its file, and PlayMusic of the same
// unchanged file only restarts it from the beginning. PrepareMusic decodes a
// file ahead on a worker thread (audio/music_decode.h); the samples are
// uploaded on the main thread at the next LoadSample, PrepareMusic or
// PlayMusic once the worker is done (PlayMusic waits for it if need be).
//
// Channel state (gxtkChannel::state) is the game's view: 0 stopped,
// 1 playing, 2 paused by the game. OpenAL's own source state may differ: a
// one-shot sound that ended is AL_STOPPED while its channel still says 1
// until ChannelState or PauseChannel notices; Suspend/Resume pause and resume
// sources for the application without touching `state`, so a channel the game
// paused stays paused after Resume.
//
// Buffer lifetime: a sample's buffer belongs to the sample, but OpenAL
// refuses to delete a buffer that a source still holds. A discarded or
// collected sample therefore only queues its buffer name; FlushDiscarded
// (at the start of every LoadSample and PlaySample, and when the collector
// destroys a sample) detaches buffers from sources that have stopped and
// deletes every queued buffer no source holds. While a sample plays, loops or
// is paused the device's mark() keeps it alive, so its buffer is never queued
// while in use by the game. A sample reports its buffer's bytes to the
// collector as native memory (runtime/gc.h), so dropped sounds are destroyed
// soon after a reload rather than after megabytes of later allocation.
//
// When the device cannot be opened an "OpenAl error: ..." line is printed and
// the device stays silent: every operation still works and does nothing
// audible. Channel numbers outside 0-32 are ignored (the audio module checks
// them before they get here). Main thread only; OpenAL mixes on its own
// thread and is only asked for source states.
#ifndef VORLIN_AUDIO_DEVICE_H
#define VORLIN_AUDIO_DEVICE_H

#include <cstdint>

#include "runtime/array.h"

typedef struct ALCdevice_struct ALCdevice;
typedef struct ALCcontext_struct ALCcontext;
struct PreparedMusic;

class gxtkSample : public Object {
public:
    unsigned int buffer = 0;  // OpenAL buffer name; 0 for none
    int64_t bytes = 0;        // size of the buffer's samples, reported to the collector

    gxtkSample();
    explicit gxtkSample(unsigned int buffer);
    // Queues the buffer like Discard, then deletes every queued buffer that no
    // source holds any more.
    ~gxtkSample() override;

    void SetBuffer(unsigned int name) { buffer = name; }
    // Gives up the buffer: queued for deletion once no source holds it.
    virtual int Discard();
};

struct gxtkChannel {
    unsigned int source = 0;       // OpenAL source name; made on first use
    gxtkSample* sample = nullptr;  // sample last started here (see gxtkAudio::mark)
    int flags = 0;                 // flags of the last PlaySample: nonzero loops
    int state = 0;                 // 0 stopped, 1 playing, 2 paused by the game

    // The channel's source, generated the first time it is needed.
    unsigned int AL_Source();
};

class gxtkAudio : public Object {
public:
    static const int kChannels = 33;
    static const int kMusicChannel = 32;

    ALCdevice* alcDevice = nullptr;
    ALCcontext* alcContext = nullptr;
    gxtkChannel channels[kChannels];

    gxtkSample* music = nullptr;     // the last music played or prepared (see above), or null
    PreparedMusic* prepared = nullptr;  // its path, file identity and pending decode; owned

    // Opens the default OpenAL device; prints "OpenAl error: ..." and goes on
    // silently when that fails.
    gxtkAudio();
    ~gxtkAudio() override;
    // Marks the samples of channels whose sound is still playing, looping or
    // paused, and the kept music; forgets the other channels' samples.
    void mark() override;

    virtual int Suspend();
    virtual int Resume();
    // Decodes `path` into `sample`'s new buffer; the sample, or null when the
    // file cannot be read or decoded.
    virtual gxtkSample* LoadSample__UNSAFE__(gxtkSample* sample, String path);
    virtual gxtkSample* LoadSample(String path);
    virtual int PlaySample(gxtkSample* sample, int channel, int flags);
    virtual int StopChannel(int channel);
    virtual int PauseChannel(int channel);
    virtual int ResumeChannel(int channel);
    virtual int ChannelState(int channel);  // 0 stopped, 1 playing, 2 paused
    virtual int SetVolume(int channel, float volume);  // gain, 1 = as recorded
    virtual int SetPan(int channel, float pan);        // radians, 0 ahead, positive right
    virtual int SetRate(int channel, float rate);      // pitch, 1 = recorded speed
    virtual int PlayMusic(String path, int flags);     // 0, or -1 when the file does not load
    virtual int StopMusic();
    virtual int PauseMusic();
    virtual int ResumeMusic();
    virtual int MusicState();
    virtual int SetMusicVolume(float volume);
    // Starts decoding the music file `path` ahead, off the main thread, so that
    // a later PlayMusic of it starts at once. 0 when the decode is under way or
    // already done, -1 when the file cannot be opened or is of no known kind.
    virtual int PrepareMusic(String path);

protected:
    // Opens nothing: for stand-ins that replace the playing operations.
    struct NoOpenAl {};
    explicit gxtkAudio(NoOpenAl) {}

private:
    gxtkChannel* Channel(int channel);
    PreparedMusic& Prepared();
    // The kept music when it came from `path` and the file is unchanged
    // (finishing its decode first), else null.
    gxtkSample* KeptMusic(const String& path);
    // Uploads a finished decode on the main thread.
    void FinishPreparedMusic();
    void ForgetMusic();
};

// Deletes every queued buffer that no source holds any more (see above).
void FlushDiscarded(gxtkAudio* audio);
// Buffer names queued for deletion and not deleted yet.
int DiscardedBufferCount();
// Samples not yet destroyed, and the bytes their buffers hold: for tests and
// measurements.
int gxtkLiveSamples();
int64_t gxtkSampleNativeBytes();

#endif
