// game/gameplay.cpp - one frame of a round, the pause keys and button, the
// game-over banner and the ranking text.
//
// A frame draws the scrolling backdrop, the part of the maze near the screen,
// the player, the entities and the particles, then the head-up display. While
// the round is paused or ended the player takes no input, enemies stand still
// and the timers of beacons, prizes and enemies stop; animation, charges,
// spawning, pickups and particles go on, and everything is drawn.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "game/gameplay.h"
#include "game/globals.h"
#include "game/myapp.h"
#include "game/replay.h"

using namespace play;

namespace {

const int kSfxPause = 98;
const int kSfxGameOver = 9;
const int kPauseIcon = 0;           // frame of the pause button in the icon image
const int kChargeFrame = 11;
const int kBannerUpdates = 90;      // updates from the end of a round to the menu
const int kBannerFadeFrom = 75;     // banner timer when the menu returns

const int kScoreDigits = 8;

// The score as the head-up display shows it: the last eight characters of
// the number written after a row of zeros. Made in place, because the shown
// score counts up at every update after a prize.
void score_chars(int value, Char out[kScoreDigits]) {
    char text[32];
    int n = std::snprintf(text, sizeof text, "000000000%i", value);
    for (int i = 0; i < kScoreDigits; ++i) out[i] = static_cast<Char>(text[n - kScoreDigits + i]);
}

const char* const kRankTexts[] = {"", "1st!", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th", "9th", "10th"};
const int kRanks = 11;

// The banner's texts, made once: it is drawn at every update while it is up.
struct BannerTexts {
    String game{"GAME"}, over{"OVER"};
    String rank[kRanks];          // "1st!" ... "10th"
    String newHighscore[kRanks];  // the line under the banner for each rank
    BannerTexts() {
        for (int r = 0; r < kRanks; ++r) {
            rank[r] = String(kRankTexts[r]);
            newHighscore[r] = String("New Highscore\\n           ") + rank[r];
        }
    }
};

const BannerTexts& Banner() {
    static const BannerTexts texts;
    return texts;
}

}  // namespace

// ---------------------------------------------------------------------------
// The frame
// ---------------------------------------------------------------------------

int c_MyApp::p_Game() {
    p_CLS2D(0, 0, 80, 1);
    // The camera eases toward the target of the previous update.
    m_CamX -= (m_CamX - m_CamTX) * 0.0625f;
    m_CamY -= (m_CamY - m_CamTY) * 0.0625f;
    DrawBackdrop();
    p_AnalogueControl();
    DrawMap();
    m_CamTX = (m_Plr[kPlrX] + m_Plr[kPlrOffX]) * kCell - bb_Zanth_jscrw / 2;
    m_CamTY = (m_Plr[kPlrY] + m_Plr[kPlrOffY]) * kCell - static_cast<float>(static_cast<int>(bb_Zanth_jscrh) / 2);
    DrawPlayer();
    MovePlayer();
    UpdateEntities();
    SpawnEnemy();
    if (m_Plr[kPlrHurt] > 0) m_Plr[kPlrHurt] -= 1;
    p_DoParticles();
    // The score shown counts up a sixth of the way each update.
    m_TmpP += (m_Score - m_TmpP) / 6;
    if (std::abs(m_Score - m_TmpP) <= 5) m_TmpP = m_Score;
    if (!m_NoHud) DrawHud();
    CheckEnergy();
    BadgesDuringPlay();
    return 0;
}

void c_MyApp::DrawBackdrop() {
    // Four by four tiles of 256 pixels, scrolling at 0.9 of the camera
    // horizontally and with it vertically, wrapping every 1024 pixels.
    p_SetSize(1);
    for (int i = 0; i < 4; ++i) {
        float x = std::fmod((i + 100) * 256.0f - 0.9f * m_CamX, 1024.0f) - 256;
        for (int j = 0; j < 4; ++j) {
            float y = std::fmod((j + 100) * 256.0f - m_CamY, 1024.0f) - 256;
            p_DrawImg(kBackdropSlot, x, y, 0);
        }
    }
}

void c_MyApp::DrawMap() {
    p_SetSize(1.5f);
    p_SetCol(255, 255, 255);
    float m = 2 * bb_Zanth_overscan + 64;
    // Only the rows and columns that can lie near the screen are visited; the
    // exact test is made per cell.
    int x0 = static_cast<int>(std::floor((m_CamX - m) / kCell)), x1 = static_cast<int>(std::ceil((m_CamX + bb_Zanth_jscrw + m) / kCell));
    int y0 = static_cast<int>(std::floor((m_CamY - m) / kCell)), y1 = static_cast<int>(std::ceil((m_CamY + bb_Zanth_jscrh + m) / kCell));
    if (x0 < 0) x0 = 0;
    if (y0 < 0) y0 = 0;
    if (x1 > kMapSize - 1) x1 = kMapSize - 1;
    if (y1 > kMapSize - 1) y1 = kMapSize - 1;
    const float* map = &m_Map[0];
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            int v = static_cast<int>(map[y * kMapSize + x]);
            if (v <= 0) continue;
            float sx = x * kCell - m_CamX, sy = y * kCell - m_CamY;
            if (NearScreen(sx, sy)) p_DrawImg(kSpriteSlot, sx, sy, v + kTileFrameBase);
        }
    }
}

void c_MyApp::DrawPlayer() {
    float* p = &m_Plr[0];
    float sx = (p[kPlrX] + p[kPlrOffX]) * kCell - m_CamX;
    float sy = (p[kPlrY] + p[kPlrOffY]) * kCell - m_CamY;
    p_SetSize(p[kPlrFacing] < 0 ? -1.5f : 1.5f, 1.5f);
    int frame = m_GameEnded ? 4 : static_cast<int>(std::fmod(std::floor(p[kPlrWalk] / 2), 4.0f));
    p_DrawImg(kSpriteSlot, sx, sy, frame);
    p[kPlrScreenX] = sx;
    p[kPlrScreenY] = sy;
}

void c_MyApp::DrawHud() {
    float cx = bb_Zanth_jscrw / 2;
    p_SetSize(2);
    p_SetCol(100, 255, 100, 0.8f);
    Char score[kScoreDigits];
    score_chars(m_TmpP, score);
    TextChars(cx, 32, score, kScoreDigits, 1, 1);

    int w = static_cast<int>(12 * m_Plr[kPlrEnergy]);
    if (w < 0) w = 0;
    m_TmpE = w;
    p_SetSize(1);
    p_SetCol(100, 255, 100, 1);
    p_Rect(cx - 61, 39, 122, 10);
    p_SetCol(0, 0, 0);
    p_Rect(cx - 60, 40, 120, 8);
    p_SetCol(0, 255, 0);
    p_Rect(cx - 60, 40, static_cast<float>(w), 8);

    p_SetCol(255, 255, 255);
    const float slots[3][2] = {{72, 28}, {80, 36}, {88, 28}};
    for (int k = 0; k < 3; ++k) {
        p_Alpha(m_Plr[kPlrCharges] > k ? 1.0f : 0.2f);
        p_DrawImg(kSpriteSlot, cx + slots[k][0], slots[k][1], kChargeFrame);
    }
    p_Alpha(1);
}

void c_MyApp::CheckEnergy() {
    if (static_cast<int>(12 * m_Plr[kPlrEnergy]) >= 0) return;
    m_TmpE = 0;
    if (m_GameEnded == 0) {
        m_GameEnded = 1;
        bb_audio_StopMusic();
        m_TunePlaying = 0;
        p_PlaySFX2(kSfxGameOver, 1);
    }
}

// ---------------------------------------------------------------------------
// Pause keys and button
// ---------------------------------------------------------------------------

int c_MyApp::p_InGame() {
    p_ResetDraw();
    m_MenuSlide = -32;
    bool pauseKey = false;
    for (int pad = 0; pad < 4; ++pad) {
        if (p_PlayKey(kActionMenu, 1, pad)) pauseKey = true;
        if (bb_Zanth_isOuya == 1 && p_PlayKey(kActionButton4, 1, pad)) pauseKey = true;
    }
    // A round that has ended is not paused: its banner leads back to the menu.
    if (pauseKey && !m_Paused && !m_GameEnded && m_KeyLatch == 0) {
        m_KeyLatch = 1;
        m_Paused = 1;
        m_PauseState = 1;
        m_PauseSel = 0;
        p_PlaySFX2(kSfxPause, 0.5f);
    }
    if (!m_NoHud && p_Button(kSlotIcons, 16, 16, kPauseIcon) && !m_Paused && !m_GameEnded) {
        m_Paused = 1;
        m_PauseState = 1;
        m_TouchLatch = 1;
        m_PauseSel = 0;
        p_PlaySFX2(kSfxPause, 0.5f);
    }
    if (m_Paused) p_PauseMenu();
    return 0;
}

// ---------------------------------------------------------------------------
// Game over
// ---------------------------------------------------------------------------

int c_MyApp::p_GameOver() {
    // The rank is judged against the table as it stands while the round is
    // on screen (a prize picked up under the banner still counts). Once the
    // menu has recorded the score the table holds it, so the fading banner
    // keeps the rank the round ended with.
    if (m_Mode == kModeRound) {
        p_MyNth();
        // A replayed round is in the table already: it claims no new place.
        m_OverRank = m_Replays->Watching() ? 0 : m_n;
    }
    int t = m_OverTimer;
    if (t > 0) {
        float w = bb_Zanth_jscrw, h = bb_Zanth_jscrh;
        p_SetSize(1);
        p_SetRot(0);
        p_SetCol(0, 0, 0, std::fmin(t / 40.0f, 0.7f));
        p_Rect(-1, -1, w + 2, h + 2);
        int e = std::min(12 * t, static_cast<int>(0.45f * h));
        m_i = e;
        float g = 0.45f * h;
        p_SetCol(255, 255, 0, 0.5f);
        p_Rect(-1, g - 8, static_cast<float>(2 * e), 16);
        p_SetCol(255, 128, 0, 0.5f);
        p_Rect(w - 2 * e, 0.55f * h - 8, static_cast<float>(2 * e + 1), 16);
        p_SetSize(4);
        p_SetCol(255, 180, 180, 1);
        p_Text(0.35f * w, static_cast<float>(e), Banner().game, 1, 1);
        p_Text(0.65f * w, h - e, Banner().over, 1, 1);
        if (m_OverRank > 0) {
            p_SetSize(1);
            p_SetCol(0, 125, 255, 0.5f);
            p_Rect(0.35f * w, h - e / 1.5f - 16, 0.3f * w, 32);
            p_SetSize(2);
            p_SetCol(100, 255, 100, 1);
            p_Text(w / 2, h - e / 1.5f, Banner().newHighscore[m_OverRank], 0.5f, 2);
        }
    }
    if (m_Mode == kModeRound) {
        if (++m_OverTimer == kBannerUpdates) {
            BadgesAtRoundEnd();
            m_Mode = kModeToMenu;
            // The menu never comes back paused.
            m_Paused = 0;
            m_OverTimer = kBannerFadeFrom;
            m_JMPlayer->p_JM_Stop(1);
            if (bb_Zanth_HasMusicStream == 1) {
                bb_audio_StopMusic();
                m_TunePlaying = 0;
            }
        }
    } else if (m_Mode < kModeRound) {
        m_OverTimer = std::max(m_OverTimer - 2, 0);
    }
    return 0;
}

// The rank of the round's score in its variant's table: 1 + the first entry
// it equals or beats. A score that beats no entry is not recorded when the
// menu returns, so it gets no rank (and no banner line) at all.
String c_MyApp::p_MyNth() {
    m_n = 0;
    int table = 10 * (m_GameType - 1);
    if (table < 0 || table + 9 >= m_Scores.Length()) return String();
    bool recorded = false;
    for (int r = 0; r < 10; ++r)
        if (m_Scores[table + r] < m_Score) recorded = true;
    if (!recorded) return String();
    for (int r = 0; r < 10; ++r) {
        if (m_Score >= m_Scores[table + r]) {
            m_n = r + 1;
            break;
        }
    }
    return Banner().rank[m_n];
}
