// The state string: what a first run saves, a full round trip, sections
// damaged one at a time, the limits and the value rules, short strings, and a
// finished game entering the highscore lists.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "game_world.h"

namespace {

const char* const kStateFile = ".vorlinstate";

std::vector<std::string> Parts(const std::string& state) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t bar; (bar = state.find('|', from)) != std::string::npos; from = bar + 1)
        parts.push_back(state.substr(from, bar - from));
    parts.push_back(state.substr(from));
    return parts;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? "|" : "") + parts[i];
    return out;
}

// A first run on the desktop: options 5, 10, 11, 12 and 14 at their
// defaults; then the badge block and the three tables, all zeros.
const std::string kDefaultState =
    "0|0|0|0|0|1|0|0|0|0|64|64|10|0|1|0|0|0|0|0|0|0|0|0|0|1483|" + Join(std::vector<std::string>(9 + 3 * 21, "0")) + "|";

// A settings block from values, closed by its checksum (a 32-bit sum that wraps).
std::vector<std::string> SettingsBlock(const std::vector<int>& options) {
    std::vector<std::string> parts;
    uint32_t sum = 0;
    for (size_t i = 0; i < options.size(); ++i) {
        parts.push_back(std::to_string(options[i]));
        sum += static_cast<uint32_t>(i) * static_cast<uint32_t>(options[i]);
    }
    parts.push_back(std::to_string(static_cast<int32_t>(sum)));
    return parts;
}

class PersistenceTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (IsSkipped()) return;
        FinishLoading();
        ReleaseAll();
        bb_Zanth_DebugMode = 0;
        Defaults();
    }
    // What creation sets before the saved state is read.
    static void Defaults() {
        c_MyApp* a = app();
        for (int i = 0; i < 25; ++i) a->m_Options[i] = 0;
        a->m_Options[5] = 1;
        for (int i = 0; i < 256; ++i) a->m_Badges[i] = false;
        for (int i = 0; i < 150; ++i) a->m_Scores[i] = 0;
    }
    // Loads `state` as the saved state ("" meaning no file) and returns what was printed.
    static std::string LoadPrinting(const std::string& state) {
        std::remove(kStateFile);
        if (!state.empty()) WriteFile(kStateFile, state);
        testing::internal::CaptureStdout();
        app()->p_Load();
        return testing::internal::GetCapturedStdout();
    }
    static std::string Saved() {
        app()->p_Save();
        return ReadFile(kStateFile);
    }
    // Fills every section with values that differ from the defaults.
    static void Sample() {
        c_MyApp* a = app();
        for (int i = 0; i < 25; ++i) a->m_Options[i] = 7 * i - 30;
        a->m_Options[10] = 100;
        a->m_Options[11] = 70;
        a->m_Options[12] = 15;
        a->m_Options[14] = 1;
        for (int b : {0, 31, 32, 63, 100, 192, 224, 255}) a->m_Badges[b] = true;
        for (int i = 0; i < 60; ++i) a->m_Scores[i] = 1000 * (i % 10) + i;
        a->m_Scores[20] = 2000000000;  // the last table's checksum wraps
        a->m_Scores[59] = -12;
    }
};

}  // namespace

TEST_F(PersistenceTest, AFirstRunReadsNothingAndSavesExactlyTheDefaultString) {
    EXPECT_EQ(LoadPrinting(""), "") << "an empty state prints no section message";
    EXPECT_EQ(bb_Zanth_overscan, 0);
    EXPECT_EQ(Saved(), kDefaultState);

    // A save that cannot be written says so and keeps the old file whole.
    app()->m_Options[5] = 2;
    ASSERT_EQ(mkdir(".vorlinstate.new", 0700), 0);
    testing::internal::CaptureStdout();
    app()->p_Save();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Settings could not be saved\n");
    EXPECT_EQ(ReadFile(kStateFile), kDefaultState);
    rmdir(".vorlinstate.new");
}

TEST_F(PersistenceTest, EverySectionSurvivesARoundTripAndADamagedOneIsResetOnItsOwn) {
    Sample();
    std::string saved = Saved();
    std::vector<std::string> parts = Parts(saved);
    ASSERT_EQ(parts.size(), 99u) << "98 values, each followed by a bar";
    EXPECT_EQ(parts[26], std::to_string(INT32_MIN + 1)) << "badges 0 and 31: bit 31 makes the word negative";
    EXPECT_EQ(parts[32], "1") << "badge 192 alone in word 6";
    Defaults();
    EXPECT_EQ(LoadPrinting(saved),
              "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n");
    EXPECT_EQ(Saved(), saved) << "everything loaded back as it was";

    // Each section in turn with one changed value: that section comes back as
    // a first run has it, the others as saved.
    const int starts[] = {0, 26, 35, 56, 77, 98};
    const char* const invalid[] = {"Settings Checksum Invalid", "Badge Checksum Invalid", "Highscore 0 Checksum Invalid",
                                   "Highscore 1 Checksum Invalid", "Highscore 2 Checksum Invalid"};
    const char* const loaded[] = {"Settings Loaded", "Badges Loaded", "Highscore 0 Loaded", "Highscore 1 Loaded",
                                  "Highscore 2 Loaded"};
    const std::vector<std::string> defaults = Parts(kDefaultState);
    for (int damaged = 0; damaged < 5; ++damaged) {
        SCOPED_TRACE(invalid[damaged]);
        std::vector<std::string> broken = parts, expected = parts;
        std::string& value = broken[starts[damaged] + 3];
        value = std::to_string(std::stoi(value) + 1);
        std::string printed;
        for (int s = 0; s < 5; ++s) printed += std::string(s == damaged ? invalid[s] : loaded[s]) + "\n";
        std::copy(defaults.begin() + starts[damaged], defaults.begin() + starts[damaged + 1],
                  expected.begin() + starts[damaged]);
        Sample();
        EXPECT_EQ(LoadPrinting(Join(broken)), printed);
        EXPECT_EQ(Saved(), Join(expected));
    }
}

TEST_F(PersistenceTest, ValuesAreReadLikeCNumbersAndLimitedOnEveryLoad) {
    std::vector<int> options(25, 0);
    options[3] = 12;
    options[5] = 3;
    options[6] = -5;
    options[7] = 9;
    options[10] = 63;
    options[11] = -5;
    options[12] = 7;  // below 8 becomes 10, not 8
    std::vector<std::string> parts = SettingsBlock(options);
    parts[3] = std::string(61, ' ') + "123";  // only the first 63 characters count: "12"
    parts[4] = "abc";                         // not a number: 0
    parts[6] = "  -5xyz";
    parts[7] = "+9";
    EXPECT_EQ(LoadPrinting(Join(parts)), "Settings Loaded\n");
    std::vector<int> read, want = options;
    for (int i = 0; i < 25; ++i) read.push_back(app()->m_Options[i]);
    want[10] = want[11] = 64;
    want[12] = 10;
    want[14] = 1;  // no overscan on the desktop
    EXPECT_EQ(read, want);

    options[12] = 8;
    LoadPrinting(Join(SettingsBlock(options)));
    EXPECT_EQ(app()->m_Options[12], 8);
}

TEST_F(PersistenceTest, ShortStringsNeverReadPastTheEnd) {
    c_MyApp* a = app();
    // 25 parts: the options but no checksum part.
    std::vector<std::string> values = SettingsBlock(std::vector<int>(25, 4));
    values.pop_back();
    EXPECT_EQ(LoadPrinting(Join(values)), "Settings Checksum Invalid\n");
    EXPECT_EQ(a->m_Options[5], 1);
    EXPECT_EQ(a->m_Options[3], 0);

    // Fewer than 25 parts: no settings; the badge block is looked for at the start.
    Defaults();
    EXPECT_EQ(LoadPrinting("1|0|0|0|0|0|0|0|1|"), "Badges Loaded\n");
    EXPECT_TRUE(a->m_Badges[0]);

    // A string that ends inside the tables leaves the tables it does not reach as they were.
    Sample();
    std::vector<std::string> full = Parts(Saved());
    Defaults();
    a->m_Scores[10] = 77;
    a->m_Scores[20] = 88;
    EXPECT_EQ(LoadPrinting(Join(std::vector<std::string>(full.begin(), full.begin() + 66))),
              "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\n");
    EXPECT_EQ(a->m_Scores[1], 1001);
    EXPECT_EQ(a->m_Scores[10], 77);
    EXPECT_EQ(a->m_Scores[20], 88);
}

TEST_F(PersistenceTest, AFinishedGameRanksBelowEqualScoresAndAlwaysBecomesTheLatest) {
    c_MyApp* a = app();
    const int best[10] = {90, 80, 70, 70, 50, 40, 30, 20, 10, 5};
    for (int r = 0; r < 10; ++r) {
        a->m_Scores[10 + r] = best[r];      // variant 2
        a->m_Scores[40 + r] = r + 1;
        a->m_Scores[r] = a->m_Scores[20 + r] = 1000 + r;  // variants 1 and 3
    }
    a->m_GameType = 2;
    a->m_Score = 70;
    a->p_LoadMenu();
    const int ranked[10] = {90, 80, 70, 70, 70, 50, 40, 30, 20, 10};
    for (int r = 0; r < 10; ++r) {
        EXPECT_EQ(a->m_Scores[10 + r], ranked[r]) << "best " << r;
        EXPECT_EQ(a->m_Scores[40 + r], r == 0 ? 70 : r) << "recent " << r;
        EXPECT_EQ(a->m_Scores[r], 1000 + r);
        EXPECT_EQ(a->m_Scores[20 + r], 1000 + r);
    }

    a->m_Score = 3;  // below all ten
    a->p_LoadMenu();
    for (int r = 0; r < 10; ++r) EXPECT_EQ(a->m_Scores[10 + r], ranked[r]);
    EXPECT_EQ(a->m_Scores[40], 3);
    EXPECT_EQ(a->m_Scores[41], 70);
    EXPECT_EQ(a->m_Scores[49], 8) << "the oldest drops out";
    // Recording saves: the file's second table starts with the new lists.
    std::vector<std::string> file = Parts(ReadFile(kStateFile));
    EXPECT_EQ(Join(std::vector<std::string>(file.begin() + 56, file.begin() + 60)), "90|3|80|70");
}
