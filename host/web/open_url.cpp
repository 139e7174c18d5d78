// host/web/open_url.cpp - BBGlfwGame::OpenUrl for the web build: a link opens in a new tab.
#include "host/glfwgame.h"
#include "host/web/web_host.h"

void BBGlfwGame::OpenUrl(String url) { lantern_web_open_url(url.ToUtf8().c_str()); }
