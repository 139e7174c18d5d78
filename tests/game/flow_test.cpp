// The application's flow: loading, fitting the virtual screen, resizing,
// suspension, the function keys and replaying the display list.
#include "game_world.h"

#include <GLFW/glfw3.h>

#include "input/device.h"

namespace {

class FlowTest : public GameTest {};

}  // namespace

TEST_F(FlowTest, CreationLoadsInStagesAndLandsOnTheMenu) {
    FinishLoading();
    c_MyApp* a = app();
    EXPECT_EQ(a->m_Mode, c_MyApp::kModeMenu);
    EXPECT_EQ(a->m_GameType, 2);
    EXPECT_EQ(a->m_Options[5], 1);
    EXPECT_EQ(a->m_Font, 90);
    EXPECT_EQ(a->m_JingleDone, 1);
    EXPECT_EQ(host()->UpdateRate(), 60);
    for (int i = 0; i < 33; ++i) ASSERT_EQ(a->m_SfxChannels[i], i);
    // Every slot the loader fills has its image and its frame metrics.
    struct Slot {
        int slot, w, h, frames;
    };
    for (Slot s : {Slot{1, 32, 32, 64}, Slot{80, 64, 64, 64}, Slot{91, 256, 256, 1}, Slot{93, 256, 256, 1},
                   Slot{94, 32, 32, 16}, Slot{95, 64, 64, 16}, Slot{96, 8, 8, 256}, Slot{97, 32, 32, 16},
                   Slot{98, 256, 128, 1}, Slot{99, 256, 256, 4}}) {
        ASSERT_NE(a->m_Img[s.slot], nullptr) << "slot " << s.slot;
        EXPECT_EQ(a->m_ImgInfo[3 * s.slot], s.w * a->m_HD) << "slot " << s.slot;
        EXPECT_EQ(a->m_ImgInfo[3 * s.slot + 1], s.h * a->m_HD);
        EXPECT_EQ(a->m_ImgInfo[3 * s.slot + 2], s.frames);
        EXPECT_EQ(a->m_Img[s.slot]->m_width, s.w * a->m_HD);
    }
    EXPECT_EQ(a->m_ImgInfo[3 * 90], 7);
    EXPECT_EQ(a->m_ImgInfo[3 * 90 + 1], 10);
    for (int sfx : {1, 2, 3, 4, 5, 6, 7, 8, 9, 95, 96, 98, 99}) EXPECT_NE(a->m_Sfx[sfx], nullptr) << "sound " << sfx;
}

TEST_F(FlowTest, ACompleteLoadTakes24UpdatesAfterReload) {
    FinishLoading();
    app()->p_Reload();
    int updates = 0;
    while (app()->m_LoadStage != 0 && updates < 100) {
        Update();
        ++updates;
        // While loading, each update redraws the loading screen.
        ASSERT_GT(Commands(), 20);
    }
    EXPECT_EQ(updates, 24);
}

TEST_F(FlowTest, VirtualScreenFitsTheDeviceWithOneScale) {
    struct Case {
        int w, h;
        float scale, jscrw, jscrh;
        int axis, landscape;
    };
    for (Case c : {Case{1280, 720, 2.0f, 640, 360, 1, 1}, Case{480, 800, 800.0f / 480, 288, 480, 2, 0},
                   Case{640, 480, 1.0f, 640, 480, 1, 1}}) {
        Resize(c.w, c.h);
        EXPECT_FLOAT_EQ(app()->m_ScaleX, c.scale) << c.w << "x" << c.h;
        EXPECT_FLOAT_EQ(app()->m_ScaleY, c.scale);
        EXPECT_FLOAT_EQ(bb_Zanth_jscrw, c.jscrw);
        EXPECT_FLOAT_EQ(bb_Zanth_jscrh, c.jscrh);
        EXPECT_EQ(app()->m_FitAxis, c.axis);
        EXPECT_EQ(app()->m_Landscape, c.landscape);
    }
    FinishLoading();
}

TEST_F(FlowTest, ResizingReloadsAtTheArtResolutionOfTheNewSize) {
    FinishLoading();
    struct Case {
        int w, h, hd;
    };
    int channelBefore = app()->m_SfxChan;
    // The start window is 640 wide, above 630: it already takes the "-hd" art.
    for (Case c : {Case{1024, 600, 2}, Case{600, 640, 2}, Case{630, 630, 1}, Case{1280, 1240, 4},
                   Case{640, 480, 2}}) {
        Resize(c.w, c.h);
        EXPECT_EQ(app()->m_LoadStage, 1) << "a new size starts loading again";
        FinishLoading();
        EXPECT_EQ(app()->m_HD, c.hd) << c.w << "x" << c.h << " device " << bb_graphics_DeviceWidth() << "x"
                                     << bb_graphics_DeviceHeight();
        EXPECT_FLOAT_EQ(app()->m_ImgScale, 1.0f / c.hd);
        EXPECT_EQ(app()->m_Img[1]->m_width, 32 * c.hd);
        EXPECT_EQ(app()->m_Img[90]->m_width, 16 * c.hd);
        EXPECT_EQ(app()->m_Mode, c_MyApp::kModeMenu) << "the mode resumes after loading";
    }
    EXPECT_EQ(app()->m_SfxChan, channelBefore) << "the jingle plays only on the first load";
}

TEST_F(FlowTest, BadgeIconsOnTheirWayDoNotHoldTheLoadingAndAreLoadedBetweenFramesWhenTheyArrive) {
    FinishLoading();
    bool arrived = false;
    SetFileReady([&](const std::string& path) { return arrived || path.find("BadgesA") == std::string::npos; });
    struct AtHand {
        ~AtHand() {
            SetFileReady(nullptr);
            app()->m_BadgesOpen = 0;
        }
    } atHand;
    Resize(700, 500);
    int updates = 0;
    for (; app()->m_LoadStage != 0 && updates < 100; ++updates) Update();
    EXPECT_EQ(updates, 24) << "the loading went on without the icons";
    EXPECT_EQ(app()->m_Img[80], nullptr);
    EXPECT_EQ(app()->m_ImgInfo[3 * 80], 64 * app()->m_HD) << "the slot's frames are known already";

    // The box says why its rows have no icons.
    app()->m_BadgesOpen = 1;
    Update();
    EXPECT_TRUE(Drew("Loadingicons...")) << TextDrawn();
    arrived = true;
    Update();
    EXPECT_EQ(app()->m_Img[80], nullptr) << "art is loaded between frames, not in an update";
    Render();
    ASSERT_NE(app()->m_Img[80], nullptr);
    EXPECT_EQ(app()->m_Img[80]->m_width, 64 * app()->m_HD);
    Update();
    EXPECT_FALSE(Drew("Loadingicons..."));
    Resize(640, 480);
    FinishLoading();
}

TEST_F(FlowTest, SuspendingARunningGamePausesItAndSlowsTheUpdates) {
    FinishLoading();
    app()->m_Mode = c_MyApp::kModeRound;
    app()->m_GameEnded = 0;
    app()->m_VKeys[3] = 2;
    host()->SuspendGame();
    EXPECT_EQ(app()->m_Paused, 1);
    EXPECT_EQ(app()->m_PauseState, 1);
    EXPECT_EQ(app()->m_PauseSlide, static_cast<int>(bb_Zanth_jscrh / 2));
    EXPECT_EQ(app()->m_VKeys[3], 0);
    EXPECT_EQ(host()->UpdateRate(), 5);
    host()->ResumeGame();
    EXPECT_EQ(app()->m_Paused, 1) << "resuming keeps a game paused until the player resumes it";
    EXPECT_EQ(host()->UpdateRate(), 60);

    app()->m_Mode = c_MyApp::kModeMenu;
    host()->SuspendGame();
    EXPECT_EQ(app()->m_Paused, 0);
    EXPECT_EQ(app()->m_PauseSlide, 0);
    host()->ResumeGame();
}

TEST_F(FlowTest, ModeTwoReturnsToTheMenuInOneUpdate) {
    FinishLoading();
    app()->m_Mode = c_MyApp::kModeToMenu;
    int channel = app()->m_SfxChan;
    Update();
    EXPECT_EQ(app()->m_Mode, c_MyApp::kModeMenu);
    EXPECT_EQ(app()->m_SfxChan, (channel + 1) % 24) << "the return plays its sound";
}

TEST_F(FlowTest, FunctionKeysToggleDebugModeAndTheHud) {
    FinishLoading();
    int debug = bb_Zanth_DebugMode, hud = app()->m_NoHud;
    KeyDown(112);
    KeyDown(113);
    Update();
    KeyUp(112);
    KeyUp(113);
    EXPECT_EQ(bb_Zanth_DebugMode, debug ^ 1);
    EXPECT_EQ(app()->m_NoHud, hud ^ 1);
    KeyDown(112);
    Update();
    KeyUp(112);
    KeyDown(113);
    Update();
    KeyUp(113);
    EXPECT_EQ(bb_Zanth_DebugMode, debug);
    EXPECT_EQ(app()->m_NoHud, hud);
}

TEST_F(FlowTest, ReplayDrawsTheRecordedListAtDeviceScale) {
    Resize(1280, 960);  // scale 2
    FinishLoading();
    c_MyApp* a = app();
    a->p_CLS2D(0, 0, 64, 1);
    a->p_SetCol(255, 0, 0, 1);
    a->p_Rect(10, 20, 30, 40);  // device (20, 40) .. (80, 120)
    a->p_SetCol(0, 255, 0, 1);
    a->p_Oval(300, 200, 10, 10);  // device centre (600, 400), radius 20
    EXPECT_EQ(RenderAndRead(50, 80), 0xff0000u);
    EXPECT_EQ(RenderAndRead(600, 400), 0x00ff00u);
    EXPECT_EQ(RenderAndRead(630, 400), 0x000040u) << "outside the oval: the background";
    EXPECT_EQ(RenderAndRead(10, 80), 0x000040u);
    // Rendering twice without an update shows the same picture.
    EXPECT_EQ(RenderAndRead(50, 80), 0xff0000u);
    Resize(640, 480);
    FinishLoading();
}

TEST_F(FlowTest, ImagesReplayWithTheirSizeAndTheArtScale) {
    FinishLoading();
    c_MyApp* a = app();
    a->p_CLS2D(0, 0, 0, 1);
    a->p_SetSize(2);
    a->p_DrawImg(93, 320, 240, 0);  // the 256 x 256 studio logo at size 2: 512 x 512 virtual
    EXPECT_NE(RenderAndRead(320, 240), 0u);
    EXPECT_NE(RenderAndRead(320 - 150, 240), 0u) << "at size 2 the logo reaches past its own frame";
    a->p_CLS2D(0, 0, 0, 1);
    a->p_DrawImg(42, 320, 240, 0);  // an empty slot draws nothing
    EXPECT_EQ(RenderAndRead(320, 240), 0u);
}
