// audio/decode.cpp - decoding sound files for samples.
#include "host/glfwgame.h"

unsigned char* BBGlfwGame::LoadAudioData(String, int*, int*, int*, int*) { return nullptr; }
