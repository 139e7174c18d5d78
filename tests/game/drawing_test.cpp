// Drawing helpers: the drawing state, commands, bitmap text, number
// formatting, buttons and the full display list.
#include "game_world.h"

namespace {

class DrawingTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (IsSkipped()) return;
        FinishLoading();
        app()->p_CLS2D();
    }
    // Positions of the glyph commands of the list, as "x,y" pairs.
    std::vector<std::pair<float, float>> Glyphs() {
        std::vector<std::pair<float, float>> at;
        for (int i = 0; i < Commands(); ++i)
            if (Command(i)[0] == 90) at.push_back({Command(i)[1], Command(i)[2]});
        return at;
    }
};

}  // namespace

TEST_F(DrawingTest, StateHelpersFillInOptionalArguments) {
    c_MyApp* a = app();
    a->p_SetSize(2);
    EXPECT_EQ(a->m_SizeX, 2);
    EXPECT_EQ(a->m_SizeY, 2);
    a->p_SetSize(2, 3);
    EXPECT_EQ(a->m_SizeY, 3);
    a->p_SetCol(1, 2, 3, 0.5f);
    a->p_SetCol(10, 20, 30);
    EXPECT_EQ(a->m_ColB, 30);
    EXPECT_EQ(a->m_Alpha, 0.5f) << "alpha kept when not given";
    a->p_SetRot(30);
    EXPECT_EQ(a->m_Rot, -30);
    a->p_CLS2D(1, 2, 3, 0.25f);
    EXPECT_EQ(a->m_ClsB, 3);
    EXPECT_EQ(a->m_ClsA, 0.25f);
    EXPECT_EQ(a->m_SizeX, 1) << "a screen clear resets the drawing state";
    EXPECT_EQ(a->m_Blend, 1);
    EXPECT_EQ(a->m_DrawCount, 0);
    a->p_CLS2D();
    EXPECT_EQ(a->m_ClsB, 3) << "without a colour the background stays";
}

TEST_F(DrawingTest, CommandsCopyTheStateAtTheTimeOfTheCall) {
    c_MyApp* a = app();
    a->p_SetCol(10, 20, 30, 0.5f);
    a->p_SetSize(2, 3);
    a->p_SetRot(45);
    a->m_Blend = 3;
    a->p_DrawImg(1, 100, 50, 7);
    a->p_SetCol(0, 0, 0, 1);
    a->p_Rect(1, 2, 3, 4);
    a->p_Oval(5, 6, 7, 8);
    ASSERT_EQ(Commands(), 3);
    const float* img = Command(0);
    const float expected[15] = {1, 100, 50, -45, 2, 3, 7, 0.5f, 0, 0, 10, 20, 30, 3, 0};
    for (int k = 0; k < 15; ++k) EXPECT_EQ(img[k], expected[k]) << "element " << k;
    EXPECT_EQ(Command(1)[0], c_MyApp::kKindRect);
    EXPECT_EQ(Command(1)[4], 3);
    EXPECT_EQ(Command(1)[5], 4);
    EXPECT_EQ(Command(1)[10], 0);
    EXPECT_EQ(Command(2)[0], c_MyApp::kKindOval);
    EXPECT_EQ(Command(2)[4], 7);
}

TEST_F(DrawingTest, TextStartsOneSpaceInAndAlignsOnItsWidth) {
    c_MyApp* a = app();
    a->p_Text(100, 50, String("AB"), 0, 1);
    auto left = Glyphs();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0], std::make_pair(107.0f, 50.0f)) << "one advance (7) after the leading space";
    EXPECT_EQ(left[1], std::make_pair(114.0f, 50.0f));
    EXPECT_EQ(Command(0)[6], 'A' - 32);

    a->p_CLS2D();
    a->p_Text(100, 50, String("AB"), 1, 1);  // width 14 (space and A): centred, shifted back 7
    EXPECT_EQ(Glyphs()[0].first, 100.0f);
    a->p_CLS2D();
    a->p_Text(100, 50, String("AB"), 2, 0);  // ends at x; y half a line below the top
    EXPECT_EQ(Glyphs()[0], std::make_pair(93.0f, 55.0f));

    a->p_CLS2D();
    a->p_SetSize(2);
    a->p_Text(0, 0, String("wi"), 0, 1);  // w is 2 wider, i 3 narrower; all at size 2
    auto wide = Glyphs();
    EXPECT_EQ(wide[0].first, 14.0f);
    EXPECT_EQ(wide[1].first, 14.0f + 18.0f);
}

TEST_F(DrawingTest, TextBreaksLinesOnBackslashN) {
    c_MyApp* a = app();
    a->p_Text(100, 50, String("A\\nB\\"), 0, 1);
    auto at = Glyphs();
    ASSERT_EQ(at.size(), 3u);
    EXPECT_EQ(at[0], std::make_pair(107.0f, 50.0f));
    EXPECT_EQ(at[1], std::make_pair(100.0f, 60.0f)) << "a new line starts where the leading space was";
    EXPECT_EQ(Command(2)[6], '\\' - 32) << "a lone backslash is a glyph";

    a->p_CLS2D();
    a->p_Text(10, 10, String(), 0, 1);
    EXPECT_EQ(Commands(), 0) << "empty text draws nothing";
    const char16_t mixed[] = {0, u'A', u' ', 0x9f};
    a->p_Text(10, 10, String(mixed, 4), 0, 1);
    EXPECT_EQ(Commands(), 2) << "0 and space draw nothing; 33..159 draw";
}

TEST_F(DrawingTest, RotatedTextRunsAlongItsAngle) {
    c_MyApp* a = app();
    a->p_SetRot(90);
    a->p_Text(100, 100, String("AB"), 0, 1);
    auto at = Glyphs();
    ASSERT_EQ(at.size(), 2u);
    EXPECT_NEAR(at[0].first, 100, 1e-4);
    EXPECT_NEAR(at[0].second, 107, 1e-4) << "90 degrees runs down the screen";
    EXPECT_EQ(Command(0)[3], -90);
}

TEST_F(DrawingTest, RstrRightAlignsWithAFillCharacter) {
    c_MyApp* a = app();
    EXPECT_EQ(a->p_rstr(7, 3, String("0")), String("007"));
    EXPECT_EQ(a->p_rstr(12345, 3, String("0")), String("345"));
    EXPECT_EQ(a->p_rstr(42, 5, String(" ")), String("   42"));
    EXPECT_EQ(a->p_rstr(-5, 4, String("0")), String("00-5"));
    EXPECT_EQ(a->p_rstr2(99, String(".")), String("........99"));
    EXPECT_EQ(a->p_rstr(1, 0, String("0")), String());
    EXPECT_EQ(a->p_rstr(123, 2, String()), String("23"));
}

TEST_F(DrawingTest, ButtonsReactToAPointerInsideTheDrawnFrame) {
    c_MyApp* a = app();
    a->m_Pointing = 1;
    for (int i = 0; i < 10; ++i) a->m_TouchX[i] = a->m_TouchY[i] = c_MyApp::kNotGiven;
    a->m_TouchX[3] = 110;
    a->m_TouchY[3] = 95;
    // Icons are 32 x 32 virtual pixels at size 1: half extents 16.
    EXPECT_EQ(a->p_Button(97, 100, 100, 0), 1);
    EXPECT_EQ(a->m_ButtonHit, 1);
    EXPECT_EQ(a->p_Button(97, 130, 100, 0), 0) << "x 110 is outside 114..146";
    EXPECT_EQ(a->p_Button0(97, 100, 100, 0), 0) << "Button0 tests touch 0 only";
    a->p_SetSize(2);
    EXPECT_EQ(a->p_Button(97, 130, 100, 0), 1) << "size 2 doubles the extents";
    a->m_Pointing = 0;
    EXPECT_EQ(a->p_Button2(100, 100, 0), 0) << "no hit while nothing is down";
    EXPECT_EQ(a->m_ButtonHit, 0);
}

TEST_F(DrawingTest, TouchBoxesAreWidenedAndCentredBoxesAreStrict) {
    c_MyApp* a = app();
    for (int i = 0; i < 10; ++i) {
        a->m_TouchDown[i] = 0;
        a->m_TouchX[i] = a->m_TouchY[i] = c_MyApp::kNotGiven;
    }
    a->m_TouchDown[0] = 1;
    a->m_TouchX[0] = 111;
    a->m_TouchY[0] = 95;
    EXPECT_EQ(a->p_Touch(0, 100, 100, 100), 1) << "x reaches to x + w + 12";
    EXPECT_EQ(a->p_Touch(0, 96, 100, 100), 1) << "y reaches back to y - 6";
    EXPECT_EQ(a->p_Touch(0, 102, 100, 5), 0) << "y starts at y - 6";
    EXPECT_EQ(a->p_MouseIn_Centered(100, 100, 22, 10), 0) << "strictly inside";
    EXPECT_EQ(a->p_MouseIn_Centered(100, 100, 24, 12), 1);
    a->m_TouchDown[0] = 0;
    EXPECT_EQ(a->p_MouseIn_Centered(100, 100, 24, 12), 0) << "touches that are up never match";
}

TEST_F(DrawingTest, AFullDisplayListDropsFurtherCommandsButButtonsStillTest) {
    // A command is appended while the list holds at most 37484 floats, so the
    // 37500-float list takes 2499 whole commands.
    c_MyApp* a = app();
    for (int i = 0; i < 2600; ++i) a->p_Rect(i, 0, 1, 1);
    EXPECT_EQ(a->m_DrawCount, 37485);
    EXPECT_EQ(Commands(), 2499);
    EXPECT_EQ(Command(2498)[1], 2498) << "the first commands are kept";
    a->m_Pointing = 1;
    a->m_TouchX[0] = 100;
    a->m_TouchY[0] = 100;
    EXPECT_EQ(a->p_Button(97, 100, 100, 0), 1);
    EXPECT_EQ(a->m_DrawCount, 37485);
    Render();  // replaying a full list is fine
}
