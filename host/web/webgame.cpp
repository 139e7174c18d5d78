// host/web/webgame.cpp - BBWebGame: start-up, the frames, the page and the saved state.
#include "host/web/webgame.h"

#include <GLFW/glfw3.h>
#include <emscripten.h>
#include <emscripten/heap.h>
#include <malloc.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include "host/files.h"
#include "host/title.h"
#include "host/verify.h"
#include "host/web/web_host.h"
#include "runtime/error.h"

BBWebGame* BBWebGame::_webGame;

namespace {

// An update counts as due when its time falls within this part of an update
// interval from now (see host/schedule.h).
const double kDueEarly = 0.5;

void frame_callback() { BBWebGame::_webGame->Frame(); }

}  // namespace

BBWebGame::BBWebGame() : BBGlfwGame(kDueEarly) { _webGame = this; }

BBWebGame::~BBWebGame() {}

// ---------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------

void BBWebGame::Main(int argc, const char** argv) {
    // The page's files come first: the data its loader fetched, and the state
    // and replays kept in the browser's storage.
    lantern_web_take_data();
    lantern_web_restore_state(kStateFile);
    lantern_web_restore_folder(bbReplays()->Folder().c_str());
    BBGlfwGame* game = StartProgram([]() -> BBGlfwGame* { return new BBWebGame(); }, argc, argv);
    if (game) static_cast<BBWebGame*>(game)->Run();
}

void BBWebGame::Run() {
    if (!OpenFirstWindow()) {
        std::fprintf(stderr, "%s: this browser gives the page no WebGL\n", kWindowTitle);
        vorlin_exit(-1);
    }
    lantern_web_install_page();
    FitCanvas();
    StartGame();
    // A page opened in a tab behind others starts out hidden.
    if (lantern_web_page_hidden()) VisibilityChanged(true);
    RenderGame();
    // The browser calls frame_callback at every animation frame from now on;
    // this returns, and so does main.
    emscripten_set_main_loop(frame_callback, 0, 0);
}

// ---------------------------------------------------------------------------
// Frames and suspension
// ---------------------------------------------------------------------------

void BBWebGame::Frame() {
    bool resized = FitCanvas();
    // A hidden page gets no frames; these are the frames a browser may still
    // deliver around the change.
    if (_suspended) return;
    FollowReplay();
    KeepReplays();
    if (_watching && _replayFast && bbReplays()->Playing()) {
        RunFast();
    } else if (!_updateRate) {
        RenderGame();
    } else if (_schedule.Due(Now())) {
        CatchUp();
    } else if (resized) {
        // Nothing due: the canvas keeps its picture, unless the new size cleared it.
        RenderGame();
    }
}

// Like an iconified window: suspended and not rendered. A page never
// suspends for the focus alone.
void BBWebGame::VisibilityChanged(bool hidden) { FollowWindow(hidden, true); }

void BBWebGame::PauseGame() {
    if (_suspended) return;
    SuspendGame();
    ResumeGame();
    _schedule.Restart(Now());
}

void BBWebGame::UpdateGame() {
    ++updatesRun;
    BBGlfwGame::UpdateGame();
}

void BBWebGame::RenderGame() {
    ++renderedFrames;
    BBGlfwGame::RenderGame();
}

bool BBWebGame::FitCanvas() { return lantern_web_fit_canvas() != 0; }

// ---------------------------------------------------------------------------
// The window, the screen and the pointer
// ---------------------------------------------------------------------------

bool BBWebGame::SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                              int stencil, bool fullscreen) {
    if (!_window) return BBGlfwGame::SetGlfwWindow(width, height, red, green, blue, alpha, depth, stencil, false);
    lantern_web_switch_full_screen(fullscreen ? 1 : 0);
    return true;
}

void BBWebGame::OpenUrl(String url) { lantern_web_open_url(url.ToUtf8().c_str()); }

// ---------------------------------------------------------------------------
// The game's data, fetched as it is wanted
// ---------------------------------------------------------------------------

namespace {

int file_state(BBWebGame* host, const String& path) {
    String file = host->PathToFilePath(path);
    return file.Empty() ? 0 : lantern_web_file_state(file.ToUtf8().c_str());
}

// The page's Ogg version of a sound effect the game names as a WAV, or an
// empty string when the page has none.
String ogg_sibling(BBWebGame* host, const String& path) {
    static const String kWav(".wav"), kOgg(".ogg");
    if (!path.ToLower().EndsWith(kWav)) return String();
    String ogg = path.Slice(0, path.Length() - kWav.Length()) + kOgg;
    return file_state(host, ogg) != 0 ? ogg : String();
}

}  // namespace

bool BBWebGame::FileReady(String path) {
    String ogg = ogg_sibling(this, path);
    return file_state(this, ogg.Empty() ? path : ogg) != 1;
}

unsigned char* BBWebGame::LoadAudioData(String path, int* length, int* channels, int* format, int* hertz) {
    String ogg = ogg_sibling(this, path);
    return BBGlfwGame::LoadAudioData(ogg.Empty() ? path : ogg, length, channels, format, hertz);
}

BBGlfwVideoMode* BBWebGame::GetGlfwDesktopMode() {
    int width = 0, height = 0;
    lantern_web_screen_size(&width, &height);
    return (new BBGlfwVideoMode())->m_new(width, height, 8, 8, 8);
}

void BBWebGame::SetMouseVisible(bool visible) {
    _mouseHidden = !visible;
    lantern_web_show_pointer(visible ? 1 : 0);
}

// ---------------------------------------------------------------------------
// How the player plays
// ---------------------------------------------------------------------------

void BBWebGame::KeyEvent(int event, int data) {
    if (event == kEventKeyDown) _touchInUse = false;
    BBGlfwGame::KeyEvent(event, data);
}

void BBWebGame::TouchEvent(int event, int data, float x, float y) {
    if (event == kEventTouchDown) _touchInUse = true;
    BBGlfwGame::TouchEvent(event, data, x, y);
}

bool BBWebGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                             Array<bool> buttons) {
    bool present = BBGlfwGame::PollJoystick(port, joyx, joyy, joyz, buttons);
    if (!present || !_touchInUse) return present;
    // A pad that lies on a table reports its sticks near the middle: only a
    // button or a stick pushed well over counts as the player using it.
    for (int i = 0; i < buttons.Length(); ++i) {
        if (buttons[i]) _touchInUse = false;
    }
    for (int i = 0; i < joyx.Length(); ++i) {
        if (std::fabs(joyx[i]) > 0.5f || std::fabs(joyy[i]) > 0.5f) _touchInUse = false;
    }
    return present;
}

void BBWebGame::PlayerStarted() {
    lantern_web_player_started(_touchInUse ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Replays the page opens, and the replays the page keeps
// ---------------------------------------------------------------------------

namespace {

// Seconds of a frame a fast replay spends on updates.
const double kFastUpdateSeconds = 0.012;

}  // namespace

bool BBWebGame::OpenReplay(const uint8_t* bytes, size_t length, const std::string& name, bool fast) {
    BBGameReplays* replays = bbReplays();
    std::string error;
    BBRecordedRound recorded;
    // One waiting for the menu gives way to the new one; one playing does not.
    if (replays->Playing() || !replays->OpenBytes(bytes, length, &recorded, &error)) {
        if (error.empty()) error = "a replay is playing already";
        std::string line = std::string(kProgramName) + ": " + name + ": " + error;
        std::fprintf(stderr, "%s\n", line.c_str());
        lantern_web_show_note(line.c_str());
        return false;
    }
    replays->WatchOnceReady();
    _watching = true;
    _replayFast = fast;
    _replayName = name;
    _replayRecorded = recorded;
    return true;
}

void BBWebGame::FollowReplay() {
    BBGameReplays* replays = bbReplays();
    if (!_watching || !replays->Over()) return;
    _watching = false;
    std::string verdict;
    ReplayVerdict(replays->Result(), _replayRecorded, &verdict);
    std::printf("replay %s: %s\n", _replayName.c_str(), verdict.c_str());
    std::fflush(stdout);
}

void BBWebGame::RunFast() {
    double until = Now() + kFastUpdateSeconds;
    do {
        _schedule.Advance();
        UpdateGame();
    } while (!bbReplays()->Over() && Now() < until);
    RenderGame();
    _schedule.Restart(Now());
}

void BBWebGame::KeepReplays() {
    double now = Now();
    if (now - _replaysKeptAt < 1) return;
    _replaysKeptAt = now;
    std::string folder = bbReplays()->Folder();
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name, path = folder + "/" + name;
        struct stat info;
        if (name.size() < 8 || name.compare(name.size() - 7, 7, ".replay") != 0 || stat(path.c_str(), &info) != 0)
            continue;
        std::string seen = std::to_string(info.st_size) + " " + std::to_string(info.st_mtime);
        if (_keptReplays[path] == seen) continue;
        // Kept again next time when the storage refused it now.
        if (lantern_web_store_state(path.c_str()) == 0) _keptReplays[path] = seen;
    }
    closedir(dir);
}

// ---------------------------------------------------------------------------
// Saved state
// ---------------------------------------------------------------------------

int BBWebGame::SaveState(String state) {
    int result = BBGame::SaveState(state);
    if (result != 0) return result;
    return lantern_web_store_state(kStateFile) == 0 ? 0 : -2;
}

// ---------------------------------------------------------------------------
// Calls from the page (host/web/web_host.js)
// ---------------------------------------------------------------------------

extern "C" {

EMSCRIPTEN_KEEPALIVE void lantern_web_visibility(int hidden) {
    if (BBWebGame::_webGame) BBWebGame::_webGame->VisibilityChanged(hidden != 0);
}

EMSCRIPTEN_KEEPALIVE void lantern_web_pause() {
    if (BBWebGame::_webGame) BBWebGame::_webGame->PauseGame();
}

// Frames rendered (0) or updates run (1) by the frames so far.
EMSCRIPTEN_KEEPALIVE int lantern_web_frame_count(int updates) {
    BBWebGame* game = BBWebGame::_webGame;
    if (!game) return 0;
    return updates ? game->updatesRun : game->renderedFrames;
}

// The module's memory, which only ever grows and so is its peak (0), or what
// the C heap has handed out of it now (1), in bytes: for the benchmark.
EMSCRIPTEN_KEEPALIVE double lantern_web_heap_bytes(int used) {
    if (used) return static_cast<double>(mallinfo().uordblks);
    return static_cast<double>(emscripten_get_heap_size());
}

EMSCRIPTEN_KEEPALIVE void lantern_web_touch(int event, int finger, float x, float y) {
    if (BBGame::_game) BBGame::_game->TouchEvent(event, finger, x, y);
}

// The replay file's `length` bytes at `bytes`, named `name` for messages; 1
// when it was read and waits for the menu.
EMSCRIPTEN_KEEPALIVE int lantern_web_open_replay(const uint8_t* bytes, int length, const char* name, int fast) {
    BBWebGame* game = BBWebGame::_webGame;
    return game && length >= 0 && game->OpenReplay(bytes, static_cast<size_t>(length), name, fast != 0) ? 1 : 0;
}

}  // extern "C"
