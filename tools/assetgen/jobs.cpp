// tools/assetgen/jobs.cpp - running jobs on a few threads, and the image jobs.
#include "jobs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "sheet.h"
#include "writers.h"

namespace assetgen {

std::vector<Job> ImageJobs() {
    std::vector<Job> jobs;
    for (const ImageAsset& asset : AllImages()) {
        const int scales = asset.variants ? 3 : 1;
        for (int i = 0; i < scales; ++i) {
            const int scale = 1 << i;  // base, "-hd", "-hd2"
            Job j;
            j.name = asset.name + ResolutionSuffix(scale);
            j.cost = asset.SheetWidth() * asset.SheetHeight() * scale * scale / 65536 + 1;
            j.run = [asset, scale](const std::string& dir) {
                return WritePng(dir + "/" + asset.name + ResolutionSuffix(scale) + ".png", RenderImage(asset, scale));
            };
            jobs.push_back(std::move(j));
        }
    }
    return jobs;
}

bool RunJobs(std::vector<Job> jobs, const std::string& dataDir, int threads, bool verbose) {
    std::stable_sort(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) { return a.cost > b.cost; });
    std::atomic<size_t> next{0};
    std::atomic<bool> ok{true};
    auto worker = [&]() {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            auto start = std::chrono::steady_clock::now();
            bool done = jobs[i].run(dataDir);
            if (verbose)
                std::printf("  %-28s %6.3f s\n", jobs[i].name.c_str(),
                            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (!done) {
                std::fprintf(stderr, "assetgen: %s failed\n", jobs[i].name.c_str());
                ok = false;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (auto& t : pool) t.join();
    return ok;
}

}  // namespace assetgen
