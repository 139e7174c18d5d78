// board/submission.cpp - ReadSubmission and CheckSubmission.
#include "board/submission.h"

#include <openssl/evp.h>

#include <nlohmann/json.hpp>

#include "board/limits.h"

namespace {

// The string member `key` of `body`, or false when it is missing or no string.
bool Member(const nlohmann::json& body, const char* key, std::string* value, std::string* error) {
    auto it = body.find(key);
    if (it == body.end() || !it->is_string()) {
        *error = std::string("the body has no \"") + key + "\" string";
        return false;
    }
    *value = it->get<std::string>();
    return true;
}

void PutWord(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

std::string RoundKey(const ReplayFile& r) {
    std::string what = "lantern-vault round";
    what.push_back(static_cast<char>(r.variant));
    PutWord(what, static_cast<uint32_t>(r.seed));
    PutWord(what, static_cast<uint32_t>(r.fields.size()));
    for (uint32_t f : r.fields) PutWord(what, f);
    what.append(r.tape.begin(), r.tape.end());
    return Sha256Hex(what);
}

}  // namespace

bool DecodeBase64Url(const std::string& text, std::string* bytes) {
    size_t end = text.size();
    while (end > 0 && text[end - 1] == '=' && text.size() - end < 2) --end;
    std::string standard;
    standard.reserve(end + 3);
    for (size_t i = 0; i < end; ++i) {
        char c = text[i];
        if (c == '-') c = '+';
        else if (c == '_') c = '/';
        else if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
        standard.push_back(c);
    }
    if (standard.size() % 4 == 1) return false;
    size_t padding = (4 - standard.size() % 4) % 4;
    standard.append(padding, '=');
    bytes->assign(standard.size() / 4 * 3, '\0');
    int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(&(*bytes)[0]),
                            reinterpret_cast<const unsigned char*>(standard.data()), static_cast<int>(standard.size()));
    if (n < 0 || static_cast<size_t>(n) < padding) return false;
    bytes->resize(static_cast<size_t>(n) - padding);
    return true;
}

bool ReadSubmission(const std::string& body, Submission* s, std::string* error) {
    nlohmann::json json = nlohmann::json::parse(body, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        *error = "the body is not a JSON object";
        return false;
    }
    std::string name, key, replay;
    if (!Member(json, "name", &name, error) || !Member(json, "key", &key, error) ||
        !Member(json, "replay", &replay, error))
        return false;
    if (!ReadPlayerName(name, &s->name, error) || !ReadPlayerKey(key, error)) return false;
    s->keyHash = Sha256Hex(key);
    if (!DecodeBase64Url(replay, &s->bytes)) {
        *error = "the replay is not URL-safe base64";
        return false;
    }
    if (!DecodeReplay(reinterpret_cast<const uint8_t*>(s->bytes.data()), s->bytes.size(), &s->replay, error))
        return false;
    s->roundKey = RoundKey(s->replay);
    return true;
}

bool CheckSubmission(const Submission& s, const std::string& gameVersion, std::string* error) {
    const ReplayFile& r = s.replay;
    if (r.gameVersion != gameVersion) {
        *error = "the round was recorded by version " + r.gameVersion + " of the game; this board plays version " +
                 gameVersion;
        return false;
    }
    if (r.updates > static_cast<uint32_t>(limits::kRoundUpdates)) {
        *error = "the round is " + std::to_string(r.updates) + " updates long; the board plays rounds of up to " +
                 std::to_string(limits::kRoundUpdates) + " (two hours)";
        return false;
    }
    return CheckReplayValues(r, error);
}
