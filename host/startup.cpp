// host/startup.cpp - the runtime side of start-up, shared by every host.
#include "host/startup.h"

#include "runtime/error.h"
#include "runtime/gc.h"

int bb_std_main(int, const char**) {
    dbg_install_signal_handlers();
    gc_init();
    bbInit();
    gc_mark();
    bbMain();
    return 0;
}
