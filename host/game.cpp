// host/game.cpp - BBGame: guarded event delivery, dates, errors and collection.
#include "host/game.h"

#include <ctime>

#include "runtime/error.h"

BBGame* BBGame::_game;
int graphicsContextSeq;

BBGame::BBGame()
    : _delegate(nullptr), _keyboardEnabled(false), _updateRate(0), _started(false), _suspended(false) {
    _game = this;
}

BBGame::~BBGame() {}

// ---------------------------------------------------------------------------
// Plain accessors
// ---------------------------------------------------------------------------

void BBGame::SetDelegate(BBGameDelegate* delegate) { _delegate = delegate; }
BBGameDelegate* BBGame::Delegate() { return _delegate; }
void BBGame::SetKeyboardEnabled(bool enabled) { _keyboardEnabled = enabled; }
bool BBGame::KeyboardEnabled() { return _keyboardEnabled; }
void BBGame::SetUpdateRate(int updatesPerSecond) { _updateRate = updatesPerSecond; }
int BBGame::UpdateRate() { return _updateRate; }
bool BBGame::Started() { return _started; }
bool BBGame::Suspended() { return _suspended; }
int BBGame::Millisecs() { return 0; }

void BBGame::GetDate(Array<int> date) {
    int n = date.Length();
    if (n <= 0) return;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int values[7] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min,         local.tm_sec,     0};
    for (int i = 0; i < n && i < 7; ++i) date[i] = values[i];
}

bool BBGame::PollJoystick(int, Array<float>, Array<float>, Array<float>, Array<bool>) { return false; }
void BBGame::OpenUrl(String) {}
bool BBGame::SoundNeedsGesture() { return false; }
bool BBGame::TouchInUse() { return false; }
void BBGame::PlayerStarted() {}
bool BBGame::FileReady(String) { return true; }
void BBGame::SetMouseVisible(bool) {}
String BBGame::PathToFilePath(String path) { return path; }

bool BBGame::SetGlfwWindow(int, int, int, int, int, int, int, int, bool) { return false; }
BBGlfwVideoMode* BBGame::GetGlfwDesktopMode() { return new BBGlfwVideoMode(); }
Array<BBGlfwVideoMode*> BBGame::GetGlfwVideoModes() { return Array<BBGlfwVideoMode*>(); }
bool BBGame::GetWindowSize(int*, int*, int*, int*) { return false; }
void BBGame::SwapBuffers() {}

BBGlfwVideoMode* BBGlfwVideoMode::m_new(int width, int height, int red, int green, int blue) {
    Width = width;
    Height = height;
    RedBits = red;
    GreenBits = green;
    BlueBits = blue;
    return this;
}

void BBGame::Die(ThrowableObject*) {
    bbPrint(String("Vorlin Runtime Error : Uncaught Vorlin Exception"));
    vorlin_exit(-1);
}

void BBGame::gc_collect() {
    // The host is not a collected object, so its delegate is kept alive here.
    gc_mark_now(_delegate);
    ::gc_collect();
}

// ---------------------------------------------------------------------------
// Guarded event delivery
// ---------------------------------------------------------------------------

namespace {

// Deliveries under way. An event can be delivered from inside another one
// (re-opening the window during an update releases the held keys), and the
// outer one may still hold objects in local variables only, which the
// collector cannot see: only the outermost delivery collects.
int delivery_depth;

// Runs one delivery to the delegate: a thrown runtime error ends in Die, and a
// collection step follows either way.
template <class F>
void deliver(BBGame* host, F&& call) {
    ++delivery_depth;
    try {
        call();
    } catch (ThrowableObject* ex) {
        host->Die(ex);
    }
    if (--delivery_depth == 0) host->gc_collect();
}

}  // namespace

void BBGame::StartGame() {
    if (_started) return;
    _started = true;
    deliver(this, [this] { _delegate->StartGame(); });
}

void BBGame::SuspendGame() {
    if (!_started || _suspended) return;
    _suspended = true;
    deliver(this, [this] { _delegate->SuspendGame(); });
}

void BBGame::ResumeGame() {
    if (!_started || !_suspended) return;
    _suspended = false;
    deliver(this, [this] { _delegate->ResumeGame(); });
}

void BBGame::UpdateGame() {
    if (!_started || _suspended) return;
    deliver(this, [this] { _delegate->UpdateGame(); });
}

void BBGame::RenderGame() {
    if (!_started) return;
    deliver(this, [this] { _delegate->RenderGame(); });
}

void BBGame::KeyEvent(int event, int data) {
    if (!_started) return;
    deliver(this, [&] { _delegate->KeyEvent(event, data); });
}

void BBGame::MouseEvent(int event, int data, float x, float y) {
    if (!_started) return;
    deliver(this, [&] { _delegate->MouseEvent(event, data, x, y); });
}

void BBGame::TouchEvent(int event, int data, float x, float y) {
    if (!_started) return;
    deliver(this, [&] { _delegate->TouchEvent(event, data, x, y); });
}

void BBGame::MotionEvent(int event, int data, float x, float y, float z) {
    if (!_started) return;
    deliver(this, [&] { _delegate->MotionEvent(event, data, x, y, z); });
}

void BBGame::DiscardGraphics() {
    if (!_started) return;
    deliver(this, [this] { _delegate->DiscardGraphics(); });
}
