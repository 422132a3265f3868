#include "CommandLine.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "CliHost.h"
#include "RunFixture.h"

namespace tus2wf::test {
namespace {

using Args = std::vector<std::string>;

TEST(ParseCommandLineTest, EachOptionFillsItsOwnPath) {
    std::string error;
    const auto options = parseCommandLine(
        {"--tus", "a.scp", "--id-list", "b.txt", "--worldforge", "c.wf", "--new-tus", "d.scp"},
        error);

    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->action, CommandLineOptions::Action::Convert);
    EXPECT_EQ(options->tus, "a.scp");
    EXPECT_EQ(options->idList, "b.txt");
    EXPECT_EQ(options->worldforge, "c.wf");
    EXPECT_EQ(options->newTus, "d.scp");
    EXPECT_FALSE(options->quiet);
}

TEST(ParseCommandLineTest, ValuesMayFollowAnEqualsSignAndAreTakenAsTheyStand) {
    std::string error;
    const auto options =
        parseCommandLine({"--new-tus= d.scp", "--quiet", "--tus=", "--id-list", "--quiet"}, error);

    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->newTus, " d.scp");
    EXPECT_EQ(options->tus, "");
    EXPECT_EQ(options->idList, "--quiet");
    EXPECT_EQ(options->worldforge, "");
    EXPECT_TRUE(options->quiet);
}

TEST(ParseCommandLineTest, SwitchesHaveAShortAndALongForm) {
    std::string error;
    const auto shortForms = parseCommandLine({"-q", "-V"}, error);
    const auto longForms = parseCommandLine({"--unmatched", "--version", "--quiet", "-h"}, error);

    ASSERT_TRUE(shortForms && longForms) << error;
    EXPECT_TRUE(shortForms->quiet);
    EXPECT_FALSE(shortForms->unmatched);
    EXPECT_EQ(shortForms->action, CommandLineOptions::Action::Version);
    EXPECT_TRUE(longForms->quiet);
    EXPECT_TRUE(longForms->unmatched);
    EXPECT_EQ(longForms->action, CommandLineOptions::Action::Help);
    const auto together = parseCommandLine({"-qV", "--"}, error);
    ASSERT_TRUE(together) << error;
    EXPECT_TRUE(together->quiet);
    EXPECT_EQ(together->action, CommandLineOptions::Action::Version);
}

TEST(ParseCommandLineTest, OptionLeftOutIsAnEmptyPath) {
    std::string error;
    const auto options = parseCommandLine({}, error);

    ASSERT_TRUE(options);
    EXPECT_EQ(options->tus, "");
    EXPECT_EQ(options->newTus, "");
}

TEST(ParseCommandLineTest, UsageErrorsAreNamed) {
    std::string error;
    EXPECT_FALSE(parseCommandLine({"--tus", "a", "--worldforge"}, error));
    EXPECT_NE(error.find("--worldforge"), std::string::npos) << error;
    EXPECT_FALSE(parseCommandLine({"--bogus"}, error));
    EXPECT_NE(error.find("--bogus"), std::string::npos) << error;
    EXPECT_FALSE(parseCommandLine({"a.scp"}, error));
    EXPECT_FALSE(parseCommandLine({"--quiet=yes"}, error));
    EXPECT_FALSE(parseCommandLine({"-x"}, error));
    EXPECT_FALSE(parseCommandLine({"-qx"}, error));
    EXPECT_EQ(error, "unknown argument '-qx'");
    EXPECT_FALSE(parseCommandLine({"--tus", "a.scp", "--", "b.scp"}, error));
    EXPECT_EQ(error, "unexpected argument 'b.scp': every name follows its option");
}

class RunCommandLineTest : public ::testing::Test {
  protected:
    RunCommandLineTest() {
        files.writeFile("world.scp",
                        "[WORLDITEM 0eed]\r\nP=1234,567,0\r\n\r\n[WORLDITEM 0f00]\r\n"
                        "P=10,20,5\r\n\r\nQ\r\n");
        files.writeFile("ids.txt", "EED\r\n[EOF]\r\n");
    }

    Args convertArgs() const {
        return {"--tus",        files.path("world.scp"), "--id-list", files.path("ids.txt"),
                "--worldforge", files.path("out.wf"),    "--new-tus", files.path("new.scp")};
    }

    int run(const Args& args) { return runCommandLine(args, out, err, false); }

    TestFiles files;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(RunCommandLineTest, SuccessPrintsTheResultsAndASummary) {
    EXPECT_EQ(run(convertArgs()), 0);

    EXPECT_EQ(out.str(),
              "Results:\nReading scp...done\n\nReading item list...done\n\n"
              "Beginning conversion for item list...done\n\nConversion Complete\n"
              "1 record written, 4 lines copied.\n");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(files.readFile("out.wf"), record(0, "3821", "1234", "567", "0") + "[EOF]\r\n");
    EXPECT_EQ(files.readFile("new.scp"), "[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n");
}

TEST_F(RunCommandLineTest, SummaryCountsZeroInThePlural) {
    files.writeFile("world.scp", "");

    EXPECT_EQ(run(convertArgs()), 0);

    EXPECT_TRUE(
        out.str().ends_with("Complete\n0 records written, 0 lines copied.\n"
                            "No item on the ID list was found; the record file holds no "
                            "record.\n"))
        << out.str();
}

TEST_F(RunCommandLineTest, QuietPrintsNothingOnSuccess) {
    Args args = convertArgs();
    args.push_back("--quiet");

    EXPECT_EQ(run(args), 0);

    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(files.readFile("out.wf"), record(0, "3821", "1234", "567", "0") + "[EOF]\r\n");
}

TEST_F(RunCommandLineTest, ProgressOnATerminalIsOneLineRewrittenAndClearedAtTheEnd) {
    std::string script;
    for (int i = 0; i < 300'000; ++i) {
        script += "x\r\n";
    }
    files.writeFile("world.scp", script);
    Args args = convertArgs();
    args.push_back("--quiet");

    EXPECT_EQ(runCommandLine(args, out, err, true), 0);

    // Each drawing goes back to the start of the line and clears what is left of it.
    const std::string text = err.str();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_TRUE(text.starts_with("\rReading line ")) << text;
    EXPECT_TRUE(text.ends_with("\x1b[K\r\x1b[K")) << text;
    EXPECT_EQ(out.str(), "");
}

TEST_F(RunCommandLineTest, CheckFailurePrintsThePromptAsLines) {
    EXPECT_EQ(run({"--worldforge", files.path("out.wf"), "--new-tus", files.path("new.scp")}), 1);

    EXPECT_EQ(err.str(),
              "tus2wf-cli: File '' not found!\nMake sure the path and file name are correct.\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(files.exists("out.wf"));
}

TEST_F(RunCommandLineTest, LeftOutOutputGetsTheMessageOfAnEmptyName) {
    EXPECT_EQ(run({"--tus", files.path("world.scp"), "--id-list", files.path("ids.txt"),
                   "--worldforge", files.path("out.wf")}),
              1);

    EXPECT_EQ(err.str(), "tus2wf-cli: You must enter an output file for the new TUS script!\n");
}

TEST_F(RunCommandLineTest, SameOutputTwiceIsRefused) {
    Args args = convertArgs();
    args[7] = files.path("out.wf");

    EXPECT_EQ(run(args), 1);

    EXPECT_EQ(err.str(),
              "tus2wf-cli: The Worldforge file and the new TUS file are the same file!\n"
              "Enter a different name for one of them.\n");
}

TEST_F(RunCommandLineTest, RunFailureExitsOneAndWritesNothing) {
    Args args = convertArgs();
    args[5] = files.path("nowhere/out.wf");

    EXPECT_EQ(run(args), 1);

    EXPECT_EQ(err.str(), "tus2wf-cli: Cannot write file '" + files.path("nowhere/out.wf") + "'!\n" +
                             "The folder does not exist\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(files.exists("new.scp"));
}

TEST_F(RunCommandLineTest, UsageErrorExitsTwoAndPointsToHelp) {
    EXPECT_EQ(run({"--tus"}), 2);

    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(),
              "tus2wf-cli: option '--tus' needs a value\n"
              "Try 'tus2wf-cli --help' for more information.\n");
}

TEST_F(RunCommandLineTest, NoArgumentsAtAllShowsTheUsageOnStderr) {
    EXPECT_EQ(run({}), 2);

    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(),
              "Usage: tus2wf-cli --tus WORLD_SCRIPT --id-list ID_LIST --worldforge RECORD_FILE\n"
              "                  --new-tus NEW_WORLD_SCRIPT [--quiet] [--unmatched]\n"
              "  or:  tus2wf-cli --help | --version\n"
              "Try 'tus2wf-cli --help' for more information.\n");
}

TEST_F(RunCommandLineTest, VersionAndHelp) {
    EXPECT_EQ(run({"-V"}), 0);
    EXPECT_EQ(out.str(), "tus2wf-cli 1.01\n");

    out.str("");
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_TRUE(out.str().starts_with("Usage: tus2wf-cli --tus WORLD_SCRIPT")) << out.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_FALSE(files.exists("out.wf"));
}

TEST_F(RunCommandLineTest, HelpFitsEightyColumnsWithALineForEveryOption) {
    EXPECT_EQ(run({"--help"}), 0);

    std::istringstream help(out.str());
    std::string optionLines;
    for (std::string line; std::getline(help, line);) {
        EXPECT_LT(line.size(), 80u) << line;
        if (line.starts_with("  -")) {
            optionLines += line.substr(0, line.find("  ", 2)) + "\n";
        }
    }
    EXPECT_EQ(optionLines,
              "  --tus WORLD_SCRIPT\n  --id-list ID_LIST\n  --worldforge RECORD_FILE\n"
              "  --new-tus NEW_WORLD_SCRIPT\n  -q, --quiet\n  -h, --help\n  -V, --version\n");
    EXPECT_NE(out.str().find("\n      --unmatched "), std::string::npos);
}

TEST_F(RunCommandLineTest, InputsWhoseLinesEndInLineFeedsAreNamedInTheSummary) {
    files.writeFile("world.scp", "[WORLDITEM 0eed]\nP=1,2,3\n\nQ\n");

    EXPECT_EQ(run(convertArgs()), 0);

    EXPECT_EQ(files.readFile("new.scp"), "Q\r\n");
    EXPECT_EQ(files.readFile("out.wf"), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
    EXPECT_TRUE(
        out.str().ends_with("Conversion Complete\n1 record written, 1 line copied.\n"
                            "The new world script has CR LF line ends where the world "
                            "script had LF.\n"))
        << out.str();
    EXPECT_EQ(err.str(), "");

    files.writeFile("world.scp", "Q\r\n");
    files.writeFile("ids.txt", "EED\n[EOF]\n");
    out.str("");
    EXPECT_EQ(run(convertArgs()), 0);
    EXPECT_TRUE(
        out.str().ends_with("Complete\n0 records written, 1 line copied.\n"
                            "No item on the ID list was found; the record file holds no "
                            "record.\nLine feeds ended the lines of the ID list.\n"))
        << out.str();
}

// The entries that matched nothing are named as far as a terminal line allows, the rest counted.
TEST_F(RunCommandLineTest, SummaryCountsTheUnmatchedEntriesThatDoNotFitItsLine) {
    std::string list = "0F00\r\n";
    for (int id = 0x1000; id < 0x1000 + 1234; ++id) {
        list += std::to_string(id) + "\r\n";
    }
    files.writeFile("ids.txt", list);

    EXPECT_EQ(run(convertArgs()), 0);

    EXPECT_TRUE(out.str().ends_with(
        "1 record written, 4 lines copied.\n1,234 IDs matched nothing: 4096, 4097, 4098, 4099, "
        "4100, 4101, … 1,228 more\n"))
        << out.str();
}

TEST_F(RunCommandLineTest, UnmatchedListsTheEntriesThatNamedNoItemAfterTheSummary) {
    files.writeFile("ids.txt", "BAD\r\n 0f00 \r\n4000\r\n\r\n \t\r\need\r\n77\r\n[EOF]\r\n99\r\n");
    Args args = convertArgs();
    args.push_back("--unmatched");

    EXPECT_EQ(run(args), 0);

    EXPECT_TRUE(
        out.str().ends_with("Conversion Complete\n2 records written, 1 line copied.\n"
                            "3 IDs matched nothing: BAD, 4000, 77\nBAD\n4000\n77\n"))
        << out.str();
    EXPECT_EQ(err.str(), "");

    out.str("");
    args.push_back("-q");
    EXPECT_EQ(run(args), 0);
    EXPECT_EQ(out.str(), "BAD\n4000\n77\n");
}

#ifndef _WIN32
// A read, write or lock that blocks (a FIFO, a stalled pipe) must give way to a stop signal, or
// the run never gets to its next stop check.
TEST_F(RunCommandLineTest, ControlCharactersOfNamesAndEntriesArePrintedWrittenOut) {
    files.writeFile("ids.txt", "EED\r\n\x1b[2J\x7f\r\n");
    Args args = convertArgs();
    args.insert(args.end(), {"-q", "--unmatched"});
    EXPECT_EQ(run(args), 0);
    EXPECT_EQ(out.str(), "\\x1b[2J\\x7f\n");

    args[1] = files.path("a\x1b]0;\a\tb\nc.scp");
    EXPECT_EQ(run(args), 1);
    EXPECT_EQ(err.str(), "tus2wf-cli: File '" + files.path("a\\x1b]0;\\x07\\tb\\nc.scp") +
                             "' not found!\nMake sure the path and file name are correct.\n");
}

TEST(CliHostTest, StopSignalsDoNotRestartABlockedCall) {
    const CommandLineOptions options;
    std::ostringstream err;
    const CliHost host(options, err, false);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        ASSERT_EQ(sigaction(signal, nullptr, &action), 0);
        EXPECT_EQ(action.sa_flags & SA_RESTART, 0) << signal;
    }
}
#endif

}  // namespace
}  // namespace tus2wf::test
