// tools/fuzz/fuzz_wav.cpp - the WAV decoder on arbitrary bytes.
#include <climits>
#include <cstdlib>

#include "audio/decode.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    int length = -1, channels = -1, format = -1, hertz = -1;
    unsigned char* samples = LoadWAV(file.get(), &length, &channels, &format, &hertz);
    if (!samples) {
        // Out-parameters are written only on success.
        FuzzCheck(length == -1 && channels == -1 && format == -1 && hertz == -1);
        return 0;
    }
    FuzzCheck(length >= 0 && channels > 0 && format > 0 && hertz > 0);
    long long bytes = static_cast<long long>(length) * channels * format;
    FuzzCheck(bytes <= INT_MAX && bytes <= static_cast<long long>(size));
    ReadAll(samples, static_cast<size_t>(bytes));
    std::free(samples);
    return 0;
}
