// host/web/web_host.h - the page's side of the web host, in host/web/web_host.js.
//
// Functions the web host calls in the page. Paths are the program's own file
// names in the page's file system, zero-terminated; nothing is kept after a
// call returns. Main thread only.
#ifndef LANTERN_HOST_WEB_WEB_HOST_H
#define LANTERN_HOST_WEB_WEB_HOST_H

#include <cstdint>

extern "C" {

// Listens to the page: visibility, touches, the gestures that let sound
// start, and the keys the browser would otherwise take (F1, F11, ...).
void lantern_web_install_page();
// 1 while the page is hidden, or held upright on a touch screen (the page
// then asks the player to turn it).
int lantern_web_page_hidden();
// Sizes the canvas's drawing buffer to the canvas's size on the page in
// device pixels, and the GLFW window with it; 1 when the size changed.
int lantern_web_fit_canvas();
// 1: the page goes full screen, 0: back; a request for the state the page
// is already in switches it.
void lantern_web_switch_full_screen(int fullscreen);
// The screen's size in device pixels.
void lantern_web_screen_size(int* width, int* height);
// Shows or hides the pointer over the canvas.
void lantern_web_show_pointer(int visible);
// Copies the file `path` into local storage (an absent file removes the
// stored copy); 0 when stored, -1 when the storage refused it.
int lantern_web_store_state(const char* path);
// Writes the stored copy, if there is one, to the file `path`.
void lantern_web_restore_state(const char* path);
// The player passed the start screen: the page fetches the data the start
// did not need. Passed with a finger (`byFinger` 1), the page also asks the
// browser for full screen and a sideways screen (both may be refused);
// leaving that full screen later pauses a round (lantern_web_pause).
void lantern_web_player_started(int byFinger);
// What the page knows of the data file `path` (as the file system names it),
// asking for it when the page has it to fetch: 2 it is in the file system,
// 1 it is on its way (or waits for the player to start), 0 the page has no
// such file, -1 it could not be fetched.
int lantern_web_file_state(const char* path);
// Takes the data files the page has fetched into the file system, and every
// one that arrives from now on as it arrives.
void lantern_web_take_data();
// Writes every file the page's storage keeps under the folder `folder` back
// into the file system (the game's replays).
void lantern_web_restore_folder(const char* folder);
// Shows one line to the player on the page for a while (a replay that could
// not be read).
void lantern_web_show_note(const char* text);
// Opens a link in a new tab.
void lantern_web_open_url(const char* url);
// The page's world board (host/web/web_board.cpp): `what` 0 asks whether a
// board is set, 1 whether it answers, 2 whether the player asked for the
// day's maze since the last call (and forgets it); 1 for yes.
int lantern_web_board_state(int what);
// Today's maze once the page's board told it: 1, with its seed.
int lantern_web_board_daily(int32_t* seed);
// A round the player finished: its replay's `length` bytes, for the page to send.
void lantern_web_board_round(const uint8_t* bytes, int length);
// Hands the program's end to the page: the frames stop; a normal end (0)
// starts the page again, any other status is shown to the player.
void lantern_web_program_ended(int status);

}  // extern "C"

#endif
