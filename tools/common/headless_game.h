// tools/common/headless_game.h - the whole game started as the framework
// would, without a window, for the benchmark programs.
//
// Sound goes to OpenAL's null backend and OpenGL calls without a context do
// nothing, so only the game's own work and memory are measured. The working
// directory becomes the build folder, where the game finds data/.
#ifndef LANTERN_TOOLS_COMMON_HEADLESS_GAME_H
#define LANTERN_TOOLS_COMMON_HEADLESS_GAME_H

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "game/globals.h"
#include "game/myapp.h"
#include "host/desktop.h"
#include "host/startup.h"

// This process's resident memory (VmRSS), KiB, or -1.
inline long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// One render, as the host runs it.
inline void HeadlessRender(c_MyApp* app) {
    bb_graphics_device->BeginRender();
    bb_graphics_BeginRender();
    app->p_OnRender();
    bb_graphics_EndRender();
    bb_graphics_device->EndRender();
}

// Creates the collector, the globals and the application on `host`, starts
// the game and gives the device the size the game fits its screen to; the
// caller runs the frames that load the art. The game reads data/ from the
// working directory and writes its state file there.
inline c_MyApp* StartHeadlessGameOn(BBGlfwGame* host, int deviceW, int deviceH) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    gc_init();
    bbInit();
    gc_mark();
    c_MyApp* app = (new c_MyApp())->m_new();
    host->StartGame();
    bb_graphics_device->width = deviceW;
    bb_graphics_device->height = deviceH;
    return app;
}

// As above, on a new host, in the build folder, where the game finds data/.
inline c_MyApp* StartHeadlessGame(BBGlfwGame** host, int deviceW, int deviceH) {
    std::string data = LANTERN_DATA_PATH;
    if (chdir(data.substr(0, data.rfind('/')).c_str()) != 0) std::abort();
    *host = new BBDesktopGame();
    return StartHeadlessGameOn(*host, deviceW, deviceH);
}

#endif
