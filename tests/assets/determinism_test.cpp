// tests/assets/determinism_test.cpp - the generator's output is reproducible:
// two runs write identical bytes, whatever the number of threads, and match
// the data folder the build made.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "asset_loaders.h"
#include "common/test_support.h"

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> ReadTree(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        std::string rel = fs::relative(e.path(), root).string();
        if (rel.rfind(".assetgen", 0) == 0) continue;  // the build's stamp
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        files[rel] = ss.str();
    }
    return files;
}

// The build's own run used two threads; a second run on one thread must
// write the very same bytes. A checked build has already run the whole
// generator under the sanitizers to make its data folder, and a second run
// there would only repeat that at several times the cost, so determinism is
// checked by the normal build alone.
TEST(Generator, TwoRunsWriteIdenticalFiles) {
    if (kUnderAddressSanitizer) GTEST_SKIP() << "the checked build's data folder was made by this generator";
    ScopedTempDir tmp;
    const std::string again = tmp.path() + "/again";
    ChildResult r = RunProgram({ASSETGEN_EXE, again, "--threads", "1"}, {}, "", 110);
    ASSERT_EQ(r.status, 0) << r.err;
    auto written = ReadTree(again), built = ReadTree(assettest::DataDir());
    ASSERT_GT(written.size(), 90u);
    for (const auto& [name, bytes] : built) {
        auto it = written.find(name);
        ASSERT_NE(it, written.end()) << name << " missing from the second run";
        EXPECT_TRUE(it->second == bytes) << name << " differs between runs";
    }
    for (const auto& entry : written)
        EXPECT_NE(built.find(entry.first), built.end()) << entry.first << " missing from the build's data folder";
}

TEST(Generator, RefusesAnUnwritableFolderWithAMessage) {
    ChildResult r = RunProgram({ASSETGEN_EXE, "/proc/no-such-place/data", "--only", "sounds"}, {}, "", 30);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("assetgen:"), std::string::npos);
}

}  // namespace
