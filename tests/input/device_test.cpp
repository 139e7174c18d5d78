// tests/input/device_test.cpp - the input state the game reads, fed through
// the host and the framework's delegate.
#include "common/test_support.h"
#include "host/app.h"
#include "input_fixture.h"

namespace {

using InputDevice = InputTest;

const int kA = 65, kLeft = 37, kShift = 16;

TEST_F(InputDevice, KeyPressedAndReleasedBetweenUpdatesIsHitOnceButNotHeld) {
    Press(kA);
    Update([] {
        EXPECT_EQ(bb_input_KeyHit(kA), 1);
        EXPECT_EQ(bb_input_KeyDown(kA), 0);
    });
}

TEST_F(InputDevice, ThreePressesBetweenUpdatesCountThreeHits) {
    Press(kA);
    Press(kA);
    Press(kA);
    Update([] { EXPECT_EQ(bb_input_KeyHit(kA), 3); });
}

TEST_F(InputDevice, HitBelongsToOneUpdateWhileHeldFlagLasts) {
    Host()->KeyEvent(kEventKeyDown, kLeft);
    Update([] {
        EXPECT_EQ(bb_input_KeyHit(kLeft), 1);
        EXPECT_EQ(bb_input_KeyDown(kLeft), 1);
    });
    Update([] {
        EXPECT_EQ(bb_input_KeyHit(kLeft), 0);
        EXPECT_EQ(bb_input_KeyDown(kLeft), 1);
    });
    Host()->KeyEvent(kEventKeyUp, kLeft);
    Update([] { EXPECT_EQ(bb_input_KeyDown(kLeft), 0); });
}

TEST_F(InputDevice, RepeatedKeyDownOfAHeldKeyCountsNoFurtherHit) {
    for (int i = 0; i < 5; ++i) Host()->KeyEvent(kEventKeyDown, kLeft);
    Update([] { EXPECT_EQ(bb_input_KeyHit(kLeft), 1); });
}

TEST_F(InputDevice, KeyUpOfAKeyNotHeldChangesNothing) {
    Host()->KeyEvent(kEventKeyUp, kA);
    Update([] {
        EXPECT_EQ(bb_input_KeyDown(kA), 0);
        EXPECT_EQ(bb_input_KeyHit(kA), 0);
    });
}

TEST_F(InputDevice, HitQueueTakes33HitsPerUpdateAndStartsEmptyAgain) {
    for (int code = 65; code < 65 + 33; ++code) Press(code);  // A..Z and beyond
    Host()->KeyEvent(kEventKeyDown, 200);                     // the 34th hit
    Update([] {
        for (int code = 65; code < 65 + 33; ++code) EXPECT_EQ(bb_input_KeyHit(code), 1) << code;
        EXPECT_EQ(bb_input_KeyHit(200), 0);  // dropped: neither counted nor queued
        EXPECT_EQ(bb_input_KeyDown(200), 1);  // but held all the same
    });
    Update([] {
        for (int code = 1; code < 512; ++code) EXPECT_EQ(bb_input_KeyHit(code), 0) << code;
    });
    Press(kA);
    Update([] { EXPECT_EQ(bb_input_KeyHit(kA), 1); });
}

TEST_F(InputDevice, CharacterQueueKeeps32CharactersInOrderPerUpdate) {
    for (int i = 0; i < 33; ++i) Host()->KeyEvent(kEventKeyChar, 'a' + i);
    Update([] {
        for (int i = 0; i < 32; ++i) EXPECT_EQ(bb_input_GetChar(), 'a' + i);
        EXPECT_EQ(bb_input_GetChar(), 0);  // the 33rd was dropped
        EXPECT_EQ(bb_input_GetChar(), 0);
    });
}

TEST_F(InputDevice, CharactersNotReadDuringTheUpdateAreLost) {
    Host()->KeyEvent(kEventKeyChar, 'x');
    Host()->KeyEvent(kEventKeyChar, 'y');
    Update([] { EXPECT_EQ(bb_input_GetChar(), 'x'); });
    Host()->KeyEvent(kEventKeyChar, 'z');
    Update([] {
        EXPECT_EQ(bb_input_GetChar(), 'z');
        EXPECT_EQ(bb_input_GetChar(), 0);
    });
}

TEST_F(InputDevice, LeftMouseButtonIsAlsoTouchZero) {
    Host()->MouseEvent(kEventMouseDown, 0, 120, 45);
    Update([] {
        EXPECT_EQ(bb_input_MouseDown(0), 1);
        EXPECT_EQ(bb_input_MouseHit(0), 1);
        EXPECT_EQ(bb_input_KeyDown(1), 1);
        EXPECT_EQ(bb_input_TouchDown(0), 1);
        EXPECT_EQ(bb_input_KeyHit(384), 1);
        EXPECT_EQ(bb_input_MouseX(), 120);
        EXPECT_EQ(bb_input_MouseY(), 45);
        EXPECT_EQ(bb_input_TouchX(0), 120);
        EXPECT_EQ(bb_input_TouchY(0), 45);
    });
    Host()->MouseEvent(kEventMouseUp, 0, 300, 300);
    Update([] {
        EXPECT_EQ(bb_input_MouseDown(0), 0);
        EXPECT_EQ(bb_input_TouchDown(0), 0);
        EXPECT_EQ(bb_input_MouseX(), 120);  // a release does not move the pointer
    });
}

TEST_F(InputDevice, RightAndMiddleButtonsAreCodesTwoAndThree) {
    Host()->MouseEvent(kEventMouseDown, 1, 5, 6);
    Host()->MouseEvent(kEventMouseDown, 2, 7, 8);
    Update([] {
        EXPECT_EQ(bb_input_KeyDown(2), 1);
        EXPECT_EQ(bb_input_KeyDown(3), 1);
        EXPECT_EQ(bb_input_MouseDown(1), 1);
        EXPECT_EQ(bb_input_TouchDown(0), 0);
        EXPECT_EQ(bb_input_MouseX(), 7);
    });
}

TEST_F(InputDevice, MouseMovesTouchZeroAndTouchZeroMovesTheMouse) {
    Host()->MouseEvent(kEventMouseMove, -1, 10.5f, 20.25f);
    Update([] {
        EXPECT_EQ(bb_input_MouseX(), 10.5f);
        EXPECT_EQ(bb_input_TouchX(0), 10.5f);
        EXPECT_EQ(bb_input_TouchY(0), 20.25f);
        EXPECT_EQ(bb_input_KeyHit(1), 0);  // moving presses nothing
    });
    Host()->TouchEvent(kEventTouchMove, 0, 3, 4);
    Host()->TouchEvent(kEventTouchDown, 5, 50, 60);
    Update([] {
        EXPECT_EQ(bb_input_MouseX(), 3);
        EXPECT_EQ(bb_input_MouseY(), 4);
        EXPECT_EQ(bb_input_TouchDown(5), 1);
        EXPECT_EQ(bb_input_TouchX(5), 50);
        EXPECT_EQ(bb_input_MouseX(), 3);  // only finger 0 is the mouse
    });
}

TEST_F(InputDevice, TouchZeroPressIsAlsoTheLeftButton) {
    Host()->TouchEvent(kEventTouchDown, 0, 1, 2);
    Update([] {
        EXPECT_EQ(bb_input_MouseDown(0), 1);
        EXPECT_EQ(bb_input_MouseHit(0), 1);
    });
    Host()->TouchEvent(kEventTouchUp, 0, 1, 2);
    Update([] { EXPECT_EQ(bb_input_MouseDown(0), 0); });
}

TEST_F(InputDevice, AccelerationComesOnlyFromMotionEvents) {
    Host()->MotionEvent(kEventMotionAccel, 0, 0.5f, -0.25f, 1);
    Host()->MotionEvent(kEventKeyDown, 0, 9, 9, 9);
    Update([] {
        EXPECT_EQ(bb_input_AccelX(), 0.5f);
        EXPECT_EQ(bb_input_AccelY(), -0.25f);
    });
}

TEST_F(InputDevice, KeyboardSwitchReachesTheHost) {
    EXPECT_EQ(bb_input_EnableKeyboard(), 1);
    EXPECT_TRUE(Host()->KeyboardEnabled());
    EXPECT_EQ(bb_input_DisableKeyboard(), 1);
    EXPECT_FALSE(Host()->KeyboardEnabled());
}

// ---------------------------------------------------------------------------
// Numbers outside the ranges
// ---------------------------------------------------------------------------

TEST_F(InputDevice, QueriesOutsideTheRangesReadZero) {
    Host()->joysticks[3].present = true;
    Host()->joysticks[3].values.buttons[31] = true;  // code 383
    Host()->joysticks[1].present = true;
    Host()->joysticks[1].values.buttons[0] = true;   // code 288
    Host()->KeyEvent(kEventKeyDown, 511);
    Update([] {
        for (int code : {0, -1, 512, 100000, -2147483647 - 1, 2147483647}) {
            EXPECT_EQ(bb_input_KeyDown(code), 0) << code;
            EXPECT_EQ(bb_input_KeyHit(code), 0) << code;
        }
        EXPECT_EQ(bb_input_KeyDown(511), 1);
        EXPECT_EQ(bb_input_MouseDown(510), 1);  // code 511
        EXPECT_EQ(bb_input_MouseDown(511), 0);
        EXPECT_EQ(bb_input_MouseDown(-1), 0);
        EXPECT_EQ(bb_input_MouseHit(-2), 0);
        EXPECT_EQ(bb_input_TouchDown(-1), 0);  // would be code 383
        EXPECT_EQ(bb_input_TouchDown(32), 0);  // would be code 416, back
        EXPECT_EQ(bb_input_TouchX(32), 0);
        EXPECT_EQ(bb_input_TouchY(-1), 0);
        EXPECT_EQ(bb_input_JoyDown(32, 0), 0);  // would be joystick 1, button 0
        EXPECT_EQ(bb_input_JoyDown(0, 1), 1);
        EXPECT_EQ(bb_input_JoyDown(31, 3), 1);
        EXPECT_EQ(bb_input_JoyDown(31, 4), 0);
        EXPECT_EQ(bb_input_JoyHit(-1, 0), 0);
        EXPECT_EQ(bb_input_JoyHit(0, -1), 0);
        EXPECT_EQ(bb_input_JoyX(2, 0), 0);
        EXPECT_EQ(bb_input_JoyY(0, 4), 0);
        EXPECT_EQ(bb_input_JoyX(-1, -1), 0);
    });
}

TEST_F(InputDevice, EventsWithNumbersOutsideTheRangesChangeNothing) {
    Host()->KeyEvent(kEventKeyDown, 512);
    Host()->KeyEvent(kEventKeyDown, -5);
    Host()->KeyEvent(kEventKeyDown, 0);
    Host()->MouseEvent(kEventMouseDown, 600, 1, 1);
    Host()->MouseEvent(kEventMouseDown, -1, 1, 1);
    Host()->TouchEvent(kEventTouchDown, 40, 7, 7);
    Host()->TouchEvent(kEventTouchDown, -1, 7, 7);
    Host()->TouchEvent(kEventTouchMove, 1000000, 7, 7);
    Host()->KeyEvent(99, 65);
    Update([] {
        for (int code = 1; code < 512; ++code) {
            EXPECT_EQ(bb_input_KeyDown(code), 0) << code;
            EXPECT_EQ(bb_input_KeyHit(code), 0) << code;
        }
        for (int finger = 0; finger < 32; ++finger) EXPECT_EQ(bb_input_TouchX(finger), 0) << finger;
    });
}

TEST_F(InputDevice, QueriesBeforeTheDeviceExistsReadZero) {
    c_InputDevice* saved = bb_input_device;
    bb_input_SetInputDevice(nullptr);
    EXPECT_EQ(bb_input_KeyDown(65), 0);
    EXPECT_EQ(bb_input_KeyHit(65), 0);
    EXPECT_EQ(bb_input_GetChar(), 0);
    EXPECT_EQ(bb_input_MouseX(), 0);
    EXPECT_EQ(bb_input_TouchX(0), 0);
    EXPECT_EQ(bb_input_JoyX(0, 0), 0);
    EXPECT_EQ(bb_input_JoyDown(0, 0), 0);
    EXPECT_EQ(bb_input_AccelX(), 0);
    bb_input_SetInputDevice(saved);
}

// ---------------------------------------------------------------------------
// Joysticks
// ---------------------------------------------------------------------------

TEST_F(InputDevice, JoystickButtonIsHitWhenPressedAndHeldWhileItStays) {
    TestHost::Joystick& pad = Host()->joysticks[0];
    pad.present = true;
    pad.values.buttons[3] = true;
    pad.values.joyx[0] = 0.5f;
    pad.values.joyy[1] = -0.75f;
    Update([] {
        EXPECT_EQ(bb_input_JoyDown(3, 0), 1);
        EXPECT_EQ(bb_input_JoyHit(3, 0), 1);
        EXPECT_EQ(bb_input_KeyDown(259), 1);
        EXPECT_EQ(bb_input_JoyX(0, 0), 0.5f);
        EXPECT_EQ(bb_input_JoyY(1, 0), -0.75f);
    });
    Update([] {
        EXPECT_EQ(bb_input_JoyDown(3, 0), 1);
        EXPECT_EQ(bb_input_JoyHit(3, 0), 0);
    });
    pad.values.buttons[3] = false;
    Update([] { EXPECT_EQ(bb_input_JoyDown(3, 0), 0); });
}

TEST_F(InputDevice, EveryPortIsPolledEvenPastAGap) {
    // Pad numbers stay put when an earlier pad is unplugged.
    Host()->joysticks[0].present = true;
    Host()->joysticks[1].present = true;
    Host()->joysticks[3].present = true;
    Host()->joysticks[3].values.buttons[0] = true;
    Update([] { EXPECT_EQ(bb_input_JoyHit(0, 3), 1); });
    EXPECT_EQ(Host()->polled, (std::vector<int>{0, 1, 2, 3}));

    Host()->polled.clear();
    Host()->joysticks[0].present = false;
    Update([] { EXPECT_EQ(bb_input_JoyDown(0, 3), 1); });
    EXPECT_EQ(Host()->polled, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(InputDevice, UnpluggedJoystickComesToRest) {
    TestHost::Joystick& pad = Host()->joysticks[0];
    pad.present = true;
    pad.values.buttons[7] = true;
    pad.values.joyx[0] = 1.0f;
    pad.values.joyy[0] = -0.5f;
    Update([] { EXPECT_EQ(bb_input_JoyDown(7, 0), 1); });
    pad.present = false;
    Update([] {
        EXPECT_EQ(bb_input_JoyDown(7, 0), 0) << "no button stays held";
        EXPECT_EQ(bb_input_JoyHit(7, 0), 0);
        EXPECT_EQ(bb_input_JoyX(0, 0), 0.0f) << "no stick stays pushed";
        EXPECT_EQ(bb_input_JoyY(0, 0), 0.0f);
    });
    pad.present = true;
    Update([] { EXPECT_EQ(bb_input_JoyHit(7, 0), 1) << "plugged in again, the held button is a new press"; });
}

TEST_F(InputDevice, SecondJoystickButtonsHaveTheirOwnCodes) {
    Host()->joysticks[0].present = true;
    Host()->joysticks[1].present = true;
    Host()->joysticks[1].values.buttons[9] = true;
    Update([] {
        EXPECT_EQ(bb_input_JoyHit(9, 1), 1);
        EXPECT_EQ(bb_input_KeyDown(256 + 32 + 9), 1);
        EXPECT_EQ(bb_input_JoyDown(9, 0), 0);
    });
}

// ---------------------------------------------------------------------------
// Collector
// ---------------------------------------------------------------------------

bool OnFreeList(gc_object* p) {
    for (gc_object* q = gc_free_list.succ; q != &gc_free_list; q = q->succ) {
        if (q == p) return true;
    }
    return false;
}

TEST_F(InputDevice, EveryArrayOfTheDeviceSurvivesCollection) {
    c_InputDevice* in = Input();
    GcFinishCycle();
    GcFinishCycle();
    std::vector<gc_object*> parts = {in->m_joyStates.rep(), in->m_keyDown.rep(), in->m_keyHitQueue.rep(),
                                     in->m_keyHit.rep(),    in->m_charQueue.rep(), in->m_touchX.rep(),
                                     in->m_touchY.rep()};
    for (int port = 0; port < 4; ++port) {
        c_JoyState* joy = in->m_joyStates[port];
        parts.push_back(joy);
        for (gc_object* a : {static_cast<gc_object*>(joy->m_joyx.rep()), static_cast<gc_object*>(joy->m_joyy.rep()),
                             static_cast<gc_object*>(joy->m_joyz.rep()),
                             static_cast<gc_object*>(joy->m_buttons.rep())}) {
            parts.push_back(a);
        }
    }
    for (size_t i = 0; i < parts.size(); ++i) EXPECT_FALSE(OnFreeList(parts[i])) << "part " << i;
    EXPECT_EQ(gc_check_heap(), 0);
    Press(kShift);
    Update([] { EXPECT_EQ(bb_input_KeyHit(kShift), 1); });
}

}  // namespace
