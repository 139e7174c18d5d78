// host/framework.cpp - initial values of the framework modules' globals.
#include "audio/audio.h"
#include "graphics/graphics.h"
#include "host/app.h"
#include "host/startup.h"
#include "input/device.h"
#include "support/asyncevent.h"
#include "support/random.h"

void bb_framework_init() {
    bb_app_init();
    bb_graphics_init();
    bb_audio_init();
    bb_input_init();
    bb_asyncevent_init();
    bb_random_init();
}
