// The on-screen pad and the tilt control, driven through the host's mouse and
// motion events as a touch screen or an accelerometer would.
#include "game_world.h"
#include "input/device.h"

namespace {

class TouchControlsTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (IsSkipped()) return;
        FinishLoading();
        ReleaseAll();
    }
    void TearDown() override {
        if (!app()) return;
        bb_Zanth_OnScreenControls = 0;
        bb_Zanth_AccelerometerControls = 0;
        host()->MouseEvent(5, 0, 0, 0);
        app()->m_Mode = c_MyApp::kModeMenu;
        app()->m_Paused = 0;
        Update();
    }
    // Presses the left button at a point of the virtual screen.
    void PressAt(float vx, float vy) {
        host()->MouseEvent(6, -1, vx * app()->m_ScaleX, vy * app()->m_ScaleY);
        host()->MouseEvent(4, 0, vx * app()->m_ScaleX, vy * app()->m_ScaleY);
    }
};

}  // namespace

TEST_F(TouchControlsTest, PadArrowsPressVirtualButtonsForOneUpdate) {
    c_MyApp* a = app();
    bb_Zanth_OnScreenControls = 1;
    a->m_Mode = c_MyApp::kModeRound;
    a->m_Paused = 0;
    a->m_Options[10] = 100;
    a->m_Options[11] = 100;
    a->m_Options[12] = 10;  // size 1: arrows 32 virtual pixels from the centre
    Update();
    EXPECT_EQ(a->m_PadX, 100);
    EXPECT_EQ(a->m_PadY, static_cast<int>(bb_Zanth_jscrh - 100));
    EXPECT_FLOAT_EQ(a->m_PadSize, 1.0f);

    PressAt(100 - 32, a->m_PadY);  // the left arrow
    Update();
    EXPECT_EQ(a->m_VKeys[3], 1);
    EXPECT_EQ(a->p_PlayKey(3, 0, -1), 1) << "the next update reads the press";
    host()->MouseEvent(5, 0, 0, 0);
    Update();
    EXPECT_EQ(a->m_VKeys[3], 0) << "and it lasts one update";

    PressAt(bb_Zanth_jscrw - (100 - 24), a->m_PadY - 24);  // the first fire button, mirrored to the right
    Update();
    EXPECT_EQ(a->m_VKeys[10], 1);
}

TEST_F(TouchControlsTest, PadOptionsKeepTheWholePadOnScreen) {
    c_MyApp* a = app();
    bb_Zanth_OnScreenControls = 1;
    a->m_Mode = c_MyApp::kModeRound;
    float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
    // Far off every edge, at the largest size: the pad reaches 48 x 2.5 = 120
    // virtual pixels from its centre, the mirrored fire buttons as far.
    a->m_Options[10] = -50;
    a->m_Options[11] = 100000;
    a->m_Options[12] = 99;
    Update();
    EXPECT_EQ(a->m_Options[12], 25);
    EXPECT_EQ(a->m_Options[10], 120);
    EXPECT_EQ(a->m_Options[11], static_cast<int>(h - 120));
    // At the smallest size the pad may come closer to the edge, but not past it:
    // the left arrow's frame starts at the screen's edge, not half off it.
    a->m_Options[10] = 0;
    a->m_Options[12] = 0;
    Update();
    EXPECT_EQ(a->m_Options[12], 8);
    EXPECT_EQ(a->m_Options[10], 39);
    EXPECT_GE(a->m_PadX - 0.8f * (32 + 16), 0);
    EXPECT_LE(w - (a->m_PadX - 0.8f * 24) + 0.8f * 1.5f * 16, w) << "the far fire button stays on screen";
    // A screen too low for the biggest pad shrinks it to what fits.
    a->m_Options[12] = 25;
    bb_Zanth_jscrh = 150;
    Update();
    EXPECT_EQ(a->m_Options[12], 15);
    bb_Zanth_jscrh = h;
    a->m_Mode = c_MyApp::kModeMenu;
    a->m_Options[12] = 99;
    Update();
    EXPECT_EQ(a->m_Options[12], 99) << "the pad belongs to game screens only";
}

TEST_F(TouchControlsTest, PausedPadFollowsAFingerAndAPinchWhileTheRoundRuns) {
    c_MyApp* a = app();
    bb_Zanth_OnScreenControls = 1;
    a->m_Mode = c_MyApp::kModeRound;
    a->m_Paused = 1;  // as the pause button pauses
    a->m_PauseState = 1;
    a->m_PauseSel = 0;
    a->m_Options[10] = 100;
    a->m_Options[11] = 100;
    a->m_Options[12] = 10;
    Update();
    float sx = a->m_ScaleX, sy = a->m_ScaleY, padY = a->m_PadY;
    auto finger = [&](int event, int id, float vx, float vy) { host()->TouchEvent(event, id, vx * sx, vy * sy); };
    // A finger on the pad's middle drags it along, a step at a time.
    finger(7, 0, 100, padY);
    Update();
    for (int x = 110; x <= 200; x += 10) {
        finger(9, 0, static_cast<float>(x), padY);
        Update();
    }
    EXPECT_EQ(a->m_Options[10], 200);
    // A second finger pinches: the size grows by the growth of their
    // distance / 16, whatever the round's entities did with their fields.
    finger(7, 1, 232, padY);
    Update();
    for (int x = 264; x <= 392; x += 32) {
        finger(9, 1, static_cast<float>(x), padY);
        Update(2);
    }
    EXPECT_EQ(a->m_Options[12], 10 + (192 - 32) / 16);
    EXPECT_EQ(a->m_Options[10], 200) << "with two fingers down the pad stays where it is";
    finger(8, 1, 0, 0);
    finger(8, 0, 0, 0);
    Update();
    a->m_Paused = 0;
}

TEST_F(TouchControlsTest, TiltIsSmoothedAndCanBeCalibrated) {
    c_MyApp* a = app();
    bb_Zanth_AccelerometerControls = 1;
    a->m_AccelX0 = a->m_AccelY0 = 0;
    a->m_TiltSmX = a->m_TiltSmY = 0;
    host()->MotionEvent(10, 0, 0.4f, -0.2f, 1);
    Update();
    EXPECT_FLOAT_EQ(a->m_TiltX, 0.4f);
    EXPECT_FLOAT_EQ(a->m_TiltSmX, 0.1f) << "a quarter of the way";
    EXPECT_FLOAT_EQ(a->m_TiltSmY, -0.05f);
    for (int i = 0; i < 40; ++i) Update();
    EXPECT_EQ(a->m_TiltSmX, 0.4f) << "snaps once close";

    PressAt(24, bb_Zanth_jscrh - 24);  // the calibrate button
    Update();
    EXPECT_FLOAT_EQ(a->m_AccelX0, 0.4f);
    EXPECT_FLOAT_EQ(a->m_AccelY0, -0.2f);
    Update();
    EXPECT_FLOAT_EQ(a->m_TiltX, 0);

    a->p_iCade(1);
    Update();
    EXPECT_EQ(a->m_TiltSmX, 0) << "the iCade switches tilt off";
    a->p_iCade(0);
}
