// game/myapp.h - c_MyApp, the game's application object.
#ifndef VORLIN_GAME_MYAPP_H
#define VORLIN_GAME_MYAPP_H

#include "host/app.h"

class c_MyApp : public c_App {
public:
    c_MyApp* m_new();
    int p_OnCreate() override;
};

#endif
