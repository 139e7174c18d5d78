// game/sound.cpp - sound effects on a rotation of 24 channels and the streamed tune.
//
// The sound mode (option 5) gates both: 0 off, 1 effects and music, 2 effects
// only, 3 music only.
#include "game/myapp.h"

namespace {

const int kEffectChannels = 24;

bool effects_audible(int mode) { return static_cast<unsigned>(mode - 1) <= 1; }
bool music_audible(int mode) { return (mode & ~2) == 1; }

}  // namespace

int c_MyApp::p_PlaySFX(int id, float rate, float volume, float pan) {
    if (!effects_audible(SoundMode())) return 0;
    m_SfxChan = (m_SfxChan + 1) % kEffectChannels;
    if (m_SfxChan < 0 || m_SfxChan > 31) m_SfxChan = 0;
    int channel = m_SfxChannels[m_SfxChan];
    // The oldest effect on this channel is cut, so at most 24 overlap.
    bb_audio_StopChannel(channel);
    if (id >= 0 && id < kSlots && m_Sfx[id] && m_Sfx[id]->m_sample) bb_audio_PlaySound(m_Sfx[id], channel, 0);
    bb_audio_SetChannelRate(channel, rate);
    bb_audio_SetChannelVolume(channel, volume);
    bb_audio_SetChannelPan(channel, pan);
    return 0;
}

int c_MyApp::p_PlaySFX2(int id, float volume) { return p_PlaySFX(id, 1.0f, volume, 0.0f); }

int c_MyApp::p_PlayTune(String name, int flags) {
    String path = String("sfx/") + name + String(".ogg");
    if (m_TunePlaying) {
        bb_audio_StopMusic();
        m_TunePlaying = 0;
    }
    if (music_audible(SoundMode())) {
        bb_audio_PlayMusic(path, flags);
        m_TunePlaying = 1;
    }
    return 0;
}

int c_MyApp::p_StopTune() {
    bb_audio_StopMusic();
    m_TunePlaying = 0;
    return 0;
}
