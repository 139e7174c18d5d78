// audio/device_life.cpp - DeviceLife: opening, losing and reopening the
// device, and uploading the samples again.
#include "audio/device_life.h"

#include <cstdlib>

#include "audio/device.h"
#include "audio/device_open.h"
#include "audio/music_decode.h"
#include "audio/openal.h"
#include "runtime/error.h"

// ALC_EXT_disconnect's query (AL/alext.h, which not every OpenAL ships).
#ifndef ALC_CONNECTED
#define ALC_CONNECTED 0x313
#endif

using State = gxtkChannel::State;

DeviceLife::DeviceLife(gxtkAudio& audio) : audio_(audio) {}

DeviceLife::~DeviceLife() {
    if (Samples().device != this) return;
    Close();
    Samples().device = nullptr;
}

void EndAudioThreads() {
    if (DeviceLife* device = Samples().device) device->EndThreads();
    WaitForMusicDecodes();
}

// ---------------------------------------------------------------------------
// Opening and closing
// ---------------------------------------------------------------------------

void DeviceLife::Start() {
    Samples().device = this;
    failedAttempts_ = 0;
    oal::Quiet(false);
    Opened r = open_default_device();
    if (r.failure) {
        bbPrint(String("OpenAl error: ") + String(r.failure));
    } else if (!TakeOver(r)) {
        bbPrint(String("OpenAl error: alcMakeContextCurrent failed"));
    }
    if (!IsOpen()) failedAttempts_ = 1;
    ScheduleNext(gxtkAudioClock());
}

bool DeviceLife::IsOpen() const { return audio_.alcContext != nullptr; }

bool DeviceLife::TakeOver(const Opened& opened) {
    if (!oal::alcMakeContextCurrent(opened.context)) {
        Opened r = opened;
        close_opened(&r);
        return false;
    }
    audio_.alcDevice = opened.device;
    audio_.alcContext = opened.context;
    detectsLoss_ = oal::alcIsExtensionPresent(opened.device, "ALC_EXT_disconnect") == ALC_TRUE;
    // Sounds are placed by direction only (SetPan), never faded by distance.
    oal::alDistanceModel(AL_NONE);
    return true;
}

void DeviceLife::Close() {
    CancelRestore();
    if (!IsOpen()) return;
    DeleteSourcesAndBuffers();
    // Closing joins the device's mixer thread: done here, deliberately,
    // rather than left to the end of the program.
    oal::alcMakeContextCurrent(nullptr);
    Opened open{audio_.alcDevice, audio_.alcContext, nullptr};
    close_opened(&open);
    audio_.alcDevice = nullptr;
    audio_.alcContext = nullptr;
}

// Sources, buffers and names all belong to the device: they are deleted while
// it is there, and every sample that has samples is marked to be uploaded again.
void DeviceLife::DeleteSourcesAndBuffers() {
    for (gxtkChannel& chan : audio_.channels) {
        if (chan.source) oal::alDeleteSources(1, &chan.source);
        chan.source = 0;
    }
    SampleLedger& samples = Samples();
    for (gxtkSample* s = samples.first; s; s = s->nextLive) {
        if (s->buffer) oal::alDeleteBuffers(1, &s->buffer);
        s->buffer = 0;
        if (s->bytes > 0 && !s->path.Empty()) s->reload = true;
    }
    for (unsigned int name : samples.discarded) oal::alDeleteBuffers(1, &name);
    samples.discarded.clear();
}

void DeviceLife::Disconnect() {
    Close();
    nextCheck_ = gxtkAudioClock();
}

void DeviceLife::EndThreads() {
    Disconnect();
    attempt_.reset();
}

void DeviceLife::ScheduleNext(double now) { nextCheck_ = now + (IsOpen() ? kCheckSeconds : kRetrySeconds); }

// ---------------------------------------------------------------------------
// Keeping a device open
// ---------------------------------------------------------------------------

int DeviceLife::Update() {
    if (Samples().device != this) return 0;
    if (restoring_) StepRestore();
    if (attempt_ && attempt_->Done()) {
        TakeAttempt();
        return 0;
    }
    double now = gxtkAudioClock();
    if (attempt_ || now < nextCheck_) return 0;
    if (IsOpen()) {
        CheckConnected(now);
    } else {
        nextCheck_ = now + kRetrySeconds;
        // The first attempt of a spell without a device may say why it
        // fails; the retries would only say it again, every few seconds, for
        // as long as the game runs.
        oal::Quiet(failedAttempts_ > 0);
        attempt_.reset(new DeviceAttempt());
    }
    return 0;
}

void DeviceLife::TakeAttempt() {
    Opened r = attempt_->Take();
    attempt_.reset();
    if (r.device && TakeOver(r)) {
        bbPrint(String("OpenAl: audio device connected"));
        restoring_ = true;
        failedAttempts_ = 0;
    } else {
        ++failedAttempts_;
    }
    ScheduleNext(gxtkAudioClock());
}

void DeviceLife::CheckConnected(double now) {
    nextCheck_ = now + kCheckSeconds;
    ALCint connected = ALC_TRUE;
    if (detectsLoss_) oal::alcGetIntegerv(audio_.alcDevice, ALC_CONNECTED, 1, &connected);
    if (connected) return;
    bbPrint(String("OpenAl error: audio device disconnected"));
    Close();
    // A server that went away on purpose is often back at once.
    nextCheck_ = now;
}

// ---------------------------------------------------------------------------
// Uploading the samples again
// ---------------------------------------------------------------------------

void DeviceLife::StepRestore() {
    if (decode_) {
        if (decode_->Done()) UploadReread();  // at most one upload per update
        return;
    }
    gxtkSample* next = NextToRestore();
    if (!next) {
        restoring_ = false;
        return;
    }
    next->reload = false;
    FILE* f = nullptr;
    FileIdentity file;
    AudioDecoder decoder = AudioDecoderFor(next->path);
    if (!decoder || !IdentifyPath(next->path, &f, &file)) return;  // gone: it stays silent
    rereading_ = next;
    decode_.reset(new MusicDecode(f, decoder));
}

void DeviceLife::UploadReread() {
    Pcm pcm{};
    pcm.data = decode_->Take(&pcm.length, &pcm.channels, &pcm.bytesPerSample, &pcm.hertz);
    decode_.reset();
    gxtkSample* sample = rereading_;
    rereading_ = nullptr;
    // A file that changed size since it was first read is not taken for
    // the same sound: its samples are not uploaded.
    if (sample && pcm.Valid() && pcm.Bytes() == sample->bytes) {
        sample->SetBuffer(MakeBuffer(pcm));
        audio_.Replay(sample);
    }
    std::free(pcm.data);
}

// The next sample still to upload: the music's first, then those of channels
// that still sound, then the rest.
gxtkSample* DeviceLife::NextToRestore() const {
    const gxtkChannel& music = audio_.channels[gxtkAudio::kMusicChannel];
    if (music.state != State::kStopped && music.sample && music.sample->reload) return music.sample;
    for (const gxtkChannel& chan : audio_.channels) {
        if (chan.state != State::kStopped && chan.sample && chan.sample->reload) return chan.sample;
    }
    for (gxtkSample* s = Samples().first; s; s = s->nextLive) {
        if (s->reload) return s;
    }
    return nullptr;
}

void DeviceLife::CancelRestore() {
    decode_.reset();
    if (rereading_) rereading_->reload = true;
    rereading_ = nullptr;
    restoring_ = false;
}

void DeviceLife::Forget(const gxtkSample* sample) {
    if (rereading_ == sample) rereading_ = nullptr;
}
