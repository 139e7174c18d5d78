// tools/assetgen/jobs.h - the units of work of a generator run.
//
// Each job writes its own files and shares nothing with the others, so jobs
// can run on any number of threads and the output does not depend on the
// order in which they finish.
#ifndef LANTERN_TOOLS_ASSETGEN_JOBS_H
#define LANTERN_TOOLS_ASSETGEN_JOBS_H

#include <functional>
#include <string>
#include <vector>

namespace assetgen {

struct Job {
    std::string name;
    int cost = 1;  // rough relative run time: the costly jobs start first
    std::function<bool(const std::string& dataDir)> run;  // false on a write error
};

std::vector<Job> ImageJobs();   // sheets.cpp side: every image at every resolution
std::vector<Job> SoundJobs();   // sound effects and instrument samples
std::vector<Job> MusicJobs();   // the streamed tune and the tune images

// Runs the jobs on `threads` threads; returns false if any failed. With
// `verbose`, prints each job's name and time as it finishes.
bool RunJobs(std::vector<Job> jobs, const std::string& dataDir, int threads, bool verbose = false);

}  // namespace assetgen

#endif
