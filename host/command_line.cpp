// host/command_line.cpp - the option table, its parser and its usage text.
#include "host/command_line.h"

#include <cerrno>
#include <cstdlib>

#include "host/title.h"

namespace {

const char* const kProgram = kProgramName;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// A seed is any 32-bit whole number, written in decimal.
void ReadSeed(CommandLine& line, const char* value) {
    // strtoll would skip leading white space; a seed starts with its sign or a digit.
    bool start = value[0] == '-' || value[0] == '+' || (value[0] >= '0' && value[0] <= '9');
    char* end = nullptr;
    errno = 0;
    long long n = std::strtoll(value, &end, 10);
    if (!start || *end || end == value || errno == ERANGE || n < INT32_MIN || n > INT32_MAX) {
        line.error = "option '--seed' needs a whole number from " + std::to_string(INT32_MIN) + " to " +
                     std::to_string(INT32_MAX) + ", not " + Quoted(value);
        return;
    }
    line.seedGiven = true;
    line.seed = static_cast<int32_t>(n);
}

struct Option {
    const char* name;      // long name without its dashes: "help"
    char letter;           // one-letter name, or 0
    const char* argument;  // placeholder of the value it takes ("FILE"), or null for none
    const char* help;      // one line for the usage text
    bool more;             // shown as "FILE...": more values may follow it (IsVerifyFile)
    // Records the option (and its value, null for none) in the command line.
    void (*apply)(CommandLine& line, const char* value);
};

// The options, in the order the usage lists them.
const Option kOptions[] = {
    {"help", 'h', nullptr, "print this help and exit",
     false, [](CommandLine& line, const char*) { line.showHelp = true; }},
    {"version", 0, nullptr, "print the version and exit",
     false, [](CommandLine& line, const char*) { line.showVersion = true; }},
    {"replay", 0, "FILE", "watch the round recorded in FILE, then go on to the menu",
     false, [](CommandLine& line, const char* value) { line.replayFile = value; }},
    {"verify", 0, "FILE", "replay each FILE without a window and print its score and updates",
     true, [](CommandLine& line, const char* value) { line.verifyFiles.push_back(value); }},
    {"seed", 0, "N", "start every round from maze N instead of a random one",
     false, [](CommandLine& line, const char* value) { ReadSeed(line, value); }},
    {"board", 0, "URL", "join the world board at URL (remembered; \"none\" leaves it)",
     false, [](CommandLine& line, const char* value) { line.boardGiven = true, line.board = value; }},
    {"name", 0, "NAME", "your name on the world board (remembered)",
     false, [](CommandLine& line, const char* value) { line.nameGiven = true, line.name = value; }},
    {"submit", 0, "FILE", "send each replay FILE to the world board and print its rank",
     true, [](CommandLine& line, const char* value) { line.submitFiles.push_back(value); }},
    {"check-rounds", 0, nullptr, "check rounds sent on standard input without a window (the world board's checker)",
     false, [](CommandLine& line, const char*) { line.checkRounds = true; }},
};

// ---------------------------------------------------------------------------
// Reading the arguments
// ---------------------------------------------------------------------------

const Option* FindLong(const std::string& name) {
    for (const Option& o : kOptions)
        if (name == o.name) return &o;
    return nullptr;
}

const Option* FindLetter(char letter) {
    for (const Option& o : kOptions)
        if (letter && letter == o.letter) return &o;
    return nullptr;
}

bool Answered(const CommandLine& line) { return line.showHelp || line.showVersion || !line.error.empty(); }

// "-x" and "--x" are options; "-" alone, like any other word, is not.
bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

// Whether `arg`, which is no option, is one more replay file for --verify or --submit.
bool IsMoreFile(const CommandLine& line, const char* arg) {
    return (!line.verifyFiles.empty() || !line.submitFiles.empty()) && arg[0];
}

// The list the files after an option that takes more go to.
std::vector<std::string>& MoreFiles(CommandLine& line) {
    return line.submitFiles.empty() ? line.verifyFiles : line.submitFiles;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    int i = 1;
    for (; i < argc && !Answered(line); ++i) {
        std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (!IsOption(arg)) {
            if (IsMoreFile(line, argv[i])) {
                MoreFiles(line).push_back(arg);
                continue;
            }
            line.error = "unexpected argument " + Quoted(arg);
            break;
        }
        const Option* option = nullptr;
        std::string shown = arg;  // the option as the player wrote it, without a value
        bool hasInlineValue = false;
        std::string inlineValue;
        if (arg.compare(0, 2, "--") == 0) {
            size_t equals = arg.find('=');
            if (equals != std::string::npos) {
                hasInlineValue = true;
                inlineValue = arg.substr(equals + 1);
                shown = arg.substr(0, equals);
            }
            option = FindLong(shown.substr(2));
        } else {
            option = arg.size() == 2 ? FindLetter(arg[1]) : nullptr;
        }
        if (!option) {
            line.error = "unknown option " + Quoted(shown);
            break;
        }

        if (!option->argument) {
            if (hasInlineValue) {
                line.error = "option " + Quoted(shown) + " takes no value";
                break;
            }
            option->apply(line, nullptr);
        } else if (hasInlineValue && !inlineValue.empty()) {
            option->apply(line, inlineValue.c_str());
        } else if (!hasInlineValue && i + 1 < argc && argv[i + 1][0]) {
            option->apply(line, argv[++i]);
        } else {
            line.error = "option " + Quoted(shown) + " needs a value (" + option->argument + ")";
            break;
        }
    }
    // Whatever follows "--" is no option: more files to check when --verify
    // was given, and the game takes no other arguments.
    if (!Answered(line))
        for (; i < argc && IsMoreFile(line, argv[i]); ++i) MoreFiles(line).push_back(argv[i]);
    if (!Answered(line) && i < argc) line.error = "unexpected argument " + Quoted(argv[i]);
    if (!Answered(line) && !line.replayFile.empty() && !line.verifyFiles.empty())
        line.error = "'--replay' and '--verify' cannot be given together";
    // A checked replay plays its own maze.
    if (!Answered(line) && line.seedGiven && !line.verifyFiles.empty())
        line.error = "'--seed' and '--verify' cannot be given together";
    if (!Answered(line) && line.checkRounds &&
        (line.seedGiven || !line.verifyFiles.empty() || !line.replayFile.empty() || !line.submitFiles.empty()))
        line.error = "'--check-rounds' takes no other option";
    if (!Answered(line) && !line.submitFiles.empty() &&
        (line.seedGiven || !line.verifyFiles.empty() || !line.replayFile.empty()))
        line.error = "'--submit' goes with '--board' and '--name' alone";
    return line;
}

// ---------------------------------------------------------------------------
// What the program prints
// ---------------------------------------------------------------------------

std::string CommandLineUsage() {
    // The left column: "-h, --help", "    --replay FILE" or "    --verify FILE...".
    std::string left[sizeof kOptions / sizeof kOptions[0]];
    size_t width = 0, n = 0;
    for (const Option& o : kOptions) {
        std::string& l = left[n++];
        l = o.letter ? std::string("-") + o.letter + ", " : "    ";
        l += std::string("--") + o.name;
        if (o.argument) l += std::string(" ") + o.argument + (o.more ? "..." : "");
        if (l.size() > width) width = l.size();
    }

    std::string text = std::string("Usage: ") + kProgram + " [OPTION]...\n";
    text += LANTERN_TITLE ", a 2D arcade game for one player.\n\nOptions:\n";
    n = 0;
    for (const Option& o : kOptions) {
        const std::string& l = left[n++];
        text += "  " + l + std::string(width - l.size() + 2, ' ') + o.help + "\n";
    }
    text +=
        "\n--verify takes one or more files: every later argument that is no option, and\n"
        "every argument after \"--\". Each is checked in turn; with more than one, each\n"
        "gets a line: \"FILE: score S updates U: matched\" (or \"did not match (...)\"),\n"
        "or \"FILE: could not be read: REASON\". The exit status is the worst one.\n";
    return text;
}

std::string VersionText(const char* version) { return std::string(kProgram) + " " + version + "\n"; }

int AnswerCommandLine(const CommandLine& line, const char* version, std::FILE* out, std::FILE* err) {
    if (!line.error.empty()) {
        std::fprintf(err, "%s: %s\n%s", kProgram, line.error.c_str(), CommandLineUsage().c_str());
        return kCommandLineWrong;
    }
    if (line.showHelp) {
        std::fputs(CommandLineUsage().c_str(), out);
        return kCommandLineDone;
    }
    if (line.showVersion) {
        std::fputs(VersionText(version).c_str(), out);
        return kCommandLineDone;
    }
    return -1;
}
