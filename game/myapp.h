// game/myapp.h - c_MyApp, the game's one application object.
//
// The framework calls p_OnCreate once, then p_OnUpdate and p_OnRender from the
// main loop, and p_OnSuspend / p_OnResume in alternation. Two rules shape the
// whole class:
//
// - Nothing is drawn during p_OnRender except what p_OnUpdate recorded: every
//   drawing helper appends a 15-float command to the display list m_DrawList
//   (at most kDrawCommands a frame; further commands are dropped), and
//   p_OnRender replays the list scaled from the virtual screen to the device.
// - All logic works in virtual pixels of a 640 x 480 base screen whose visible
//   size (bb_Zanth_jscrw x bb_Zanth_jscrh) is recomputed at every render so
//   that one uniform scale fills the device.
//
// Every field is 32 bits: ints, floats, flags (0 or 1) and collected arrays
// allocated once by m_new and never replaced. "Scratch" fields are working
// variables shared by several methods; nothing relies on them across calls.
//
// The class is implemented across the files of game/, one per concern:
// app_object (construction, tracing), flow (create/update/render/suspend),
// overlays (on-screen pad, tilt, debug line), loading_screen, drawing (display
// list and text), assets (staged loader), controls (actions, sticks, iCade,
// fullscreen), sound (effects and the tune), and the screens whose rules live
// in menus, gameplay, level, badges and persistence.
#ifndef LANTERN_GAME_MYAPP_H
#define LANTERN_GAME_MYAPP_H

#include <initializer_list>

#include "audio/audio.h"
#include "game/music_player.h"
#include "graphics/graphics.h"
#include "host/app.h"

class ReplaySession;

class c_MyApp : public c_App {
public:
    // Display list: commands of kDrawFloats floats, kinds below.
    static constexpr int kDrawFloats = 15;
    static constexpr int kDrawCommands = 2500;
    static constexpr int kDrawListLength = kDrawFloats * kDrawCommands;  // 37500
    static constexpr int kDrawLast = kDrawListLength - kDrawFloats - 1;  // 37484: appending stops above this
    static constexpr int kKindRect = -3717;
    static constexpr int kKindOval = -3716;
    static constexpr int kKindLine = -3715;
    // An optional argument counts as given when it is greater than kNotGiven.
    static constexpr int kNotGiven = -3717;

    // Screen modes (m_Mode). The values are kept by the order the flow
    // compares them in: the on-screen pad belongs to every mode above
    // kModeClickToStart, and from kModeRound up a round runs or starts.
    static constexpr int kModeMenu = 1;          // the main menu
    static constexpr int kModeToMenu = 2;        // back to the menu: one update that reloads it
    static constexpr int kModeQuitBox = 4;       // the quit confirmation of console builds
    static constexpr int kModeClickToStart = 5;  // waits for the player's first gesture
    static constexpr int kModeRound = 10;        // a round runs
    static constexpr int kModeStartRound = 11;   // builds a round's maze, then kModeRound in the same update

    // Game actions (p_PlayKey); each is also the index of the virtual button
    // that answers it, but for kActionMenu (buttons 16, 17 and 19).
    static constexpr int kActionUp = 0;
    static constexpr int kActionLeft = 3;
    static constexpr int kActionRight = 5;
    static constexpr int kActionDown = 8;
    static constexpr int kActionJump = 10;       // button 1: jumps; confirms in the menus
    static constexpr int kActionJump2 = 11;      // button 2: jumps too
    static constexpr int kActionJump3 = 12;      // button 3: jumps too
    static constexpr int kActionButton4 = 13;    // pauses a round on the console
    static constexpr int kActionShoulderL = 14;  // the badges in the menu; lowers the overscan
    static constexpr int kActionBack = 15;       // right shoulder: back, the credits; raises the overscan
    static constexpr int kActionMenu = 99;       // quits the menu, pauses a round, closes a box
    // The iCade's two extra buttons have no action of their own (asking for
    // them answers 0): their virtual buttons answer kActionMenu.
    static constexpr int kICadeExtra1 = 16, kICadeExtra2 = 17;

    // Image and sound slots (see game/assets.cpp).
    static constexpr int kSlots = 100;
    static constexpr int kSlotFont = 90;
    static constexpr int kSlotIcons = 97;
    static constexpr int kSlotPad = 94;
    static constexpr int kSlotStudioLogo = 93;
    static constexpr int kSlotBadgeIcons = 80;

    int m_Fullscreen = 0;      // 1 while the window is fullscreen
    int m_JingleDone = 0;      // the start-up jingle has been played
    int m_Mode = 0;            // screen mode, one of the kMode values below
    int m_DevW = 0;            // device width at the last render (pixels)
    int m_DevH = 0;            // device height at the last render (pixels)
    c_JMPlayer* m_JMPlayer = nullptr;  // the procedural music player
    float m_AccelX0 = 0;       // accelerometer at rest (tilt calibration)
    float m_AccelY0 = 0;
    float m_ClsR = 0, m_ClsG = 0, m_ClsB = 0;  // background colour, 0..255
    float m_ClsA = 0;          // background alpha, 0..1
    int m_HD = 0;              // art resolution: 1, 2 or 4
    float m_ImgScale = 0;      // 1 / m_HD
    Array<c_Image*> m_Img;     // 100 image slots
    Array<int> m_ImgInfo;      // per slot: frame width, frame height, frame count
    int m_Font = 0;            // image slot of the current font
    int m_LoadStage = 0;       // 0 loaded; else the next loader stage (1..23)
    int m_LateSlot = -1;       // image slot whose file is still on its way, or -1
    int m_LateHD = 0;          // the art resolution it waits in
    int m_GameType = 0;        // game variant 1..3
    int m_MenuSlide = 0;       // vertical slide of the menu buttons
    int m_Paused = 0;          // the pause menu is up
    int m_PauseState = 0;      // pause menu state: 1 opening, -1 closing
    int m_PauseSlide = 0;      // pause menu slide position
    int m_n = 0;               // scratch
    Array<int> m_BadgeShow;    // 15: badge pop-up queue
    Array<int> m_BadgeTime;    // 15: badge pop-up timers (updates)
    Array<bool> m_Badges;      // 256: badges earned
    Array<int> m_VKeys;        // 20 virtual buttons: 0 up, 1 one-update press, 2 held
    Array<int> m_Options;      // 25 saved options; 5 sound mode, 10..12 on-screen pad
    Array<int> m_Scores;       // 150: ten best scores per game variant, best first
    int m_TmpA = 0;            // scratch
    int m_TmpB = 0, m_TmpD = 0, m_TmpE = 0;  // scratch
    Array<int> m_SfxChannels;  // 33: sound slot -> audio channel
    int m_RenderMs = 0;        // Millisecs at the last render
    int m_RenderFps = 0;       // renders per second, last interval
    int m_RenderFpsAvg = 0;    // smoothed render rate
    float m_ScaleX = 0, m_ScaleY = 0;  // virtual-to-device scale
    int m_FitAxis = 0;         // 1 scale from the width, 2 from the height; also scratch
    int m_Landscape = 0;       // jscrw >= jscrh
    int m_DrawCount = 0;       // floats used in m_DrawList
    Array<float> m_DrawList;   // the display list
    int m_Hit = 0;             // scratch: last character taken from the queue; per-frame results
    int m_NoHud = 0;           // F2: hides the pause button
    int m_TunePlaying = 0;     // the streamed tune is playing
    int m_UpdateMs = 0, m_UpdateFps = 0, m_UpdateFpsAvg = 0;  // as the render fields, for updates
    int m_MouseX = 0;          // pointer, virtual pixels
    int m_MouseOldX = 0;
    int m_MouseY = 0;
    int m_MouseOldY = 0;
    int m_MouseWasDown = 0;    // left button at the previous update
    int m_Pointing = 0;        // left button or a touch is down
    int m_Clicked = 0;         // left button hits this update
    Array<int> m_TouchDown;    // 10
    Array<int> m_TouchX;       // 10, virtual pixels; -3717 while up
    Array<int> m_TouchY;       // 10
    int m_TouchLatch = 0;      // a press was consumed; cleared when nothing is pressed
    int m_InputDelay = 0;      // counts down by 1 each update (updates)
    int m_KeyLatch = 0;        // a key press was consumed; cleared when no navigation key is down
    int m_CreditsOpen = 0;
    int m_OptionsOpen = 0;
    int m_BadgesOpen = 0;
    int m_OriginX = 0, m_OriginY = 0;  // drawing origin, reset by each screen clear
    float m_ViewW = 0, m_ViewH = 0;    // visible virtual size captured at the screen clear
    float m_SizeX = 0, m_SizeY = 0;    // current drawing size
    float m_Rot = 0;           // current rotation, degrees, stored negated
    float m_ColR = 0, m_ColG = 0, m_ColB = 0;  // current colour, 0..255
    float m_Alpha = 0;         // current alpha, 0..1
    int m_Blend = 0;           // current blend: 1 normal, 3 additive
    int m_MenuA = 0;           // menu state
    int m_ButtonHit = 0;       // result of the last p_Button
    int m_SfxChan = 0;         // round-robin sound slot 0..23
    Array<c_Sound*> m_Sfx;     // 100 sound slots
    float m_BoxA = 0, m_BoxB = 0;  // badges box state
    int m_TmpF = 0, m_TmpG = 0;  // scratch
    int m_MenuSel = 0;         // selected menu item
    float m_Fade = 0;          // slide/fade of the pause and options boxes
    int m_MenuB = 0, m_MenuC = 0, m_MenuD = 0, m_MenuE = 0;  // menu state words
    int m_i = 0;               // scratch
    int m_TmpL = 0;            // scratch
    int m_OptSel = 0;          // selected row of the options box
    int m_MinDim = 0;          // min(jscrw, jscrh) taken by the loading screen
    int m_Score = 0;           // score of the current game
    int m_Spin = 0;            // loading-screen angle, degrees
    float m_CamX = 0, m_CamTX = 0, m_CamY = 0, m_CamTY = 0;  // camera and its target
    float m_MoveX = 0, m_MoveY = 0;  // analogue move, -1..1, Y down
    int m_TouchAnchorX = 0, m_TouchAnchorY = 0;  // virtual stick anchor, -1 when no touch
    float m_KeyRampY = 0, m_KeyRampX = 0;  // keyboard ramps, -1..1
    Array<float> m_Map;        // 100000: level map
    Array<float> m_Plr;        // 512: player record
    int m_GameEnded = 0;       // above 0 once the current game is lost
    int m_EntCount = 0;        // entities counted this game frame
    int m_FreeEnt = 0;         // free entity record found this game frame
    Array<float> m_Ents;       // 1100: 110 entity records of 10 floats
    int m_PartMax = 0;         // particle slots in use
    Array<float> m_Part;       // 5100: particle records of 10 floats
    int m_EnemyCap = 0;        // enemies about at once, 8..80
    int m_TmpP = 0;            // scratch
    int m_PauseSel = 0;        // pause menu selection: -1 end, 0 resume, 1 options
    int m_OverTimer = 0;       // game-over banner timer (updates)
    int m_PadDrag = 0;         // the on-screen pad is being dragged
    int m_CreditSlide = 0;     // credits box slide, 0..30
    int m_CreditA = 0, m_CreditB = 0;  // credits box scroll state
    int m_OptionSlide = 0;     // options box slide, 0..30
    int m_OptA = 0, m_OptB = 0;  // options box state
    int m_PadX = 0, m_PadY = 0;  // centre of the on-screen pad, virtual pixels
    float m_PadSize = 0;       // size factor of the on-screen pad
    int m_PadSpan = 0;         // the pinch's distance between two fingers at the update before, /16
    float m_TiltX = 0, m_TiltY = 0;      // tilt relative to rest
    float m_TiltSmX = 0, m_TiltSmY = 0;  // smoothed tilt
    int m_NameOpen = 0;        // the world board's name box is up (game/name_box.cpp)
    Array<int> m_NameChars;    // 16: the name typed in it
    int m_NameLength = 0;      // characters typed
    int m_NameSel = 0;         // its selected key

    c_MyApp* m_new();
    ~c_MyApp() override;
    void mark() override;

    // Framework calls and screen flow (game/flow.cpp, game/loading_screen.cpp).
    int p_OnCreate() override;
    int p_OnUpdate() override;
    int p_OnRender() override;
    int p_OnSuspend() override;
    int p_OnResume() override;
    int p_WaitStart(int loading);

    // Drawing and text (game/drawing.cpp).
    int p_ResetDraw();
    int p_CLS2D(float r = kNotGiven, float g = kNotGiven, float b = kNotGiven, float a = kNotGiven);
    int p_SetSize(float x, float y = kNotGiven);
    int p_SetCol(float r, float g, float b, float a = kNotGiven);
    int p_Alpha(float a);
    int p_SetRot(float degrees);
    int p_DrawImg(int slot, float x, float y, int frame);
    int p_DrawImg2(int slot, float x, float y);  // frame 0
    int p_Rect(float x, float y, float w, float h);
    int p_Oval(float x, float y, float rx, float ry);
    int p_Line(float x1, float y1, float x2, float y2);
    int p_Text(float x, float y, String text, float alignX, float alignY);
    String p_rstr(int value, int width, String pad);
    String p_rstr2(int value, String pad);  // width 10
    int p_Button(int slot, float x, float y, int frame);
    int p_Button2(float x, float y, int frame);  // icon slot
    int p_Button0(int slot, float x, float y, int frame);
    int p_Touch(float x, float y, float w, float h);
    int p_MouseIn_Centered(float x, float y, float w, float h);

    // Asset loading (game/assets.cpp).
    int p_Reload();
    int p_Loader();
    int p_LoadImg(int slot, String name, int frameW, int frameH, int frames, int flags);
    int p_LoadFont(int slot, String name, int advance, int lineHeight);
    int p_LoadSFX(int n);

    // Controls (game/controls.cpp).
    int p_PlayKey(int action, int analogue, int joystick);
    int p_PlayKeyAll(int action, int analogue);
    float p_StickX(int axis, int joystick);
    float p_StickY(int axis, int joystick);
    int p_AnalogueControl();
    int p_iCade(int on);
    int p_iCadeLetter(int character);
    int p_FullscreenFlip();

    // Sound effects and the tune (game/sound.cpp).
    int p_PlaySFX(int id, float rate, float volume, float pan);
    int p_PlaySFX2(int id, float volume);  // rate 1, centre
    int p_PlayTune(String name, int flags);
    int p_StopTune();

    // Particles: sparks and score pop-ups (game/particles.cpp).
    int p_ThrowParticle(float x, float y, int kind, int colour, float angle, float speed);
    int p_Gimme(int amount, float x, float y);
    int p_DoParticles();

    // Badges (game/badges.cpp).
    String p_BadgeID(int id);
    String p_BadgeName(int id);
    String p_BadgeDetail(int id);
    int p_GC_PostScore(int score, int board);
    int p_GC_Badges();

    // Screens built on the ones above.
    int p_Menu();
    int p_PauseMenu();
    String p_MyNth();
    int p_OuyaQuit();
    int p_OptionBox();
    int p_CreditBox();
    int p_BadgesBox();
    int p_ShowBadges();
    int p_Game();
    int p_InGame();
    int p_GameOver();
    int p_LoadGame();
    int p_Load();
    int p_Save();
    int p_LoadMenu();

private:
    // Pieces of p_OnUpdate and p_OnRender (game/flow.cpp, game/overlays.cpp).
    void UpdateRates(int* ms, int* fps, int* avg);
    void ReadPointer();
    void LatchKeys();
    void RunMode();
    void RunBoxes();
    void OnScreenPad();
    void ClampPadOptions(float w, float h);
    void TiltControl();
    void DebugLine();
    void FitScreen(int deviceW, int deviceH);
    void PlayDrawList();
    // p_Text's work on `count` characters read in place (game/drawing.cpp).
    void TextChars(float x, float y, const Char* chars, int count, float alignX, float alignY);
    void PauseForSuspension();
    int SoundMode() const { return m_Options[5]; }
    // Art resolution from the device size (game/assets.cpp).
    void ChooseArtResolution();
    String ArtFileName(String name) const;
    void PackPlayArt();
    // Files a host may still be fetching (game/assets.cpp): art loaded once
    // it arrives, whether a slot's art is on its way, and whether the next
    // update has every file it reads.
    void LoadLateImage(int slot, String name, int frameW, int frameH, int frames);
    void LoadArrivedImages();
    bool ArtArriving(int slot) const;
    bool FilesReadyForUpdate() override;
    // Appends one display-list command; false when the list is full.
    bool AppendCommand(float kind, float x, float y, float rot, float sx, float sy, float frame);
    // Tests a drawn image's frame against the touches (game/drawing.cpp).
    int TouchInFrame(int slot, float x, float y, int firstTouch, int lastTouch);
    // One row of the action table (game/controls.cpp).
    int ActionDown(int action, int analogue, int joystick);

    // ---- Front end: saved state, menus, boxes ------------------------------
    // The state string and its sections (game/persistence.cpp).
    String StateString();
    void LoadSettings(const Array<String>& parts, int* cursor);
    void LimitSettings();
    void LoadBadges(const Array<String>& parts, int* cursor);
    void LoadScores(const Array<String>& parts, int* cursor, int t);
    // Input shared by the screens (game/menus.cpp): an action down for any
    // player, and whether the credits, options or badges box is open.
    bool AnyAction(int action) { return p_PlayKeyAll(action, 1) != 0; }
    bool AnyAction(std::initializer_list<int> actions);
    bool BoxOpen() const { return m_CreditsOpen || m_OptionsOpen || m_BadgesOpen || m_NameOpen; }
    void ConsumePress() { m_KeyLatch = m_TouchLatch = 1; }
    // The main menu (game/menus.cpp).
    void MenuQuitKey();
    void MenuTitle();
    float MenuStrip();
    void MenuScores(float left);
    int MenuButtons(float stripLeft);
    void MenuItems(int buttons);
    void MenuItemsInput(float cx, float cy, int buttons);
    void MenuActivate();
    void MenuOpenCredits();
    void MenuOpenBadges();
    void MenuWatch();
    // The world board in the menu: the last round's rank, and the day's maze.
    void MenuWorldLine(float left);
    bool DailyOffered(int32_t* seed);
    void MenuDaily();
    // The name box (game/name_box.cpp).
    int p_NameBox();
    void NameBoxOpen();
    void NameBoxInput();
    void NameKey(int key);
    void NameDone(bool keep);

public:
    // Where key `key` of the name box lies on the virtual screen: its centre and width.
    void NameKeyPlace(int key, float* x, float* y, float* width) const;

private:
    void DrawBadgeList(float left, float scroll);
    void MenuSelect(int item, int sound);
    void DrawCog(float x, float y, float size, float angle, const float* speeds);
    // The options box (game/option_box.cpp).
    bool CreditsRowShown() const;
    int OptionRows() const;
    int OptionRowKind(int row) const;
    String OptionRowText(int kind) const;
    void OptionActivate(int row);
    void OptionClose();
    void OptionStepSound();
    int OptionPresses();
    // Draws the console's overscan line and applies a change; true when its bar was clicked.
    bool OverscanLine(float y, bool lower, bool raise, bool click);
    // The pause menu (game/pause_menu.cpp).
    void PauseSlideStep();
    void PauseInput(const int* touched);
    void PauseActivate();
    // The credits box (game/credits_box.cpp).
    void CreditFrame(float oy);
    void CreditText(float oy);

public:
    // Builds a round's maze, player and beacons from a seed, as the game start
    // does from the clock (game/level.cpp).
    void NewLevel(int seed);
    // Value of maze cell (x, y); 0 outside the maze.
    int MapCell(int x, int y) const;

private:
    // Pieces of a round (game/level.cpp, gameplay.cpp, player.cpp, entities.cpp).
    void BuildMaze();
    void PlaceBeacons();
    bool Alive() const { return m_Paused == 0 && m_GameEnded == 0; }
    void DrawBackdrop();
    void DrawMap();
    void DrawPlayer();
    void MovePlayer();
    void UpdateEntities();
    // How an entity is drawn this update (image 1 frame, size, alpha).
    struct EntityLook {
        int frame = 16;
        float sizeX = 2, sizeY = 2, alpha = 1;
    };
    void UpdateEntity(int n);
    void BeaconRules(float* e, EntityLook& look);
    void CatchEnemies(float* beacon);
    void EnemyRules(float* e, EntityLook& look);
    void HuntPlayer(float* e);
    void PickUp(float* e, float ex, float ey);
    void HurtPlayer(const float* e, float ex, float ey);
    void SpawnEnemy();
    void PlaceAwayFromPlayer(float* e);
    void DrawHud();
    void CheckEnergy();
    // Badges earned by play (game/badge_awards.cpp).
    void BadgesDuringPlay();
    void BadgesForPrize(int caught);
    void BadgesAtRoundEnd();
    int m_RoundUpdates = 0;  // updates of play in the current round (not paused, not ended)
    int m_OverRank = 0;      // the ended round's rank in its table (1..10), 0 for none; kept while the banner fades

public:
    // Sets badge `id` (1..24) and announces it with a pop-up, once.
    void AwardBadge(int id);

    // Recording and watching replays (game/replay.h); made by m_new, lives
    // as long as the app.
    ReplaySession* m_Replays = nullptr;

private:
    friend class ReplaySession;  // carries the app's fields and draws its mark
};

#endif
