// audio/device.cpp - gxtkAudio, gxtkSample, the deferred buffer deletion and the kept music.
#include "audio/device.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "audio/music_decode.h"
#include "host/glfwgame.h"
#include "runtime/error.h"

// What the device knows about its kept music (gxtkAudio::music).
struct PreparedMusic {
    String path;                          // path of the kept music or of the pending decode; empty: none
    FileIdentity file;                    // that file when it was opened
    std::unique_ptr<MusicDecode> decode;  // decode still to be uploaded, or null
};

namespace {

// The device whose sources may hold buffers: a destroyed sample asks it to
// delete what no source holds any more.
gxtkAudio* open_device;
int live_samples;
int64_t sample_native_bytes;  // buffers of samples not yet destroyed (bytes)

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

// The identity of the file a path names now; false when it cannot be opened.
bool identify_path(const String& path, FileIdentity* id) {
    BBGlfwGame* host = BBGlfwGame::_glfwGame;
    FILE* f = host ? host->OpenFile(path, String("rb")) : nullptr;
    if (!f) return false;
    bool known = IdentifyFile(f, id);
    std::fclose(f);
    return known;
}

// Puts decoded samples (malloc'd, freed here) into a new buffer of `sample`.
bool upload_samples(gxtkSample* sample, unsigned char* data, int length, int chans, int bytesPerSample, int hertz) {
    long long bytes = static_cast<long long>(length) * chans * bytesPerSample;
    if (length < 0 || chans < 0 || bytesPerSample < 0 || bytes > INT_MAX) {
        std::free(data);
        return false;
    }
    ALuint name = 0;
    alGenBuffers(1, &name);
    alBufferData(name, al_format(bytesPerSample, chans), data, static_cast<ALsizei>(bytes), hertz);
    std::free(data);
    sample->SetBuffer(name);
    sample->bytes = bytes;
    sample_native_bytes += bytes;
    gc_external_alloc(sample, bytes);
    return true;
}

}  // namespace

int DiscardedBufferCount() { return static_cast<int>(discarded().size()); }
int gxtkLiveSamples() { return live_samples; }
int64_t gxtkSampleNativeBytes() { return sample_native_bytes; }

// ---------------------------------------------------------------------------
// Samples and channels
// ---------------------------------------------------------------------------

gxtkSample::gxtkSample() { ++live_samples; }

gxtkSample::gxtkSample(unsigned int buffer) : buffer(buffer) { ++live_samples; }

gxtkSample::~gxtkSample() {
    Discard();
    // The collector destroys samples some time after they were dropped, not
    // at a moment when the device happens to load or play: give the buffer
    // back now if no source holds it.
    if (open_device && !discarded().empty()) FlushDiscarded(open_device);
    --live_samples;
}

int gxtkSample::Discard() {
    if (buffer) {
        discarded().push_back(buffer);
        buffer = 0;
    }
    sample_native_bytes -= bytes;
    gc_external_free(bytes);
    bytes = 0;
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
    open_device = this;
}

gxtkAudio::~gxtkAudio() {
    if (open_device == this) open_device = nullptr;
    delete prepared;
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
    gc_mark_q(music);
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
    return upload_samples(sample, data, length, chans, bytesPerSample, hertz) ? sample : nullptr;
}

gxtkSample* gxtkAudio::LoadSample(String path) {
    FlushDiscarded(this);
    // Loading happens behind the loading screen: a good moment to upload
    // music decoded ahead.
    if (prepared && prepared->decode && prepared->decode->Done()) FinishPreparedMusic();
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
    gxtkSample* sample = KeptMusic(path);
    if (!sample) {
        FileIdentity file;
        bool known = identify_path(path, &file);
        sample = LoadSample(path);
        if (!sample) return -1;
        ForgetMusic();
        if (known) {
            Prepared().path = path;
            Prepared().file = file;
            gc_assign(music, sample);
        }
    }
    // PlaySample stops the source and starts it again: from the beginning.
    PlaySample(sample, kMusicChannel, flags);
    return 0;
}

int gxtkAudio::PrepareMusic(String path) {
    PreparedMusic& p = Prepared();
    if (p.decode && p.decode->Done()) FinishPreparedMusic();
    BBGlfwGame* host = BBGlfwGame::_glfwGame;
    FILE* f = host ? host->OpenFile(path, String("rb")) : nullptr;
    if (!f) return -1;
    AudioDecoder decoder = AudioDecoderFor(path);
    FileIdentity file;
    if (!decoder || !IdentifyFile(f, &file)) {
        std::fclose(f);
        return -1;
    }
    if (p.path == path && p.file == file && (p.decode || music)) {
        std::fclose(f);
        return 0;
    }
    ForgetMusic();
    p.path = path;
    p.file = file;
    p.decode.reset(new MusicDecode(f, decoder));
    return 0;
}

PreparedMusic& gxtkAudio::Prepared() {
    if (!prepared) prepared = new PreparedMusic();
    return *prepared;
}

gxtkSample* gxtkAudio::KeptMusic(const String& path) {
    PreparedMusic& p = Prepared();
    if (p.path.Empty() || !(p.path == path)) return nullptr;
    FileIdentity now;
    if (!identify_path(path, &now) || now != p.file) {
        // Replaced or gone since it was read: load it as if new.
        ForgetMusic();
        return nullptr;
    }
    if (p.decode) FinishPreparedMusic();
    return music;
}

void gxtkAudio::FinishPreparedMusic() {
    PreparedMusic& p = Prepared();
    int length = 0, chans = 0, bytesPerSample = 0, hertz = 0;
    unsigned char* data = p.decode ? p.decode->Take(&length, &chans, &bytesPerSample, &hertz) : nullptr;
    p.decode.reset();
    gxtkSample* sample = nullptr;
    if (data) {
        sample = new gxtkSample();
        if (!upload_samples(sample, data, length, chans, bytesPerSample, hertz)) sample = nullptr;
    }
    gc_assign(music, sample);
    // A file that did not decode is not kept: PlayMusic tries it afresh.
    if (!sample) p.path = String();
}

void gxtkAudio::ForgetMusic() {
    PreparedMusic& p = Prepared();
    p.decode.reset();  // waits for a worker still decoding
    p.path = String();
    gc_assign(music, nullptr);
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
