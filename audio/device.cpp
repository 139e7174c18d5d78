// audio/device.cpp - gxtkAudio, gxtkSample, the deferred buffer deletion, the
// kept music, the channel model and keeping a device open.
#include "audio/device.h"


#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "audio/device_open.h"
#include "audio/music_decode.h"
#include "audio/openal.h"
#include "host/game.h"
#include "runtime/error.h"

// ALC_EXT_disconnect's query (AL/alext.h, which not every OpenAL ships).
#ifndef ALC_CONNECTED
#define ALC_CONNECTED 0x313
#endif

// What the device knows about its kept music (gxtkAudio::music).
struct PreparedMusic {
    String path;                          // path of the kept music or of the pending decode; empty: none
    FileIdentity file;                    // that file when it was opened
    std::unique_ptr<MusicDecode> decode;  // decode still to be uploaded, or null
};

using State = gxtkChannel::State;

namespace {

double steady_seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The device whose sources may hold buffers: a destroyed sample asks it to
// delete what no source holds any more.
gxtkAudio* open_device;
int live_samples;
int64_t sample_native_bytes;  // decoded samples of samples not yet destroyed (bytes)
gxtkSample* first_live;       // the list of live samples (gxtkSample::prevLive/nextLive)
gxtkSample* last_live;

// Buffer names of discarded or collected samples, oldest first, still to be
// deleted.
std::vector<ALuint>& discarded() {
    static std::vector<ALuint> names;
    return names;
}

bool device_open() { return open_device && open_device->alcContext; }

ALint source_state(ALuint source) {
    ALint state = AL_STOPPED;
    if (source) oal::alGetSourcei(source, AL_SOURCE_STATE, &state);
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
bool identify_path(const String& path, FILE** file, FileIdentity* id) {
    BBGame* host = BBGame::_game;
    FILE* f = host ? host->OpenFile(path, String("rb")) : nullptr;
    if (!f) return false;
    bool known = IdentifyFile(f, id);
    if (file && known) {
        *file = f;
    } else {
        std::fclose(f);
    }
    return known;
}

bool identify_path(const String& path, FileIdentity* id) { return identify_path(path, nullptr, id); }

// Decoded samples and their layout.
struct Pcm {
    unsigned char* data;  // malloc'd
    int length, channels, bytesPerSample, hertz;
    long long Bytes() const { return static_cast<long long>(length) * channels * bytesPerSample; }
    bool Valid() const {
        return data && length >= 0 && channels >= 0 && bytesPerSample >= 0 && Bytes() <= INT_MAX;
    }
};

// A new buffer of the open device holding `pcm`; 0 without a device.
ALuint make_buffer(const Pcm& pcm) {
    if (!device_open()) return 0;
    ALuint name = 0;
    oal::alGenBuffers(1, &name);
    oal::alBufferData(name, al_format(pcm.bytesPerSample, pcm.channels), pcm.data, static_cast<ALsizei>(pcm.Bytes()),
                      pcm.hertz);
    return name;
}

// Puts decoded samples (freed here) into a new buffer of `sample`; without a
// device the sample only learns its length and waits for one.
bool upload_samples(gxtkSample* sample, Pcm pcm) {
    if (!pcm.Valid()) {
        std::free(pcm.data);
        return false;
    }
    ALuint name = make_buffer(pcm);
    std::free(pcm.data);
    sample->SetBuffer(name);
    sample->reload = name == 0 && !sample->path.Empty();
    // What OpenAL would play: nothing of a format it rejects.
    bool playable = al_format(pcm.bytesPerSample, pcm.channels) != 0 && pcm.hertz > 0;
    sample->seconds = playable ? static_cast<double>(pcm.length) / pcm.hertz : 0;
    sample->bytes = pcm.Bytes();
    sample_native_bytes += sample->bytes;
    gc_external_alloc(sample, sample->bytes);
    return true;
}

// The attempt to open a device that is under way, if any.
std::unique_ptr<DeviceAttempt>& attempt() {
    static std::unique_ptr<DeviceAttempt> running;
    return running;
}

// The sample being read again for a newly opened device, and its decode.
struct Reload {
    gxtkSample* sample = nullptr;  // null once it died or gave up its samples
    std::unique_ptr<MusicDecode> decode;
    bool active = false;  // samples are still being uploaded again
};

// Never destroyed: a decode still running when the program ends is the
// worker list's to wait for (audio/music_decode.cpp).
Reload& pending_reload() {
    static Reload* r = new Reload();
    return *r;
}

}  // namespace

double (*gxtkAudioClock)() = steady_seconds;

int DiscardedBufferCount() { return static_cast<int>(discarded().size()); }
int gxtkLiveSamples() { return live_samples; }
int64_t gxtkSampleNativeBytes() { return sample_native_bytes; }

// ---------------------------------------------------------------------------
// Samples and channels
// ---------------------------------------------------------------------------

gxtkSample::gxtkSample() : gxtkSample(0) {}

gxtkSample::gxtkSample(unsigned int buffer) : buffer(buffer) {
    ++live_samples;
    prevLive = last_live;
    (last_live ? last_live->nextLive : first_live) = this;
    last_live = this;
}

gxtkSample::~gxtkSample() {
    Discard();
    if (pending_reload().sample == this) pending_reload().sample = nullptr;
    (prevLive ? prevLive->nextLive : first_live) = nextLive;
    (nextLive ? nextLive->prevLive : last_live) = prevLive;
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
    reload = false;
    path = String();
    if (pending_reload().sample == this) pending_reload().sample = nullptr;
    sample_native_bytes -= bytes;
    gc_external_free(bytes);
    bytes = 0;
    return 0;
}

unsigned int gxtkChannel::AL_Source() {
    if (!source) {
        oal::alGenSources(1, &source);
        oal::alSourcef(source, AL_GAIN, gain);
        oal::alSourcef(source, AL_PITCH, pitch);
        oal::alSource3f(source, AL_POSITION, x, y, z);
    }
    return source;
}

// ---------------------------------------------------------------------------
// Opening the device
// ---------------------------------------------------------------------------

gxtkAudio::gxtkAudio() {
    open_device = this;
    Opened r = open_default_device();
    if (r.failure) {
        bbPrint(String("OpenAl error: ") + String(r.failure));
    } else if (!TakeOver(r.device, r.context)) {
        bbPrint(String("OpenAl error: alcMakeContextCurrent failed"));
    }
    nextCheck = gxtkAudioClock() + (alcContext ? kCheckSeconds : kRetrySeconds);
}

gxtkAudio::~gxtkAudio() {
    if (open_device == this) {
        CloseDevice();
        open_device = nullptr;
    }
    delete prepared;
}

bool gxtkAudio::TakeOver(ALCdevice* device, ALCcontext* context) {
    if (!oal::alcMakeContextCurrent(context)) {
        Opened r{device, context, nullptr};
        close_opened(&r);
        return false;
    }
    alcDevice = device;
    alcContext = context;
    detectsLoss = oal::alcIsExtensionPresent(device, "ALC_EXT_disconnect") == ALC_TRUE;
    // Sounds are placed by direction only (SetPan), never faded by distance.
    oal::alDistanceModel(AL_NONE);
    return true;
}

void gxtkAudio::CloseDevice() {
    Reload& r = pending_reload();
    r.decode.reset();
    if (r.sample) r.sample->reload = true;
    r.sample = nullptr;
    r.active = false;
    if (!alcContext) return;
    // Sources, buffers and names all belong to the device: delete them while
    // it is there, and mark every sample that has samples to upload again.
    for (gxtkChannel& chan : channels) {
        if (chan.source) oal::alDeleteSources(1, &chan.source);
        chan.source = 0;
    }
    for (gxtkSample* s = first_live; s; s = s->nextLive) {
        if (s->buffer) oal::alDeleteBuffers(1, &s->buffer);
        s->buffer = 0;
        if (s->bytes > 0 && !s->path.Empty()) s->reload = true;
    }
    for (ALuint name : discarded()) oal::alDeleteBuffers(1, &name);
    discarded().clear();
    // Closing joins the device's mixer thread: done here, deliberately,
    // rather than left to the end of the program.
    oal::alcMakeContextCurrent(nullptr);
    Opened open{alcDevice, alcContext, nullptr};
    close_opened(&open);
    alcDevice = nullptr;
    alcContext = nullptr;
}

void gxtkAudio::Disconnect() {
    CloseDevice();
    nextCheck = gxtkAudioClock();
}

void EndAudioThreads() {
    if (open_device) open_device->Disconnect();
    attempt().reset();
    WaitForMusicDecodes();
}

bool gxtkAudio::Restoring() const { return pending_reload().active; }

int gxtkAudio::Update() {
    if (!reconnects || open_device != this) return 0;
    if (pending_reload().active) StepRestore();
    std::unique_ptr<DeviceAttempt>& trying = attempt();
    if (trying && trying->Done()) {
        Opened r = trying->Take();
        trying.reset();
        if (r.device && TakeOver(r.device, r.context)) {
            bbPrint(String("OpenAl: audio device connected"));
            pending_reload().active = true;
        }
        nextCheck = gxtkAudioClock() + (alcContext ? kCheckSeconds : kRetrySeconds);
        return 0;
    }
    double now = gxtkAudioClock();
    if (trying || now < nextCheck) return 0;
    if (alcContext) {
        nextCheck = now + kCheckSeconds;
        ALCint connected = ALC_TRUE;
        if (detectsLoss) oal::alcGetIntegerv(alcDevice, ALC_CONNECTED, 1, &connected);
        if (connected) return 0;
        bbPrint(String("OpenAl error: audio device disconnected"));
        CloseDevice();
        // A server that went away on purpose is often back at once.
        nextCheck = now;
        return 0;
    }
    nextCheck = now + kRetrySeconds;
    trying.reset(new DeviceAttempt());
    return 0;
}

// ---------------------------------------------------------------------------
// Uploading the samples again
// ---------------------------------------------------------------------------

// The next sample still to upload: the music's first, then those of channels
// that still sound, then the rest.
static gxtkSample* next_to_reload(gxtkAudio* audio) {
    gxtkSample* music = audio->channels[gxtkAudio::kMusicChannel].sample;
    if (audio->channels[gxtkAudio::kMusicChannel].state != State::kStopped && music && music->reload) return music;
    for (gxtkChannel& chan : audio->channels) {
        if (chan.state != State::kStopped && chan.sample && chan.sample->reload) return chan.sample;
    }
    for (gxtkSample* s = first_live; s; s = s->nextLive) {
        if (s->reload) return s;
    }
    return nullptr;
}

void gxtkAudio::StepRestore() {
    Reload& r = pending_reload();
    if (r.decode) {
        if (!r.decode->Done()) return;
        Pcm pcm{};
        pcm.data = r.decode->Take(&pcm.length, &pcm.channels, &pcm.bytesPerSample, &pcm.hertz);
        r.decode.reset();
        gxtkSample* sample = r.sample;
        r.sample = nullptr;
        // A file that changed size since it was first read is not taken for
        // the same sound: its samples are not uploaded.
        if (sample && pcm.Valid() && pcm.Bytes() == sample->bytes) {
            sample->SetBuffer(make_buffer(pcm));
            for (gxtkChannel& chan : channels) {
                if (chan.sample == sample && chan.state != State::kStopped && !Ended(chan)) {
                    StartSource(chan);
                }
            }
        }
        std::free(pcm.data);
        return;  // at most one upload per update
    }
    gxtkSample* next = next_to_reload(this);
    if (!next) {
        r.active = false;
        return;
    }
    next->reload = false;
    FILE* f = nullptr;
    FileIdentity file;
    AudioDecoder decoder = AudioDecoderFor(next->path);
    if (!decoder || !identify_path(next->path, &f, &file)) return;  // gone: it stays silent
    r.sample = next;
    r.decode.reset(new MusicDecode(f, decoder));
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
    if (!chan.sample || chan.sample->seconds <= 0) return true;
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

// ---------------------------------------------------------------------------
// Deferred buffer deletion
// ---------------------------------------------------------------------------

void FlushDiscarded(gxtkAudio* audio) {
    std::vector<ALuint>& names = discarded();
    if (names.empty() || !audio->alcContext) return;
    for (gxtkChannel& chan : audio->channels) {
        if (chan.state != State::kStopped && chan.source && source_state(chan.source) == AL_STOPPED) {
            oal::alSourcei(chan.source, AL_BUFFER, 0);
        }
    }
    // Names that cannot be deleted yet (still attached to a source) are kept,
    // compacted in place: playing a sound never allocates.
    size_t kept = 0;
    for (ALuint name : names) {
        // An error left over from an earlier call must not pass for a failed
        // delete: a deleted name kept here could later delete a new buffer
        // that OpenAL hands out under the same name.
        oal::alGetError();
        oal::alDeleteBuffers(1, &name);
        if (oal::alGetError() != AL_NO_ERROR) names[kept++] = name;
    }
    names.resize(kept);
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
    sample->path = path;
    return upload_samples(sample, pcm) ? sample : nullptr;
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
    BBGame* host = BBGame::_game;
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
    Pcm pcm{};
    pcm.data = p.decode ? p.decode->Take(&pcm.length, &pcm.channels, &pcm.bytesPerSample, &pcm.hertz) : nullptr;
    p.decode.reset();
    gxtkSample* sample = nullptr;
    if (pcm.data) {
        sample = new gxtkSample();
        sample->path = p.path;
        if (!upload_samples(sample, pcm)) sample = nullptr;
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
    if (!suspended) {
        suspended = true;
        suspendedAt = gxtkAudioClock();
    }
    if (!alcContext) return 0;
    for (gxtkChannel& chan : channels) {
        if (chan.state == State::kPlaying && chan.source && source_state(chan.source) == AL_PLAYING) {
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
        ALint state = source_state(chan.source);
        if (state == AL_PAUSED || state == AL_INITIAL) oal::alSourcePlay(chan.source);
    }
    return 0;
}
