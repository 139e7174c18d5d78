// audio/audio.h - the audio device and the audio module.
//
// gxtkAudio is created once by the framework when the game starts and paused
// and resumed with the application.
#ifndef VORLIN_AUDIO_AUDIO_H
#define VORLIN_AUDIO_AUDIO_H

#include "runtime/array.h"

class gxtkAudio : public Object {
public:
    virtual int Suspend() { return 0; }
    virtual int Resume() { return 0; }
};

extern gxtkAudio* bb_audio_device;

int bb_audio_SetAudioDevice(gxtkAudio* device);

void bb_audio_init();

#endif
