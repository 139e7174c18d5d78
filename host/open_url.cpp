// host/open_url.cpp - BBGlfwGame::OpenUrl: web links through the desktop's handler.
//
// The web build opens links in the browser instead (host/web/open_url.cpp).
#include <sys/wait.h>
#include <unistd.h>

#include "host/glfwgame.h"

void BBGlfwGame::OpenUrl(String url) {
    // Hand the address to the desktop's default handler. The handler runs in a
    // grandchild so that nothing is left to reap and the game never waits on it.
    String::CString<char> address = url.ToCString();
    // An address never starts with "-"; the handler would take it as an option.
    if (address.c_str()[0] == 0 || address.c_str()[0] == '-') return;
    pid_t child = fork();
    if (child == 0) {
        if (fork() == 0) {
            // The handler gets none of the game's files or its display connection.
            close_range(3, ~0U, 0);
            execlp("xdg-open", "xdg-open", address.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    if (child > 0) waitpid(child, nullptr, 0);
}
