// audio/decode.cpp - BBGlfwGame::LoadAudioData: picking the decoder for a file.
#include "audio/decode.h"

#include "host/glfwgame.h"

unsigned char* BBGlfwGame::LoadAudioData(String path, int* length, int* channels, int* format, int* hertz) {
    FILE* f = OpenFile(path, String("rb"));
    if (!f) return nullptr;
    String name = path.ToLower();
    unsigned char* samples = nullptr;
    if (name.EndsWith(String(".wav"))) {
        samples = LoadWAV(f, length, channels, format, hertz);
    } else if (name.EndsWith(String(".ogg"))) {
        samples = LoadOGG(f, length, channels, format, hertz);
    }
    std::fclose(f);
    return samples;
}
