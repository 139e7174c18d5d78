// The state string: what a first run saves, a full round trip, sections
// damaged one at a time, the limits, short and odd strings, and a finished
// game entering the highscore lists.
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

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// A first run on the desktop: options 5, 10, 11, 12 and 14 at their
// defaults, no badges, empty tables.
const std::string kDefaultState =
    "0|0|0|0|0|1|0|0|0|0|64|64|10|0|1|0|0|0|0|0|0|0|0|0|0|1483|" + Repeat("0|", 9) + Repeat("0|", 3 * 21);

// Sections built from values, each closed by its checksum (32-bit sums that wrap).
std::string SettingsBlock(const std::vector<int>& options) {
    std::string out;
    uint32_t sum = 0;
    for (size_t i = 0; i < options.size(); ++i) {
        out += std::to_string(options[i]) + "|";
        sum += static_cast<uint32_t>(i) * static_cast<uint32_t>(options[i]);
    }
    return out + std::to_string(static_cast<int32_t>(sum)) + "|";
}

std::vector<std::string> Parts(const std::string& state) {
    std::vector<std::string> parts(1);
    for (char c : state) {
        if (c == '|') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? "|" : "") + parts[i];
    return out;
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
    struct Snapshot {
        std::vector<int> options, scores;
        std::vector<bool> badges;
    };
    static Snapshot Take() {
        Snapshot s;
        c_MyApp* a = app();
        for (int i = 0; i < 25; ++i) s.options.push_back(a->m_Options[i]);
        for (int i = 0; i < 60; ++i) s.scores.push_back(a->m_Scores[i]);
        for (int i = 0; i < 256; ++i) s.badges.push_back(a->m_Badges[i]);
        return s;
    }
    static std::vector<int> Table(const Snapshot& s, int t) {
        std::vector<int> out(s.scores.begin() + 10 * t, s.scores.begin() + 10 * t + 10);
        out.insert(out.end(), s.scores.begin() + 30 + 10 * t, s.scores.begin() + 40 + 10 * t);
        return out;
    }
};

}  // namespace

TEST_F(PersistenceTest, AFirstRunReadsNothingAndSavesExactlyTheDefaultString) {
    EXPECT_EQ(LoadPrinting(""), "") << "an empty state prints no section message";
    c_MyApp* a = app();
    EXPECT_EQ(a->m_Options[5], 1);
    EXPECT_EQ(a->m_Options[10], 64);
    EXPECT_EQ(a->m_Options[11], 64);
    EXPECT_EQ(a->m_Options[12], 10);
    EXPECT_EQ(a->m_Options[14], 1);
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

TEST_F(PersistenceTest, ARoundTripRestoresEverySectionAndSavesTheSameString) {
    Sample();
    Snapshot before = Take();
    std::string saved = Saved();
    std::vector<std::string> parts = Parts(saved);
    ASSERT_EQ(parts.size(), 99u) << "98 values, each followed by a bar";
    EXPECT_EQ(parts[26], std::to_string(INT32_MIN + 1)) << "badges 0 and 31: bit 31 makes the word negative";
    EXPECT_EQ(parts[32], "1") << "badge 192 alone in word 6";

    Defaults();
    EXPECT_EQ(LoadPrinting(saved),
              "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n");
    Snapshot after = Take();
    EXPECT_EQ(after.options, before.options);
    EXPECT_EQ(after.badges, before.badges);
    EXPECT_EQ(after.scores, before.scores);
    EXPECT_EQ(Saved(), saved);
}

TEST_F(PersistenceTest, ADamagedSectionIsResetOnItsOwnWhileTheOthersLoad) {
    Sample();
    Snapshot sample = Take();
    std::string saved = Saved();
    struct Section {
        int firstPart;
        const char* message;
    };
    const Section sections[] = {{3, "Settings Checksum Invalid"}, {27, "Badge Checksum Invalid"},
                                {35, "Highscore 0 Checksum Invalid"}, {60, "Highscore 1 Checksum Invalid"},
                                {77, "Highscore 2 Checksum Invalid"}};
    const char* const loaded[] = {"Settings Loaded", "Badges Loaded", "Highscore 0 Loaded", "Highscore 1 Loaded",
                                  "Highscore 2 Loaded"};
    for (int damaged = 0; damaged < 5; ++damaged) {
        SCOPED_TRACE(sections[damaged].message);
        std::vector<std::string> parts = Parts(saved);
        std::string& digit = parts[sections[damaged].firstPart];
        digit = std::to_string(std::stoi(digit) + 1);  // one changed value
        Sample();
        std::string expected;
        for (int s = 0; s < 5; ++s) expected += std::string(s == damaged ? sections[s].message : loaded[s]) + "\n";
        EXPECT_EQ(LoadPrinting(Join(parts)), expected);

        Snapshot now = Take();
        if (damaged == 0) {
            std::vector<int> defaults(25, 0);
            defaults[5] = 1;
            defaults[10] = defaults[11] = 64;
            defaults[12] = 10;
            defaults[14] = 1;
            EXPECT_EQ(now.options, defaults);
        } else {
            EXPECT_EQ(now.options, sample.options);
        }
        EXPECT_EQ(now.badges, damaged == 1 ? std::vector<bool>(256, false) : sample.badges);
        for (int t = 0; t < 3; ++t)
            EXPECT_EQ(Table(now, t), damaged == 2 + t ? std::vector<int>(20, 0) : Table(sample, t)) << "table " << t;
    }
}

TEST_F(PersistenceTest, LimitsApplyOnEveryLoad) {
    std::vector<int> options(25, 0);
    options[5] = 3;
    options[10] = 63;
    options[11] = -5;
    options[12] = 7;
    options[14] = 0;
    EXPECT_EQ(LoadPrinting(SettingsBlock(options)), "Settings Loaded\n");
    c_MyApp* a = app();
    EXPECT_EQ(a->m_Options[5], 3);
    EXPECT_EQ(a->m_Options[10], 64);
    EXPECT_EQ(a->m_Options[11], 64);
    EXPECT_EQ(a->m_Options[12], 10) << "below 8 becomes 10, not 8";
    EXPECT_EQ(a->m_Options[14], 1) << "no overscan on the desktop";

    options[12] = 8;
    options[10] = 64;
    LoadPrinting(SettingsBlock(options));
    EXPECT_EQ(a->m_Options[12], 8);
    EXPECT_EQ(a->m_Options[10], 64);
}

TEST_F(PersistenceTest, ShortAndOddStringsNeverReadPastTheEnd) {
    c_MyApp* a = app();
    // 25 parts: the options but no checksum part.
    std::string values;
    for (int i = 0; i < 25; ++i) values += (i ? "|" : "") + std::to_string(i + 1);
    EXPECT_EQ(LoadPrinting(values), "Settings Checksum Invalid\n");
    EXPECT_EQ(a->m_Options[5], 1);
    EXPECT_EQ(a->m_Options[3], 0);

    // Values: leading blanks, signs, trailing junk, non-numbers as 0, and
    // only the first 63 characters of a value count.
    std::vector<std::string> parts = Parts(SettingsBlock(std::vector<int>(25, 0)));
    parts[3] = std::string(61, ' ') + "123";  // the first 63 characters read "12"
    parts[4] = "abc";
    parts[6] = "  -5xyz";
    parts[7] = "+9";
    parts[25] = std::to_string(3 * 12 + 6 * -5 + 7 * 9);
    EXPECT_EQ(LoadPrinting(Join(parts)), "Settings Loaded\n");
    EXPECT_EQ(a->m_Options[3], 12);
    EXPECT_EQ(a->m_Options[4], 0);
    EXPECT_EQ(a->m_Options[6], -5);
    EXPECT_EQ(a->m_Options[7], 9);

    // Fewer than 25 parts: no settings; the badge block is looked for at the start.
    Defaults();
    EXPECT_EQ(LoadPrinting("1|0|0|0|0|0|0|0|1|"), "Badges Loaded\n");
    EXPECT_TRUE(a->m_Badges[0]);

    // A string that ends inside the tables leaves the tables it does not reach as they were.
    Sample();
    std::vector<std::string> full = Parts(Saved());
    std::vector<std::string> cut(full.begin(), full.begin() + 56 + 10);
    Defaults();
    a->m_Scores[10] = 77;
    a->m_Scores[20] = 88;
    EXPECT_EQ(LoadPrinting(Join(cut)), "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\n");
    EXPECT_EQ(a->m_Scores[10], 77);
    EXPECT_EQ(a->m_Scores[20], 88);
    EXPECT_EQ(a->m_Scores[0], 0 + 0);
    EXPECT_EQ(a->m_Scores[1], 1001);
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

    // Recording saves: the file holds the new lists.
    std::vector<std::string> parts = Parts(ReadFile(kStateFile));
    EXPECT_EQ(parts[56], "90");
    EXPECT_EQ(parts[57], "3");
    EXPECT_EQ(parts[58], "80");
    EXPECT_EQ(parts[59], "70");
}
