// tools/fuzz/fuzz_submission.cpp - a submission to the world board, from the
// request's body to the check of its replay.
//
// The input is a request's body. Beyond not crashing: what is read is what
// the board would store, so a body that reads has a name of 1 to 16
// characters whose caseless form folds to itself, a key's hash, and a replay
// that encodes back to the bytes it came from; and its check, whatever the
// round holds, ends in a yes or a reason.
#include "board/names.h"
#include "board/submission.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string body(reinterpret_cast<const char*>(data), size);
    Submission s;
    std::string error;
    if (!ReadSubmission(body, &s, &error)) {
        FuzzCheck(!error.empty());
        return 0;
    }
    PlayerName again;
    FuzzCheck(ReadPlayerName(s.name.shown, &again, &error) && again.folded == s.name.folded);
    FuzzCheck(s.keyHash.size() == 64 && s.roundKey.size() == 64);
    std::vector<uint8_t> encoded = EncodeReplay(s.replay);
    FuzzCheck(std::string(encoded.begin(), encoded.end()) == s.bytes);
    bool fit = CheckSubmission(s, "1.0.0", &error);
    FuzzCheck(fit || !error.empty());
    return 0;
}
