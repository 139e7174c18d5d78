#include "jobs.h"
namespace assetgen {
std::vector<Job> SoundJobs() { return {}; }
std::vector<Job> MusicJobs() { return {}; }
}
