// game/program.cpp - the program's initialisation and main function.
#include "game/globals.h"
#include "game/myapp.h"
#include "host/startup.h"

int bbInit() {
    bb_framework_init();
    bb_Zanth_init();
    return 0;
}

int bbMain() {
    (new c_MyApp())->m_new();
    return 0;
}
