// tools/assetgen/music_jobs.cpp - writing the background tune and the tune
// images.
#include "jobs.h"
#include "sounds.h"
#include "tune_format.h"
#include "writers.h"

namespace assetgen {

std::vector<Job> MusicJobs() {
    std::vector<Job> jobs;
    Job tune;
    tune.name = "sfx/Firstlight.ogg";
    tune.cost = 100000;  // the longest job: start it first
    tune.run = [](const std::string& dir) { return WriteOggVorbis(dir + "/sfx/Firstlight.ogg", ComposeFirstlight(), kRate, 0.35f); };
    jobs.push_back(tune);
    Job images;
    images.name = "tunes";
    images.run = [](const std::string& dir) {
        for (const TuneFile& t : AllTunes())
            if (!WritePngRgba(dir + "/tunes/" + t.name + ".png", kTuneImageSize, kTuneImageSize, TuneImagePixels(t.data))) return false;
        return true;
    };
    jobs.push_back(images);
    return jobs;
}

}  // namespace assetgen
