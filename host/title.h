// host/title.h - the game's name as its window, its page and its help show it.
//
// The one place the title is written: the window, the help text, the tests
// and tools that find the window by it, and the web page's storage key (a
// prefix of it that must never change, or players lose their saved state).
#ifndef VORLIN_HOST_TITLE_H
#define VORLIN_HOST_TITLE_H

#define LANTERN_TITLE "Bramblet in The Lantern Vault"

constexpr const char* kWindowTitle = LANTERN_TITLE;

#endif
