// tools/assetgen/main.cpp - the asset generator: draws and synthesises every
// file of the game's data folder.
//
//   assetgen DATA_DIR [--stamp FILE] [--threads N] [--only images|sounds|music] [--verbose]
//       writes the data folder (and touches FILE when everything succeeded)
//   assetgen --review PNG
//       writes a contact sheet of every image and a test scene, for people
//   assetgen --report DATA_DIR
//       measures the sounds of a written data folder (level, length, edges)
//   assetgen --icons DIR
//       writes the desktop icon in every size, in the icon theme's layout
//   assetgen --web-icons DIR
//       writes the web page's icons, DIR/icon-192.png and DIR/icon-512.png
//   assetgen --web-sounds DIR
//       writes the web page's sound effects, DIR/sfx/NNN.ogg: Ogg Vorbis of
//       the sounds of sfx/NNN.wav
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "app_icon.h"
#include "jobs.h"
#include "review.h"
#include "sounds.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: assetgen DATA_DIR [--stamp FILE] [--threads N] [--only images|sounds|music] [--verbose]\n"
                 "       assetgen --review OUT.png\n"
                 "       assetgen --report DATA_DIR\n"
                 "       assetgen --icons DIR\n"
                 "       assetgen --web-icons DIR\n"
                 "       assetgen --web-sounds DIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace assetgen;
    if (argc < 2) return Usage();

    if (std::strcmp(argv[1], "--review") == 0) {
        if (argc != 3) return Usage();
        return WriteReviewSheet(argv[2]) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "--icons") == 0) {
        if (argc != 3) return Usage();
        return WriteAppIcons(argv[2]) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "--web-icons") == 0) {
        if (argc != 3) return Usage();
        return WriteWebIcons(argv[2]) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "--web-sounds") == 0) {
        if (argc != 3) return Usage();
        return WriteWebSounds(argv[2]) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "--report") == 0) {
        if (argc != 3) return Usage();
        return ReportSounds(argv[2]) ? 0 : 1;
    }

    std::string dataDir = argv[1], stamp, only;
    bool verbose = false;
    int threads = static_cast<int>(std::max(1u, std::min(2u, std::thread::hardware_concurrency())));
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stamp") == 0 && i + 1 < argc) {
            stamp = argv[++i];
        } else if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) {
            threads = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            verbose = true;
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else {
            return Usage();
        }
    }

    auto start = std::chrono::steady_clock::now();
    std::vector<Job> jobs;
    auto take = [&jobs](std::vector<Job> more) {
        for (auto& j : more) jobs.push_back(std::move(j));
    };
    if (only.empty() || only == "images") take(ImageJobs());
    if (only.empty() || only == "sounds") take(SoundJobs());
    if (only.empty() || only == "music") take(MusicJobs());
    size_t count = jobs.size();
    bool ok = RunJobs(std::move(jobs), dataDir, threads, verbose);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) return 1;
    std::printf("assetgen: %zu jobs written to %s in %.2f s on %d thread(s)\n", count, dataDir.c_str(), seconds, threads);
    if (!stamp.empty()) {
        std::ofstream s(stamp, std::ios::trunc);
        s << "generated\n";
        if (!s) {
            std::fprintf(stderr, "assetgen: cannot write %s\n", stamp.c_str());
            return 1;
        }
    }
    return 0;
}
