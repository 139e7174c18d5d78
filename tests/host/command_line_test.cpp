// The command line: what the parser makes of arguments, and what the real
// executable prints and returns for them without a display.
#include "host/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <regex>
#include <string>
#include <vector>

#include "common/test_support.h"

namespace {

CommandLine Parse(std::initializer_list<const char*> args) {
    std::vector<const char*> argv{"lantern-vault"};
    argv.insert(argv.end(), args);
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

// The usage's option rows: "  -h, --help     print ..." or "      --version  print ...".
// A value that may be followed by more is written "FILE...".
const std::regex kOptionRow(R"(  (?:-., |    )(--[a-z-]+)(?: [A-Z]+(?:\.\.\.)?)?( +)\S.*)");

std::vector<std::string> UsageLines() {
    std::vector<std::string> lines;
    std::string usage = CommandLineUsage();
    for (size_t at = 0, end; (end = usage.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(usage.substr(at, end - at));
    return lines;
}

// The long names ("--help") the usage lists, in order.
std::vector<std::string> UsageOptions() {
    std::vector<std::string> names;
    std::smatch m;
    for (const std::string& line : UsageLines())
        if (std::regex_match(line, m, kOptionRow)) names.push_back(m[1]);
    return names;
}

// Runs the built game with these arguments and no display at all.
ChildResult RunGame(const std::vector<std::string>& args) {
    std::vector<std::string> argv{LANTERN_EXE_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, {"DISPLAY", "WAYLAND_DISPLAY"});
}

}  // namespace

TEST(CommandLineTest, NoArgumentsStartTheGame) {
    CommandLine line = Parse({});
    EXPECT_FALSE(line.showHelp);
    EXPECT_FALSE(line.showVersion);
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(AnswerCommandLine(line, "1.0.0", stdout, stderr), -1);
}

TEST(CommandLineTest, HelpAndVersionAnswerAndTheFirstAnswerEndsTheReading) {
    EXPECT_TRUE(Parse({"--help"}).showHelp);
    EXPECT_TRUE(Parse({"-h"}).showHelp);
    EXPECT_TRUE(Parse({"--version"}).showVersion);
    // Whatever follows an answering option is not read, mistakes included.
    CommandLine line = Parse({"--version", "--help", "--no-such-option"});
    EXPECT_TRUE(line.showVersion);
    EXPECT_FALSE(line.showHelp);
    EXPECT_EQ(line.error, "");
    // A mistake before it is reported instead.
    line = Parse({"--no-such-option", "--help"});
    EXPECT_FALSE(line.showHelp);
    EXPECT_EQ(line.error, "unknown option '--no-such-option'");
}

TEST(CommandLineTest, MistakesAreNamedAsWritten) {
    EXPECT_EQ(Parse({"--fullscreen"}).error, "unknown option '--fullscreen'");
    EXPECT_EQ(Parse({"--fullscreen=yes"}).error, "unknown option '--fullscreen'");
    EXPECT_EQ(Parse({"-x"}).error, "unknown option '-x'");
    EXPECT_EQ(Parse({"-hv"}).error, "unknown option '-hv'");
    EXPECT_EQ(Parse({"--help=now"}).error, "option '--help' takes no value");
    EXPECT_EQ(Parse({"save.txt"}).error, "unexpected argument 'save.txt'");
    EXPECT_EQ(Parse({"-"}).error, "unexpected argument '-'");
    // "--" ends the options, and the game takes no other arguments.
    EXPECT_EQ(Parse({"--", "--help"}).error, "unexpected argument '--help'");
    EXPECT_EQ(Parse({"--"}).error, "");
}

TEST(CommandLineTest, ReplayAndVerifyTakeAFileAndExcludeEachOther) {
    EXPECT_EQ(Parse({"--replay", "a.replay"}).replayFile, "a.replay");
    EXPECT_EQ(Parse({"--verify=b c.replay"}).verifyFiles, std::vector<std::string>{"b c.replay"});
    EXPECT_EQ(Parse({"--verify"}).error, "option '--verify' needs a value (FILE)");
    EXPECT_EQ(Parse({"--replay="}).error, "option '--replay' needs a value (FILE)");
    EXPECT_EQ(Parse({"--replay", ""}).error, "option '--replay' needs a value (FILE)");
    EXPECT_EQ(Parse({"--replay", "a", "--verify", "b"}).error, "'--replay' and '--verify' cannot be given together");
    EXPECT_EQ(Parse({"--replay", "a", "b"}).error, "unexpected argument 'b'");
}

TEST(CommandLineTest, VerifyTakesEveryLaterArgumentThatIsNoOptionAndEveryOneAfterTheEnd) {
    using Files = std::vector<std::string>;
    EXPECT_EQ(Parse({"--verify", "a", "b", "c"}).verifyFiles, (Files{"a", "b", "c"}));
    EXPECT_EQ(Parse({"--verify=a", "b"}).verifyFiles, (Files{"a", "b"}));
    EXPECT_EQ(Parse({"--verify", "a", "--verify", "b"}).verifyFiles, (Files{"a", "b"}));
    // "-" alone is no option; after "--" nothing is.
    EXPECT_EQ(Parse({"--verify", "a", "-", "b"}).verifyFiles, (Files{"a", "-", "b"}));
    EXPECT_EQ(Parse({"--verify", "a", "--", "-x", "--help"}).verifyFiles, (Files{"a", "-x", "--help"}));
    EXPECT_EQ(Parse({"--verify", "a", "--", "-x", "--help"}).error, "");
    // Its own value is whatever follows it, as any option's.
    EXPECT_EQ(Parse({"--verify", "--help", "b"}).verifyFiles, (Files{"--help", "b"}));
    // Options among the files are read as options.
    EXPECT_TRUE(Parse({"--verify", "a", "b", "--help"}).showHelp);
    EXPECT_EQ(Parse({"--verify", "a", "--bogus", "b"}).error, "unknown option '--bogus'");
    EXPECT_EQ(Parse({"--verify", "a", "b", "--seed", "7"}).error, "'--seed' and '--verify' cannot be given together");
    EXPECT_EQ(Parse({"--verify", "a", "b", "--replay", "c"}).error,
              "'--replay' and '--verify' cannot be given together");
    // Files follow --verify, and none is empty.
    EXPECT_EQ(Parse({"a", "--verify", "b"}).error, "unexpected argument 'a'");
    EXPECT_EQ(Parse({"--", "a"}).error, "unexpected argument 'a'");
    EXPECT_EQ(Parse({"--verify", "a", ""}).error, "unexpected argument ''");
    EXPECT_EQ(Parse({"--verify", "a", "--", ""}).error, "unexpected argument ''");
}

TEST(CommandLineTest, SubmitTakesItsFilesAsVerifyDoesWithTheBoardAndTheNameAlone) {
    using Files = std::vector<std::string>;
    CommandLine line = Parse({"--board", "http://b/", "--name", "Moss", "--submit", "a", "b", "--", "-c"});
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.submitFiles, (Files{"a", "b", "-c"}));
    EXPECT_TRUE(line.boardGiven && line.nameGiven);
    EXPECT_EQ(line.board, "http://b/");
    EXPECT_EQ(line.name, "Moss");
    EXPECT_TRUE(line.verifyFiles.empty());
    EXPECT_EQ(Parse({"--submit", "a", "--verify", "b"}).error, "'--submit' goes with '--board' and '--name' alone");
    EXPECT_EQ(Parse({"--submit", "a", "--seed", "3"}).error, "'--submit' goes with '--board' and '--name' alone");
    EXPECT_EQ(Parse({"--check-rounds", "--submit", "a"}).error, "'--check-rounds' takes no other option");
}

TEST(CommandLineTest, SeedTakesAnyThirtyTwoBitWholeNumberAndNothingElse) {
    EXPECT_EQ(Parse({"--seed", "6"}).seed, 6);
    EXPECT_TRUE(Parse({"--seed", "6"}).seedGiven);
    EXPECT_FALSE(Parse({}).seedGiven);
    EXPECT_EQ(Parse({"--seed", "-2147483648"}).seed, INT32_MIN);
    EXPECT_EQ(Parse({"--seed=+2147483647"}).seed, INT32_MAX);
    EXPECT_EQ(Parse({"--replay", "a", "--seed", "7"}).error, "");
    const std::string wrong = "option '--seed' needs a whole number from -2147483648 to 2147483647, not ";
    for (const char* bad : {"x", "5x", " 5", "2147483648", "-2147483649", "99999999999999999999", "0x10", "1.5"})
        EXPECT_EQ(Parse({"--seed", bad}).error, wrong + "'" + bad + "'") << bad;
    EXPECT_EQ(Parse({"--seed"}).error, "option '--seed' needs a value (N)");
    EXPECT_EQ(Parse({"--verify", "a", "--seed", "7"}).error, "'--seed' and '--verify' cannot be given together");
}

TEST(CommandLineTest, UsageListsEveryOptionInOneAlignedColumn) {
    EXPECT_EQ(UsageLines().at(0), "Usage: lantern-vault [OPTION]...");
    EXPECT_EQ(UsageOptions(),
              (std::vector<std::string>{"--help", "--version", "--replay", "--verify", "--seed", "--board", "--name",
                                        "--submit", "--check-rounds"}));
    EXPECT_NE(CommandLineUsage().find("\n      --verify FILE...  "), std::string::npos) << "one or more files";
    // Every help text starts in the same column.
    std::smatch m;
    size_t column = 0;
    for (const std::string& line : UsageLines()) {
        if (!std::regex_match(line, m, kOptionRow)) continue;
        size_t at = static_cast<size_t>(m.position(2) + m.length(2));
        if (column == 0) column = at;
        EXPECT_EQ(at, column) << line;
    }
    EXPECT_NE(column, 0u);
}

TEST(CommandLineTest, TheManualPageDescribesEveryOption) {
    std::string page = ReadFile(LANTERN_TEST_SOURCE_DIR "/../tools/install/lantern-vault.6.in");
    ASSERT_NE(page, "");
    for (const std::string& name : UsageOptions()) {
        // In troff a dash in an option name is written "\-".
        std::string troff = std::regex_replace(name, std::regex("-"), "\\-");
        EXPECT_NE(page.find(troff), std::string::npos) << name << " is missing from the manual page";
    }
}

TEST(CommandLineTest, TheGameAnswersWithoutADisplayAndExitsWithTheStatusAScriptExpects) {
    ChildResult version = RunGame({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("lantern-vault [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
    EXPECT_EQ(version.err, "");

    ChildResult help = RunGame({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, CommandLineUsage());
    EXPECT_EQ(help.err, "");

    // Files that cannot be read need no display either: no game starts for them.
    ChildResult unread = RunGame({"--verify", "no-such.replay", "--", "-also-none.replay"});
    EXPECT_EQ(unread.status, 2);
    EXPECT_TRUE(std::regex_match(unread.out, std::regex("no-such\\.replay: could not be read: [^\n]+\n"
                                                        "-also-none\\.replay: could not be read: [^\n]+\n")))
        << unread.out;
    EXPECT_EQ(unread.err, "");

    ChildResult wrong = RunGame({"--bogus"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "lantern-vault: unknown option '--bogus'\n" + CommandLineUsage());
}
