// Data paths, opening files, whole-file reads and the state file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "common/test_support.h"
#include "host/files.h"
#include "host/desktop.h"

namespace {

class FilesTest : public ::testing::Test {
protected:
    BBDesktopGame host;
    ScopedTempDir dir;
};

std::u16string Units(const String& s) { return std::u16string(s.Data(), s.Data() + s.Length()); }

}  // namespace

TEST_F(FilesTest, FixDataPathPrefixesOnlyRelativeGameNames) {
    EXPECT_EQ(bb_data_FixDataPath(String("snd/a.wav")), String("vorlin://data/snd/a.wav"));
    EXPECT_EQ(bb_data_FixDataPath(String("./x.png")), String("./x.png"));
    EXPECT_EQ(bb_data_FixDataPath(String("/x.png")), String("/x.png"));
    EXPECT_EQ(bb_data_FixDataPath(String("vorlin://data/a.png")), String("vorlin://data/a.png"));
    EXPECT_EQ(bb_data_FixDataPath(String("http://host/a.png")), String("http://host/a.png"));
    // ":/" only counts as a scheme when it holds the path's first "/".
    EXPECT_EQ(bb_data_FixDataPath(String("dir/c:/x")), String("vorlin://data/dir/c:/x"));
}

TEST_F(FilesTest, PathToFilePathMapsTheThreeSchemes) {
    EXPECT_EQ(host.PathToFilePath(String("vorlin://data/a.png")), String("./data/a.png"));
    EXPECT_EQ(host.PathToFilePath(String("vorlin://internal/s")), String("./internal/s"));
    EXPECT_EQ(host.PathToFilePath(String("vorlin://external/s")), String("./external/s"));
    EXPECT_EQ(host.PathToFilePath(String("vorlin://elsewhere/a")), String());
    EXPECT_EQ(host.PathToFilePath(String("data/a.png")), String("data/a.png"));
    EXPECT_EQ(BBGame().PathToFilePath(String("vorlin://data/a")), String("vorlin://data/a"));
}

TEST_F(FilesTest, OpenFileReadsThroughTheDataMapping) {
    mkdir("data", 0755);
    WriteFile("data/note.txt", "hello");
    WriteFile("vorlin:", "must never be opened");
    FILE* f = host.OpenFile(bb_data_FixDataPath(String("note.txt")), String("rb"));
    ASSERT_NE(f, nullptr);
    char buf[8] = {};
    EXPECT_EQ(fread(buf, 1, sizeof buf, f), 5u);
    fclose(f);
    EXPECT_EQ(host.OpenFile(String("vorlin://nowhere/note.txt"), String("rb")), nullptr);
    EXPECT_EQ(host.OpenFile(String("vorlin:"), String("rb")), nullptr);
    EXPECT_EQ(host.OpenFile(String("missing.txt"), String("rb")), nullptr);
}

TEST_F(FilesTest, OpenFileHandlesNonAsciiNames) {
    String name(u"./\u00e9t\u00e9.txt", 9);
    FILE* w = host.OpenFile(name, String("wb"));
    ASSERT_NE(w, nullptr);
    fputs("x", w);
    fclose(w);
    EXPECT_EQ(ReadFile("./\xc3\xa9t\xc3\xa9.txt"), "x");
}

TEST_F(FilesTest, LoadStringAndLoadDataReadWholeFiles) {
    std::string big(10000, 'q');
    big[9999] = 'z';
    WriteFile("big.bin", big);
    EXPECT_EQ(host.LoadString(String("big.bin")).Length(), 10000);
    EXPECT_EQ(host.LoadString(String("absent")), String());

    gc_force_sweep = false;
    int length = -1;
    unsigned char* data = host.LoadData(String("big.bin"), &length);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(length, 10000);
    EXPECT_EQ(data[9999], 'z');
    EXPECT_TRUE(gc_force_sweep);
    free(data);

    WriteFile("empty.bin", "");
    data = host.LoadData(String("empty.bin"), &length);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(length, 0);
    free(data);
    length = 77;
    EXPECT_EQ(host.LoadData(String("absent"), &length), nullptr);
    EXPECT_EQ(length, 77);
}

TEST_F(FilesTest, StateRoundTripsEveryCharacterAsUtf8) {
    EXPECT_EQ(host.LoadState(), String()) << "no state file means an empty state";
    String state(u"[opts]5,1\u00e9\u4e2d|\u20ac", 14);
    EXPECT_EQ(host.SaveState(state), 0);
    EXPECT_EQ(ReadFile(".vorlinstate"), state.ToUtf8());
    EXPECT_EQ(host.LoadState(), state);
    EXPECT_EQ(host.SaveState(String()), 0);
    EXPECT_EQ(ReadFile(".vorlinstate"), "");
    EXPECT_EQ(host.LoadState(), String());
}

TEST_F(FilesTest, StateWrittenByOtherEditorsStillLoads) {
    WriteFile(".vorlinstate", "\xef\xbb\xbf" "abc");
    EXPECT_EQ(host.LoadState(), String("abc"));
    WriteFile(".vorlinstate", std::string("\xff\xfe" "a\0b\0", 6));
    EXPECT_EQ(host.LoadState(), String("ab"));
    WriteFile(".vorlinstate", "bad\xff");
    EXPECT_EQ(Units(host.LoadState()), (std::u16string{u'b', u'a', u'd', 0xff}));
}

TEST_F(FilesTest, FailedSaveCannotOpenLeavesTheOldStateWhole) {
    ASSERT_EQ(host.SaveState(String("old state")), 0);
    // The new text goes to a temporary file first; make it impossible to create.
    mkdir(".vorlinstate.new", 0755);
    EXPECT_EQ(host.SaveState(String("new state")), -1);
    EXPECT_EQ(ReadFile(".vorlinstate"), "old state");
    rmdir(".vorlinstate.new");
}

TEST_F(FilesTest, ShortWriteReportsMinusTwoAndKeepsTheOldState) {
    ASSERT_EQ(host.SaveState(String("old state")), 0);
    // A disk that fills up: no file may grow beyond 4 bytes in this child.
    ChildResult r = RunInChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4, 4};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::printf("%d", host.SaveState(String("a much longer new state")));
    });
    EXPECT_EQ(r.out, "-2");
    EXPECT_EQ(ReadFile(".vorlinstate"), "old state");
    struct stat st;
    EXPECT_NE(lstat(".vorlinstate.new", &st), 0) << "the temporary file is cleaned up";
    EXPECT_EQ(host.SaveState(String("new state")), 0);
    EXPECT_EQ(host.LoadState(), String("new state"));
}

TEST_F(FilesTest, SavingNeverWritesThroughALinkPlantedAsTheTemporaryFile) {
    WriteFile("victim.txt", "precious");
    ASSERT_EQ(symlink("victim.txt", ".vorlinstate.new"), 0);
    EXPECT_EQ(host.SaveState(String("state")), -1);
    EXPECT_EQ(ReadFile("victim.txt"), "precious");
}

TEST_F(FilesTest, SavingKeepsTheStateFilesPermissions) {
    ASSERT_EQ(host.SaveState(String("one")), 0);
    chmod(".vorlinstate", 0600);
    ASSERT_EQ(host.SaveState(String("two")), 0);
    struct stat st;
    ASSERT_EQ(stat(".vorlinstate", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(FilesTest, SaveInAFolderWhereNothingCanBeWrittenFailsCleanly) {
    // /proc refuses new files even to root; a read-only folder does for others.
    std::string folder = "/proc/self";
    if (geteuid() != 0) {
        mkdir("locked", 0755);
        WriteFile("locked/.vorlinstate", "kept");
        chmod("locked", 0555);
        folder = dir.path() + "/locked";
    }
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    int result = host.SaveState(String("anything"));
    String loaded = host.LoadState();
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(result, -1);
    if (geteuid() != 0) {
        EXPECT_EQ(loaded, String("kept"));
    }
}

TEST_F(FilesTest, GetDateFillsOnlyTheRoomGiven) {
    Array<int> three(3);
    host.GetDate(three);
    EXPECT_GE(three[0], 2024);
    EXPECT_GE(three[1], 1);
    EXPECT_LE(three[1], 12);
    EXPECT_GE(three[2], 1);

    Array<int> eight(8);
    eight[7] = 99;
    eight[6] = 5;
    host.GetDate(eight);
    EXPECT_EQ(eight[6], 0) << "milliseconds are not measured";
    EXPECT_EQ(eight[7], 99);
    EXPECT_LE(eight[3], 23);

    Array<int> none;
    host.GetDate(none);  // must not write anywhere
}
