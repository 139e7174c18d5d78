// game/flow.cpp - the framework calls, the screen-mode flow and the loading screen.
#include <cmath>

#include "game/globals.h"
#include "game/myapp.h"
#include "game/replay.h"
#include "game/screen_fit.h"
#include "host/world_board.h"
#include "input/device.h"
#include "input/host_input.h"
#include "runtime/error.h"
#include "support/asyncevent.h"

namespace {

// Runtime key codes the flow reacts to.
const int kKeyF1 = 112;
const int kKeyF2 = 113;
const int kKeyF4 = 115;
const int kKeyF11 = 122;
const int kKeyOuyaMenu = 270;

// The actions whose keys count as navigation (the key latch waits for all of
// them to be released).
const int kNavigationActions[] = {
    c_MyApp::kActionUp,        c_MyApp::kActionLeft,  c_MyApp::kActionRight,  c_MyApp::kActionDown,
    c_MyApp::kActionJump,      c_MyApp::kActionJump2, c_MyApp::kActionJump3,  c_MyApp::kActionButton4,
    c_MyApp::kActionShoulderL, c_MyApp::kActionBack,  c_MyApp::kICadeExtra1, c_MyApp::kICadeExtra2,
    c_MyApp::kActionMenu,
};

// One step of a slide toward `target`.
int step_toward(int value, int target) { return value < target ? value + 1 : (value > target ? value - 1 : value); }

}  // namespace

// ---------------------------------------------------------------------------
// Creation, suspension
// ---------------------------------------------------------------------------

int c_MyApp::p_OnCreate() {
    if (bb_Zanth_isOuya == 1) bb_Zanth_overscan = 64;
    m_Fullscreen = 0;
    m_JingleDone = 0;
    // Where sound waits for the player's first gesture, the click-to-start
    // screen follows the first loading and asks for it.
    m_Mode = BBGame::_game->SoundNeedsGesture() ? kModeClickToStart : kModeMenu;
    bb_app_SetUpdateRate(60);
    m_DevW = bb_graphics_DeviceWidth();
    m_DevH = bb_graphics_DeviceHeight();
    // The music player's tracks sit on channels 31 down to 27, below music.
    if (bb_Zanth_HasMusic == 1) m_JMPlayer->p_JM_Init(32, 4, 3, 3, 4);
    m_AccelX0 = m_AccelY0 = 0;
    p_Reload();
    m_GameType = 2;
    m_MenuSlide = -32;
    m_Paused = 0;
    m_PauseState = -1;
    m_PauseSlide = -64;
    for (int i = 0; i < 15; ++i) m_BadgeShow[i] = m_BadgeTime[i] = 0;
    for (int i = 0; i < 128; ++i) m_Badges[i] = false;
    for (int i = 0; i < 19; ++i) m_VKeys[i] = 0;
    for (int i = 0; i < 25; ++i) m_Options[i] = 0;
    m_Options[5] = 1;
    for (int i = 0; i <= 30; ++i) m_Scores[i] = 0;
    p_Load();
    for (int i = 0; i < 33; ++i) m_SfxChannels[i] = i;
    // A replay handed over before the start (--replay) plays once the menu is up.
    m_Replays->WatchReplayHandedOver();
    return 0;
}

// A running round pauses when the window loses the focus. A round that has
// ended does not, as it does not for the pause key: its banner leads back to
// the menu, which must not come back paused.
void c_MyApp::PauseForSuspension() {
    if (m_Mode >= kModeRound && m_GameEnded == 0) {
        m_Paused = 1;
        m_PauseState = 1;
        m_PauseSlide = static_cast<int>(bb_Zanth_jscrh / 2);
    } else {
        m_Paused = m_PauseState = m_PauseSlide = 0;
    }
}

int c_MyApp::p_OnSuspend() {
    BBGame::_game->SetKeyboardEnabled(false);
    bb_Zanth_iCadeControls = 0;
    for (int i = 0; i < 19; ++i) m_VKeys[i] = 0;
    PauseForSuspension();
    bb_app_SetUpdateRate(5);
    p_Save();
    return 0;
}

int c_MyApp::p_OnResume() {
    PauseForSuspension();
    bb_app_SetUpdateRate(60);
    BBGame::_game->SetKeyboardEnabled(false);
    bb_Zanth_iCadeControls = 0;
    for (int i = 0; i < 19; ++i) m_VKeys[i] = 0;
    return 0;
}

// ---------------------------------------------------------------------------
// Update
// ---------------------------------------------------------------------------

void c_MyApp::UpdateRates(int* ms, int* fps, int* avg) {
    int now = bb_app_Millisecs();
    int elapsed = now - *ms;
    if (elapsed < 1) return;
    *fps = 1000 / elapsed;
    *avg = (*fps + 9 * *avg) / 10;
    *ms = now;
}

void c_MyApp::ReadPointer() {
    // Before the first fit (or on a device with no size) one virtual pixel is
    // taken as one device pixel rather than dividing by zero.
    float sx = m_ScaleX > 0 ? m_ScaleX : 1;
    float sy = m_ScaleY > 0 ? m_ScaleY : 1;
    float ox = bb_Zanth_overscan;
    int dw = bb_graphics_DeviceWidth();
    float oy = dw > 0 ? bb_Zanth_overscan * bb_graphics_DeviceHeight() / dw : 0;

    m_MouseOldX = m_MouseX;
    m_MouseOldY = m_MouseY;
    m_MouseX = static_cast<int>((bb_input_MouseX() - ox) / sx);
    m_MouseY = static_cast<int>((bb_input_MouseY() - oy) / sy);
    int down = bb_input_MouseDown(0);
    if (down && !m_MouseWasDown) {
        m_MouseOldX = m_MouseX;
        m_MouseOldY = m_MouseY;
    }
    m_Pointing = down;
    m_Clicked = bb_input_MouseHit(0);

    for (int i = 0; i < 10; ++i) {
        m_TouchDown[i] = 0;
        m_TouchX[i] = m_TouchY[i] = kNotGiven;
        if (!bb_input_TouchDown(i)) continue;
        m_TouchDown[i] = 1;
        m_TouchX[i] = static_cast<int>((bb_input_TouchX(i) - ox) / sx);
        m_TouchY[i] = static_cast<int>((bb_input_TouchY(i) - oy) / sy);
        m_Pointing = 1;
    }

    m_MouseWasDown = down;
    if (!m_Pointing) m_TouchLatch = 0;
    if (m_InputDelay > 0) --m_InputDelay;
}

void c_MyApp::LatchKeys() {
    bool navigation = false, back = false;
    for (int pad = 0; pad < 4; ++pad) {
        for (int action : kNavigationActions) navigation = navigation || p_PlayKey(action, 1, pad);
        back = back || p_PlayKey(kActionMenu, 1, pad);
    }
    if (!navigation) m_KeyLatch = 0;
    if ((navigation && m_KeyLatch == 1) || m_TouchLatch == 1) return;
    if (back && m_Mode == kModeMenu && (m_CreditsOpen || m_OptionsOpen || m_BadgesOpen)) {
        m_CreditsOpen = 0;
        m_BadgesOpen = 0;
        m_KeyLatch = m_TouchLatch = 1;
    }
    if (m_OptionsOpen) m_KeyLatch = m_TouchLatch = 1;
}

void c_MyApp::RunMode() {
    switch (m_Mode) {
        case kModeMenu:
            p_Menu();
            break;
        case kModeToMenu:
            p_LoadMenu();
            p_PlaySFX2(96, 1);
            m_Mode = kModeMenu;
            break;
        case kModeQuitBox:
            p_OuyaQuit();
            break;
        case kModeClickToStart:
            p_WaitStart(0);
            break;
        case kModeRound:
            p_Game();
            p_InGame();
            if (m_Mode == kModeRound && m_GameEnded > 0) p_GameOver();
            break;
        case kModeStartRound:
            p_LoadGame();
            break;
    }
}

void c_MyApp::RunBoxes() {
    if (m_Mode == kModeMenu || m_Mode == kModeToMenu) p_GameOver();
    if (m_Mode == kModeMenu && (m_CreditsOpen || m_CreditSlide > 0)) p_CreditBox();
    m_CreditSlide = step_toward(m_CreditSlide, m_CreditsOpen ? 30 : 0);
    if (m_Mode == kModeMenu && m_BadgesOpen) p_BadgesBox();
    if (m_Mode == kModeMenu && m_NameOpen) p_NameBox();
    if (m_OptionsOpen || m_OptionSlide > 0) {
        p_OptionBox();
        m_OptionSlide = step_toward(m_OptionSlide, m_OptionsOpen ? 30 : 0);
    }
}

int c_MyApp::p_OnUpdate() {
    m_Replays->BeginUpdate();
    m_VKeys[19] = bb_Zanth_isOuya == 1 ? (bb_input_KeyHit(kKeyOuyaMenu) ? 1 : 0) : bb_input_KeyHit(kKeyBack);

    if (bb_input_KeyHit(kKeyF1)) bb_Zanth_DebugMode ^= 1;
    if (bb_input_KeyHit(kKeyF2)) m_NoHud ^= 1;
    if (bb_input_KeyHit(kKeyF11)) p_FullscreenFlip();
    if (bb_input_KeyHit(kKeyF4) || bb_input_KeyHit(kKeyClose)) bbError(String());

    bb_asyncevent_UpdateAsyncEvents();
    bbWorldBoard()->Poll();

    if (bb_Zanth_HasMusicStream == 1 && m_TunePlaying == 1) {
        if (m_Paused) {
            bb_audio_PauseMusic();
        } else {
            bb_audio_ResumeMusic();
        }
    }

    UpdateRates(&m_UpdateMs, &m_UpdateFps, &m_UpdateFpsAvg);
    if (bb_Zanth_HasMusic == 1) {
        int mode = SoundMode();
        m_JMPlayer->p_JM_Alive_U(m_Paused, mode == 1 || mode == 3 ? 1 : 0);
    }

    ReadPointer();
    LatchKeys();

    if (m_LoadStage == 0) {
        RunMode();
        RunBoxes();
    }
    if (m_LoadStage > 0) p_Loader();

    while (bb_Zanth_iCadeControls == 1) {
        int c = bb_input_GetChar();
        if (c < 1) break;
        m_Hit = c;
        p_iCadeLetter(c);
    }

    for (int i = 0; i < 19; ++i)
        if (m_VKeys[i] == 1) m_VKeys[i] = 0;

    if (bb_Zanth_OnScreenControls == 1 && m_Mode > kModeClickToStart && bb_Zanth_iCadeControls == 0) OnScreenPad();
    if (bb_Zanth_iCadeControls == 1) {
        m_TiltX = m_TiltY = m_TiltSmX = m_TiltSmY = 0;
    } else if (bb_Zanth_AccelerometerControls == 1) {
        TiltControl();
    }
    if (bb_Zanth_DebugMode == 1 && m_Mode != kModeClickToStart) DebugLine();
    p_ShowBadges();
    m_Replays->EndUpdate();
    return 0;
}

// ---------------------------------------------------------------------------
// Render
// ---------------------------------------------------------------------------

void c_MyApp::FitScreen(int deviceW, int deviceH) {
    ScreenFit fit = FitVirtualScreen(deviceW, deviceH, bb_Zanth_overscan, bb_Zanth_rawscrw, bb_Zanth_rawscrh);
    bb_Zanth_jscrw = fit.width;
    bb_Zanth_jscrh = fit.height;
    m_ScaleX = fit.scaleX;
    m_ScaleY = fit.scaleY;
    m_FitAxis = fit.axis;
    m_Landscape = fit.landscape;
}

void c_MyApp::PlayDrawList() {
    gxtkGraphics* device = bb_graphics_renderDevice;
    if (!device) return;
    int dw = bb_graphics_DeviceWidth();
    float ox = bb_Zanth_overscan;
    float oy = dw > 0 ? bb_Zanth_overscan * bb_graphics_DeviceHeight() / dw : 0;
    float sx = m_ScaleX, sy = m_ScaleY;
    // The blend goes to the renderer only when it changes: every change
    // flushes the batch.
    int blend = -1;
    const float* list = &m_DrawList[0];
    for (int at = 0; at + kDrawFloats <= m_DrawCount; at += kDrawFloats) {
        const float* c = list + at;
        bb_graphics_SetAlpha(c[7]);
        bb_graphics_SetColor(c[10], c[11], c[12]);
        int wanted = c[13] == 3 ? 1 : 0;
        if (wanted != blend) {
            bb_graphics_SetBlend(wanted);
            blend = wanted;
        }
        float x = ox + sx * c[1], y = oy + sy * c[2];
        int kind = static_cast<int>(c[0]);
        switch (kind) {
            case kKindRect:
                device->DrawRect(x, y, sx * c[4], sy * c[5]);
                break;
            case kKindOval: {
                float rx = sx * c[4], ry = sy * c[5];
                device->DrawOval(x - rx, y - ry, 2 * rx, 2 * ry);
                break;
            }
            case kKindLine:
                device->DrawLine(x, y, ox + sx * c[4], oy + sy * c[5]);
                break;
            default:
                if (kind >= 0 && kind < kSlots && m_Img[kind]) {
                    bb_graphics_DrawImage2(m_Img[kind], x, y, c[3], sx * c[4] * m_ImgScale, sy * c[5] * m_ImgScale,
                                           static_cast<int>(c[6]));
                }
                break;
        }
    }
}

int c_MyApp::p_OnRender() {
    // The on-screen pad follows how the player plays: shown while the host
    // says a finger was used last, hidden while keys or a game pad are. It
    // changes here, between updates, where a replay records the change.
    bb_Zanth_OnScreenControls = BBGame::_game->TouchInUse() ? 1 : 0;
    LoadArrivedImages();
    if (bb_Zanth_HasMusic == 1) m_JMPlayer->p_JM_Alive_R();
    UpdateRates(&m_RenderMs, &m_RenderFps, &m_RenderFpsAvg);

    int dw = bb_graphics_DeviceWidth(), dh = bb_graphics_DeviceHeight();
    bb_graphics_SetColor(m_ClsR, m_ClsG, m_ClsB);
    bb_graphics_SetAlpha(m_ClsA);
    if (bb_graphics_renderDevice) bb_graphics_renderDevice->DrawRect(-1, -1, dw + 2, dh + 2);
    bb_graphics_SetColor(255, 255, 255);
    bb_graphics_SetAlpha(1);

    if (dw != m_DevW || dh != m_DevH) {
        m_LoadStage = 1;
        m_DevW = dw;
        m_DevH = dh;
    }
    FitScreen(dw, dh);
    PlayDrawList();
    bb_graphics_SetAlpha(0.5f);
    bb_graphics_SetColor(255, 255, 255);
    return 0;
}
