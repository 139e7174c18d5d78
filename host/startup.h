// host/startup.h - process start-up.
//
// Order: glfwInit; the host object; fatal-signal handlers; empty collector
// lists; bbInit (every module global gets its initial value); gc_mark; bbMain
// (creates the application object, which registers its delegate); then the
// host's Run opens the window and starts the game. The program itself
// supplies bbInit and bbMain; bb_framework_init sets the framework's globals
// and is the first thing bbInit does.
#ifndef LANTERN_HOST_STARTUP_H
#define LANTERN_HOST_STARTUP_H

int bb_std_main(int argc, const char** argv);
// Initial values of the framework modules' globals, in module order.
void bb_framework_init();

// Supplied by the program.
int bbInit();
int bbMain();

#endif
