// audio/audio.cpp - c_Sound and the audio module's functions.
#include "audio/audio.h"

#include "host/files.h"

gxtkAudio* bb_audio_device;

namespace {

void mark_roots() { gc_mark_q(bb_audio_device); }

// The device, when there is one and `channel` is one of its channels.
gxtkAudio* device_for(int channel) {
    return channel >= 0 && channel < gxtkAudio::kChannels ? bb_audio_device : nullptr;
}

}  // namespace

void bb_audio_init() {
    gc_assign(bb_audio_device, nullptr);
    gc_add_roots(mark_roots);
}

// ---------------------------------------------------------------------------
// c_Sound
// ---------------------------------------------------------------------------

c_Sound* c_Sound::m_new(gxtkSample* sample) {
    gc_assign(m_sample, sample);
    return this;
}

c_Sound* c_Sound::m_new2() { return this; }

void c_Sound::mark() { gc_mark_q(m_sample); }

// ---------------------------------------------------------------------------
// Module functions
// ---------------------------------------------------------------------------

int bb_audio_SetAudioDevice(gxtkAudio* device) {
    gc_assign(bb_audio_device, device);
    return 0;
}

c_Sound* bb_audio_LoadSound(String path) {
    if (!bb_audio_device) return nullptr;
    gxtkSample* sample = bb_audio_device->LoadSample(bb_data_FixDataPath(path));
    return sample ? (new c_Sound())->m_new(sample) : nullptr;
}

int bb_audio_PlaySound(c_Sound* sound, int channel, int flags) {
    gxtkAudio* device = device_for(channel);
    if (device && sound && sound->m_sample) device->PlaySample(sound->m_sample, channel, flags);
    return 0;
}

int bb_audio_StopChannel(int channel) {
    if (gxtkAudio* device = device_for(channel)) device->StopChannel(channel);
    return 0;
}

int bb_audio_SetChannelVolume(int channel, float volume) {
    if (gxtkAudio* device = device_for(channel)) device->SetVolume(channel, volume);
    return 0;
}

int bb_audio_SetChannelPan(int channel, float pan) {
    if (gxtkAudio* device = device_for(channel)) device->SetPan(channel, pan);
    return 0;
}

int bb_audio_SetChannelRate(int channel, float rate) {
    if (gxtkAudio* device = device_for(channel)) device->SetRate(channel, rate);
    return 0;
}

int bb_audio_PlayMusic(String path, int flags) {
    if (!bb_audio_device) return -1;
    return bb_audio_device->PlayMusic(bb_data_FixDataPath(path), flags);
}

int bb_audio_PrepareMusic(String path) {
    if (!bb_audio_device) return -1;
    return bb_audio_device->PrepareMusic(bb_data_FixDataPath(path));
}

int bb_audio_FinishMusic() { return bb_audio_device ? bb_audio_device->FinishMusic() : 0; }

int bb_audio_StopMusic() { return bb_audio_device ? bb_audio_device->StopMusic() : 0; }
int bb_audio_PauseMusic() { return bb_audio_device ? bb_audio_device->PauseMusic() : 0; }
int bb_audio_ResumeMusic() { return bb_audio_device ? bb_audio_device->ResumeMusic() : 0; }
