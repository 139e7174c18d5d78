// audio/music.cpp - gxtkAudio's music on channel 32 and the kept music: the
// last tune played or prepared stays decoded, with the identity of its file,
// so that playing the same unchanged file again only restarts it
// (audio/device.h).
#include <memory>

#include "audio/device.h"
#include "audio/music_decode.h"
#include "host/game.h"

// What the device knows about its kept music (gxtkAudio::music).
struct PreparedMusic {
    String path;                          // path of the kept music or of the pending decode; empty: none
    FileIdentity file;                    // that file when it was opened
    std::unique_ptr<MusicDecode> decode;  // decode still to be uploaded, or null
};

gxtkAudio::~gxtkAudio() { delete prepared; }

int gxtkAudio::PlayMusic(String path, int flags) {
    StopMusic();
    awaitedMusic = String();
    gxtkSample* sample = KeptMusic(path);
    if (!sample && !BBGame::_game->FileReady(path)) {
        gxtkChannel& chan = channels[kMusicChannel];
        chan.sample = nullptr;
        chan.flags = flags;
        chan.state = State::kPlaying;
        chan.offset = 0;
        chan.since = PlayClock();
        awaitedMusic = path;
        return 0;
    }
    if (!sample) {
        FileIdentity file;
        bool known = IdentifyPath(path, nullptr, &file);
        sample = LoadSample(path);
        if (!sample) return -1;
        ForgetMusic();
        if (known) {
            Prepared().path = path;
            Prepared().file = file;
            gc_assign(music, sample);
        }
    }
    // PlaySample stops the source and starts it again: from the beginning.
    PlaySample(sample, kMusicChannel, flags);
    return 0;
}

int gxtkAudio::PrepareMusic(String path) {
    TakeFinishedMusic();
    PreparedMusic& p = Prepared();
    AudioDecoder decoder = AudioDecoderFor(path);
    FILE* f = nullptr;
    FileIdentity file;
    if (!decoder || !IdentifyPath(path, &f, &file)) return -1;
    if (p.path == path && p.file == file && (p.decode || music)) {
        std::fclose(f);  // under way or done already
        return 0;
    }
    ForgetMusic();
    p.path = path;
    p.file = file;
    p.decode.reset(new MusicDecode(f, decoder));
    return 0;
}

PreparedMusic& gxtkAudio::Prepared() {
    if (!prepared) prepared = new PreparedMusic();
    return *prepared;
}

gxtkSample* gxtkAudio::KeptMusic(const String& path) {
    PreparedMusic& p = Prepared();
    if (p.path.Empty() || !(p.path == path)) return nullptr;
    FileIdentity now;
    if (!IdentifyPath(path, nullptr, &now) || now != p.file) {
        // Replaced or gone since it was read: load it as if new.
        ForgetMusic();
        return nullptr;
    }
    if (p.decode) FinishPreparedMusic();
    return music;
}

int gxtkAudio::FinishMusic() {
    if (prepared && prepared->decode) FinishPreparedMusic();
    return 0;
}

void gxtkAudio::TakeFinishedMusic() {
    if (prepared && prepared->decode && prepared->decode->Done()) FinishPreparedMusic();
}

void gxtkAudio::FinishPreparedMusic() {
    PreparedMusic& p = Prepared();
    Pcm pcm{};
    pcm.data = p.decode ? p.decode->Take(&pcm.length, &pcm.channels, &pcm.bytesPerSample, &pcm.hertz) : nullptr;
    p.decode.reset();
    gxtkSample* sample = nullptr;
    if (pcm.data) {
        sample = new gxtkSample();
        if (!UploadSamples(sample, pcm, p.path)) sample = nullptr;
    }
    gc_assign(music, sample);
    // A file that did not decode is not kept: PlayMusic tries it afresh.
    if (!sample) p.path = String();
}

void gxtkAudio::ForgetMusic() {
    PreparedMusic& p = Prepared();
    p.decode.reset();  // waits for a worker still decoding
    p.path = String();
    gc_assign(music, nullptr);
}

void gxtkAudio::ArriveMusic() {
    if (awaitedMusic.Empty() || !BBGame::_game->FileReady(awaitedMusic)) return;
    String path = awaitedMusic;
    awaitedMusic = String();
    gxtkChannel& chan = channels[kMusicChannel];
    // Stopped meanwhile: it is loaded when it is played next.
    if (chan.state == State::kStopped || chan.sample) return;
    FileIdentity file;
    bool known = IdentifyPath(path, nullptr, &file);
    gxtkSample* sample = LoadSample(path);
    if (!sample) {
        chan.state = State::kStopped;
        chan.offset = 0;
        return;
    }
    ForgetMusic();
    if (known) {
        Prepared().path = path;
        Prepared().file = file;
        gc_assign(music, sample);
    }
    gc_assign(chan.sample, sample);
    if (Ended(chan)) {
        NoticeEnd(chan);
    } else if (alcContext) {
        StartSource(chan);
    }
}

int gxtkAudio::StopMusic() { return StopChannel(kMusicChannel); }
int gxtkAudio::PauseMusic() { return PauseChannel(kMusicChannel); }
int gxtkAudio::ResumeMusic() { return ResumeChannel(kMusicChannel); }
int gxtkAudio::MusicState() { return ChannelState(kMusicChannel); }
int gxtkAudio::SetMusicVolume(float volume) { return SetVolume(kMusicChannel, volume); }
