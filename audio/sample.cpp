// audio/sample.cpp - gxtkSample, the ledger of live samples, uploading
// decoded samples and the deferred deletion of buffers.
#include "audio/sample.h"

#include <climits>
#include <cstdlib>

#include "audio/device.h"
#include "audio/openal.h"

SampleLedger& Samples() {
    static SampleLedger ledger;
    return ledger;
}

int DiscardedBufferCount() { return static_cast<int>(Samples().discarded.size()); }
int gxtkLiveSamples() { return Samples().count; }
int64_t gxtkSampleNativeBytes() { return Samples().nativeBytes; }

namespace {

bool device_open() { return Samples().device && Samples().device->IsOpen(); }

// The OpenAL format for bytes per sample and channel count; 0 (which OpenAL
// rejects, leaving a silent buffer) for anything but 8/16-bit mono/stereo.
ALenum al_format(int bytesPerSample, int channels) {
    if (bytesPerSample == 1 && channels == 1) return AL_FORMAT_MONO8;
    if (bytesPerSample == 1 && channels == 2) return AL_FORMAT_STEREO8;
    if (bytesPerSample == 2 && channels == 1) return AL_FORMAT_MONO16;
    if (bytesPerSample == 2 && channels == 2) return AL_FORMAT_STEREO16;
    return 0;
}

// Queues the sample's buffer, gives its bytes back and tells the device not
// to read it again: what Discard and a new upload have in common.
void give_up_samples(gxtkSample* sample) {
    if (sample->buffer) {
        Samples().discarded.push_back(sample->buffer);
        sample->buffer = 0;
    }
    if (DeviceLife* device = Samples().device) device->Forget(sample);
    Samples().nativeBytes -= sample->bytes;
    gc_external_free(sample->bytes);
    sample->bytes = 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Samples
// ---------------------------------------------------------------------------

gxtkSample::gxtkSample() : gxtkSample(0) {}

gxtkSample::gxtkSample(unsigned int buffer) : buffer(buffer) {
    SampleLedger& samples = Samples();
    ++samples.count;
    prevLive = samples.last;
    (samples.last ? samples.last->nextLive : samples.first) = this;
    samples.last = this;
}

gxtkSample::~gxtkSample() {
    Discard();
    SampleLedger& samples = Samples();
    (prevLive ? prevLive->nextLive : samples.first) = nextLive;
    (nextLive ? nextLive->prevLive : samples.last) = prevLive;
    // The collector destroys samples some time after they were dropped, not
    // at a moment when the device happens to load or play: give the buffer
    // back now if no source holds it.
    if (samples.device && !samples.discarded.empty()) FlushDiscarded(&samples.device->Audio());
    --samples.count;
}

int gxtkSample::Discard() {
    give_up_samples(this);
    reload = false;
    path = String();
    return 0;
}

// ---------------------------------------------------------------------------
// Uploading
// ---------------------------------------------------------------------------

bool Pcm::Valid() const {
    return data && length >= 0 && channels >= 0 && bytesPerSample >= 0 && Bytes() <= INT_MAX;
}

unsigned int MakeBuffer(const Pcm& pcm) {
    if (!device_open()) return 0;
    ALuint name = 0;
    oal::alGenBuffers(1, &name);
    oal::alBufferData(name, al_format(pcm.bytesPerSample, pcm.channels), pcm.data, static_cast<ALsizei>(pcm.Bytes()),
                      pcm.hertz);
    return name;
}

bool UploadSamples(gxtkSample* sample, Pcm pcm, const String& path) {
    if (!pcm.Valid()) {
        std::free(pcm.data);
        return false;
    }
    // A sample loaded again lets its earlier samples go first.
    give_up_samples(sample);
    sample->path = path;
    ALuint name = MakeBuffer(pcm);
    std::free(pcm.data);
    sample->SetBuffer(name);
    sample->reload = name == 0 && !sample->path.Empty();
    // What OpenAL would play: nothing of a format it rejects.
    bool playable = al_format(pcm.bytesPerSample, pcm.channels) != 0 && pcm.hertz > 0;
    sample->seconds = playable ? static_cast<double>(pcm.length) / pcm.hertz : 0;
    sample->bytes = pcm.Bytes();
    Samples().nativeBytes += sample->bytes;
    gc_external_alloc(sample, sample->bytes);
    return true;
}

// ---------------------------------------------------------------------------
// Deferred buffer deletion
// ---------------------------------------------------------------------------

void FlushDiscarded(gxtkAudio* audio) {
    std::vector<unsigned int>& names = Samples().discarded;
    if (names.empty() || !audio->alcContext) return;
    for (gxtkChannel& chan : audio->channels) {
        if (chan.state != gxtkChannel::State::kStopped && chan.source && oal::SourceState(chan.source) == AL_STOPPED) {
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
