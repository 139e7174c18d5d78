// tools/game_driver/x_screen.h - looking at the game's window from outside,
// through the X server: finding it by process and title, its size and
// pixels, and the window manager's close request.
#ifndef LANTERN_TOOLS_GAME_DRIVER_X_SCREEN_H
#define LANTERN_TOOLS_GAME_DRIVER_X_SCREEN_H

#include <functional>
#include <string>
#include <vector>

class XScreen {
public:
    // Connects to $DISPLAY; ok() is false when there is none or it refuses.
    XScreen();
    ~XScreen();
    // One connection, closed once.
    XScreen(const XScreen&) = delete;
    XScreen& operator=(const XScreen&) = delete;
    bool ok() const { return display_ != nullptr; }

    // The visible window of process `pid` with exactly this title, or 0.
    unsigned long FindWindow(const std::string& title, int pid);
    // Waits up to `seconds` for such a window (a new one after the game re-opens its window).
    unsigned long WaitForWindow(const std::string& title, int pid, double seconds, unsigned long notThis = 0);
    bool Size(unsigned long window, int* w, int* h);
    // Where a 640 x 480 window can stand without covering `window` (whose
    // pixels are read while both run), in the top or the bottom half of the
    // screen; false when the screen has no room.
    bool PlaceBeside(unsigned long window, bool bottom, int* x, int* y);
    // One pixel of the window's contents as 0xRRGGBB, or -1 when it cannot be read.
    long Pixel(unsigned long window, int x, int y);
    // The whole window's contents, row by row, as 0xRRGGBB; empty when it
    // cannot be read.
    std::vector<unsigned> Grab(unsigned long window, int* w, int* h);
    // Sends the window manager's close request (WM_DELETE_WINDOW) and waits
    // until the server has handled it.
    bool SendCloseRequest(unsigned long window);
    // Polls `test` every `step` seconds for up to `seconds`; whether it held.
    static bool WaitUntil(const std::function<bool()>& test, double seconds, double step = 0.005);

private:
    struct _XDisplay* display_;
};

// True when the two colours differ by at most `tolerance` in every channel.
bool ColourNear(long a, unsigned b, int tolerance);
// The share (0..1) of pixels that differ by more than `tolerance` in some channel.
double ShareChanged(const std::vector<unsigned>& a, const std::vector<unsigned>& b, int tolerance);

#endif  // LANTERN_TOOLS_GAME_DRIVER_X_SCREEN_H
