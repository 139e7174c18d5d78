// audio/device_life.h - keeping a sound device open for gxtkAudio: opening
// it, noticing that it is lost, opening another and giving it the samples
// again.
//
// The sound device may go away (a USB headset unplugged, the sound server
// restarted) or be missing at start. Update, called once per game update,
// then keeps trying: it asks OpenAL twice a second whether the device is
// still connected (ALC_EXT_disconnect, where the backend has it); a lost
// device is closed at once, with every source and buffer, and the library
// unloaded (audio/openal.h). Every two seconds a worker thread loads the
// library afresh and tries to open a device (audio/device_open.h), so a
// failed attempt costs the game nothing. Once one opens, Update uploads the
// samples again, one at a time from their files (decoded on a worker,
// audio/music_decode.h), the music first, then the samples of channels that
// still sound, then the rest; and starts each channel that still plays where
// the channel model says its sound is, with its volume, pan, rate and
// looping. One line is printed when the device is lost and one when a device
// is there again. The sound libraries' own reasons for a failed attempt are
// shown once per spell without a device: the retries after a failed attempt
// run with the libraries quiet (oal::Quiet), so a game started without any
// sound device prints its one line and nothing more however long it runs.
//
// Ownership: each gxtkAudio owns one DeviceLife for its whole life. The
// DeviceLife owns what its device opened: the OpenAL device and context
// (kept in gxtkAudio::alcDevice and alcContext, where callers look), the
// channels' sources and the samples' buffers while it is open, the attempt
// to open one, and the decode of the sample being read again. Destroying it
// closes the device and ends the attempt and the decode (waiting for their
// workers).
//
// Invariants: sources and buffers are nonzero only while a device is open;
// an attempt runs only while none is open, and the main thread then leaves
// OpenAL alone, so the attempt may load and unload the library. Only the
// device that was started last (Start) keeps a device and is the one the
// samples report to (SampleLedger::device); a stand-in that never starts
// (gxtkAudio's NoOpenAl) opens nothing, ever. Main thread only.
#ifndef LANTERN_AUDIO_DEVICE_LIFE_H
#define LANTERN_AUDIO_DEVICE_LIFE_H

#include <memory>

class gxtkAudio;
class gxtkSample;
class DeviceAttempt;
class MusicDecode;
struct Opened;

class DeviceLife {
public:
    // How often Update asks OpenAL whether the device is still there, and how
    // often it tries to open one while there is none (seconds).
    static constexpr double kCheckSeconds = 0.5;
    static constexpr double kRetrySeconds = 2;

    explicit DeviceLife(gxtkAudio& audio);
    ~DeviceLife();
    DeviceLife(const DeviceLife&) = delete;
    DeviceLife& operator=(const DeviceLife&) = delete;

    // Opens the default device and keeps one open from now on; prints
    // "OpenAl error: ..." and goes on silently when it cannot be opened.
    void Start();
    bool IsOpen() const;
    // Once per game update (see above). Costs a clock reading on most calls;
    // a lost device is closed here, a newly opened one taken over, and at
    // most one sample a call is uploaded again.
    int Update();
    // Closes the device as when it is lost; the next Update tries again.
    void Disconnect();
    // Closes the device and ends an attempt to open one (waiting for its worker).
    void EndThreads();
    // True while a newly opened device still waits for samples to be uploaded again.
    bool Restoring() const { return restoring_; }

    // `sample` gave up its samples or is being destroyed: it is not read again.
    void Forget(const gxtkSample* sample);
    gxtkAudio& Audio() const { return audio_; }

private:
    // Makes a device opened elsewhere the open one; false (with it closed)
    // when its context cannot be made current.
    bool TakeOver(const Opened& opened);
    void TakeAttempt();
    void CheckConnected(double now);
    // Deletes the device's sources and buffers and closes it.
    void Close();
    void DeleteSourcesAndBuffers();
    void ScheduleNext(double now);

    // Uploading the samples again: one step per Update.
    void StepRestore();
    void UploadReread();
    gxtkSample* NextToRestore() const;
    void CancelRestore();

    gxtkAudio& audio_;
    bool detectsLoss_ = false;  // the open device reports whether it is connected
    double nextCheck_ = 0;      // clock time of the next connection check or attempt (seconds)
    std::unique_ptr<DeviceAttempt> attempt_;  // the attempt under way, if any
    int failedAttempts_ = 0;    // attempts that failed since a device was last open
    bool restoring_ = false;           // samples are still being uploaded again
    gxtkSample* rereading_ = nullptr;  // the sample being read again; null once it gave up its samples
    std::unique_ptr<MusicDecode> decode_;  // its decode
};

// Closes the open device (OpenAL joins its mixer thread), ends an attempt
// to open one (waiting for its worker) and waits for the music decodes, so
// that the audio code runs no thread: for a program about to check, on its
// own thread alone, what it leaked. The device tries again at its next Update.
void EndAudioThreads();

#endif
