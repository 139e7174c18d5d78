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
    // Records the option (and its value, null for none) in the command line.
    void (*apply)(CommandLine& line, const char* value);
};

// The options, in the order the usage lists them.
const Option kOptions[] = {
    {"help", 'h', nullptr, "print this help and exit",
     [](CommandLine& line, const char*) { line.showHelp = true; }},
    {"version", 0, nullptr, "print the version and exit",
     [](CommandLine& line, const char*) { line.showVersion = true; }},
    {"replay", 0, "FILE", "watch the round recorded in FILE, then go on to the menu",
     [](CommandLine& line, const char* value) { line.replayFile = value; }},
    {"verify", 0, "FILE", "replay FILE without a window and print its score and updates",
     [](CommandLine& line, const char* value) { line.verifyFile = value; }},
    {"seed", 0, "N", "start every round from maze N instead of a random one",
     [](CommandLine& line, const char* value) { ReadSeed(line, value); }},
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
        } else if (arg.size() > 1 && arg[0] == '-') {
            option = arg.size() == 2 ? FindLetter(arg[1]) : nullptr;
        } else {
            line.error = "unexpected argument " + Quoted(arg);
            break;
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
    // Whatever follows "--" is no option, and the game takes no other arguments.
    if (!Answered(line) && i < argc) line.error = "unexpected argument " + Quoted(argv[i]);
    if (!Answered(line) && !line.replayFile.empty() && !line.verifyFile.empty())
        line.error = "'--replay' and '--verify' cannot be given together";
    // A checked replay plays its own maze.
    if (!Answered(line) && line.seedGiven && !line.verifyFile.empty())
        line.error = "'--seed' and '--verify' cannot be given together";
    return line;
}

// ---------------------------------------------------------------------------
// What the program prints
// ---------------------------------------------------------------------------

std::string CommandLineUsage() {
    // The left column: "-h, --help" or "    --replay FILE".
    std::string left[sizeof kOptions / sizeof kOptions[0]];
    size_t width = 0, n = 0;
    for (const Option& o : kOptions) {
        std::string& l = left[n++];
        l = o.letter ? std::string("-") + o.letter + ", " : "    ";
        l += std::string("--") + o.name;
        if (o.argument) l += std::string(" ") + o.argument;
        if (l.size() > width) width = l.size();
    }

    std::string text = std::string("Usage: ") + kProgram + " [OPTION]...\n";
    text += LANTERN_TITLE ", a 2D arcade game for one player.\n\nOptions:\n";
    n = 0;
    for (const Option& o : kOptions) {
        const std::string& l = left[n++];
        text += "  " + l + std::string(width - l.size() + 2, ' ') + o.help + "\n";
    }
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
