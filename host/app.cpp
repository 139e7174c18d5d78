// host/app.cpp - c_App, c_GameDelegate and the application module's functions.
#include "host/app.h"

#include "audio/audio.h"
#include "graphics/graphics.h"
#include "graphics/renderer.h"
#include "input/device.h"
#include "input/host_input.h"
#include "runtime/error.h"

c_App* bb_app__app;
c_GameDelegate* bb_app__delegate;
BBGame* bb_app__game;
int bb_app__updateRate;

namespace {

void mark_roots() {
    gc_mark_q(bb_app__app);
    gc_mark_q(bb_app__delegate);
}

}  // namespace

void bb_app_init() {
    gc_assign(bb_app__app, nullptr);
    gc_assign(bb_app__delegate, nullptr);
    bb_app__game = BBGame::_game;
    bb_app__updateRate = 0;
    gc_add_roots(mark_roots);
}

// ---------------------------------------------------------------------------
// c_App
// ---------------------------------------------------------------------------

c_App* c_App::m_new() {
    if (bb_app__app) bbError(String("App has already been created"));
    gc_assign(bb_app__app, this);
    gc_assign(bb_app__delegate, (new c_GameDelegate())->m_new());
    bb_app__game->SetDelegate(bb_app__delegate);
    return this;
}

int c_App::p_OnClose() { bb_app_EndApp(); }

int c_App::p_OnBack() { bb_app_EndApp(); }

// ---------------------------------------------------------------------------
// Module functions
// ---------------------------------------------------------------------------

int bb_app_SetUpdateRate(int rate) {
    bb_app__updateRate = rate;
    bb_app__game->SetUpdateRate(rate);
    return 0;
}

int bb_app_Millisecs() { return bb_app__game->Millisecs(); }

String bb_app_LoadState() { return bb_app__game->LoadState(); }

int bb_app_SaveState(String state) { return bb_app__game->SaveState(state); }

int bb_app_EndApp() { bbError(String()); }

// ---------------------------------------------------------------------------
// c_GameDelegate
// ---------------------------------------------------------------------------

void c_GameDelegate::StartGame() {
    gc_assign(m_graphics, new gxtkGraphics());
    bb_graphics_SetGraphicsDevice(m_graphics);
    bb_graphics_SetFont(nullptr, 32);
    gc_assign(m_audio, new gxtkAudio());
    bb_audio_SetAudioDevice(m_audio);
    gc_assign(m_input, (new c_InputDevice())->m_new());
    bb_input_SetInputDevice(m_input);
    bb_app__app->p_OnCreate();
}

void c_GameDelegate::SuspendGame() {
    bb_app__app->p_OnSuspend();
    m_audio->Suspend();
}

void c_GameDelegate::ResumeGame() {
    m_audio->Resume();
    bb_app__app->p_OnResume();
}

void c_GameDelegate::UpdateGame() {
    if (m_audio) m_audio->Update();
    // The update waits, untouched and with its input kept, until the files it
    // reads are at hand: it then runs as it does where they always are, so a
    // wait for the network changes nothing a replay holds.
    if (!bb_app__app->FilesReadyForUpdate()) return;
    m_input->p_BeginUpdate();
    bb_app__app->p_OnUpdate();
    m_input->p_EndUpdate();
}

void c_GameDelegate::RenderGame() {
    int mode = m_graphics->BeginRender();
    if (mode) bb_graphics_BeginRender();
    if (mode == 2) {
        bb_app__app->p_OnLoading();
    } else {
        bb_app__app->p_OnRender();
    }
    if (mode) bb_graphics_EndRender();
    m_graphics->EndRender();
}

void c_GameDelegate::KeyEvent(int event, int data) {
    m_input->p_KeyEvent(event, data);
    if (event != kEventKeyDown) return;
    if (data == kKeyClose) {
        bb_app__app->p_OnClose();
    } else if (data == kKeyBack) {
        bb_app__app->p_OnBack();
    }
}

void c_GameDelegate::MouseEvent(int event, int data, float x, float y) { m_input->p_MouseEvent(event, data, x, y); }

void c_GameDelegate::TouchEvent(int event, int data, float x, float y) { m_input->p_TouchEvent(event, data, x, y); }

void c_GameDelegate::MotionEvent(int event, int data, float x, float y, float z) {
    m_input->p_MotionEvent(event, data, x, y, z);
}

void c_GameDelegate::DiscardGraphics() { m_graphics->DiscardGraphics(); }

void c_GameDelegate::mark() {
    gc_mark_q(m_graphics);
    gc_mark_q(m_audio);
    gc_mark_q(m_input);
}
