// game/replay_rules.cpp - CheckReplayValues: the values a replay sets, held
// against what the game itself can give each field (game/replay_fields.h).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "game/replay.h"
#include "game/replay_fields.h"
#include "game/screen_fit.h"
#include "input/input_tape.h"

namespace {

// The values a field may hold: any 32 bits read as an int, an int within
// [lo, hi], or a finite float within [lo, hi]. A separate tape range applies
// to the values the tape sets between updates. The screen's fields are also
// checked together; the variant must be the file's.
struct FieldRule {
    enum Kind { kAnyInt, kInt, kFloat, kVariant } kind = kAnyInt;
    double lo = 0, hi = 0;
    bool tapeOwn = false;
    double tapeLo = 0, tapeHi = 0;
    bool screen = false;

    FieldRule Tape(double low, double high) const {
        FieldRule r = *this;
        r.tapeOwn = true;
        r.tapeLo = low;
        r.tapeHi = high;
        return r;
    }
};

FieldRule AnyInt() { return FieldRule{}; }
FieldRule Int(double lo, double hi) { return FieldRule{FieldRule::kInt, lo, hi}; }
FieldRule Float(double lo, double hi) { return FieldRule{FieldRule::kFloat, lo, hi}; }
FieldRule Variant() { return FieldRule{FieldRule::kVariant, 1, 3}; }
FieldRule Screen(FieldRule r) {
    r.screen = true;
    return r;
}

struct CarriedField {
    const char* name;
    FieldRule rule;
};

// Every carried field in the file's order, with its name and rule.
std::vector<CarriedField> carried_rules() {
#define LANTERN_REPLAY_RULE(name, storage, rule) CarriedField{#name, rule},
    std::vector<CarriedField> fields = {LANTERN_REPLAY_SCALARS(LANTERN_REPLAY_RULE)};
#undef LANTERN_REPLAY_RULE
    // Virtual buttons: up, a press of one update, or held by an iCade. The
    // last is the back key's hits in one update, at most the input queue's.
    static const char* const kVKeyNames[kReplayVKeys] = {
        "m_VKeys[0]",  "m_VKeys[1]",  "m_VKeys[2]",  "m_VKeys[3]",  "m_VKeys[4]",  "m_VKeys[5]",  "m_VKeys[6]",
        "m_VKeys[7]",  "m_VKeys[8]",  "m_VKeys[9]",  "m_VKeys[10]", "m_VKeys[11]", "m_VKeys[12]", "m_VKeys[13]",
        "m_VKeys[14]", "m_VKeys[15]", "m_VKeys[16]", "m_VKeys[17]", "m_VKeys[18]", "m_VKeys[19]"};
    for (int i = 0; i < kReplayVKeys; ++i) fields.push_back({kVKeyNames[i], i == 19 ? Int(0, 33) : Int(0, 2)});
    // Options: as the loader leaves them (any number it reads, but the pad's
    // and the overscan's, which it limits), and the pad's as its fit to the
    // screen leaves them (its place at least 39 virtual pixels from the
    // edge at its smallest size, 0.8).
    static const char* const kOptionNames[kReplayOptions] = {
        "m_Options[0]",  "m_Options[1]",  "m_Options[2]",  "m_Options[3]",  "m_Options[4]",
        "m_Options[5]",  "m_Options[6]",  "m_Options[7]",  "m_Options[8]",  "m_Options[9]",
        "m_Options[10]", "m_Options[11]", "m_Options[12]", "m_Options[13]", "m_Options[14]",
        "m_Options[15]", "m_Options[16]", "m_Options[17]", "m_Options[18]", "m_Options[19]",
        "m_Options[20]", "m_Options[21]", "m_Options[22]", "m_Options[23]", "m_Options[24]"};
    const double kMaxInt = std::numeric_limits<int32_t>::max();
    for (int i = 0; i < kReplayOptions; ++i) {
        FieldRule rule = AnyInt();
        if (i == 10 || i == 11) rule = Int(39, kMaxInt);
        if (i == 12) rule = Int(8, kMaxInt);
        if (i == 14) rule = Int(1, 1);  // the overscan's option, 1 where there is no overscan
        fields.push_back({kOptionNames[i], rule});
    }
    return fields;
}

const std::vector<CarriedField>& rules() {
    static const std::vector<CarriedField> table = carried_rules();
    return table;
}

int32_t as_int(uint32_t v) {
    int32_t i;
    std::memcpy(&i, &v, 4);
    return i;
}

float as_float(uint32_t v) {
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

uint32_t float_bits(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return v;
}

std::string show_float(float f) {
    if (std::isnan(f)) return "not a number";
    if (std::isinf(f)) return "infinity";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(f));
    return text;
}

// A value as its field holds it: a float's as a number, anything else as an int.
std::string show(const FieldRule& rule, uint32_t v) {
    return rule.kind == FieldRule::kFloat ? show_float(as_float(v)) : std::to_string(as_int(v));
}

// Index of a scalar by its name in the list (compile-time order).
int scalar(const char* name) {
    const std::vector<CarriedField>& table = rules();
    for (int i = 0; i < kReplayScalars; ++i)
        if (std::strcmp(table[i].name, name) == 0) return i;
    return -1;
}

// The check of one replay: every value as it is set, and the fields that
// belong together once an update's values are all set.
class ValueCheck : public InputTapeVisitor {
public:
    explicit ValueCheck(const ReplayFile& replay) : replay_(replay), values_(replay.fields) {}

    bool Run(std::string* error) {
        const std::vector<CarriedField>& table = rules();
        if (values_.size() != table.size()) {
            *error = "the replay holds " + std::to_string(values_.size()) + " start values where this game keeps " +
                     std::to_string(table.size());
            return false;
        }
        for (size_t i = 0; i < values_.size() && error_.empty(); ++i) Value(-1, static_cast<int>(i), values_[i]);
        if (error_.empty()) Together(-1);
        if (error_.empty()) {
            InputTapeReader tape(replay_.tape.data(), replay_.tape.size(), static_cast<int>(table.size()));
            long updates = 0;
            std::string why;
            if (!tape.Scan(&updates, &why, this) && error_.empty()) error_ = "the replay is damaged (" + why + ")";
        }
        *error = error_;
        return error_.empty();
    }

    void Field(long update, int index, uint32_t value) override {
        if (!error_.empty() || index < 0 || index >= static_cast<int>(values_.size())) return;
        values_[static_cast<size_t>(index)] = value;
        Value(update, index, value);
    }

    void Axis(long update, int port, int axis, float value) override {
        if (!error_.empty() || (std::isfinite(value) && value >= -1 && value <= 1)) return;
        error_ = Where(update) + "sets axis " + std::to_string(axis) + " of joystick " + std::to_string(port) +
                 " to " + show_float(value) + ", which no joystick gives (its axes stay within -1 and 1)";
    }

    void UpdateEnd(long update) override {
        if (error_.empty()) Together(update);
    }

private:
    // Where a value is set: its start (update -1) or an update of its tape.
    static std::string Where(long update) {
        return update < 0 ? "its start " : "update " + std::to_string(update + 1) + " of its tape ";
    }

    void Value(long update, int index, uint32_t v) {
        const CarriedField& field = rules()[static_cast<size_t>(index)];
        const FieldRule& rule = field.rule;
        bool onTape = update >= 0 && rule.tapeOwn;
        double lo = onTape ? rule.tapeLo : rule.lo, hi = onTape ? rule.tapeHi : rule.hi;
        bool ok = true;
        switch (rule.kind) {
            case FieldRule::kAnyInt:
                break;
            case FieldRule::kInt:
                ok = as_int(v) >= lo && as_int(v) <= hi;
                break;
            case FieldRule::kVariant:
                ok = as_int(v) == replay_.variant;
                break;
            case FieldRule::kFloat:
                ok = std::isfinite(as_float(v)) && as_float(v) >= lo && as_float(v) <= hi;
                break;
        }
        if (!ok) error_ = Where(update) + "sets " + field.name + " to " + show(rule, v) + ", which no game gives it there";
    }

    // The screen's fields are the fit of the device size they carry, to the
    // bit: no render gives them any other values.
    void Together(long update) {
        static const int width = scalar("bb_Zanth_jscrw"), height = scalar("bb_Zanth_jscrh");
        static const int scaleX = scalar("m_ScaleX"), scaleY = scalar("m_ScaleY"), axis = scalar("m_FitAxis");
        static const int landscape = scalar("m_Landscape"), devW = scalar("m_DevW"), devH = scalar("m_DevH");
        static const int overscan = scalar("bb_Zanth_overscan");
        int w = as_int(values_[devW]), h = as_int(values_[devH]);
        ScreenFit fit = FitVirtualScreen(w, h, as_float(values_[overscan]), kBaseScreenWidth, kBaseScreenHeight);
        const std::pair<int, uint32_t> expected[] = {
            {width, float_bits(fit.width)},   {height, float_bits(fit.height)},
            {scaleX, float_bits(fit.scaleX)}, {scaleY, float_bits(fit.scaleY)},
            {axis, static_cast<uint32_t>(fit.axis)}, {landscape, static_cast<uint32_t>(fit.landscape)},
        };
        for (const auto& e : expected) {
            if (values_[e.first] == e.second) continue;
            const CarriedField& field = rules()[static_cast<size_t>(e.first)];
            error_ = Where(update) + "sets " + field.name + " to " + show(field.rule, values_[e.first]) +
                     ", where the game fits a " + std::to_string(w) + " x " + std::to_string(h) + " window to " +
                     show(field.rule, e.second);
            return;
        }
    }

    const ReplayFile& replay_;
    std::vector<uint32_t> values_;  // every field's value as the check has set it
    std::string error_;             // the first value refused
};

}  // namespace

int ReplayFieldCount() { return kReplayFields; }

bool CheckReplayValues(const ReplayFile& replay, std::string* error) { return ValueCheck(replay).Run(error); }
