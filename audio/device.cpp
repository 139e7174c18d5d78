// audio/device.cpp - gxtkAudio, gxtkSample and the deferred buffer deletion.
#include "audio/device.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "host/glfwgame.h"
#include "runtime/error.h"

namespace {

// Buffer names of discarded or collected samples, oldest first, still to be
// deleted.
std::vector<ALuint>& discarded() {
    static std::vector<ALuint> names;
    return names;
}

ALint source_state(ALuint source) {
    // Without a context OpenAL writes nothing: such a source counts as stopped.
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

// The OpenAL format for bytes per sample and channel count; 0 (which OpenAL
// rejects, leaving a silent buffer) for anything but 8/16-bit mono/stereo.
ALenum al_format(int bytesPerSample, int channels) {
    if (bytesPerSample == 1 && channels == 1) return AL_FORMAT_MONO8;
    if (bytesPerSample == 1 && channels == 2) return AL_FORMAT_STEREO8;
    if (bytesPerSample == 2 && channels == 1) return AL_FORMAT_MONO16;
    if (bytesPerSample == 2 && channels == 2) return AL_FORMAT_STEREO16;
    return 0;
}

}  // namespace

int DiscardedBufferCount() { return static_cast<int>(discarded().size()); }

// ---------------------------------------------------------------------------
// Samples and channels
// ---------------------------------------------------------------------------

gxtkSample::~gxtkSample() { Discard(); }

int gxtkSample::Discard() {
    if (buffer) {
        discarded().push_back(buffer);
        buffer = 0;
    }
    return 0;
}

unsigned int gxtkChannel::AL_Source() {
    if (!source) alGenSources(1, &source);
    return source;
}

// ---------------------------------------------------------------------------
// Opening the device
// ---------------------------------------------------------------------------

gxtkAudio::gxtkAudio() {
    alcDevice = alcOpenDevice(nullptr);
    if (!alcDevice) {
        bbPrint(String("OpenAl error: alcOpenDevice failed"));
    } else if (!(alcContext = alcCreateContext(alcDevice, nullptr))) {
        bbPrint(String("OpenAl error: alcCreateContext failed"));
    } else if (!alcMakeContextCurrent(alcContext)) {
        bbPrint(String("OpenAl error: alcMakeContextCurrent failed"));
    }
    // Sounds are placed by direction only (SetPan), never faded by distance.
    alDistanceModel(AL_NONE);
}

gxtkChannel* gxtkAudio::Channel(int channel) {
    return channel >= 0 && channel < kChannels ? &channels[channel] : nullptr;
}

void gxtkAudio::mark() {
    for (gxtkChannel& chan : channels) {
        if (chan.state != 0 && source_state(chan.source) != AL_STOPPED) {
            gc_mark_q(chan.sample);
        } else {
            // A stopped source only plays again through PlaySample, which
            // brings its own sample: the old one may go.
            chan.sample = nullptr;
        }
    }
}

// ---------------------------------------------------------------------------
// Deferred buffer deletion
// ---------------------------------------------------------------------------

void FlushDiscarded(gxtkAudio* audio) {
    std::vector<ALuint>& names = discarded();
    if (names.empty()) return;
    for (gxtkChannel& chan : audio->channels) {
        if (chan.state != 0 && source_state(chan.source) == AL_STOPPED) alSourcei(chan.source, AL_BUFFER, 0);
    }
    // Names that cannot be deleted yet (still attached to a source) are kept,
    // compacted in place: playing a sound never allocates.
    size_t kept = 0;
    for (ALuint name : names) {
        // An error left over from an earlier call must not pass for a failed
        // delete: a deleted name kept here could later delete a new buffer
        // that OpenAL hands out under the same name.
        alGetError();
        alDeleteBuffers(1, &name);
        if (alGetError() != AL_NO_ERROR) names[kept++] = name;
    }
    names.resize(kept);
}

// ---------------------------------------------------------------------------
// Samples
// ---------------------------------------------------------------------------

gxtkSample* gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, String path) {
    BBGlfwGame* host = BBGlfwGame::_glfwGame;
    if (!host || !sample) return nullptr;
    int length = 0, chans = 0, bytesPerSample = 0, hertz = 0;
    unsigned char* data = host->LoadAudioData(path, &length, &chans, &bytesPerSample, &hertz);
    if (!data) return nullptr;

    long long bytes = static_cast<long long>(length) * chans * bytesPerSample;
    if (length < 0 || chans < 0 || bytesPerSample < 0 || bytes > INT_MAX) {
        std::free(data);
        return nullptr;
    }
    ALuint name = 0;
    alGenBuffers(1, &name);
    alBufferData(name, al_format(bytesPerSample, chans), data, static_cast<ALsizei>(bytes), hertz);
    std::free(data);
    sample->SetBuffer(name);
    return sample;
}

gxtkSample* gxtkAudio::LoadSample(String path) {
    FlushDiscarded(this);
    return LoadSample__UNSAFE__(new gxtkSample(), path);
}

// ---------------------------------------------------------------------------
// Channels
// ---------------------------------------------------------------------------

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || !sample) return 0;
    FlushDiscarded(this);
    ALuint source = chan->AL_Source();
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(sample->buffer));
    alSourcei(source, AL_LOOPING, flags ? AL_TRUE : AL_FALSE);
    alSourcePlay(source);
    gc_assign(chan->sample, sample);
    chan->flags = flags;
    chan->state = 1;
    return 0;
}

int gxtkAudio::StopChannel(int channel) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || chan->state == 0) return 0;
    alSourceStop(chan->AL_Source());
    chan->state = 0;
    return 0;
}

int gxtkAudio::PauseChannel(int channel) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || chan->state != 1) return 0;
    ALuint source = chan->AL_Source();
    if (source_state(source) == AL_STOPPED) {
        chan->state = 0;  // a one-shot sound that already ended
    } else {
        alSourcePause(source);
        chan->state = 2;
    }
    return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
    gxtkChannel* chan = Channel(channel);
    if (!chan || chan->state != 2) return 0;
    alSourcePlay(chan->AL_Source());
    chan->state = 1;
    return 0;
}

int gxtkAudio::ChannelState(int channel) {
    gxtkChannel* chan = Channel(channel);
    if (!chan) return 0;
    if (chan->state == 1 && source_state(chan->AL_Source()) == AL_STOPPED) chan->state = 0;
    return chan->state;
}

int gxtkAudio::SetVolume(int channel, float volume) {
    if (gxtkChannel* chan = Channel(channel)) alSourcef(chan->AL_Source(), AL_GAIN, volume);
    return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
    if (gxtkChannel* chan = Channel(channel)) {
        alSource3f(chan->AL_Source(), AL_POSITION, std::sin(pan), 0.0f, -std::cos(pan));
    }
    return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
    if (gxtkChannel* chan = Channel(channel)) alSourcef(chan->AL_Source(), AL_PITCH, rate);
    return 0;
}

// ---------------------------------------------------------------------------
// Music and the application's suspension
// ---------------------------------------------------------------------------

int gxtkAudio::PlayMusic(String path, int flags) {
    StopMusic();
    gxtkSample* music = LoadSample(path);
    if (!music) return -1;
    PlaySample(music, kMusicChannel, flags);
    return 0;
}

int gxtkAudio::StopMusic() { return StopChannel(kMusicChannel); }
int gxtkAudio::PauseMusic() { return PauseChannel(kMusicChannel); }
int gxtkAudio::ResumeMusic() { return ResumeChannel(kMusicChannel); }
int gxtkAudio::MusicState() { return ChannelState(kMusicChannel); }
int gxtkAudio::SetMusicVolume(float volume) { return SetVolume(kMusicChannel, volume); }

int gxtkAudio::Suspend() {
    for (gxtkChannel& chan : channels) {
        if (chan.state == 1 && source_state(chan.source) == AL_PLAYING) alSourcePause(chan.source);
    }
    return 0;
}

int gxtkAudio::Resume() {
    for (gxtkChannel& chan : channels) {
        if (chan.state == 1 && source_state(chan.source) == AL_PAUSED) alSourcePlay(chan.source);
    }
    return 0;
}
