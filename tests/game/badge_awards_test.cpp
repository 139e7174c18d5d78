// Badges earned by play: each fires at its moment, once, with one pop-up.
#include "alloc_count.h"
#include "common/test_support.h"
#include "game/replay.h"
#include "game/badge_list.h"
#include "host/app.h"
#include "round_world.h"

using namespace play;

class BadgeAwardTest : public RoundTest {
protected:
    void SetUp() override {
        RoundTest::SetUp();
        if (!IsSkipped()) ForgetBadges();
    }
    void ForgetBadges() {
        for (int i = 0; i < 256; ++i) app()->m_Badges[i] = false;
        for (int s = 0; s < 15; ++s) app()->m_BadgeShow[s] = app()->m_BadgeTime[s] = 0;
    }
    bool Has(int id) { return app()->m_Badges[id]; }
    int PopUps(int id) {
        int n = 0;
        for (int s = 0; s < 15; ++s) n += app()->m_BadgeTime[s] > 0 && app()->m_BadgeShow[s] == id;
        return n;
    }
};

TEST_F(BadgeAwardTest, PopUpsThatAreUpCostNoAllocationPerUpdate) {
    if (!AllocCount::Available()) GTEST_SKIP() << "allocations are not counted in this build";
    StartRound(2, 11);
    PlainMaze(10, 35);
    for (int id : {badges::kFirstBeacon, badges::kFirstPrize, badges::kFullPockets}) app()->AwardBadge(id);
    Update(20);  // slid in, names drawn once
    EXPECT_EQ(AllocationsIn(60), 0);
    EXPECT_EQ(PopUps(badges::kFirstPrize), 1) << "still up";
    EXPECT_EQ(app()->p_BadgeName(badges::kFullPockets), String("Full Pockets"));
    EXPECT_EQ(app()->p_BadgeDetail(badges::kFullPockets), String("Carry three charges at once."));
}

TEST_F(BadgeAwardTest, InTheKnownMazeWalkingRightFromTheStartLightsABeaconFirst) {
    // The end-to-end badge test plays this maze: its first pop-up must be the
    // beacon's, however late the walk starts.
    FixRoundSeed(kBeaconNearStartSeed);
    for (int wait : {0, 120}) {
        SCOPED_TRACE(wait);
        ForgetBadges();
        app()->m_GameType = 2;
        app()->m_Mode = c_MyApp::kModeStartRound;
        Update(1 + wait);
        KeyDown(39);
        for (int i = 0; i < 120 && !Has(badges::kFirstBeacon); ++i) Update();
        KeyUp(39);
        EXPECT_TRUE(Has(badges::kFirstBeacon));
        EXPECT_EQ(app()->m_BadgeShow[0], badges::kFirstBeacon);
        EXPECT_EQ(app()->m_BadgeShow[1], 0) << "another badge too";
        app()->m_Mode = c_MyApp::kModeMenu;
        Update();
    }
    ForgetRoundSeed();
}

TEST_F(BadgeAwardTest, BeaconsPrizesAndChargesAwardTheirBadgesOnce) {
    StartRound(2, 11);
    PlainMaze(10, 35);
    Place(1, kBeaconReady, 12, 35);
    for (int n = 30; n < 33; ++n) Place(n, kEnemyHunting, 12, 30.2f);
    Update();
    EXPECT_FALSE(Has(badges::kFirstBeacon));
    Hold(39, 10);
    EXPECT_TRUE(Has(badges::kFirstBeacon));
    EXPECT_EQ(PopUps(badges::kFirstBeacon), 1);
    EXPECT_FALSE(Has(badges::kFirstPrize));

    // Three catches: the prize is taken where the player stands.
    Update(140);
    ASSERT_EQ(app()->m_Score, 45);
    EXPECT_TRUE(Has(badges::kFirstPrize));
    EXPECT_TRUE(Has(badges::kCatch3));
    EXPECT_FALSE(Has(badges::kCatch5));
    EXPECT_FALSE(Has(badges::kRecharged));

    // Spent by now; three charges fill the pockets and one recharges it.
    Update(62);
    ASSERT_EQ(Ent(1)[kEntKind], kBeaconSpent);
    for (int n = 17; n <= 19; ++n) Place(n, kCharge, 12, 34.9f);
    Update();
    EXPECT_TRUE(Has(badges::kFullPockets));
    EXPECT_FALSE(Has(badges::kRecharged)) << "the beacon's record comes before the charges'";
    Update();
    EXPECT_TRUE(Has(badges::kRecharged));

    // A second start of a beacon is no news: the first pop-up has left by
    // now (240 updates after it came) and no second one follows.
    Update(70);
    EXPECT_EQ(PopUps(badges::kFirstBeacon), 0);
    EXPECT_FALSE(Has(badges::kScoreFirst));
}

TEST_F(BadgeAwardTest, ScoreTimeAndTheBottomFloorCountWithinOneRound) {
    StartRound(3, 12);
    PlainMaze(10, 63);
    EXPECT_TRUE(Has(badges::kBottomFloor));
    app()->m_Score = 1000;
    Update();
    const int red = badges::kScoreFirst + 6;
    EXPECT_TRUE(Has(red) && Has(red + 1));
    EXPECT_FALSE(Has(red + 2));
    EXPECT_FALSE(Has(badges::kScoreFirst));
    // Paused time does not count. (Paused as the pause key does it, so that
    // the pause menu stays up rather than closing at once.)
    app()->m_Paused = 1;
    app()->m_PauseState = 1;
    Update(10);
    app()->m_Paused = 0;
    EXPECT_FALSE(Has(badges::kSurvive2));
    Update(badges::kSurvive2Updates - 3);
    EXPECT_FALSE(Has(badges::kSurvive2));
    Update();
    EXPECT_TRUE(Has(badges::kSurvive2));
    EXPECT_FALSE(Has(badges::kSurvive5));
}

TEST_F(BadgeAwardTest, RoundsPlayedToTheEndAreCountedAcrossRounds) {
    c_MyApp* a = app();
    a->m_Options[badges::kRoundsOption] = 8;
    for (int r = 0; r < 10; ++r) a->m_Scores[r] = 100 - r;  // a full green table
    for (int round = 0; round < 2; ++round) {
        StartRound(1, 13 + round);
        PlainMaze(10, 35);
        a->m_Score = round == 0 ? 50 : 101;
        Plr(kPlrEnergy) = 0;
        Plr(kPlrHurt) = 0;
        Place(40, kEnemyHunting, 10, 34.2f);
        for (int i = 0; i < 200 && a->m_Mode != c_MyApp::kModeMenu; ++i) Update();
        ASSERT_EQ(a->m_Mode, c_MyApp::kModeMenu);
        EXPECT_TRUE(Has(badges::kRoundFirst));
        EXPECT_FALSE(Has(badges::kRoundFirst + 1));
        EXPECT_EQ(a->m_Options[badges::kRoundsOption], 9 + round);
        EXPECT_EQ(Has(badges::kTenRounds), round == 1);
        EXPECT_EQ(Has(badges::kBeatFullTable), round == 1) << "only a score above the best of a full table";
    }
    a->m_Options[badges::kRoundsOption] = 0;
    for (int r = 0; r < 10; ++r) a->m_Scores[r] = a->m_Scores[30 + r] = 0;
}

TEST_F(BadgeAwardTest, EarnedBadgesAndTheRoundCountSurviveASaveAndALoad) {
    c_MyApp* a = app();
    for (int id : {1, 24, 31, 63, 95}) a->m_Badges[id] = true;
    a->m_Options[badges::kRoundsOption] = 7;
    a->p_Save();
    for (int i = 0; i < 256; ++i) a->m_Badges[i] = false;
    a->m_Options[badges::kRoundsOption] = 0;
    a->p_Load();
    for (int i = 0; i < 256; ++i) EXPECT_EQ(Has(i), i == 1 || i == 24 || i == 31 || i == 63 || i == 95) << i;
    EXPECT_EQ(a->m_Options[badges::kRoundsOption], 7);

    // A state written before badges could be earned: badge words 3 (ids 0
    // and 1) and -2147483648 (id 63), their sum wrapped as the checksum.
    std::string settings = "0|0|0|0|0|1|0|0|0|0|64|64|10|0|1|0|0|0|0|0|0|0|0|0|0|1483|";
    std::string scores;
    for (int i = 0; i < 63; ++i) scores += "0|";
    bb_app_SaveState(String((settings + "3|-2147483648|0|0|0|0|0|0|-2147483645|" + scores).c_str()));
    a->p_Load();
    for (int i = 0; i < 256; ++i) EXPECT_EQ(Has(i), i == 0 || i == 1 || i == 63) << i;
    EXPECT_EQ(a->m_Options[badges::kRoundsOption], 0);
    for (int i = 0; i < 256; ++i) a->m_Badges[i] = false;
}
