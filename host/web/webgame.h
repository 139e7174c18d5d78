// host/web/webgame.h - the web host: the desktop host's sibling in a browser page.
//
// BBWebGame is the concrete host of the web build (tools/web.sh), where it
// takes the place of the desktop's BBDesktopGame (host/desktop.h). Both derive
// from BBGlfwGame; here that runs on Emscripten's GLFW, which opens the one
// "window" on the page's canvas with a WebGL context
// (legacy GL emulation runs the renderer's fixed-function calls), delivers
// keys, characters and the mouse through the same callbacks as on the
// desktop, and reads joysticks. What a page forces to be different is here
// and in host/web/web_host.js:
//
// - No blocking main loop: Run starts the game and returns; the browser
//   then calls Frame once per animation frame, which keeps the shared
//   schedule (host/schedule.h; an update counts as due half an interval
//   early here) and its catch-up rule. A frame with no update due draws
//   nothing, and the canvas keeps showing the last picture, as a frame
//   rendered twice would.
// - Suspension follows the tab alone: a hidden tab suspends the game (and,
//   like an iconified window, is not rendered); showing it again resumes the
//   game and restarts the schedule from the current time. A page that only
//   lost the focus plays on.
// - The canvas fills the page; its drawing buffer follows the page's size in
//   device pixels, and the game fits its virtual screen to that. Switching
//   to full screen and back switches the page.
// - Touches arrive as touch events (fingers 0 to 9), not as a mouse, and
//   make touch the way the player plays (TouchInUse) until a key or a game
//   pad is used. Leaving the full screen that a finger's start asked for
//   pauses a round (PauseGame).
// - The state file lives in the page's file system and is copied into the
//   browser's local storage by every save, and back at start-up (see
//   SaveState).
// - Sound may start only after the player's first gesture: the game asks
//   for one with its click-to-start screen (SoundNeedsGesture).
// - A page cannot end its process: ending the program hands its exit status
//   to the page (host/web/exit.cpp).
//
// Everything runs on the browser's main thread; events arrive between
// frames, never during an update or a render.
#ifndef LANTERN_HOST_WEB_WEBGAME_H
#define LANTERN_HOST_WEB_WEBGAME_H

#include <map>
#include <string>

#include "host/game_replays.h"
#include "host/glfwgame.h"

class BBWebGame : public BBGlfwGame {
public:
    BBWebGame();
    ~BBWebGame() override;

    static BBWebGame* _webGame;  // the one host, as a web host

    // The page's start-up, after static initialisation: restores the state
    // file from local storage, then starts like the desktop; returns once the
    // browser drives the frames.
    static void Main(int argc, const char** argv);

    // Opens the window on the canvas, starts the game and hands the frames to
    // the browser; returns at once.
    void Run();
    // The first call opens the window on the canvas. Every later call comes
    // from the game's full-screen switch and switches the page instead (the
    // WebGL context and its textures stay). The browser may leave full screen
    // by itself (Escape), so a request for the state the page is already in
    // switches it: the key and the option always switch.
    bool SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth, int stencil,
                       bool fullscreen) override;
    BBGlfwVideoMode* GetGlfwDesktopMode() override;  // the screen, in device pixels
    void SetMouseVisible(bool visible) override;
    // Writes the state file as on the desktop, then copies it into local
    // storage: 0 once both hold it, -2 when the storage refused it (the
    // file keeps the new state, but a reload would not see it).
    int SaveState(String state) override;
    bool SoundNeedsGesture() override { return true; }
    // A finger on the page makes touch the way the player plays; a key or a
    // game pad's button or stick makes it not, until the next finger.
    bool TouchInUse() override { return _touchInUse; }
    // Passed by a finger, the start screen also takes the page to full
    // screen (and sideways, where the browser lets a page say so). Passed
    // with a mouse or a key, the page stays as it is.
    void PlayerStarted() override;
    void KeyEvent(int event, int data) override;
    void TouchEvent(int event, int data, float x, float y) override;
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons) override;
    // Opens the link in a new tab.
    void OpenUrl(String url) override;
    // The page fetches the game's data as it is wanted (host/web/index.html):
    // a file is ready once it is in the page's file system, or once the page
    // has given up on it or does not have it.
    bool FileReady(String path) override;
    // The page carries its sound effects as Ogg Vorbis under the same names:
    // a ".wav" the game asks for is read from its ".ogg" where there is one.
    unsigned char* LoadAudioData(String path, int* length, int* channels, int* format, int* hertz) override;
    // Counted for the benchmark (see below).
    void UpdateGame() override;
    void RenderGame() override;

    // One animation frame of the browser.
    void Frame();
    // The page was hidden or shown again (held upright on a phone counts as
    // hidden: the game waits until it is turned).
    void VisibilityChanged(bool hidden);
    // Pauses a round as a lost focus does on the desktop: the game is
    // suspended and resumed at once (it pauses a round and saves). Nothing
    // while the game is suspended already.
    void PauseGame();

    // Frames rendered and updates run so far, for the benchmark.
    int renderedFrames = 0;
    int updatesRun = 0;

    // A replay the page hands over (from a link or a dropped file), the
    // file's `length` bytes at `bytes`: read as --replay reads one and
    // watched once the game's menu is up, in real time or, with `fast`, as
    // fast as the page goes (updates for most of every frame, one picture).
    // When it ends, one line on standard output, "replay NAME: " and the
    // verdict --verify gives a file (host/verify.h), compares its end with
    // the recording's. False, with the one line --verify would print shown
    // on the page, when it cannot be read.
    bool OpenReplay(const uint8_t* bytes, size_t length, const std::string& name, bool fast);

private:
    // Fits the canvas's drawing buffer to the page; true when its size changed.
    bool FitCanvas();
    // Reports the end of a replay the page opened.
    void FollowReplay();
    // Runs updates of a fast replay until this frame's time is spent.
    void RunFast();
    // Copies the game's replay files that changed into the page's storage,
    // at most once a second, so that they outlive the page.
    void KeepReplays();

    bool _watching = false;  // a replay the page opened waits for the menu or plays
    bool _replayFast = false;
    std::string _replayName;
    BBRecordedRound _replayRecorded;
    double _replaysKeptAt = 0;
    std::map<std::string, std::string> _keptReplays;  // path -> its size and time when stored

    bool _touchInUse = false;
};

#endif
