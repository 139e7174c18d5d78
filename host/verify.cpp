// host/verify.cpp - CheckReplay: a replay played to its end and compared with its recording.
#include "host/verify.h"

#include "host/headless.h"
#include "host/title.h"

namespace {

const char* const kProgram = kProgramName;

}  // namespace

int CheckReplay(BBHeadlessGame* host, BBGameReplays* replays, const BBRecordedRound& recorded,
                const std::string& path, std::FILE* out, std::FILE* err) {
    for (int i = 0; i < kReadyUpdates && !replays->Ready(); ++i) host->Update();
    replays->Start();
    // The round ends by itself; the bound only guards against a game that
    // would never start it.
    long limit = recorded.end.updates + kReadyUpdates;
    for (long i = 0; i < limit && !replays->Over(); ++i) host->Update();

    BBRoundEnd played = replays->Result();
    std::fprintf(out, "score %d updates %ld\n", played.score, played.updates);
    std::fflush(out);
    const BBRoundEnd& want = recorded.end;
    bool sameLength = played.score == want.score && played.updates == want.updates;
    if (sameLength && played.world == want.world) return 0;
    std::string by = recorded.otherVersion.empty() ? "" : " (by version " + recorded.otherVersion + ")";
    if (sameLength) {
        std::fprintf(err, "%s: %s: the round reached its score and length but ended in another state than it was recorded%s\n",
                     kProgram, path.c_str(), by.c_str());
    } else {
        std::fprintf(err, "%s: %s: the round replayed to score %d in %ld updates, but it was recorded with score %d in %ld%s\n",
                     kProgram, path.c_str(), played.score, played.updates, want.score, want.updates, by.c_str());
    }
    return 1;
}
