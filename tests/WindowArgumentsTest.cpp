#include "WindowArguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tus2wf::test {
namespace {

WindowArguments parsed(std::vector<std::string> arguments) {
    return parseWindowArguments(arguments);
}

TEST(WindowArgumentsTest, FilesGoToTheWorldScriptThenTheIdList) {
    const WindowArguments arguments = parsed({"/maps/w.scp", "--", "-ids.txt"});
    EXPECT_EQ(arguments.action, WindowArguments::Action::OpenWindow);
    EXPECT_EQ(arguments.worldScript, "/maps/w.scp");
    EXPECT_EQ(arguments.idList, "-ids.txt");
    EXPECT_EQ(parsed({"-"}).worldScript, "-");
}

TEST(WindowArgumentsTest, HelpAndVersionWinOverWhatIsWrongBesideThem) {
    EXPECT_EQ(parsed({"--bogus", "a", "b", "c", "--help"}).action,
              WindowArguments::Action::PrintHelp);
    EXPECT_EQ(parsed({"a", "-V"}).action, WindowArguments::Action::PrintVersion);
    EXPECT_EQ(parsed({"--", "--help"}).action, WindowArguments::Action::OpenWindow);
}

TEST(WindowArgumentsTest, UnknownOptionsAndAThirdFileAreRefusedWithTheFirstFault) {
    EXPECT_EQ(parsed({"a", "b", "c", "--bogus"}).error,
              "tus2wf: too many files: give the world script, then the ID list\n"
              "Try 'tus2wf --help' for more information.\n");
    const WindowArguments unknown = parsed({"-x", "a"});
    EXPECT_EQ(unknown.action, WindowArguments::Action::Refuse);
    EXPECT_EQ(unknown.error,
              "tus2wf: unknown argument '-x'\nTry 'tus2wf --help' for more information.\n");
}

}  // namespace
}  // namespace tus2wf::test
