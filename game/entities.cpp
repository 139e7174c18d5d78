// game/entities.cpp - beacons, prizes, charges and enemies.
//
// Each update visits records 1..100 in order. A record runs the rule of its
// kind; a change of kind takes effect at once, so the record may also run the
// rule of its new kind in the same update (kinds are visited in ascending
// order). Then it is drawn, picked up when the player touches it and, for
// enemies, hurts the player.
//
// Beacons cycle: ready (1) -> starting (2) -> active (3), catching enemies in
// the column above it -> prize (4) if it caught any, else spent (5). A taken
// prize (7) turns spent after a second; a spent beacon takes a charge and
// recharges (6) back to ready. Enemies appear asleep (11) or hunting (10),
// wake (12) when the player comes near, hunt floor by floor through the gaps
// and fade away (13) once caught.
#include <cmath>
#include <cstdlib>

#include "game/badge_list.h"
#include "game/gameplay.h"
#include "game/globals.h"
#include "game/myapp.h"
#include "support/random.h"

using namespace play;

namespace {

const int kSfxBeaconStart = 2, kSfxCatch = 3, kSfxCharge = 4, kSfxRecharge = 5, kSfxPrize = 6, kSfxSpent = 7,
          kSfxHurt = 8;

float rnd() { return bb_random_Rnd(); }

// An enemy's step: its speed with a little jitter, drawn afresh each time.
float jitter(float speed) { return rnd() * 0.1f - 0.05f + speed; }

// Moves `value` toward `target` by one step: down when above, then up when
// (still or now) below.
void approach(float& value, float target, float speed) {
    if (value > target) value -= jitter(speed);
    if (value < target) value += jitter(speed);
}

int band(float row) { return static_cast<int>(row / 4); }

}  // namespace

// Places a new charge or enemy on a random floor, never within 16 columns and
// 8 rows of the player at once.
void c_MyApp::PlaceAwayFromPlayer(float* e) {
    float x, y;
    do {
        x = static_cast<float>(static_cast<int>(rnd() * 56 + 4));
        y = std::floor(rnd() * 14 + 1) * 4 - 1;
    } while (std::fabs(x - m_Plr[kPlrX]) < 16 && std::fabs(y - m_Plr[kPlrY]) < 8);
    e[kEntX] = x;
    e[kEntY] = y - 0.1f;
    e[kEntOffX] = e[kEntOffY] = 0;
}

void c_MyApp::UpdateEntities() {
    m_TmpB = m_EntCount;
    m_EntCount = 0;
    m_FreeEnt = -1;
    for (int n = 1; n <= kLastEntity; ++n) UpdateEntity(n);
}

void c_MyApp::UpdateEntity(int n) {
    float* e = &m_Ents[n * kEntityFloats];
    if (n >= kFirstCharge && n <= kLastCharge && e[kEntKind] == kFree) {
        PlaceAwayFromPlayer(e);
        e[kEntKind] = kCharge;
        e[kEntPhase] = rnd() * 360;
        e[kEntSpeed] = rnd() * 4 + 2;
    }
    if (n > kLastCharge && e[kEntKind] == kFree) m_FreeEnt = n;
    if (e[kEntKind] <= 0) return;

    EntityLook look;
    BeaconRules(e, look);
    EnemyRules(e, look);
    if (e[kEntKind] == kCharge) {
        e[kEntPhase] = std::fmod(e[kEntPhase] + e[kEntSpeed], 360.0f);
        look.frame = 11;
        look.sizeX = 2 * std::sin(e[kEntPhase] * D2R);  // it spins
    }

    float ex = (e[kEntX] + e[kEntOffX]) * kCell - m_CamX, ey = (e[kEntY] + e[kEntOffY]) * kCell - m_CamY;
    if (e[kEntKind] != kFree && NearScreen(ex, ey)) {
        p_SetCol(255, 255, 255, look.alpha);
        p_SetSize(look.sizeX, look.sizeY);
        p_DrawImg(kSpriteSlot, ex, ey, look.frame);
    }
    PickUp(e, ex, ey);
    HurtPlayer(e, ex, ey);
}

// Beacons and prizes: their timers run only while the round is alive.
void c_MyApp::BeaconRules(float* e, EntityLook& look) {
    bool alive = Alive();
    float& t = e[kEntTimer];
    if (e[kEntKind] == kBeaconStarting) {
        if (alive) t += 1;
        look.frame = 17 + static_cast<int>(std::fmod(std::floor(t / 6), 2.0f));
        if (t > 20) {
            e[kEntKind] = kBeaconActive;
            t = 0;
        }
    }
    if (e[kEntKind] == kBeaconActive) {
        look.frame = 19;
        if (alive) {
            t += 1;
            CatchEnemies(e);
        }
        if (t > 130 - 10 * m_GameType) {
            t = 0;
            e[kEntKind] = e[kEntCatch] > 0 ? kPrize : kBeaconSpent;
        }
    }
    if (e[kEntKind] == kPrize) {
        if (alive) t = std::fmod(t + 1, 48.0f);
        look.frame = 20 + static_cast<int>(std::fmod(std::floor(t / 16), 3.0f));
    }
    if (e[kEntKind] == kBeaconSpent) {
        if (alive) t = std::fmod(t + 1, 36.0f);
        look.frame = static_cast<int>(12 + std::fmod(t / 12, 3.0f));
    }
    if (e[kEntKind] == kBeaconRecharging || e[kEntKind] == kPrizeTaken) {
        if (alive) t += 1;
        look.frame = static_cast<int>(rnd() * 2.9f + 8);  // sparkling
        if (t > 60) {
            t = 0;
            if (e[kEntKind] == kPrizeTaken) p_PlaySFX2(kSfxSpent, 1);
            e[kEntKind] = e[kEntKind] == kBeaconRecharging ? kBeaconReady : kBeaconSpent;
        }
    }
}

// An active beacon destroys the hunting enemies in the column above it and
// throws three sparks.
void c_MyApp::CatchEnemies(float* beacon) {
    for (int m = 1; m <= kLastEntity; ++m) {
        float* enemy = &m_Ents[m * kEntityFloats];
        if (enemy[kEntKind] != kEnemyHunting) continue;
        if (std::fabs(enemy[kEntX] - beacon[kEntX]) < 0.35f && std::fabs(enemy[kEntY] - (beacon[kEntY] - 3)) < 4) {
            enemy[kEntKind] = kEnemyDying;
            enemy[kEntTimer] = 1;
            enemy[kEntCatch] = 0.8f;
            beacon[kEntCatch] += 1;
            p_PlaySFX2(kSfxCatch, 1);
        }
    }
    float wx = (beacon[kEntX] + beacon[kEntOffX]) * kCell, wy = (beacon[kEntY] + beacon[kEntOffY]) * kCell;
    for (int i = -1; i <= 1; ++i) {
        float angle = rnd() * 10 - 5;
        float speed = rnd() * 4 + 6;
        p_ThrowParticle(wx + 4.8f * i, wy, kSparkFalling, 8, angle, speed);
    }
}

// Enemies animate and are counted always; they move, wake and fade only
// while the round is alive.
void c_MyApp::EnemyRules(float* e, EntityLook& look) {
    bool alive = Alive();
    float& t = e[kEntTimer];
    int kind = static_cast<int>(e[kEntKind]);
    if (kind < kEnemyHunting || kind > kEnemyDying) return;
    ++m_EntCount;
    look.alpha = 0.8f;
    if (e[kEntKind] == kEnemyHunting) {
        e[kEntPhase] += rnd() * 0.2f + 0.2f;
        if (alive) HuntPlayer(e);
        look.frame = 40 + static_cast<int>(std::fmod(std::floor(e[kEntPhase] / 3), 3.0f));
    }
    if (e[kEntKind] == kEnemyAsleep) {
        e[kEntPhase] += rnd() * 0.4f + 0.5f;
        look.frame = 43 + static_cast<int>(std::fmod(std::floor(e[kEntPhase] / 8), 3.0f));
        float ex = (e[kEntX] + e[kEntOffX]) * kCell - m_CamX, ey = (e[kEntY] + e[kEntOffY]) * kCell - m_CamY;
        if (std::fabs(ex - m_Plr[kPlrScreenX]) < 134.4f && std::fabs(ey - m_Plr[kPlrScreenY]) < 36) {
            e[kEntKind] = kEnemyWaking;
            t = 0;
        }
    }
    if (e[kEntKind] == kEnemyWaking) {
        if (alive) t += 1;
        look.frame = 46;
        if (t > 60) {
            e[kEntKind] = kEnemyHunting;
            t = 0;
        }
    }
    if (e[kEntKind] == kEnemyDying) {
        float& fade = e[kEntCatch];
        if (alive) {
            t += rnd() * 0.15f + 0.05f;
            fade -= rnd() * 0.02f + 0.015f;
        }
        look.frame = 46;
        look.sizeX = 2 * fade;
        look.sizeY = 2 * t;
        look.alpha = fade;
        if (fade <= 0) e[kEntKind] = kFree;
    }
}

// What the player picks up by touching it, whether or not the round is paused.
void c_MyApp::PickUp(float* e, float ex, float ey) {
    if (!(std::fabs(ex - m_Plr[kPlrScreenX]) < 14.4f && std::fabs(ey - m_Plr[kPlrScreenY]) < 12)) return;
    int kind = static_cast<int>(e[kEntKind]);
    if (kind == kBeaconReady) {
        e[kEntKind] = kBeaconStarting;
        p_PlaySFX2(kSfxBeaconStart, 1);
        AwardBadge(badges::kFirstBeacon);
    } else if (kind == kPrize) {
        int caught = static_cast<int>(e[kEntCatch]);
        e[kEntKind] = kPrizeTaken;
        p_Gimme(static_cast<int>(caught * caught * 5.0f), ex + m_CamX, ey + m_CamY);
        BadgesForPrize(caught);
        e[kEntTimer] = 0;
        e[kEntCatch] = 0;
        ++m_EnemyCap;
        p_PlaySFX2(kSfxPrize, 1);
    } else if (kind == kCharge && m_Plr[kPlrCharges] < kMaxCharges) {
        m_Plr[kPlrCharges] += 1;
        e[kEntKind] = kFree;
        p_PlaySFX2(kSfxCharge, 1);
    } else if (kind == kBeaconSpent && m_Plr[kPlrCharges] >= 1) {
        m_Plr[kPlrCharges] -= 1;
        e[kEntKind] = kBeaconRecharging;
        e[kEntTimer] = 0;
        p_PlaySFX2(kSfxRecharge, 1);
        AwardBadge(badges::kRecharged);
    }
}

// Enemies hurt; a hit protects the player for 10 updates.
void c_MyApp::HurtPlayer(const float* e, float ex, float ey) {
    float px = m_Plr[kPlrScreenX], py = m_Plr[kPlrScreenY];
    int kind = static_cast<int>(e[kEntKind]);
    if ((kind == kEnemyHunting || kind == kEnemyAsleep || kind == kEnemyWaking) && Alive() &&
        std::fabs(ex - px) < 16.8f && std::fabs(ey + 8.4f - py) < 16.8f && m_Plr[kPlrHurt] < 1) {
        m_Plr[kPlrEnergy] -= 1;
        m_Plr[kPlrHurt] = 10;
        p_PlaySFX(kSfxHurt, m_Plr[kPlrEnergy] / 10 + 0.8f, 1, 0);
    }
}

// One hunting step. In the player's band the enemy floats toward the player
// and hovers a little above the floor; otherwise it heads for the nearest gap
// of the floor between it and the player and, once over it, drops or rises
// through it toward the player.
void c_MyApp::HuntPlayer(float* e) {
    float s = e[kEntSpeed];
    float& x = e[kEntX];
    float& y = e[kEntY];
    int own = band(y), target = band(m_Plr[kPlrY]);
    auto hover = [&] {
        if (y - 4 * own > 2.2f) y -= jitter(s);
        if (y - 4 * own < 2.2f) y += jitter(s);
    };
    if (own == target) {
        approach(x, m_Plr[kPlrX] + m_Plr[kPlrOffX], s);
        hover();
        return;
    }
    int row = static_cast<int>(std::floor(y / 4)) * 4 + 3;
    if (target < own) row -= 4;
    // The nearest empty cell of that floor (m_TmpE, -1 when none) and
    // whether one is less than 2 columns away (m_TmpA).
    float best = 64;
    m_TmpE = -1;
    m_TmpA = 0;
    if (row >= 0 && row < kMapSize) {
        const float* cells = &m_Map[row * kMapSize];
        for (int col = 0; col < kMapSize; ++col) {
            if (cells[col] != 0) continue;
            float d = std::fabs(col - x);
            if (d < best) {
                best = d;
                m_TmpE = col;
            }
            if (d < 2) m_TmpA = 1;
        }
    }
    m_TmpD = static_cast<int>(best);
    if (m_TmpE >= 0) approach(x, static_cast<float>(m_TmpE), s);
    if (m_TmpA) {
        approach(y, m_Plr[kPlrY] + m_Plr[kPlrOffY], s);
    } else {
        hover();
    }
}

void c_MyApp::SpawnEnemy() {
    if (m_EnemyCap > kMaxEnemyCap) m_EnemyCap = kMaxEnemyCap;
    if (m_EntCount >= m_EnemyCap || m_FreeEnt < 0 || !(rnd() * 60 < 3)) return;
    float* e = &m_Ents[m_FreeEnt * kEntityFloats];
    e[kEntKind] = kEnemyAsleep;
    if (rnd() * 8 < 2) e[kEntKind] = kEnemyHunting;
    PlaceAwayFromPlayer(e);
    e[kEntPhase] = rnd() * 8.9f;
    e[kEntSpeed] = rnd() * 0.08f + 0.04f;
    e[kEntTimer] = 0;
}
