// graphics/image_data.cpp - decoding image files for surfaces.
#include "host/glfwgame.h"

unsigned char* BBGlfwGame::LoadImageData(String, int*, int*, int*) { return nullptr; }
