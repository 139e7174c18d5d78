// The world board's name box, in the real game: it opens by itself in the
// menu when a board is set and no name is known, takes letters typed or
// clicked on its grid, and keeps the name in the board's settings file; a
// player who skips it is not asked again.
#include <fstream>
#include <iterator>

#include "game_world.h"
#include "host/board_client.h"
#include "input/device.h"

namespace {

const int kEnter = 13, kRight = 39, kDown = 40, kBackspace = 8;

std::string Settings() {
    std::ifstream in(kBoardSettingsFile);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class NameBoxTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (IsSkipped()) return;
        FinishLoading();
        ReleaseAll();
        app()->m_Mode = c_MyApp::kModeMenu;
        app()->m_MenuSlide = 0;
    }
    void Press(int key) {
        KeyDown(key);
        Update();
        KeyUp(key);
        Update();
    }
    // A click on the virtual screen's point (x, y).
    void Click(float x, float y) {
        host()->MouseEvent(6, -1, x * app()->m_ScaleX, y * app()->m_ScaleY);
        host()->MouseEvent(4, 0, x * app()->m_ScaleX, y * app()->m_ScaleY);
        Update(2);
        host()->MouseEvent(5, 0, x * app()->m_ScaleX, y * app()->m_ScaleY);
        Update();
    }
};

}  // namespace

TEST_F(NameBoxTest, AJoinedBoardAsksForANameOnceWhichIsTypedOrClickedAndKept) {
    c_MyApp* a = app();
    Update(3);
    ASSERT_EQ(a->m_NameOpen, 0) << "no board, no box";
    EXPECT_FALSE(Drew("DAILY")) << "nor a daily button";
    // A board no one answers on: the name is asked for all the same.
    {
        std::ofstream(kBoardSettingsFile) << "board http://127.0.0.1:9/\n";
    }
    EnableWorldBoard();
    struct Stop {
        ~Stop() { StopWorldBoard(); }
    } stop;
    Update(3);
    ASSERT_EQ(a->m_NameOpen, 1);
    EXPECT_TRUE(Drew("YOURNAMEONTHEWORLDBOARD")) << TextDrawn();
    for (int c : {'M', 'o', 's', 'x'}) Type(c);
    Update();
    Press(kBackspace);
    // The grid: down twice and right five times from A is Z, then a click on its "2".
    Press(kDown);
    Press(kDown);
    for (int i = 0; i < 5; ++i) Press(kRight);
    EXPECT_EQ(a->m_NameSel, 25);
    float x = 0, y = 0, width = 0;
    a->NameKeyPlace(28, &x, &y, &width);
    Click(x, y);
    ASSERT_EQ(a->m_NameLength, 4);
    std::string typed;
    for (int i = 0; i < a->m_NameLength; ++i) typed += static_cast<char>(a->m_NameChars[i]);
    EXPECT_EQ(typed, "Mos2");
    Press(kEnter);
    EXPECT_EQ(a->m_NameOpen, 0);
    EXPECT_NE(Settings().find("name Mos2\n"), std::string::npos) << Settings();
    EXPECT_NE(Settings().find("asked 1\n"), std::string::npos);
    Update(5);
    EXPECT_EQ(a->m_NameOpen, 0) << "asked once";
    EXPECT_EQ(a->m_Mode, c_MyApp::kModeMenu) << "the Enter that closed the box started no round";
}
