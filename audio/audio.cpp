// audio/audio.cpp - the audio module's globals.
#include "audio/audio.h"

gxtkAudio* bb_audio_device;

namespace {

void mark_roots() { gc_mark_q(bb_audio_device); }

}  // namespace

void bb_audio_init() {
    gc_assign(bb_audio_device, nullptr);
    gc_add_roots(mark_roots);
}

int bb_audio_SetAudioDevice(gxtkAudio* device) {
    gc_assign(bb_audio_device, device);
    return 0;
}
