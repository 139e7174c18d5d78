// host/title.h - the game's name as its window, its page and its help show it.
//
// The one place the title is written: the window, the help text, the web
// page's <title>, and the tests and tools that find the window by it. (The
// page's key for the saved state in the browser's storage starts with the
// same words but is fixed in host/web/web_host.js: changing it would lose
// every player's state.)
#ifndef LANTERN_HOST_TITLE_H
#define LANTERN_HOST_TITLE_H

#define LANTERN_TITLE "Bramblet in The Lantern Vault"

constexpr const char* kWindowTitle = LANTERN_TITLE;
// The program's name, as its messages begin.
constexpr const char* kProgramName = "lantern-vault";

#endif
