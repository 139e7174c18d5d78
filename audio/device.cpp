// audio/device.cpp - gxtkAudio's channel model: the play clock, the channels'
// states and positions, loading samples, and OpenAL's sources following the
// model. The kept music is in audio/music.cpp, the device's life in
// audio/device_life.cpp.
#include "audio/device.h"

#include <chrono>
#include <cmath>

#include "audio/openal.h"
#include "host/game.h"

namespace {

double steady_seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

double (*gxtkAudioClock)() = steady_seconds;

unsigned int gxtkChannel::AL_Source() {
    if (!source) {
        oal::alGenSources(1, &source);
        oal::alSourcef(source, AL_GAIN, gain);
        oal::alSourcef(source, AL_PITCH, pitch);
        oal::alSource3f(source, AL_POSITION, x, y, z);
    }
    return source;
}

// The device is closed by life's destructor; the kept music goes with
// gxtkAudio's destructor (audio/music.cpp).
gxtkAudio::gxtkAudio() { life.Start(); }

// ---------------------------------------------------------------------------
// The channel model
// ---------------------------------------------------------------------------

double gxtkAudio::PlayClock() const {
    return (suspended ? suspendedAt : gxtkAudioClock()) - suspendedFor;
}

double gxtkAudio::Position(const gxtkChannel& chan) const {
    if (chan.state != State::kPlaying) return chan.offset;
    return chan.offset + (PlayClock() - chan.since) * chan.pitch;
}

bool gxtkAudio::Ended(const gxtkChannel& chan) const {
    if (chan.state != State::kPlaying) return false;
    if (!chan.sample) return &chan != &channels[kMusicChannel] || awaitedMusic.Empty();
    if (chan.sample->seconds <= 0) return true;
    return !chan.flags && Position(chan) >= chan.sample->seconds;
}

void gxtkAudio::NoticeEnd(gxtkChannel& chan) {
    chan.state = State::kStopped;
    chan.offset = 0;
    // OpenAL may still be mixing the last moments: let it agree.
    if (alcContext && chan.source) oal::alSourceStop(chan.source);
}

gxtkChannel* gxtkAudio::Channel(int channel) {
    return channel >= 0 && channel < kChannels ? &channels[channel] : nullptr;
}

void gxtkAudio::mark() {
    for (gxtkChannel& chan : channels) {
        if (chan.state != State::kStopped && !Ended(chan)) {
            gc_mark_q(chan.sample);
        } else {
            // A channel that has stopped only plays again through PlaySample,
            // which brings its own sample: the old one may go.
            chan.sample = nullptr;
        }
    }
    gc_mark_q(music);
}

void gxtkAudio::StartSource(gxtkChannel& chan) {
    ALuint source = chan.AL_Source();
    oal::alSourceStop(source);
    oal::alSourcei(source, AL_BUFFER, static_cast<ALint>(chan.sample->buffer));
    oal::alSourcei(source, AL_LOOPING, chan.flags ? AL_TRUE : AL_FALSE);
    double at = Position(chan);
    if (chan.flags && chan.sample->seconds > 0) at = std::fmod(at, chan.sample->seconds);
    oal::alSourcef(source, AL_SEC_OFFSET, static_cast<float>(at));
    // A paused source waits, with its place set, for ResumeChannel or Resume.
    if (chan.state == State::kPlaying && !suspended) oal::alSourcePlay(source);
}

void gxtkAudio::Replay(gxtkSample* sample) {
    for (gxtkChannel& chan : channels) {
        if (chan.sample == sample && chan.state != State::kStopped && !Ended(chan)) StartSource(chan);
    }
}

// ---------------------------------------------------------------------------
// Samples
// ---------------------------------------------------------------------------

gxtkSample* gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, String path) {
    BBGame* host = BBGame::_game;
    if (!host || !sample) return nullptr;
    Pcm pcm{};
    pcm.data = host->LoadAudioData(path, &pcm.length, &pcm.channels, &pcm.bytesPerSample, &pcm.hertz);
    if (!pcm.data) return nullptr;
    return UploadSamples(sample, pcm, path) ? sample : nullptr;
}

gxtkSample* gxtkAudio::LoadSample(String path) {
    FlushDiscarded(this);
    // Loading happens behind the loading screen: a good moment to upload
    // music decoded ahead.
    TakeFinishedMusic();
    return LoadSample__UNSAFE__(new gxtkSample(), path);
}

// ---------------------------------------------------------------------------
// Channels
// ---------------------------------------------------------------------------

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || !sample) return 0;
    FlushDiscarded(this);
    gc_assign(chan->sample, sample);
    chan->flags = flags;
    chan->state = State::kPlaying;
    chan->offset = 0;
    chan->since = PlayClock();
    if (!alcContext) return 0;
    ALuint source = chan->AL_Source();
    oal::alSourceStop(source);
    oal::alSourcei(source, AL_BUFFER, static_cast<ALint>(sample->buffer));
    oal::alSourcei(source, AL_LOOPING, flags ? AL_TRUE : AL_FALSE);
    oal::alSourcePlay(source);
    return 0;
}

int gxtkAudio::StopChannel(int channel) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || chan->state == State::kStopped) return 0;
    chan->state = State::kStopped;
    chan->offset = 0;
    if (alcContext) oal::alSourceStop(chan->AL_Source());
    return 0;
}

int gxtkAudio::PauseChannel(int channel) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || chan->state != State::kPlaying) return 0;
    if (Ended(*chan)) {
        NoticeEnd(*chan);  // a one-shot sound that already ended
        return 0;
    }
    chan->offset = Position(*chan);
    chan->state = State::kPaused;
    if (alcContext) oal::alSourcePause(chan->AL_Source());
    return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || chan->state != State::kPaused) return 0;
    chan->state = State::kPlaying;
    chan->since = PlayClock();
    if (alcContext) oal::alSourcePlay(chan->AL_Source());
    return 0;
}

int gxtkAudio::ChannelState(int channel) {
    gxtkChannel* chan = Channel(channel);
    if (!chan) return static_cast<int>(State::kStopped);
    if (Ended(*chan)) NoticeEnd(*chan);
    return static_cast<int>(chan->state);
}

// OpenAL refuses negative gains and pitches and non-finite positions, keeping
// the value it had: so does the model.
int gxtkAudio::SetVolume(int channel, float volume) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || !(volume >= 0)) return 0;
    chan->gain = volume;
    if (alcContext) oal::alSourcef(chan->AL_Source(), AL_GAIN, volume);
    return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || !std::isfinite(pan)) return 0;
    chan->x = std::sin(pan);
    chan->y = 0;
    chan->z = -std::cos(pan);
    if (alcContext) oal::alSource3f(chan->AL_Source(), AL_POSITION, chan->x, chan->y, chan->z);
    return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || !(rate >= 0)) return 0;
    // The sound got this far at the old rate.
    if (chan->state == State::kPlaying) {
        double now = PlayClock();
        chan->offset += (now - chan->since) * chan->pitch;
        chan->since = now;
    }
    chan->pitch = rate;
    if (alcContext) oal::alSourcef(chan->AL_Source(), AL_PITCH, rate);
    return 0;
}

// ---------------------------------------------------------------------------
// The application's suspension
// ---------------------------------------------------------------------------

int gxtkAudio::Suspend() {
    if (!suspended) {
        suspended = true;
        suspendedAt = gxtkAudioClock();
    }
    if (!alcContext) return 0;
    for (gxtkChannel& chan : channels) {
        if (chan.state == State::kPlaying && chan.source && oal::SourceState(chan.source) == AL_PLAYING) {
            oal::alSourcePause(chan.source);
        }
    }
    return 0;
}

int gxtkAudio::Resume() {
    if (suspended) {
        suspended = false;
        suspendedFor += gxtkAudioClock() - suspendedAt;
    }
    if (!alcContext) return 0;
    // Paused for the suspension, or set up while it lasted (StartSource).
    for (gxtkChannel& chan : channels) {
        if (chan.state != State::kPlaying || !chan.source || Ended(chan)) continue;
        ALint state = oal::SourceState(chan.source);
        if (state == AL_PAUSED || state == AL_INITIAL) oal::alSourcePlay(chan.source);
    }
    return 0;
}
