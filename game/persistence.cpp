// game/persistence.cpp - options, badges and highscores in the state string.
//
// The state string is decimal integers, each followed by "|", in three kinds
// of section, each closed by its own checksum so that a damaged or edited
// section is thrown away on its own while the others still load:
//
//   settings   options 0..24, then S = sum of i * option i          (26 values)
//   badges     eight 32-bit words, bit m of word w is badge 32w + m,
//              then B = the sum of the words                         (9 values)
//   scores x3  for variant t = 0..2 and rank r = 0..9 the pairs
//              (best r, recent r), then H = sum of (r + 4) * best r
//              + (t + 3 + r) * recent r                              (21 values each)
//
// 98 values in all. Every sum is 32-bit and wraps; a word with bit 31 set is
// written negative. Scores of variant t live in m_Scores: the ten best at
// 10t..10t+9 (highest first), the ten most recent at 30+10t..30+10t+9
// (newest first).
#include <cstdint>
#include <string>

#include "game/globals.h"
#include "game/myapp.h"
#include "game/replay.h"
#include "runtime/error.h"

namespace {

const int kOptions = 25;
const int kBadgeWords = 8;
const int kVariants = 3;
const int kRanks = 10;
const int kRecentBase = 30;  // m_Scores index of variant 0's most recent score

// 32-bit sums that wrap instead of overflowing.
struct WrappingSum {
    uint32_t value = 0;
    void add(int32_t weight, int32_t x) { value += static_cast<uint32_t>(weight) * static_cast<uint32_t>(x); }
    int32_t get() const { return static_cast<int32_t>(value); }
};

void append(std::string& out, int value) {
    out += std::to_string(value);
    out += '|';
}

int best_index(int t, int r) { return t * kRanks + r; }
int recent_index(int t, int r) { return kRecentBase + t * kRanks + r; }

}  // namespace

// ---------------------------------------------------------------------------
// Saving
// ---------------------------------------------------------------------------

String c_MyApp::StateString() {
    std::string out;
    out.reserve(600);

    WrappingSum settings;
    for (int i = 0; i < kOptions; ++i) {
        append(out, m_Options[i]);
        settings.add(i, m_Options[i]);
    }
    append(out, settings.get());

    WrappingSum badges;
    for (int w = 0; w < kBadgeWords; ++w) {
        uint32_t word = 0;
        for (int m = 0; m < 32; ++m)
            if (m_Badges[32 * w + m]) word |= 1u << m;
        append(out, static_cast<int32_t>(word));
        badges.add(1, static_cast<int32_t>(word));
    }
    append(out, badges.get());

    for (int t = 0; t < kVariants; ++t) {
        WrappingSum scores;
        for (int r = 0; r < kRanks; ++r) {
            int best = m_Scores[best_index(t, r)], recent = m_Scores[recent_index(t, r)];
            append(out, best);
            append(out, recent);
            scores.add(r + 4, best);
            scores.add(t + 3 + r, recent);
        }
        append(out, scores.get());
    }
    return String(out.data(), static_cast<int>(out.size()));
}

int c_MyApp::p_Save() {
    // A replay being watched has the recorded round's options in place.
    if (m_Replays->Watching()) return 0;
    String state = StateString();
    if (bb_Zanth_DebugMode == 1) bbPrint(state);
    // The player keeps playing either way; the line says why the options or
    // scores will be missing at the next start.
    if (bb_app_SaveState(state) != 0) bbPrint(String("Settings could not be saved"));
    return 0;
}

// ---------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------

void c_MyApp::LoadSettings(const Array<String>& parts, int* cursor) {
    int count = parts.Length();
    if (count < kOptions) return;
    WrappingSum sum;
    for (int i = 0; i < kOptions; ++i) {
        m_Options[i] = parts[i].ToInt();
        sum.add(i, m_Options[i]);
    }
    // Exactly 25 parts carry the options but no checksum: that is a
    // mismatch, and nothing beyond the end is read.
    bool valid = count > kOptions && parts[kOptions].ToInt() == sum.get();
    *cursor = kOptions + 1;
    if (valid) {
        bbPrint(String("Settings Loaded"));
        return;
    }
    bbPrint(String("Settings Checksum Invalid"));
    for (int i = 0; i < kOptions; ++i) m_Options[i] = 0;
    m_Options[5] = 1;
}

void c_MyApp::LimitSettings() {
    if (m_Options[10] < 64) m_Options[10] = 64;
    if (m_Options[11] < 64) m_Options[11] = 64;
    if (m_Options[12] < 8) m_Options[12] = 10;
    if (m_Options[14] < 1) m_Options[14] = 64;
    if (bb_Zanth_isOuya == 1) {
        bb_Zanth_overscan = static_cast<float>(m_Options[14]);
    } else {
        m_Options[14] = 1;
        bb_Zanth_overscan = 0;
    }
}

void c_MyApp::LoadBadges(const Array<String>& parts, int* cursor) {
    int at = *cursor;
    if (at + kBadgeWords >= parts.Length()) return;
    WrappingSum sum;
    for (int w = 0; w < kBadgeWords; ++w) {
        int32_t word = parts[at + w].ToInt();
        sum.add(1, word);
        for (int m = 0; m < 32; ++m) m_Badges[32 * w + m] = (static_cast<uint32_t>(word) >> m & 1u) != 0;
    }
    at += kBadgeWords;
    bool valid = parts[at].ToInt() == sum.get();
    *cursor = at + 1;
    if (valid) {
        bbPrint(String("Badges Loaded"));
        return;
    }
    bbPrint(String("Badge Checksum Invalid"));
    for (int i = 0; i < m_Badges.Length(); ++i) m_Badges[i] = false;
}

void c_MyApp::LoadScores(const Array<String>& parts, int* cursor, int t) {
    int at = *cursor;
    if (at + 2 * kRanks >= parts.Length()) return;
    WrappingSum sum;
    for (int r = 0; r < kRanks; ++r) {
        int best = parts[at + 2 * r].ToInt(), recent = parts[at + 2 * r + 1].ToInt();
        m_Scores[best_index(t, r)] = best;
        m_Scores[recent_index(t, r)] = recent;
        sum.add(r + 4, best);
        sum.add(t + 3 + r, recent);
    }
    at += 2 * kRanks;
    bool valid = parts[at].ToInt() == sum.get();
    *cursor = at + 1;
    String table = String("Highscore ") + String(t);
    if (valid) {
        bbPrint(table + String(" Loaded"));
        return;
    }
    bbPrint(table + String(" Checksum Invalid"));
    for (int r = 0; r < kRanks; ++r) m_Scores[best_index(t, r)] = m_Scores[recent_index(t, r)] = 0;
}

int c_MyApp::p_Load() {
    String state = bb_app_LoadState();
    Array<String> parts = state.Split(String("|"));
    if (bb_Zanth_DebugMode == 1) bbPrint(state);
    // Without a settings block the cursor stays at 0 and the badge block is
    // looked for at the start of the string.
    int cursor = 0;
    LoadSettings(parts, &cursor);
    LimitSettings();
    LoadBadges(parts, &cursor);
    for (int t = 0; t < kVariants; ++t) LoadScores(parts, &cursor, t);
    return 0;
}

// ---------------------------------------------------------------------------
// Recording a finished game
// ---------------------------------------------------------------------------

int c_MyApp::p_LoadMenu() {
    int t = m_GameType - 1;
    if (t >= 0 && t < kVariants) {
        int s = m_Score;
        // Ties keep the older score ahead: the new one goes below every equal score.
        int rank = -1;
        for (int r = 0; r < kRanks && rank < 0; ++r)
            if (m_Scores[best_index(t, r)] < s) rank = r;
        if (rank >= 0) {
            for (int r = kRanks - 1; r > rank; --r) m_Scores[best_index(t, r)] = m_Scores[best_index(t, r - 1)];
            m_Scores[best_index(t, rank)] = s;
        }
        for (int r = kRanks - 1; r > 0; --r) m_Scores[recent_index(t, r)] = m_Scores[recent_index(t, r - 1)];
        m_Scores[recent_index(t, 0)] = s;
    }
    p_Save();
    return 0;
}
