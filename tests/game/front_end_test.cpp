// The front end driven with injected keys and clicks: the main menu and its
// highscore lists, the options box answering each press once, the pause menu
// over a running round, the credits box and the badges.
//
// The quit key itself is exercised by the end-to-end tests: here no update
// ever sees the quit key on the bare menu, as it would end the test program.
#include <cmath>
#include <regex>

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
        a->m_Mode = c_MyApp::kModeMenu;
        a->m_Paused = 0;
        a->m_CreditsOpen = a->m_OptionsOpen = a->m_BadgesOpen = 0;
        a->m_CreditSlide = a->m_OptionSlide = a->m_MenuSlide = a->m_OverTimer = 0;
        a->m_GameType = a->m_MenuSel = 2;
        Update();
    }
    void TearDown() override {
        if (!app()) return;
        host()->MouseEvent(5, 0, 0, 0);
        ReleaseAll();
        app()->m_Mode = c_MyApp::kModeMenu;
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
    // A click at virtual screen point (vx, vy): move there, press, release.
    static void Click(float vx, float vy) {
        float x = vx * app()->m_ScaleX, y = vy * app()->m_ScaleY;
        host()->MouseEvent(6, -1, x, y);
        host()->MouseEvent(4, 0, x, y);
        Update(2);
        host()->MouseEvent(5, 0, x, y);
        Update();
    }
};

}  // namespace

TEST_F(FrontEndTest, TheMenuListsTheLastVariantsScoresAndKeysMoveOneItemPerPress) {
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

    Press(kRight, 20);
    EXPECT_EQ(a->m_MenuSel, 3) << "a held key moves once";
    Press(kRight);
    EXPECT_FALSE(Drew("Top")) << "the options cog hides the lists";
    for (int i = 0; i < 5; ++i) Press(kLeft);
    EXPECT_EQ(a->m_MenuSel, 1) << "not before the first item";
}

TEST_F(FrontEndTest, TheHighscoreStripAndItsIconsSlideInFromTheLeftOfTheirPlace) {
    c_MyApp* a = app();
    const float rest = bb_Zanth_jscrw - 140;
    // Where the last update drew the strip and the two icons that ride with it.
    auto drawnX = [](int kind, int frame) {
        for (int i = 0; i < Commands(); ++i) {
            const float* c = Command(i);
            bool match = kind == c_MyApp::kKindRect ? c[0] == kind && c[2] == -1 && c[4] == 141 && c[7] == 0.4f
                                                     : c[0] == kind && c[6] == frame;
            if (match) return c[1];
        }
        return -1e9f;  // not drawn
    };
    a->m_MenuSlide = -32;  // as a round leaves it
    float last = -1e9f;
    for (int update = 1; update <= 34; ++update) {
        Update();
        float strip = drawnX(c_MyApp::kKindRect, 0);
        float expected = update < 32 ? rest - 4 * (32 - update) : rest;
        ASSERT_FLOAT_EQ(strip, expected) << "update " << update;
        EXPECT_FLOAT_EQ(drawnX(c_MyApp::kSlotStudioLogo, 0) - strip, -17) << "the credits icon, update " << update;
        EXPECT_FLOAT_EQ(drawnX(95, 11) - strip, 114) << "the trophy, update " << update;
        EXPECT_GE(strip, last) << "it only ever moves right";
        last = strip;
    }
    EXPECT_FLOAT_EQ(last, rest);
}

TEST_F(FrontEndTest, TheOptionsBoxAnswersEachPressOnceAndTheQuitKeyClosesIt) {
    c_MyApp* a = app();
    a->m_Options[5] = 1;
    a->m_MenuSel = 4;
    Update();
    // Enter held through the slide-in opens the box and does nothing inside it.
    KeyDown(kEnter);
    Update(45);
    KeyUp(kEnter);
    Update();
    ASSERT_EQ(a->m_OptionsOpen, 1);
    EXPECT_EQ(a->m_OptSel, 0);
    EXPECT_TRUE(Drew("Credits")) << "opened from the main menu";

    Press(kDown, 20);
    EXPECT_EQ(a->m_OptSel, 1) << "one row per press, however long it is held";
    for (const char* text : {"Sound:SFX", "Sound:Music", "Sound:Off", "Sound:SFX+Music", "Sound:SFX"}) {
        Press(kEnter, 12);
        EXPECT_TRUE(Drew(text)) << TextDrawn();
    }
    for (int i = 0; i < 6; ++i) Press(kDown);
    EXPECT_EQ(a->m_OptSel, 4) << "sound, iCade, display, credits: no further";

    // The quit key closes the box; its press is used up (were it not, the
    // menu would quit the test program).
    KeyDown(kEscape);
    Update();
    EXPECT_EQ(a->m_OptionsOpen, 0);
    EXPECT_EQ(a->m_KeyLatch, 1);
    KeyUp(kEscape);
    Update();
}

TEST_F(FrontEndTest, ThePauseMenuResumesOpensOptionsAndEndsTheRound) {
    c_MyApp* a = app();
    a->m_GameType = 3;
    a->m_Mode = c_MyApp::kModeStartRound;
    Update();
    ASSERT_EQ(a->m_Mode, c_MyApp::kModeRound);
    a->m_Score = 4242;

    // The quit key pauses; held on, it does not resume.
    Press(kEscape, 20);
    EXPECT_EQ(a->m_Paused, 1);
    for (int i = 0; i < 3; ++i) Press(kLeft);
    EXPECT_EQ(a->m_PauseSel, -1) << "no further";
    Press(kRight);
    Press(kRight);
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

    // A later press of the quit key resumes once the items slid away.
    Update(30);
    Press(kEscape);
    Update(30);
    EXPECT_EQ(a->m_Paused, 0);

    // Pause with the button, end the round with a click on its item.
    Click(16, 16);
    ASSERT_EQ(a->m_Paused, 1);
    Update(20);
    int tune = a->m_TunePlaying;
    Click(bb_Zanth_jscrw / 2 - 150, bb_Zanth_jscrh / 2);
    EXPECT_EQ(a->m_GameEnded, 1);
    EXPECT_EQ(a->m_TunePlaying, tune) << "the tune plays on under the banner";
    for (int i = 0; i < 120 && a->m_Mode != c_MyApp::kModeMenu; ++i) Update();
    EXPECT_EQ(a->m_Mode, c_MyApp::kModeMenu) << "the banner hands back to the menu";
    EXPECT_EQ(a->m_Scores[20], 4242);
    EXPECT_EQ(a->m_Scores[50], 4242);
}

TEST_F(FrontEndTest, TheOptionsBoxRowsAnswerClicksAndTheCreditsRowOpensTheScrollingCredits) {
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
    ASSERT_EQ(a->m_CreditsOpen, 1);

    // They scroll, faster with a direction key held, wrap, and close on a click.
    Update(30);
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

    // Under the makers' name stands the game's version, not a placeholder address.
    ASSERT_EQ(bb_Zanth_CreditText.Length(), 50);
    EXPECT_TRUE(std::regex_match(bb_Zanth_CreditText[3].ToUtf8(), std::regex("version [0-9]+\\.[0-9]+\\.[0-9]+")))
        << bb_Zanth_CreditText[3].ToUtf8();
    for (int i = 0; i < 50; ++i) EXPECT_EQ(bb_Zanth_CreditText[i].Find(String(".invalid")), -1) << "line " << i;
}

TEST_F(FrontEndTest, BadgeTextsAndPopUpsSlideInStayAndLeaveAndTheBoxStopsAtItsTop) {
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
    Update();
    EXPECT_FLOAT_EQ(barX(0), 16 * 2 - 160);
    Update(8);
    EXPECT_FLOAT_EQ(barX(0), 0) << "fully in view at 10 updates";
    Update(221);
    EXPECT_FLOAT_EQ(barX(1), (240 - 231) * 16 - 160) << "sliding out";
    Update(11);
    EXPECT_FLOAT_EQ(barX(0), 1.0f) << "gone after 240";

    // The badges box scrolls with keys, but never above its top.
    a->m_BadgesOpen = 1;
    a->m_BoxA = a->m_BoxB = 0;
    Press(kDown, 10);
    EXPECT_FLOAT_EQ(a->m_BoxA, -160);
    Press(kUp, 20);
    EXPECT_FLOAT_EQ(a->m_BoxA, 0);
}

TEST_F(FrontEndTest, TheBadgesBoxOpensFromTheMenuListsEveryBadgeAndClosesWithoutQuitting) {
    c_MyApp* a = app();
    for (int i = 0; i < 256; ++i) a->m_Badges[i] = false;
    a->AwardBadge(1);
    for (int s = 0; s < 15; ++s) a->m_BadgeTime[s] = 0;
    auto rows = [&](float alpha) {
        int n = 0;
        for (int i = 0; i < Commands(); ++i) n += Command(i)[0] == 80 && Command(i)[7] == alpha;
        return n;
    };
    const int kKeyB = 66;
    Press(kKeyB);
    ASSERT_EQ(a->m_BadgesOpen, 1) << "action 14 opens it";
    EXPECT_TRUE(Drew("Badges1of24")) << TextDrawn();
    EXPECT_TRUE(Drew("FirstLight")) << TextDrawn();
    EXPECT_EQ(rows(1.0f), 1) << "the earned badge is bright";
    EXPECT_GE(rows(0.45f), 8) << "the others dimmed, as many as fit";
    KeyDown(kDown);
    Update(120);
    KeyUp(kDown);
    Update(30);
    EXPECT_TRUE(Drew("TopLantern")) << "scrolled to the last badge: " << TextDrawn();
    EXPECT_GT(a->m_BoxA, -24 * 44.0f) << "but not past it";
    Press(kKeyO);
    EXPECT_EQ(a->m_BadgesOpen, 0) << "action 15 closes it";

    // The trophy in the corner, then a click beside the box.
    Click(bb_Zanth_jscrw - 26, 26);
    ASSERT_EQ(a->m_BadgesOpen, 1);
    EXPECT_EQ(a->m_CreditsOpen, 0);
    Click(10, 200);
    EXPECT_EQ(a->m_BadgesOpen, 0);
    EXPECT_EQ(a->m_Mode, c_MyApp::kModeMenu);

    // Escape closes it; the menu's quit key waits for a separate press.
    Press(kKeyB);
    ASSERT_EQ(a->m_BadgesOpen, 1);
    KeyDown(kEscape);
    Update(5);
    EXPECT_EQ(a->m_BadgesOpen, 0);
    EXPECT_EQ(a->m_Mode, c_MyApp::kModeMenu);
    KeyUp(kEscape);
    Update();
    a->m_Badges[1] = false;
}

// The credits icon at its size, its round face (the middle 208 of its 256
// pixels) on the screen whole; the trophy whole as well (its face is the
// middle 54 of its 64 pixels); and the first heading of the highscore strip
// clear of both, on every shape of screen: a desktop window, a small one, a
// wide one, a phone held sideways and an upright window. A click anywhere on
// either face opens that one's box and not the other's.
TEST_F(FrontEndTest, TheCreditsIconTheTrophyAndTheFirstHeadingAreSeenWholeAndEachIconOpensItsOwnBox) {
    c_MyApp* a = app();
    struct Icon {
        int slot, frame;
        float face;  // share of the frame its art covers
        const char* name;
    };
    const Icon icons[] = {{c_MyApp::kSlotStudioLogo, 0, 208.0f / 256, "credits icon"}, {95, 11, 54.0f / 64, "trophy"}};
    float centre[2][2], radius[2];
    struct Restore {
        ~Restore() {
            Resize(640, 480);
            FinishLoading();
        }
    } restore;
    for (const auto& size : {std::make_pair(480, 320), std::make_pair(915, 412), std::make_pair(1920, 1080),
                             std::make_pair(480, 640), std::make_pair(640, 480)}) {
        Resize(size.first, size.second);
        FinishLoading();
        Update();
        std::string where = std::to_string(size.first) + " x " + std::to_string(size.second) + ": ";
        // The heading's glyphs: its colour, on its line; a glyph's ink lies in
        // the middle 8 of its 16 pixels across and 10 down.
        float box[4] = {1e9f, 1e9f, -1e9f, -1e9f};  // left, top, right, bottom
        for (int i = 0; i < Commands(); ++i) {
            const float* c = Command(i);
            if (c[0] != c_MyApp::kSlotFont || c[2] != 60 || c[10] != 255 || c[11] != 200 || c[12] != 100) continue;
            box[0] = std::fmin(box[0], c[1] - 4 * c[4]);
            box[2] = std::fmax(box[2], c[1] + 4 * c[4]);
            box[1] = std::fmin(box[1], c[2] - 5 * c[5]);
            box[3] = std::fmax(box[3], c[2] + 5 * c[5]);
        }
        ASSERT_LT(box[0], box[2]) << where << "the first heading is not drawn: " << TextDrawn();
        EXPECT_LE(box[2], bb_Zanth_jscrw) << where << "the heading";
        for (int k = 0; k < 2; ++k) {
            const float* c = nullptr;
            for (int i = 0; i < Commands() && !c; ++i)
                if (Command(i)[0] == icons[k].slot && Command(i)[6] == icons[k].frame) c = Command(i);
            ASSERT_NE(c, nullptr) << where << icons[k].name << " not drawn";
            if (k == 0) {
                EXPECT_FLOAT_EQ(c[4], 0.35f) << "the credits icon's size";
            }
            centre[k][0] = c[1];
            centre[k][1] = c[2];
            radius[k] = a->m_ImgInfo[3 * icons[k].slot] * c[4] * a->m_ImgScale * icons[k].face / 2;
            EXPECT_GE(c[1] - radius[k], 0) << where << icons[k].name;
            EXPECT_LE(c[1] + radius[k], bb_Zanth_jscrw) << where << icons[k].name;
            EXPECT_GE(c[2] - radius[k], 0) << where << icons[k].name;
            // The point of the heading's box nearest the face's centre lies outside the face.
            float nx = std::fmax(box[0], std::fmin(c[1], box[2])), ny = std::fmax(box[1], std::fmin(c[2], box[3]));
            EXPECT_GT(std::hypot(nx - c[1], ny - c[2]), radius[k]) << where << icons[k].name << " over the heading";
        }
        float apart = std::hypot(centre[0][0] - centre[1][0], centre[0][1] - centre[1][1]);
        EXPECT_GT(apart, radius[0] + radius[1]) << where << "the two overlap";
    }
    float apart = std::hypot(centre[0][0] - centre[1][0], centre[0][1] - centre[1][1]);

    // Each face's centre and the points of it nearest the other.
    for (int k = 0; k < 2; ++k) {
        float dx = (centre[1 - k][0] - centre[k][0]) / apart, dy = (centre[1 - k][1] - centre[k][1]) / apart;
        for (float reach : {0.0f, 0.9f}) {
            Click(centre[k][0] + reach * radius[k] * dx, centre[k][1] + reach * radius[k] * dy);
            EXPECT_EQ(a->m_CreditsOpen, k == 0 ? 1 : 0) << icons[k].name << " at " << reach;
            EXPECT_EQ(a->m_BadgesOpen, k == 1 ? 1 : 0) << icons[k].name << " at " << reach;
            Click(10, 200);  // closes either box
            Update(31);
            ASSERT_EQ(a->m_CreditsOpen + a->m_BadgesOpen, 0);
        }
    }
}
