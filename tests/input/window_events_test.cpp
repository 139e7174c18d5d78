// tests/input/window_events_test.cpp - real key presses and clicks, sent with
// xdotool to the game's window on the test display, arrive with the right
// runtime codes and read as the game expects.
//
// The window belongs to the input_events tool (tests/tools), which runs the
// real host and prints each event and each update's hits and characters.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "host/title.h"

namespace {

// A key as xdotool names it, the runtime code it must reach, and the
// character it types (0: none; -1: whatever the keyboard layout gives).
struct Key {
    const char* name;
    int code;
    int character;
};

const Key kKeys[] = {
    {"Escape", 27, 27},        {"F1", 112, 0},           {"F12", 123, 0},          {"Left", 37, 0x10025},
    {"Up", 38, 0x10026},       {"Right", 39, 0x10027},   {"Down", 40, 0x10028},    {"KP_0", 96, -1},
    {"KP_9", 105, -1},         {"KP_Divide", 111, -1},   {"KP_Multiply", 106, -1}, {"KP_Subtract", 109, -1},
    {"KP_Add", 107, -1},       {"KP_Decimal", 110, -1},  {"semicolon", 186, ';'},  {"equal", 187, '='},
    {"comma", 188, ','},       {"minus", 189, '-'},      {"period", 190, '.'},     {"slash", 191, '/'},
    {"grave", 192, '`'},       {"bracketleft", 219, '['}, {"backslash", 220, '\\'}, {"bracketright", 221, ']'},
    {"apostrophe", 222, '\''}, {"Tab", 9, 9},            {"Return", 13, 13},       {"BackSpace", 8, 8},
    {"Insert", 45, 0x1002d},   {"Delete", 46, 127},      {"Prior", 33, 0x10021},   {"Next", 34, 0x10022},
    {"Home", 36, 0x10024},     {"End", 35, 0x10023},     {"space", 32, ' '},       {"a", 65, 'a'},
    {"z", 90, 'z'},            {"0", 48, '0'},           {"9", 57, '9'},           {"Shift_L", 16, 0},
    {"Control_L", 17, 0},      {"Alt_L", 0, 0},          {"Super_L", 0, 0},
};
// (The right-hand Shift and Control are left out: xdotool presses the
// left-hand modifier along with them, so their events come in pairs.)

const int kQuitCode = 121;  // F10, pressed last

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Starts(const std::string& line, const std::string& prefix) { return line.compare(0, prefix.size(), prefix) == 0; }

// The shell side: start the logger, find its window by the game's title
// ($TITLE), type, click, hold.
std::string Script() {
    std::string keys;
    for (const Key& k : kKeys) keys += std::string(" ") + k.name;
    return "\"$EVENTS\" --quit-on " + std::to_string(kQuitCode) + " --timeout 40 & pid=$!\n"
           "wid=$(xdotool search --sync --onlyvisible --name \"$TITLE\" | head -1)\n"
           "xdotool windowfocus $wid; sleep 0.3\n"
           "for k in" + keys + "; do xdotool keydown $k; sleep 0.04; xdotool keyup $k; sleep 0.04; done\n"
           "xdotool type ab\n"
           "xdotool mousemove --window $wid 100 50 click 1; sleep 0.1\n"
           "xdotool keydown Left; sleep 1.2; xdotool keyup Left; sleep 0.1\n"
           "xdotool keydown F10; sleep 0.04; xdotool keyup F10\n"
           "wait $pid\n";
}

// One run of the script (several seconds of typing) serves every check.
class WindowEvents : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY") || system("command -v xdotool >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "needs a display and xdotool";
        }
        result_ = RunProgram({"bash", "-c", Script()},
                             {std::string("EVENTS=") + INPUT_EVENTS_EXE, std::string("TITLE=") + kWindowTitle}, "", 90);
        lines_ = Lines(result_.out);
        ASSERT_EQ(result_.status, 0) << result_.out << result_.err;
    }

    void EveryKeyReachesItsRuntimeCodeAndCharacter();
    void TypedTextArrivesAsCharactersWithItsKeys();
    void ClickArrivesAtThePointerAsLeftButtonAndTouchZero();
    void EveryPressIsOneHitInOneUpdate();
    void HeldKeyRepeatsAsPressesAndTypesAgainButIsHitOnce();
    void QuitKeyEndsTheLoggerNormally();

    ChildResult result_;              // what the logger printed
    std::vector<std::string> lines_;  // its output, line by line
};

// The key and character lines before the click: the key list, then the typed
// text. On a busy machine a release can reach the display after its key
// repeat has started; the repeated presses (a press of a key already down, and
// the character it types) are left out here: the held key below checks them.
std::vector<std::string> KeyLines(const std::vector<std::string>& lines) {
    std::vector<std::string> keys;
    std::set<std::string> down;
    bool repeatTypes = false;  // the line before was a repeated press
    for (const std::string& l : lines) {
        if (Starts(l, "mouse-down")) break;
        bool repeat = false;
        if (Starts(l, "key-down ")) {
            repeat = !down.insert(l.substr(9)).second;
        } else if (Starts(l, "key-up ")) {
            down.erase(l.substr(7));
        } else if (Starts(l, "char ")) {
            repeat = repeatTypes;
        } else {
            continue;
        }
        repeatTypes = repeat && Starts(l, "key-down ");
        if (!repeat) keys.push_back(l);
    }
    return keys;
}

std::vector<std::string> ExpectedKeyLines() {
    std::vector<std::string> expected;
    for (const Key& k : kKeys) {
        if (k.code == 0) continue;  // ignored keys send nothing at all
        expected.push_back("key-down " + std::to_string(k.code));
        if (k.character > 0) expected.push_back("char " + std::to_string(k.character));
        if (k.character < 0) expected.push_back("char *");
        expected.push_back("key-up " + std::to_string(k.code));
    }
    return expected;
}

void WindowEvents::EveryKeyReachesItsRuntimeCodeAndCharacter() {
    std::vector<std::string> expected = ExpectedKeyLines();
    std::vector<std::string> got = KeyLines(lines_);
    got.resize(std::min(got.size(), expected.size()));
    for (size_t i = 0; i < got.size(); ++i) {
        if (expected[i] == "char *" && Starts(got[i], "char ")) got[i] = "char *";
    }
    EXPECT_EQ(got, expected) << result_.out;
}

void WindowEvents::TypedTextArrivesAsCharactersWithItsKeys() {
    std::vector<std::string> keys = KeyLines(lines_);
    size_t block = ExpectedKeyLines().size();
    ASSERT_GE(keys.size(), block);
    std::vector<std::string> typed(keys.begin() + static_cast<long>(block), keys.end());
    EXPECT_EQ(typed, (std::vector<std::string>{"key-down 65", "char 97", "key-up 65", "key-down 66", "char 98",
                                               "key-up 66"}));
}

void WindowEvents::ClickArrivesAtThePointerAsLeftButtonAndTouchZero() {
    auto at = [this](const std::string& line) { return std::find(lines_.begin(), lines_.end(), line) != lines_.end(); };
    EXPECT_TRUE(at("mouse-move 100 50")) << result_.out;
    EXPECT_TRUE(at("mouse-down 0 100 50")) << result_.out;
    EXPECT_TRUE(at("mouse-up 0 100 50")) << result_.out;
}

// Hits per code summed over every update line.
std::map<int, int> TotalHits(const std::vector<std::string>& lines) {
    std::map<int, int> hits;
    for (const std::string& l : lines) {
        if (!Starts(l, "update hits")) continue;
        std::istringstream in(l.substr(11));
        for (std::string word; in >> word && word != "chars";) {
            size_t x = word.find('x');
            hits[std::stoi(word.substr(0, x))] += std::stoi(word.substr(x + 1));
        }
    }
    return hits;
}

void WindowEvents::EveryPressIsOneHitInOneUpdate() {
    std::map<int, int> expected;
    for (const Key& k : kKeys) {
        if (k.code) expected[k.code] += 1;
    }
    expected[65] += 1;  // the typed "ab"
    expected[66] += 1;
    expected[1] += 1;    // the click, as the left button
    expected[384] += 1;  // and as touch 0
    expected[37] += 1;   // the held Left key, hit once however long it is held
    expected[kQuitCode] += 1;
    EXPECT_EQ(TotalHits(lines_), expected) << result_.out;
}

void WindowEvents::HeldKeyRepeatsAsPressesAndTypesAgainButIsHitOnce() {
    std::vector<std::string> hold;
    bool in = false;
    for (const std::string& l : lines_) {
        if (l == "mouse-up 0 100 50") in = true;
        if (l == "key-down 121") break;
        if (in) hold.push_back(l);
    }
    int downs = static_cast<int>(std::count(hold.begin(), hold.end(), "key-down 37"));
    int chars = static_cast<int>(std::count(hold.begin(), hold.end(), "char 65573"));
    EXPECT_GE(downs, 3) << "expected the display's key repeat while Left was held\n" << result_.out;
    EXPECT_EQ(chars, downs);
    EXPECT_EQ(TotalHits(hold)[37], 1);
    EXPECT_EQ(std::count(hold.begin(), hold.end(), "key-up 37"), 1);
}

void WindowEvents::QuitKeyEndsTheLoggerNormally() {
    ASSERT_FALSE(lines_.empty());
    EXPECT_EQ(lines_.front(), "ready");
    EXPECT_EQ(lines_.back(), "quit");
}

TEST_F(WindowEvents, RealKeysAndClicksReachTheGameWithTheirRuntimeCodes) {
    {
        SCOPED_TRACE("EveryKeyReachesItsRuntimeCodeAndCharacter");
        EveryKeyReachesItsRuntimeCodeAndCharacter();
    }
    {
        SCOPED_TRACE("TypedTextArrivesAsCharactersWithItsKeys");
        TypedTextArrivesAsCharactersWithItsKeys();
    }
    {
        SCOPED_TRACE("ClickArrivesAtThePointerAsLeftButtonAndTouchZero");
        ClickArrivesAtThePointerAsLeftButtonAndTouchZero();
    }
    {
        SCOPED_TRACE("EveryPressIsOneHitInOneUpdate");
        EveryPressIsOneHitInOneUpdate();
    }
    {
        SCOPED_TRACE("HeldKeyRepeatsAsPressesAndTypesAgainButIsHitOnce");
        HeldKeyRepeatsAsPressesAndTypesAgainButIsHitOnce();
    }
    {
        SCOPED_TRACE("QuitKeyEndsTheLoggerNormally");
        QuitKeyEndsTheLoggerNormally();
    }
}

}  // namespace
