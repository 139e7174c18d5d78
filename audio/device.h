// audio/device.h - the OpenAL audio device: 33 channels and music.
//
// gxtkAudio owns 33 channels, each one OpenAL source made on first use and
// kept while the device is open: channels 0-31 play sound effects, channel 32
// plays music. A sound is a gxtkSample (audio/sample.h): one OpenAL buffer
// holding the whole decoded file. The sound device itself, opened when the
// framework starts the game and again after a loss, is kept by the DeviceLife
// each gxtkAudio owns (audio/device_life.h).
//
// Music is decoded once per file: the device keeps the last music sample it
// played or prepared, with the identity of its file, and PlayMusic of the same
// unchanged file only restarts it from the beginning. PrepareMusic decodes a
// file ahead on a worker thread (audio/music_decode.h); the samples are
// uploaded on the main thread at the next LoadSample, PrepareMusic or
// PlayMusic once the worker is done (PlayMusic waits for it if need be).
//
// Channel state (gxtkChannel::state) is the game's view: stopped, playing,
// or paused by the game. Every answer the device gives (a channel's state,
// which samples the collector keeps) comes from its own model of the
// channels, never from OpenAL, so the game sees the same answers with a
// sound device, without one and while one is lost: each channel keeps its
// volume, pan and rate, and where its sound is (seconds into the sample at
// rate 1, advancing at the channel's rate on the device's play clock). A
// one-shot sound has ended once that position reaches the sample's length;
// ChannelState or PauseChannel then sets the channel stopped (and stops the
// source, so OpenAL agrees). OpenAL only mirrors the model: every source is
// set from it, and a new device's sources are started where it says. The
// play clock stands still while the application is suspended: Suspend/Resume
// pause and resume sources for the application without touching `state`, so
// a channel the game paused stays paused after Resume.
//
// While a sample plays, loops or is paused, mark() keeps it alive, so its
// buffer is never queued for deletion while in use by the game.
//
// When the device cannot be opened at start an "OpenAl error: ..." line is
// printed and the device stays silent until a device can be opened: every
// operation still works and answers as it would with sound. Channel numbers
// outside 0-32 are ignored (the audio module checks them before they get
// here). Main thread only; OpenAL mixes on its own thread, and while no
// device is open one worker may be trying to open one.
#ifndef LANTERN_AUDIO_DEVICE_H
#define LANTERN_AUDIO_DEVICE_H

#include "audio/device_life.h"
#include "audio/sample.h"
#include "runtime/array.h"

typedef struct ALCdevice_struct ALCdevice;
typedef struct ALCcontext_struct ALCcontext;
struct PreparedMusic;

struct gxtkChannel {
    // The game's view of a channel. The numbers are what ChannelState and
    // the audio module answer.
    enum class State : int { kStopped = 0, kPlaying = 1, kPaused = 2 };

    unsigned int source = 0;       // OpenAL source name; made on first use, 0 while no device is open
    gxtkSample* sample = nullptr;  // sample last started here (see gxtkAudio::mark)
    int flags = 0;                 // flags of the last PlaySample: nonzero loops
    State state = State::kStopped;

    // What the game set, given to every source the channel gets.
    float gain = 1;                 // SetVolume: 1 = as recorded
    float pitch = 1;                // SetRate: 1 = recorded speed
    float x = 0, y = 0, z = 0;      // SetPan: the direction of the sound (OpenAL's start: 0, 0, 0)
    // Where the sound is: `offset` seconds into the sample (at rate 1) at
    // play-clock time `since` (seconds); it advances at `pitch` while the
    // channel plays.
    double offset = 0;
    double since = 0;

    // The channel's source, generated with the channel's gain, pitch and
    // direction the first time it is needed. Only while a device is open.
    unsigned int AL_Source();
};

class gxtkAudio : public Object {
public:
    static const int kChannels = 33;
    static const int kMusicChannel = 32;

    ALCdevice* alcDevice = nullptr;    // null while no device is open
    ALCcontext* alcContext = nullptr;  // set exactly while alcDevice is, and current
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
    // Decodes `path` into `sample`'s new buffer (letting any samples it held
    // go); the sample, or null when the file cannot be read or decoded.
    virtual gxtkSample* LoadSample__UNSAFE__(gxtkSample* sample, String path);
    virtual gxtkSample* LoadSample(String path);
    virtual int PlaySample(gxtkSample* sample, int channel, int flags);
    virtual int StopChannel(int channel);
    virtual int PauseChannel(int channel);
    virtual int ResumeChannel(int channel);
    virtual int ChannelState(int channel);  // 0 stopped, 1 playing, 2 paused (gxtkChannel::State)
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
    // Uploads the music PrepareMusic is decoding now, waiting for its worker
    // if it is not done yet. The decoded copy lives until OpenAL has taken its
    // own, so for a moment the tune is held twice: a caller about to take much
    // memory (the loader before its biggest images) lets that moment pass
    // first. 0.
    virtual int FinishMusic();

    // Keeps a device open (audio/device_life.h), uploads music decoded ahead
    // once its worker is done and starts music whose file has arrived: once
    // per game update.
    int Update() {
        TakeFinishedMusic();
        ArriveMusic();
        return life.Update();
    }
    // Closes the device as when it is lost, and tries to open one again from
    // the next Update on.
    void Disconnect() { life.Disconnect(); }
    // True while a newly opened device still waits for samples to be uploaded again.
    bool Restoring() const { return life.Restoring(); }

    // Seconds on the device's play clock: the sounds' time, which stands
    // still while the application is suspended.
    double PlayClock() const;

protected:
    // Opens nothing and never tries: for stand-ins that replace the playing operations.
    struct NoOpenAl {};
    explicit gxtkAudio(NoOpenAl) {}

private:
    friend class DeviceLife;  // starts channels again on a new device (Replay)
    using State = gxtkChannel::State;

    gxtkChannel* Channel(int channel);
    PreparedMusic& Prepared();
    // The kept music when it came from `path` and the file is unchanged
    // (finishing its decode first), else null.
    gxtkSample* KeptMusic(const String& path);
    // Uploads a finished decode on the main thread (waiting for it).
    void FinishPreparedMusic();
    // Uploads music decoded ahead if its worker is done.
    void TakeFinishedMusic();
    void ForgetMusic();
    // Music played before its file arrived (a host that fetches its files
    // said it was not ready): the music channel plays, in the model, from
    // then on without a sample; once the file is here it is heard from where
    // the model says it has got to, as if it had been there all along.
    void ArriveMusic();
    String awaitedMusic;  // the path it waits for; empty: none

    // The channel's position in its sample (seconds at rate 1) now.
    double Position(const gxtkChannel& chan) const;
    // True when the channel plays a one-shot sound that has reached its end.
    bool Ended(const gxtkChannel& chan) const;
    // Sets a playing channel whose one-shot sound has ended stopped.
    void NoticeEnd(gxtkChannel& chan);
    // Gives the channel's source the channel's sample and starts it where the
    // model says its sound is (a paused channel's source waits at that place).
    void StartSource(gxtkChannel& chan);
    // Starts every channel whose sound of `sample` goes on, now that a new
    // device holds the sample again.
    void Replay(gxtkSample* sample);

    bool suspended = false;       // the application is suspended (Suspend)
    double suspendedAt = 0;       // clock time when it was (seconds)
    double suspendedFor = 0;      // clock time spent suspended before then (seconds)
    DeviceLife life{*this};       // the sound device: opened, lost and opened again
};

// The device's clock: monotonic seconds. Tests may replace it.
extern double (*gxtkAudioClock)();

#endif
