// The front end driven with injected keys and clicks: the main menu and its
// highscore lists, the options box answering each press once, the pause menu
// over a running round, the credits box and the badges.
//
// The quit key itself is exercised by the end-to-end tests: here no update
// ever sees the quit key on the bare menu, as it would end the test program.
#include <string>

#include "common/test_support.h"
#include "game_world.h"

namespace {

const int kEscape = 27, kEnter = 13, kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kKeyO = 79;

class FrontEndTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (IsSkipped()) return;
        FinishLoading();
        ReleaseAll();
        c_MyApp* a = app();
        a->m_Mode = 1;
        a->m_Paused = 0;
        a->m_CreditsOpen = a->m_OptionsOpen = a->m_BadgesOpen = 0;
        a->m_CreditSlide = a->m_OptionSlide = 0;
        a->m_MenuSlide = 0;
        a->m_GameType = 2;
        a->m_MenuSel = 2;
        a->m_OverTimer = 0;
        Update();
    }
    void TearDown() override {
        if (!app()) return;
        host()->MouseEvent(5, 0, 0, 0);
        ReleaseAll();
        app()->m_Mode = 1;
        app()->m_Paused = 0;
        app()->m_OptionsOpen = app()->m_CreditsOpen = app()->m_BadgesOpen = 0;
        Update(31);
    }
    // A key held for `updates` updates, then released.
    static void Press(int key, int updates = 6) {
        KeyDown(key);
        Update(updates);
        KeyUp(key);
        Update();
    }
    static void Click(float vx, float vy) {
        host()->MouseEvent(6, -1, vx * app()->m_ScaleX, vy * app()->m_ScaleY);
        host()->MouseEvent(4, 0, vx * app()->m_ScaleX, vy * app()->m_ScaleY);
        Update(2);
        host()->MouseEvent(5, 0, vx * app()->m_ScaleX, vy * app()->m_ScaleY);
        Update();
    }
    // The characters the last update drew with the font, in order (the
    // space draws nothing, so it does not appear).
    static std::string TextDrawn() {
        std::string out;
        for (int i = 0; i < Commands(); ++i) {
            const float* c = Command(i);
            if (static_cast<int>(c[0]) == app()->m_Font) out += static_cast<char>(static_cast<int>(c[6]) + 32);
        }
        return out;
    }
    static bool Drew(const std::string& text) { return TextDrawn().find(text) != std::string::npos; }
};

}  // namespace

TEST_F(FrontEndTest, TheMenuListsTheSelectedVariantsScoresUnderHeadingsThatFitTheHeight) {
    c_MyApp* a = app();
    for (int i = 0; i < 60; ++i) a->m_Scores[i] = 0;
    a->m_Scores[10] = 500;
    a->m_Scores[11] = 400;
    a->m_Scores[40] = 123;
    Update();
    EXPECT_TRUE(Drew("Top10500400")) << TextDrawn();
    EXPECT_TRUE(Drew("Last10123")) << TextDrawn();

    a->m_GameType = 1;
    Update();
    EXPECT_FALSE(Drew("500"));

    a->m_GameType = 2;
    Resize(640, 225);  // room for one row
    FinishLoading();
    Update();
    EXPECT_TRUE(Drew("Highscore500")) << TextDrawn();
    EXPECT_TRUE(Drew("Last123")) << TextDrawn();
    Resize(640, 480);
    FinishLoading();

    a->m_MenuSel = 4;  // the options cog hides the lists
    Update();
    EXPECT_FALSE(Drew("Top"));
}

TEST_F(FrontEndTest, KeysMoveOneItemPerPressAndStartTheChosenVariant) {
    c_MyApp* a = app();
    Press(kRight, 20);
    EXPECT_EQ(a->m_MenuSel, 3) << "a held key moves once";
    for (int i = 0; i < 4; ++i) Press(kLeft);
    EXPECT_EQ(a->m_MenuSel, 1) << "not before the first item";
    KeyDown(kEnter);
    Update(2);
    KeyUp(kEnter);
    EXPECT_EQ(a->m_Mode, 10) << "the round starts in the next update";
    EXPECT_EQ(a->m_GameType, 1);
}

TEST_F(FrontEndTest, TheOptionsBoxAnswersEachPressOnceAndSavesWhenClosed) {
    c_MyApp* a = app();
    for (int i = 0; i < 5; ++i) a->m_Options[i] = 0;
    a->m_Options[5] = 1;
    a->m_MenuSel = 4;
    Update();
    // Enter held through the slide-in opens the box and does nothing inside it.
    KeyDown(kEnter);
    Update(45);
    KeyUp(kEnter);
    Update();
    ASSERT_EQ(a->m_OptionsOpen, 1);
    EXPECT_EQ(a->m_OptionSlide, 30);
    EXPECT_EQ(a->m_OptSel, 0);
    EXPECT_TRUE(Drew("Credits")) << "opened from the main menu";

    Press(kDown, 20);
    EXPECT_EQ(a->m_OptSel, 1) << "one row per press, however long it is held";
    const char* const sounds[] = {"Sound:SFX", "Sound:Music", "Sound:Off", "Sound:SFX+Music"};
    for (const char* text : sounds) {
        Press(kEnter, 12);
        EXPECT_TRUE(Drew(text)) << TextDrawn();
    }
    EXPECT_EQ(a->m_Options[5], 1) << "four presses went round the four modes";
    Press(kEnter);
    EXPECT_EQ(a->m_Options[5], 2);
    for (int i = 0; i < 6; ++i) Press(kDown);
    EXPECT_EQ(a->m_OptSel, 4) << "sound, iCade, display, credits: no further";

    // The quit key closes the box and saves; its press is used up.
    std::remove(".vorlinstate");
    KeyDown(kEscape);
    Update();
    EXPECT_EQ(a->m_OptionsOpen, 0);
    EXPECT_EQ(a->m_KeyLatch, 1);
    KeyUp(kEscape);
    Update();
    EXPECT_EQ(a->m_Mode, 1);
    EXPECT_EQ(ReadFile(".vorlinstate").substr(0, 12), "0|0|0|0|0|2|");
    Update(30);
    EXPECT_EQ(a->m_OptionSlide, 0);
}

TEST_F(FrontEndTest, TheOptionsBoxRowsAnswerClicksAndTheCreditsRowHandsOver) {
    c_MyApp* a = app();
    a->m_OptionsOpen = 1;
    a->m_OptSel = 0;
    Update(31);
    int icade = bb_Zanth_iCadeControls;
    Click(200, 128 + 40 + 12);  // the iCade row
    EXPECT_EQ(bb_Zanth_iCadeControls, icade ^ 1);
    EXPECT_EQ(a->m_OptSel, 2);
    Click(200, 128 + 40 + 12);
    EXPECT_EQ(bb_Zanth_iCadeControls, icade);

    Click(bb_Zanth_jscrw - 190, 128 + 80 + 50 + 12);  // the credits button
    EXPECT_EQ(a->m_OptionsOpen, 0);
    EXPECT_EQ(a->m_CreditsOpen, 1);
}

TEST_F(FrontEndTest, ThePauseMenuResumesOpensOptionsAndEndsTheRound) {
    c_MyApp* a = app();
    a->m_GameType = 3;
    a->m_Mode = 11;
    Update();
    ASSERT_EQ(a->m_Mode, 10);
    a->m_Score = 4242;

    // The quit key pauses; held on, it does not resume.
    Press(kEscape, 20);
    EXPECT_EQ(a->m_Paused, 1);
    EXPECT_EQ(a->m_PauseSlide, static_cast<int>(bb_Zanth_jscrh / 2));
    Press(kLeft, 10);
    EXPECT_EQ(a->m_PauseSel, -1);
    Press(kLeft);
    EXPECT_EQ(a->m_PauseSel, -1);
    Press(kRight, 10);
    Press(kRight, 10);
    EXPECT_EQ(a->m_PauseSel, 1);

    // Options over the pause menu: no credits row; the quit key closes the
    // box and the pause menu stays.
    Press(kEnter);
    ASSERT_EQ(a->m_OptionsOpen, 1);
    Update(30);
    EXPECT_FALSE(Drew("Credits"));
    for (int i = 0; i < 6; ++i) Press(kDown);
    EXPECT_EQ(a->m_OptSel, 3) << "sound, iCade, display";
    Press(kEscape, 10);
    EXPECT_EQ(a->m_OptionsOpen, 0);
    EXPECT_EQ(a->m_Paused, 1);

    // A later press of the quit key resumes: the items slide away, then play goes on.
    Update(30);
    Press(kEscape);
    EXPECT_EQ(a->m_PauseState, -1);
    Update(30);
    EXPECT_EQ(a->m_Paused, 0);

    // Pause with the button, end the round with a click on its item.
    Click(16, 16);
    ASSERT_EQ(a->m_Paused, 1);
    Update(20);
    Click(bb_Zanth_jscrw / 2 - 150, bb_Zanth_jscrh / 2);
    EXPECT_EQ(a->m_Paused, 0);
    EXPECT_EQ(a->m_GameEnded, 1);
    EXPECT_EQ(a->m_TunePlaying, 0);
    for (int i = 0; i < 120 && a->m_Mode != 1; ++i) Update();
    EXPECT_EQ(a->m_Mode, 1) << "the banner hands back to the menu";
    EXPECT_EQ(a->m_Scores[20], 4242);
    EXPECT_EQ(a->m_Scores[50], 4242);
}

TEST_F(FrontEndTest, TheCreditsScrollWrapAndCloseOnAPressOrTheQuitKey) {
    c_MyApp* a = app();
    Press(kKeyO);
    ASSERT_EQ(a->m_CreditsOpen, 1);
    Update(30);
    EXPECT_EQ(a->m_CreditSlide, 30);
    int first = a->m_CreditA;
    Update(60);  // 0.3 pixel an update: a line every 53 or so
    EXPECT_EQ(a->m_CreditA, first + 1);
    KeyDown(kDown);
    Update(60);  // 1.8 pixel an update
    KeyUp(kDown);
    EXPECT_EQ(a->m_CreditA, first + 8);
    a->m_CreditA = 49;
    a->m_CreditB = -159;
    Update();
    EXPECT_EQ(a->m_CreditA, 0) << "after the last line comes the first";

    Click(300, 200);
    EXPECT_EQ(a->m_CreditsOpen, 0);

    // The quit key closes it too, and its press is used up.
    Press(kKeyO);
    ASSERT_EQ(a->m_CreditsOpen, 1);
    KeyDown(kEscape);
    Update();
    EXPECT_EQ(a->m_CreditsOpen, 0);
    EXPECT_EQ(a->m_KeyLatch, 1);
    KeyUp(kEscape);
    Update();
    EXPECT_EQ(a->m_Mode, 1);
}

TEST_F(FrontEndTest, BadgeTextsAndPopUpsSlideInStayAndLeave) {
    c_MyApp* a = app();
    EXPECT_EQ(a->p_BadgeName(0), String("Test Badge"));
    EXPECT_EQ(a->p_BadgeDetail(0), String("This is a Test Badge which has no purpose."));
    EXPECT_EQ(a->p_BadgeName(200), String()) << "an id without a badge";
    EXPECT_EQ(a->p_BadgeDetail(200), String());
    EXPECT_EQ(a->p_GC_PostScore(10, 1), 0);
    EXPECT_EQ(a->p_GC_Badges(), 0);

    a->m_BadgeShow[0] = 0;
    a->m_BadgeShow[1] = 64;
    a->m_BadgeTime[0] = a->m_BadgeTime[1] = 1;
    auto barX = [&](int slot) {
        float y = bb_Zanth_jscrh - (slot + 1) * 34;
        for (int i = 0; i < Commands(); ++i) {
            const float* c = Command(i);
            if (c[0] == c_MyApp::kKindRect && c[2] == y && c[4] == 160 && c[12] == 80) return c[1];
        }
        return 1.0f;  // not drawn
    };
    auto icons = [&] {
        int n = 0;
        for (int i = 0; i < Commands(); ++i) n += Command(i)[0] == 80;
        return n;
    };
    Update();
    EXPECT_FLOAT_EQ(barX(0), 16 * 2 - 160);
    EXPECT_EQ(icons(), 1) << "badge 64 has no icon";
    Update(8);
    EXPECT_FLOAT_EQ(barX(0), 0) << "fully in view at 10 updates";
    Update(221);
    EXPECT_FLOAT_EQ(barX(1), (240 - 231) * 16 - 160) << "sliding out";
    Update(10);
    EXPECT_EQ(a->m_BadgeTime[0], 0) << "freed after 240";
    Update();
    EXPECT_FLOAT_EQ(barX(0), 1.0f);
}

TEST_F(FrontEndTest, TheBadgesBoxScrollsWithKeysAndClosesOnTheQuitKey) {
    c_MyApp* a = app();
    a->m_BadgesOpen = 1;
    a->m_BoxA = a->m_BoxB = 0;
    KeyDown(kDown);
    Update(10);
    KeyUp(kDown);
    EXPECT_FLOAT_EQ(a->m_BoxA, -160);
    Update(40);
    EXPECT_FLOAT_EQ(a->m_BoxB, -160) << "the shown offset catches up";
    KeyDown(kUp);
    Update(20);
    KeyUp(kUp);
    EXPECT_FLOAT_EQ(a->m_BoxA, 0) << "never above the top";
    KeyDown(kEscape);
    Update();
    EXPECT_EQ(a->m_BadgesOpen, 0);
    KeyUp(kEscape);
    Update();
}
