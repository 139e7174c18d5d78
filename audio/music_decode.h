// audio/music_decode.h - decoding a whole sound file on a worker thread.
//
// Decoding the background tune takes tens of milliseconds, several updates'
// worth. The audio device starts a MusicDecode while the loading screen runs
// and uploads the result to OpenAL later, on the main thread; by the time the
// tune is played it only has to be started.
//
// Threads: the worker only runs the decoder on the FILE it was given (plain C
// I/O and libvorbisfile: no String, no collected object, no OpenAL) and then
// closes the file. Everything else, Take included, belongs to the main thread.
// The result is handed over through the finished flag and the join in Take.
//
// Lifetime: the destructor waits for the worker and frees a result nobody
// took. Decodes still running when the program ends normally are waited for
// then (see music_decode.cpp), or earlier by WaitForMusicDecodes; a process
// that ends through _exit takes its threads with it, with nothing left to
// clean up.
#ifndef LANTERN_AUDIO_MUSIC_DECODE_H
#define LANTERN_AUDIO_MUSIC_DECODE_H

#include <sys/types.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "audio/decode.h"

// Which file a path named when it was read: a replaced or rewritten file has
// another identity, a missing one none.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;  // nanoseconds since the epoch

    bool operator==(const FileIdentity& o) const {
        return device == o.device && inode == o.inode && size == o.size && modified == o.modified;
    }
    bool operator!=(const FileIdentity& o) const { return !(*this == o); }
};

// The identity of an open file; false when it cannot be asked.
bool IdentifyFile(FILE* f, FileIdentity* id);
// The identity of the file `path` names now, opened through the game's host;
// false when it cannot be opened or asked. Given `file`, a file whose identity
// is known is left open there for the caller to close; otherwise it is closed.
bool IdentifyPath(const String& path, FILE** file, FileIdentity* id);

// Waits for every decode still running to finish; their results stay for
// Take. Main thread only.
void WaitForMusicDecodes();

class MusicDecode {
public:
    // Starts decoding; takes ownership of `file`, which the worker closes.
    MusicDecode(FILE* file, AudioDecoder decoder);
    ~MusicDecode();
    MusicDecode(const MusicDecode&) = delete;
    MusicDecode& operator=(const MusicDecode&) = delete;

    // True once the worker has finished (Take will not wait).
    bool Done() const { return done_.load(std::memory_order_acquire); }
    // Waits for the worker and hands over its result: the decoder's malloc'd
    // samples (the caller frees them) with their layout, or null when the
    // file could not be decoded. A second Take gives null.
    unsigned char* Take(int* length, int* channels, int* format, int* hertz);

private:
    void Run();

    FILE* file_;
    AudioDecoder decoder_;
    unsigned char* samples_ = nullptr;  // written by the worker before done_
    int length_ = 0, channels_ = 0, format_ = 0, hertz_ = 0;
    std::atomic<bool> done_{false};
    std::thread worker_;
};

#endif
