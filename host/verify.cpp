// host/verify.cpp - CheckReplay and CheckReplays: replays played to their end
// and compared with their recordings.
#include "host/verify.h"

#include <algorithm>

#include "host/headless.h"
#include "host/title.h"

namespace {

const char* const kProgram = kProgramName;

using Play = BBReplayRun;

bool SameLength(const BBRoundEnd& a, const BBRoundEnd& b) { return a.score == b.score && a.updates == b.updates; }

bool SameEnd(const BBRoundEnd& a, const BBRoundEnd& b) { return SameLength(a, b) && a.world == b.world; }

// A file's name as its line shows it: one line, whatever the name holds.
std::string LineName(const std::string& path) {
    std::string name = path;
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return name;
}

// Prints the line of a file that was played, and returns its status.
int PrintPlayed(const std::string& name, const BBRoundEnd& played, const BBRecordedRound& recorded, std::FILE* out) {
    std::string verdict;
    bool matched = ReplayVerdict(played, recorded, &verdict);
    std::fprintf(out, "%s: %s\n", name.c_str(), verdict.c_str());
    return matched ? 0 : 1;
}

}  // namespace

BBReplayRun PlayOpenedReplay(BBHeadlessGame* host, BBGameReplays* replays, const BBRecordedRound& recorded) {
    for (int i = 0; i < kReadyUpdates && !replays->Ready(); ++i) host->Update();
    replays->Start();
    // A round takes at least one update; a game that is over before any
    // refused the replay, and its result is still the last round's.
    if (replays->Over()) return Play::kNotStarted;
    // The round ends by itself; the bound only guards against a game that
    // would never start it.
    long limit = recorded.end.updates + kReadyUpdates;
    for (long i = 0; i < limit && !replays->Over(); ++i) host->Update();
    return replays->Over() ? Play::kEnded : Play::kNotEnded;
}

bool ReplayVerdict(const BBRoundEnd& played, const BBRecordedRound& recorded, std::string* line) {
    const BBRoundEnd& want = recorded.end;
    *line = "score " + std::to_string(played.score) + " updates " + std::to_string(played.updates) + ": ";
    if (SameEnd(played, want)) {
        *line += "matched";
        return true;
    }
    if (SameLength(played, want)) {
        *line += "did not match (ended in another state than recorded";
    } else {
        *line += "did not match (recorded score " + std::to_string(want.score) + " in " +
                 std::to_string(want.updates) + " updates";
    }
    if (!recorded.otherVersion.empty()) *line += ", by version " + recorded.otherVersion;
    *line += ")";
    return false;
}

int CheckReplay(BBHeadlessGame* host, BBGameReplays* replays, const BBRecordedRound& recorded,
                const std::string& path, std::FILE* out, std::FILE* err) {
    PlayOpenedReplay(host, replays, recorded);
    BBRoundEnd played = replays->Result();
    std::fprintf(out, "score %d updates %ld\n", played.score, played.updates);
    std::fflush(out);
    const BBRoundEnd& want = recorded.end;
    if (SameEnd(played, want)) return 0;
    std::string by = recorded.otherVersion.empty() ? "" : " (by version " + recorded.otherVersion + ")";
    if (SameLength(played, want)) {
        std::fprintf(err, "%s: %s: the round reached its score and length but ended in another state than it was recorded%s\n",
                     kProgram, path.c_str(), by.c_str());
    } else {
        std::fprintf(err, "%s: %s: the round replayed to score %d in %ld updates, but it was recorded with score %d in %ld%s\n",
                     kProgram, path.c_str(), played.score, played.updates, want.score, want.updates, by.c_str());
    }
    return 1;
}

int CheckReplays(const std::vector<std::string>& paths, BBGameReplays* replays,
                 const std::function<BBHeadlessGame*()>& start, std::FILE* out) {
    BBHeadlessGame* host = nullptr;
    std::string unfinished;  // the file whose round the game is still playing, if any
    int worst = 0;
    for (const std::string& path : paths) {
        const std::string name = LineName(path);
        BBRecordedRound recorded;
        std::string error;
        int status;
        if (!replays->Open(path, &recorded, &error)) {
            std::fprintf(out, "%s: could not be read: %s\n", name.c_str(), error.c_str());
            status = 2;
        } else if (!unfinished.empty()) {
            // A game still in a round would not start another, and one that
            // did not finish a round is not to be trusted with the next.
            std::fprintf(out, "%s: not checked: the game did not finish the round of %s\n", name.c_str(),
                         unfinished.c_str());
            status = 1;
        } else {
            if (!host) host = start();
            Play play = PlayOpenedReplay(host, replays, recorded);
            if (play == Play::kEnded) {
                status = PrintPlayed(name, replays->Result(), recorded, out);
            } else if (play == Play::kNotStarted) {
                std::fprintf(out, "%s: not checked: the game did not start its round\n", name.c_str());
                status = 1;
            } else {
                unfinished = name;
                std::fprintf(out, "%s: not checked: the game did not finish its round within %ld updates\n",
                             name.c_str(), recorded.end.updates + kReadyUpdates);
                status = 1;
            }
        }
        std::fflush(out);
        worst = std::max(worst, status);
    }
    return worst;
}
