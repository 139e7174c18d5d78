// audio/audio.h - the audio module: the sound interface the game sees.
//
// A c_Sound wraps a loaded gxtkSample; module functions play sounds on
// channels 0-31, adjust channels, and play music on channel 32. Every call
// goes to the device in bb_audio_device (set once by the framework when the
// game starts, a collector root) after mapping file names with
// bb_data_FixDataPath, so "sfx/001.wav" is read from ./data/sfx/001.wav.
//
// The game's numbers are checked here: a channel outside 0-32 never reaches
// the device, and before the device exists every call does nothing. A sound
// whose file could not be loaded is null, and playing null plays nothing, so
// the game needs no special cases for missing files.
#ifndef LANTERN_AUDIO_AUDIO_H
#define LANTERN_AUDIO_AUDIO_H

#include "audio/device.h"

class c_Sound : public Object {
public:
    gxtkSample* m_sample = nullptr;  // may be null

    c_Sound* m_new(gxtkSample* sample);
    c_Sound* m_new2();
    void mark() override;
};

extern gxtkAudio* bb_audio_device;

int bb_audio_SetAudioDevice(gxtkAudio* device);
// Null when the file is missing or cannot be decoded (only ".wav" and ".ogg").
c_Sound* bb_audio_LoadSound(String path);
// Flags: 0 plays once, nonzero loops.
int bb_audio_PlaySound(c_Sound* sound, int channel, int flags);
int bb_audio_StopChannel(int channel);
int bb_audio_SetChannelVolume(int channel, float volume);
int bb_audio_SetChannelPan(int channel, float pan);
int bb_audio_SetChannelRate(int channel, float rate);
// 0 when the music started, -1 when its file did not load (music then stays stopped).
int bb_audio_PlayMusic(String path, int flags);
// Decodes a music file ahead, off the main thread, so that a later
// bb_audio_PlayMusic of it starts at once; 0, or -1 when the file cannot be
// opened or is of no known kind.
int bb_audio_PrepareMusic(String path);
// Uploads the music being prepared now, waiting for its decode if need be, so
// that its decoded copy is gone before the caller takes much memory. 0.
int bb_audio_FinishMusic();
int bb_audio_StopMusic();
int bb_audio_PauseMusic();
int bb_audio_ResumeMusic();

void bb_audio_init();

#endif
