// game/badge_list.h - the badges a player can earn, and where their counters live.
//
// Ids 1..24; id 0 is the test badge and is never awarded. A badge's icon is
// frame `id` of the badge image, its text the record "name|description".
// Counters that span rounds are kept in option entries that the settings
// block saves but nothing else uses, so the state file keeps its format.
#ifndef LANTERN_GAME_BADGE_LIST_H
#define LANTERN_GAME_BADGE_LIST_H

namespace badges {

enum Id {
    kFirstBeacon = 1,
    kFirstPrize,
    kCatch3,
    kCatch5,
    kCatch8,
    kFullPockets,
    kRecharged,
    kBottomFloor,
    kScoreFirst,                       // 250, 1000, 5000 points in a green round,
    kScoreLast = kScoreFirst + 8,      // then amber, then red: 9..17
    kSurvive2,
    kSurvive5,
    kRoundFirst,                       // a round of each variant played to the end: 20..22
    kRoundLast = kRoundFirst + 2,
    kTenRounds,
    kBeatFullTable,
    kLast = kBeatFullTable,            // 24
};

// Points in one round for the three score badges of a variant.
constexpr int kScoreSteps[3] = {250, 1000, 5000};
// Updates of play (60 a second) for the two survival badges.
constexpr int kSurvive2Updates = 2 * 60 * 60;
constexpr int kSurvive5Updates = 5 * 60 * 60;
constexpr int kRoundsForRegular = 10;
// The option entry counting rounds played to the end.
constexpr int kRoundsOption = 20;

// "name|description" of badge `id`; "" for an id without a badge.
const char* Record(int id);

}  // namespace badges

#endif
