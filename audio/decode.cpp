// audio/decode.cpp - BBGame::LoadAudioData: picking the decoder for a file.
#include "audio/decode.h"

#include "host/game.h"

AudioDecoder AudioDecoderFor(const String& path) {
    String name = path.ToLower();
    if (name.EndsWith(String(".wav"))) return LoadWAV;
    if (name.EndsWith(String(".ogg"))) return LoadOGG;
    return nullptr;
}

unsigned char* BBGame::LoadAudioData(String path, int* length, int* channels, int* format, int* hertz) {
    FILE* f = OpenFile(path, String("rb"));
    if (!f) return nullptr;
    AudioDecoder decode = AudioDecoderFor(path);
    unsigned char* samples = decode ? decode(f, length, channels, format, hertz) : nullptr;
    std::fclose(f);
    return samples;
}
