// game/badge_awards.cpp - the badges and the events of play that award them.
//
// A badge is awarded once: its flag is set and its pop-up queued in a free
// pop-up slot (the pop-ups draw and age themselves every update). Flags reach
// the state file at the next save, which the return to the menu after every
// round makes. Awarding costs a few stores, so play never waits for it.
#include "game/badge_list.h"
#include "game/gameplay.h"
#include "game/myapp.h"
#include "game/replay.h"

using namespace play;

namespace badges {

const char* Record(int id) {
    static const char* const kRecords[kLast + 1] = {
        "Test Badge|This is a Test Badge which has no purpose.",
        "First Light|Start a beacon.",
        "Finders Keepers|Collect a prize.",
        "Hat Trick|Collect a prize from a beacon that caught 3 enemies.",
        "High Five|Collect a prize from a beacon that caught 5 enemies.",
        "Lantern Feast|Collect a prize from a beacon that caught 8 enemies.",
        "Full Pockets|Carry three charges at once.",
        "Second Wind|Recharge a spent beacon.",
        "Rock Bottom|Reach the bottom floor of the vault.",
        "Green Glimmer|Score 250 points in one green round.",
        "Green Glow|Score 1000 points in one green round.",
        "Green Blaze|Score 5000 points in one green round.",
        "Amber Glimmer|Score 250 points in one amber round.",
        "Amber Glow|Score 1000 points in one amber round.",
        "Amber Blaze|Score 5000 points in one amber round.",
        "Red Glimmer|Score 250 points in one red round.",
        "Red Glow|Score 1000 points in one red round.",
        "Red Blaze|Score 5000 points in one red round.",
        "Stayer|Last two minutes in one round.",
        "Old Hand|Last five minutes in one round.",
        "Green Keeper|Play a green round to the end.",
        "Amber Keeper|Play an amber round to the end.",
        "Red Keeper|Play a red round to the end.",
        "Regular|Play ten rounds to the end.",
        "Top Lantern|Beat the best score of a full highscore table.",
    };
    return id >= 0 && id <= kLast ? kRecords[id] : "";
}

}  // namespace badges

void c_MyApp::AwardBadge(int id) {
    if (id < 1 || id > badges::kLast || m_Badges[id] || m_Replays->Watching()) return;
    m_Badges[id] = true;
    for (int s = 0; s < 13; ++s) {
        if (m_BadgeTime[s] < 1) {
            m_BadgeShow[s] = id;
            m_BadgeTime[s] = 1;
            return;
        }
    }
}

void c_MyApp::BadgesDuringPlay() {
    if (!Alive()) return;
    ++m_RoundUpdates;
    if (m_RoundUpdates >= badges::kSurvive2Updates) AwardBadge(badges::kSurvive2);
    if (m_RoundUpdates >= badges::kSurvive5Updates) AwardBadge(badges::kSurvive5);
    if (m_Plr[kPlrY] == 63 && m_Plr[kPlrOffY] == 0) AwardBadge(badges::kBottomFloor);
    if (m_Plr[kPlrCharges] >= kMaxCharges) AwardBadge(badges::kFullPockets);
    if (m_GameType >= 1 && m_GameType <= 3) {
        for (int k = 0; k < 3; ++k)
            if (m_Score >= badges::kScoreSteps[k]) AwardBadge(badges::kScoreFirst + 3 * (m_GameType - 1) + k);
    }
}

void c_MyApp::BadgesForPrize(int caught) {
    AwardBadge(badges::kFirstPrize);
    if (caught >= 3) AwardBadge(badges::kCatch3);
    if (caught >= 5) AwardBadge(badges::kCatch5);
    if (caught >= 8) AwardBadge(badges::kCatch8);
}

void c_MyApp::BadgesAtRoundEnd() {
    if (m_GameType < 1 || m_GameType > 3 || m_Replays->Watching()) return;
    AwardBadge(badges::kRoundFirst + m_GameType - 1);
    int& rounds = m_Options[badges::kRoundsOption];
    if (rounds < 1000000) ++rounds;
    if (rounds >= badges::kRoundsForRegular) AwardBadge(badges::kTenRounds);
    // A full table: ten scores above 0, and this round's beats the best.
    int table = 10 * (m_GameType - 1);
    bool full = true;
    for (int r = 0; r < 10; ++r) full = full && m_Scores[table + r] > 0;
    if (full && m_Score > m_Scores[table]) AwardBadge(badges::kBeatFullTable);
}
