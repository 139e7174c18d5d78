// host/command_line.h - the program's command-line options.
//
// Every option is one row of a table (command_line.cpp): its long name, an
// optional one-letter name, the placeholder of its value when it takes one,
// and one line of help. The parser and the usage text both come from that
// table, so a new option is one new row and one field of CommandLine.
//
// Options are read in order. Reading stops at the first option that answers
// by itself (--help, --version) and at the first mistake: an unknown option,
// a missing or unexpected value, or an argument that is no option at all.
// --seed takes any 32-bit whole number in decimal and cannot go with --verify.
// A value follows its option as the next argument or after "=" ("--x FILE",
// "--x=FILE"); "--" ends the options, and nothing may follow it.
//
// --verify takes one or more files: its value, then every later argument
// that is no option (an option starts with "-" and is more than "-"), and,
// once it was given, every argument after "--" (so a file whose name starts
// with "-" can be named). It may be given more than once; the files are
// checked in the order they were named. --submit takes its files the same way.
//
// The game's process entry (host/main.cpp) reads the command line before
// anything else starts: --help and --version need no display and open no
// window. Other programs built on the host (test tools) keep their own.
#ifndef LANTERN_HOST_COMMAND_LINE_H
#define LANTERN_HOST_COMMAND_LINE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// What the command line asks of the program.
struct CommandLine {
    bool showHelp = false;     // print the usage and stop
    bool showVersion = false;  // print the version and stop
    std::string replayFile;    // --replay: the replay to watch; empty when none
    std::vector<std::string> verifyFiles;  // --verify: the replays to check without a window, in order
    bool checkRounds = false;  // --check-rounds: check rounds sent on standard input (the world board's checker)
    bool boardGiven = false;   // --board URL: the world board to join ("none": leave it)
    std::string board;
    bool nameGiven = false;    // --name NAME: the player's name on the world board
    std::string name;
    std::vector<std::string> submitFiles;  // --submit: replays to send to the world board, in order
    bool seedGiven = false;    // --seed: every round starts from `seed`
    int32_t seed = 0;
    std::string error;         // what was wrong with the command line; empty when nothing
};

// Exit statuses of a run that ends at the command line.
enum {
    kCommandLineDone = 0,   // help or version printed
    kCommandLineWrong = 2,  // the command line could not be read
};

// Reads argv[1] .. argv[argc - 1]. The strings are only read during the call.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The usage text, one line per option, ending in a newline.
std::string CommandLineUsage();

// "lantern-vault 1.0.0" and a newline, for the program's `version`.
std::string VersionText(const char* version);

// Prints what the command line asked for (help and the program's `version`
// to `out`) or what was wrong with it, followed by the usage (to `err`), and
// returns the exit status the program ends with. Returns -1 when the game is
// to start.
int AnswerCommandLine(const CommandLine& line, const char* version, std::FILE* out, std::FILE* err);

#endif
