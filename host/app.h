// host/app.h - the application framework between the host and the game.
//
// c_App is the base class of the one application object; the game overrides
// its five virtual operations. c_GameDelegate receives every host event and
// turns it into application calls, input-state changes and device work; it
// creates the renderer, the audio device and the input device in StartGame,
// after the window is open, and they live until the process ends. Each update
// first gives the audio device its turn to keep a sound device open.
//
// Globals (all collector roots): bb_app__app, bb_app__delegate; bb_app__game
// is the host (not collected) and bb_app__updateRate the last rate set.
#ifndef LANTERN_HOST_APP_H
#define LANTERN_HOST_APP_H

#include "host/game.h"

class gxtkGraphics;
class gxtkAudio;
class c_InputDevice;

class c_App : public Object {
public:
    // Registers the application and creates the delegate; raises "App has
    // already been created" for a second application.
    c_App* m_new();
    virtual int p_OnCreate() { return 0; }
    virtual int p_OnSuspend() { return 0; }
    virtual int p_OnResume() { return 0; }
    virtual int p_OnUpdate() { return 0; }
    virtual int p_OnRender() { return 0; }
    // False while a file the next update reads has not arrived (only a host
    // that fetches its files says one has not): the update is not run yet.
    virtual bool FilesReadyForUpdate() { return true; }
    int p_OnLoading() { return 0; }
    int p_OnClose();  // ends the program
    int p_OnBack();   // ends the program
};

class c_GameDelegate : public BBGameDelegate {
public:
    gxtkGraphics* m_graphics = nullptr;
    gxtkAudio* m_audio = nullptr;
    c_InputDevice* m_input = nullptr;

    c_GameDelegate* m_new() { return this; }
    void StartGame() override;
    void SuspendGame() override;
    void ResumeGame() override;
    void UpdateGame() override;
    void RenderGame() override;
    void KeyEvent(int event, int data) override;
    void MouseEvent(int event, int data, float x, float y) override;
    void TouchEvent(int event, int data, float x, float y) override;
    void MotionEvent(int event, int data, float x, float y, float z) override;
    void DiscardGraphics() override;
    void mark() override;
};

extern c_App* bb_app__app;
extern c_GameDelegate* bb_app__delegate;
extern BBGame* bb_app__game;
extern int bb_app__updateRate;

int bb_app_SetUpdateRate(int rate);
int bb_app_Millisecs();
String bb_app_LoadState();
int bb_app_SaveState(String state);
[[noreturn]] int bb_app_EndApp();

// Initial values of the module's globals (part of program initialisation).
void bb_app_init();

#endif
