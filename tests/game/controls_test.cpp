// Controls: the action table, joystick numbers, sticks, the iCade letters,
// the keyboard ramps and the fullscreen switch.
#include <GLFW/glfw3.h>

#include "common/test_support.h"
#include "game_world.h"
#include "input/device.h"

namespace {

class ControlsTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (IsSkipped()) return;
        FinishLoading();
        app()->p_iCade(0);
        ReleaseAll();
        app()->m_KeyRampX = app()->m_KeyRampY = 0;
        for (int j = 0; j < 4; ++j) {
            c_JoyState* joy = bb_input_device->m_joyStates[j];
            joy->m_joyx[0] = joy->m_joyy[0] = 0;
        }
    }
    void TearDown() override {
        if (!app()) return;
        app()->p_iCade(0);
        ReleaseAll();
    }
};

}  // namespace

TEST_F(ControlsTest, KeysAnswerForEveryJoystickNumberButNotOutsideThem) {
    c_MyApp* a = app();
    KeyDown('W');
    EXPECT_EQ(a->p_PlayKey(0, 0, -1), 1);
    EXPECT_EQ(a->p_PlayKey(0, 0, 3), 1);
    EXPECT_EQ(a->p_PlayKey(0, 0, 4), 0);
    EXPECT_EQ(a->p_PlayKey(0, 0, -2), 0);
    EXPECT_EQ(a->p_PlayKeyAll(0, 0), 4) << "a key press counts once per player";
    EXPECT_EQ(a->p_PlayKey(1, 0, 0), 0) << "actions outside the table answer 0";
    KeyUp('W');
    struct Case {
        int key, action;
    };
    for (Case c : {Case{38, 0}, Case{'A', 3}, Case{39, 5}, Case{'S', 8}, Case{13, 10}, Case{'K', 11},
                   Case{16, 12}, Case{'I', 13}, Case{'U', 14}, Case{'O', 15}, Case{27, 99}, Case{192, 99},
                   Case{46, 99}, Case{8, 99}}) {
        KeyDown(c.key);
        EXPECT_EQ(a->p_PlayKey(c.action, 0, 0), 1) << "key " << c.key;
        KeyUp(c.key);
        EXPECT_EQ(a->p_PlayKey(c.action, 0, 0), 0) << "key " << c.key;
    }
}

TEST_F(ControlsTest, JoystickButtonsAndTheLeftStickMapToActions) {
    c_MyApp* a = app();
    KeyDown(256 + 32 * 1 + 0);  // joystick 1, button A
    EXPECT_EQ(a->p_PlayKey(10, 0, 1), 1);
    EXPECT_EQ(a->p_PlayKey(10, 0, 0), 0);
    EXPECT_EQ(a->p_PlayKey(10, 0, -1), 0) << "joystick -1 checks only keys";
    KeyUp(256 + 32 + 0);
    KeyDown(256 + 7);  // start on joystick 0
    EXPECT_EQ(a->p_PlayKey(99, 0, 0), 1);
    KeyUp(256 + 7);

    c_JoyState* joy = bb_input_device->m_joyStates[0];
    joy->m_joyy[0] = 0.4f;
    EXPECT_EQ(a->p_PlayKey(0, 1, 0), 0) << "0.4 itself does not count";
    joy->m_joyy[0] = 0.41f;
    EXPECT_EQ(a->p_PlayKey(0, 1, 0), 1);
    EXPECT_EQ(a->p_PlayKey(0, 0, 0), 0) << "the stick counts only when asked";
    EXPECT_FLOAT_EQ(a->p_StickY(0, 0), -0.41f) << "StickY turns up into negative";
    EXPECT_FLOAT_EQ(a->p_StickY(0, -1), 0);
    joy->m_joyx[0] = -0.5f;
    EXPECT_EQ(a->p_PlayKey(3, 1, 0), 1);
    EXPECT_EQ(a->p_PlayKey(5, 1, 0), 0);
}

TEST_F(ControlsTest, VirtualButtonsAnswerTheirActions) {
    c_MyApp* a = app();
    a->m_VKeys[12] = 1;
    EXPECT_EQ(a->p_PlayKey(12, 0, -1), 1);
    a->m_VKeys[12] = 0;
    for (int vk : {16, 17, 19}) {
        a->m_VKeys[vk] = 2;
        EXPECT_EQ(a->p_PlayKey(99, 0, 0), 1) << "virtual " << vk;
        a->m_VKeys[vk] = 0;
    }
    a->m_VKeys[0] = 1;
    Update();
    EXPECT_EQ(a->m_VKeys[0], 0) << "a one-update press is cleared at the end of the update";
}

TEST_F(ControlsTest, ICadeLettersHoldVirtualButtonsUntilTheirRelease) {
    c_MyApp* a = app();
    Type('q');
    a->p_iCade(1);
    EXPECT_EQ(bb_Zanth_iCadeControls, 1);
    EXPECT_TRUE(host()->KeyboardEnabled());
    Update();
    EXPECT_EQ(a->m_VKeys[3], 0) << "characters queued before switching on are discarded";

    Type('w');
    Update();
    EXPECT_EQ(a->m_VKeys[0], 2);
    EXPECT_EQ(a->p_PlayKey(0, 0, -1), 1);
    Update();
    EXPECT_EQ(a->m_VKeys[0], 2) << "held until the release letter";
    Type('E');
    Type('L');
    Update();
    EXPECT_EQ(a->m_VKeys[0], 0);
    EXPECT_EQ(a->m_VKeys[17], 2);
    EXPECT_EQ(a->p_PlayKey(99, 0, 0), 1);

    KeyDown('W');
    EXPECT_EQ(a->p_PlayKey(0, 0, 0), 0) << "in iCade mode W is a letter, not up";
    KeyUp('W');
    KeyDown(38);
    EXPECT_EQ(a->p_PlayKey(0, 0, 0), 1);
    KeyUp(38);
    KeyDown('I');
    EXPECT_EQ(a->p_PlayKey(13, 0, 0), 0) << "rows 13 to 15 answer only their virtual buttons";
    KeyUp('I');

    a->p_iCade(0);
    EXPECT_EQ(a->m_VKeys[17], 0);
    EXPECT_FALSE(host()->KeyboardEnabled());
}

TEST_F(ControlsTest, DirectionKeysRampTheMoveVector) {
    c_MyApp* a = app();
    a->m_Pointing = 0;
    KeyDown(39);
    for (int i = 0; i < 7; ++i) a->p_AnalogueControl();
    EXPECT_FLOAT_EQ(a->m_MoveX, 1.0f) << "0.15 x 7 is limited to 1";
    KeyUp(39);
    std::vector<float> back;
    for (int i = 0; i < 6; ++i) {
        a->p_AnalogueControl();
        back.push_back(a->m_MoveX);
    }
    EXPECT_NEAR(back[0], 0.8f, 1e-5);
    EXPECT_NEAR(back[3], 0.2f, 1e-5);
    EXPECT_NEAR(back[4], 0.0f, 1e-5);
    EXPECT_EQ(back[5], 0.0f) << "stops at 0, never overshoots";

    KeyDown(38);
    a->p_AnalogueControl();
    a->p_AnalogueControl();
    EXPECT_NEAR(a->m_MoveY, -0.3f, 1e-5) << "up moves negative";
    KeyDown(40);
    a->p_AnalogueControl();
    EXPECT_NEAR(a->m_KeyRampY, -0.3f, 1e-5) << "both opposite keys leave the ramp";
    EXPECT_NEAR(a->m_MoveY, -0.3f, 1e-5) << "and it still moves";
    KeyUp(38);
    KeyUp(40);
}

TEST_F(ControlsTest, ANewApplicationHasNoStickAnchorYet) {
    // Otherwise a pointer already down in the first game update would count
    // as a full push away from (0, 0).
    ChildResult r = RunInChild([] {
        bb_app__app = nullptr;  // this child builds its own application
        c_MyApp* fresh = (new c_MyApp())->m_new();
        std::printf("%d %d", fresh->m_TouchAnchorX, fresh->m_TouchAnchorY);
    });
    EXPECT_EQ(r.out, "-1 -1");
}

TEST_F(ControlsTest, PointerDragsAVirtualStickAndTheLeftStickOverridesIt) {
    c_MyApp* a = app();
    a->m_Pointing = 1;
    a->m_TouchAnchorX = a->m_TouchAnchorY = -1;
    a->m_MouseX = 200;
    a->m_MouseY = 200;
    a->p_AnalogueControl();
    EXPECT_EQ(a->m_TouchAnchorX, 200);
    EXPECT_EQ(a->m_MoveX, 0);
    a->m_MouseX = 236;
    a->p_AnalogueControl();
    EXPECT_FLOAT_EQ(a->m_MoveX, 0.5f);
    a->m_MouseX = 205;
    a->p_AnalogueControl();
    EXPECT_EQ(a->m_MoveX, 0) << "a small push is dead";
    a->m_MouseX = 300;
    a->p_AnalogueControl();
    EXPECT_EQ(a->m_TouchAnchorX, 204) << "the anchor follows a far pointer";
    EXPECT_FLOAT_EQ(a->m_MoveX, 1.0f);

    bb_input_device->m_joyStates[0]->m_joyx[0] = -0.3f;
    a->p_AnalogueControl();
    EXPECT_FLOAT_EQ(a->m_MoveX, -0.3f);
    a->m_Pointing = 0;
    a->p_AnalogueControl();
    EXPECT_EQ(a->m_TouchAnchorX, -1);
}

TEST_F(ControlsTest, FullscreenFlipGoesToTheDesktopSizeAndBackTo640By480) {
    c_MyApp* a = app();
    Resize(800, 600);
    FinishLoading();
    a->p_FullscreenFlip();
    EXPECT_EQ(a->m_Fullscreen, 1);
    Render();
    EXPECT_EQ(bb_graphics_DeviceWidth(), 1280);
    EXPECT_EQ(bb_graphics_DeviceHeight(), 1024);
    EXPECT_NE(glfwGetWindowMonitor(host()->Window()), nullptr);
    a->p_FullscreenFlip();
    EXPECT_EQ(a->m_Fullscreen, 0);
    Render();
    EXPECT_EQ(bb_graphics_DeviceWidth(), 640);
    EXPECT_EQ(bb_graphics_DeviceHeight(), 480);
    FinishLoading();
}
