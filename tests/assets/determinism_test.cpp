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

TEST(Generator, TwoRunsWriteIdenticalFiles) {
    ScopedTempDir tmp;
    const std::string a = tmp.path() + "/a", b = tmp.path() + "/b";
    ChildResult ra = RunProgram({ASSETGEN_EXE, a, "--threads", "2"}, {}, "", 110);
    ASSERT_EQ(ra.status, 0) << ra.err;
    ChildResult rb = RunProgram({ASSETGEN_EXE, b, "--threads", "1"}, {}, "", 110);
    ASSERT_EQ(rb.status, 0) << rb.err;
    auto fa = ReadTree(a), fb = ReadTree(b), built = ReadTree(assettest::DataDir());
    ASSERT_GT(fa.size(), 90u);
    EXPECT_EQ(fa.size(), fb.size());
    for (const auto& [name, bytes] : fa) {
        auto it = fb.find(name);
        ASSERT_NE(it, fb.end()) << name << " missing from the second run";
        EXPECT_TRUE(it->second == bytes) << name << " differs between runs";
        auto bt = built.find(name);
        ASSERT_NE(bt, built.end()) << name << " missing from the build's data folder";
        EXPECT_TRUE(bt->second == bytes) << name << " differs from the build's data folder";
    }
}

TEST(Generator, RefusesAnUnwritableFolderWithAMessage) {
    ChildResult r = RunProgram({ASSETGEN_EXE, "/proc/no-such-place/data", "--only", "sounds"}, {}, "", 30);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("assetgen:"), std::string::npos);
}

}  // namespace
