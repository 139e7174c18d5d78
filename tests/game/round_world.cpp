// tests/game/round_world.cpp - starting rounds and building scenes for them.
#include "round_world.h"

using namespace play;

void RoundTest::SetUp() {
    GameTest::SetUp();
    if (IsSkipped()) return;
    FinishLoading();
    ReleaseAll();
}

void RoundTest::TearDown() {
    if (!app()) return;
    ReleaseAll();
    app()->m_Mode = c_MyApp::kModeMenu;
    app()->m_Paused = 0;
    app()->m_GameEnded = 0;
    app()->m_OverTimer = 0;
    // Other tests of this program expect the game as it was created.
    app()->m_GameType = 2;
    app()->m_Score = 0;
}

void RoundTest::StartRound(int variant, int seed) {
    app()->m_GameType = variant;
    app()->m_Mode = c_MyApp::kModeStartRound;
    Update();
    ASSERT_EQ(app()->m_Mode, c_MyApp::kModeRound);
    app()->NewLevel(seed);
}

void RoundTest::PlainMaze(int x, int row) {
    for (int y = 0; y < 64; ++y)
        for (int c = 0; c < 64; ++c) {
            int v = c == 0 ? 3 : (c == 63 ? 4 : 0);
            SetCell(c, y, y % 4 == 3 ? v + kFloor : v);
        }
    for (int i = 0; i < app()->m_Ents.Length(); ++i) app()->m_Ents[i] = 0;
    // Charges refill at once: keep their records busy with harmless prizes
    // far away, so the scene holds only what the test places.
    for (int n = kFirstCharge; n <= kLastCharge; ++n) Place(n, kPrize, 60, 3);
    app()->m_EnemyCap = 0;
    Plr(kPlrX) = static_cast<float>(x);
    Plr(kPlrY) = static_cast<float>(row);
    Plr(kPlrOffX) = Plr(kPlrOffY) = Plr(kPlrSpeedY) = 0;
    Plr(kPlrFacing) = 1;
    Plr(kPlrHurt) = 0;
    // Let the camera settle on the player.
    app()->m_CamX = app()->m_CamTX = x * kCell - bb_Zanth_jscrw / 2;
    app()->m_CamY = app()->m_CamTY = row * kCell - bb_Zanth_jscrh / 2;
    Update();
}

void RoundTest::Place(int n, int kind, float x, float y) {
    float* e = Ent(n);
    for (int i = 0; i < kEntityFloats; ++i) e[i] = 0;
    e[kEntKind] = static_cast<float>(kind);
    e[kEntX] = x;
    e[kEntY] = y;
}

void RoundTest::Hold(int key, int updates) {
    KeyDown(key);
    Update(updates);
    KeyUp(key);
}
