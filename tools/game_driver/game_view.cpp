// tools/game_driver/game_view.cpp - the game's screens by their colours, and xdotool.
#include "game_driver/game_view.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "host/title.h"

namespace {

// The loading screen's band: (250, 160, 60) at alpha 0.7 over (40, 40, 80).
const unsigned kLoadingBand = 0xbb7c42;
const unsigned kLoadingBackground = 0x282850;
// A point inside the energy bar, full green while energy lasts.
const int kBarX = 265, kBarY = 44;
// The pause menu's orange line under its band.
const int kPauseLineX = 4, kPauseLineY = 302;
// Two points on the rim of the selected variant's tile, in the middle of the
// item line, and the rim's colour for variants 1 to 3.
const int kTileRimX[2] = {214, 300}, kTileRimY = 310;
const unsigned kTileRim[3] = {0x88d36c, 0xf4ce64, 0xe78785};

}  // namespace

unsigned long WaitForGameWindow(XScreen& screen, int pid, double seconds, unsigned long notThis) {
    return screen.WaitForWindow(kWindowTitle, pid, seconds, notThis);
}

bool GameView::LoadingBand(long pixel) { return ColourNear(pixel, kLoadingBand, 4); }

bool GameView::MenuBand(long pixel) {
    return pixel > 0 && !ColourNear(pixel, kLoadingBand, 12) && !ColourNear(pixel, kLoadingBackground, 4);
}

long GameView::BandPixel() {
    int w = 0, h = 0;
    if (!screen_.Size(window_, &w, &h)) return -1;
    return screen_.Pixel(window_, w / 10, h / 2);
}

long GameView::BarPixel() { return screen_.Pixel(window_, kBarX, kBarY); }

bool GameView::ShowsEnergyBar() { return ColourNear(BarPixel(), 0x00ff00, 8); }

bool GameView::ShowsPauseMenu() {
    long p = screen_.Pixel(window_, kPauseLineX, kPauseLineY);
    return p >= 0 && (p >> 16 & 0xff) > 200 && (p >> 8 & 0xff) > 90 && (p >> 8 & 0xff) < 150 && (p & 0xff) < 60;
}

bool GameView::EndGameSelected() {
    return ShowsPauseMenu() && ColourNear(screen_.Pixel(window_, kEndGameX, kEndGameY), 0xffffff, 20);
}

int GameView::CentreVariant() {
    for (int variant = 1; variant <= 3; ++variant) {
        bool rim = true;
        for (int x : kTileRimX)
            rim = rim && ColourNear(screen_.Pixel(window_, x, kTileRimY), kTileRim[variant - 1], 24);
        if (rim) return variant;
    }
    return 0;
}

bool GameView::Focus() { return Xdotool("windowfocus --sync " + std::to_string(window_)); }

bool GameView::Xdo(const std::string& args) {
    return Xdotool("windowfocus --sync " + std::to_string(window_) + " " + args);
}

bool GameView::MovePointer(int x, int y) {
    return Xdo("mousemove --window " + std::to_string(window_) + " " + std::to_string(x) + " " + std::to_string(y));
}

namespace {

std::string& last_xdotool_error() {
    static std::string text;
    return text;
}

}  // namespace

bool GameView::Xdotool(const std::string& args) {
    char errName[] = "/tmp/lantern-xdotool-XXXXXX";
    int fd = mkstemp(errName);
    if (fd >= 0) close(fd);
    std::string command = "xdotool " + args + (fd >= 0 ? std::string(" 2>") + errName : " 2>/dev/null");
    int status = std::system(command.c_str());
    if (status != 0) {
        std::ifstream in(errName);
        std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        last_xdotool_error() = "xdotool " + args + ": status " + std::to_string(status) + (said.empty() ? "" : ": " + said);
    }
    if (fd >= 0) unlink(errName);
    return status == 0;
}

const std::string& GameView::LastXdotoolError() { return last_xdotool_error(); }
