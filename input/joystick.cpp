// input/joystick.cpp - reading joysticks for the input device.
#include "host/glfwgame.h"

bool BBGlfwGame::PollJoystick(int, Array<float>, Array<float>, Array<float>, Array<bool>) { return false; }
