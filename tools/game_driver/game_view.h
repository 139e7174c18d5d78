// tools/game_driver/game_view.h - the shipped game's window seen and worked
// from outside: which screen it shows, read from a few pixels, and input
// through xdotool (real key and button events through the X server).
#ifndef LANTERN_TOOLS_GAME_DRIVER_GAME_VIEW_H
#define LANTERN_TOOLS_GAME_DRIVER_GAME_VIEW_H

#include <string>

#include "game_driver/x_screen.h"

// The window of game process `pid`, found by the game's title: waits up to
// `seconds` for it (for a new one other than `notThis` after the game
// re-opened its window); 0 when none came.
unsigned long WaitForGameWindow(XScreen& screen, int pid, double seconds, unsigned long notThis = 0);

// One window of the game on one connection. The game opens a new window
// for full screen and back, so users keep the window id and make a view
// for it when they need one; a view costs nothing to make.
class GameView {
public:
    // The point that tells the loading screen from the menu, at 640 x 480;
    // at any size it is a tenth of the width in, half the height down.
    static constexpr int kBandX = 64, kBandY = 240;
    // What a pixel at that point says: the loading screen's band, or the
    // menu (neither the band nor the loading screen's background, nor the
    // black before the first frame; -1, an unread pixel, is neither).
    static bool LoadingBand(long pixel);
    static bool MenuBand(long pixel);
    // The middle of the pause menu's "End Game" icon, white when selected.
    static constexpr int kEndGameX = 320 - 150, kEndGameY = 240;

    GameView(XScreen& screen, unsigned long window) : screen_(screen), window_(window) {}
    unsigned long window() const { return window_; }

    long BandPixel();
    bool ShowsLoadingScreen() { return LoadingBand(BandPixel()); }
    bool ShowsMenu() { return MenuBand(BandPixel()); }
    // What a 640 x 480 window shows, read from a few pixels: the energy bar
    // at full green (a round in play, not paused); the pause menu once it
    // has come down; its "End Game" item selected; the main menu's selected
    // variant (1 to 3) settled in the middle of the item line, or 0.
    long BarPixel();
    bool ShowsEnergyBar();
    bool ShowsPauseMenu();
    bool EndGameSelected();
    int CentreVariant();

    // Input. Each command focuses the window first, as a window manager
    // would have for a player (without focus the game counts as suspended).
    bool Focus();
    // xdotool commands after the focus, e.g. "key F11", "keydown Right".
    bool Xdo(const std::string& args);
    // A press held for a tenth of a second, as a player's is: the game reads
    // which keys are down at each update, and a tap shorter than one update
    // may fall between two of them.
    bool Press(const std::string& key) { return Xdo("keydown " + key + " sleep 0.1 keyup " + key); }
    // The pointer to window pixel (x, y).
    bool MovePointer(int x, int y);
    // An xdotool command without the focus: a release needs none (the press
    // it ends may have closed the window), and a button chained after the
    // focus would go to the window as a synthetic event instead of through
    // the real pointer.
    static bool Xdotool(const std::string& args);
    // What xdotool said on standard error when its last command failed
    // (exit status and message), for the report of a failed step.
    static const std::string& LastXdotoolError();

private:
    XScreen& screen_;
    unsigned long window_;
};

#endif  // LANTERN_TOOLS_GAME_DRIVER_GAME_VIEW_H
