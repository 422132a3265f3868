#include "FileExsists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FaultyFileSystem.h"
#include "TestFiles.h"

namespace tus2wf::test {
namespace {

class FileExistsTest : public ::testing::Test {
  protected:
    FileExistsTest() {
        files.writeFile("world.scp", "x");
        files.writeFile("ids.txt", "");
        files.makeDir("sub");
        files.makeDir("empty");
    }

    std::int16_t exists(const std::string& name) const { return FileExists(files.path(name)); }

    TestFiles files;
};

TEST_F(FileExistsTest, FailureOfAnyCallOfTheSearchAnswersFalse) {
    FaultyFileSystem fileSystem;
    for (const std::string name : {"world.scp", "w*.scp"}) {
        fileSystem.reset();
        ASSERT_EQ(FileExists(files.path(name), fileSystem), -1);
        const int calls = fileSystem.calls();
        for (int call = 1; call <= calls; ++call) {
            fileSystem.failCall(call, Status::Code::Other, "Input/output error");
            EXPECT_EQ(FileExists(files.path(name), fileSystem), 0) << name << ", call " << call;
        }
    }
}

TEST_F(FileExistsTest, ExistingFileIsTrue) {
    EXPECT_EQ(exists("world.scp"), -1);
    EXPECT_EQ(exists("ids.txt"), -1);
}

TEST_F(FileExistsTest, MissingFileOrFolderIsFalse) {
    EXPECT_EQ(exists("missing.scp"), 0);
#ifndef _WIN32
    EXPECT_EQ(exists("World.scp"), 0);
#endif
    EXPECT_EQ(exists("nowhere/world.scp"), 0);
    EXPECT_EQ(exists("world.scp/inside"), 0);
}

TEST_F(FileExistsTest, DirectoryIsTrueOnlyWithoutTrailingSeparator) {
    EXPECT_EQ(exists("sub"), -1);
    EXPECT_EQ(FileExists(files.dir().string()), -1);
    EXPECT_EQ(exists("sub/"), 0);
}

TEST_F(FileExistsTest, PatternIsTrueWhenSomethingInItsFolderMatches) {
    EXPECT_EQ(exists("*.scp"), -1);
    EXPECT_EQ(exists("world.*"), -1);
    EXPECT_EQ(exists("w?rld.scp"), -1);
    EXPECT_EQ(exists("?????.scp"), -1);
    EXPECT_EQ(exists("*d*.s?p"), -1);
    EXPECT_EQ(exists("s*"), -1);
}

TEST_F(FileExistsTest, PatternIsFalseWhenNothingMatches) {
    EXPECT_EQ(exists("*.txtx"), 0);
    EXPECT_EQ(exists("????.scp"), 0);
    EXPECT_EQ(exists("w?d.scp"), 0);
    EXPECT_EQ(exists("sub/*.scp"), 0);
    EXPECT_EQ(exists("nowhere/*"), 0);
}

TEST_F(FileExistsTest, QuestionMarkStandsForExactlyOneCharacter) {
    files.writeFile("a.scp", "x");
    EXPECT_EQ(exists("?.scp"), -1);
    EXPECT_EQ(exists("a?.scp"), 0);
    EXPECT_EQ(exists("?a.scp"), 0);
    EXPECT_EQ(exists("a.scp?"), 0);
    EXPECT_EQ(exists("worl?.scp"), -1);
    EXPECT_EQ(exists("wo?rld.scp"), 0);
    EXPECT_EQ(exists("world??scp"), 0);
}

TEST_F(FileExistsTest, StarStandsForAnyRunOfCharactersTheEmptyOneIncluded) {
    EXPECT_EQ(exists("world*.scp"), -1);
    EXPECT_EQ(exists("*world.scp"), -1);
    EXPECT_EQ(exists("world.scp*"), -1);
    EXPECT_EQ(exists("w*d.s*"), -1);
    EXPECT_EQ(exists("w*x*.scp"), 0);
    EXPECT_EQ(exists("*.scpx*"), 0);
}

TEST_F(FileExistsTest, StarInAnEmptyFolderFindsItsOwnEntries) {
    EXPECT_EQ(exists("empty/*"), -1);
    EXPECT_EQ(exists("empty/.."), -1);
    EXPECT_EQ(exists("empty/?*x"), 0);
}

TEST_F(FileExistsTest, RelativePathsAndPatternsUseTheCurrentFolder) {
    const CurrentDir here(files.dir());
    EXPECT_EQ(FileExists("world.scp"), -1);
    EXPECT_EQ(FileExists("*.txt"), -1);
    EXPECT_EQ(FileExists("*.none"), 0);
    EXPECT_EQ(FileExists("./sub"), -1);
}

TEST_F(FileExistsTest, EmptyPathIsFalse) {
    EXPECT_EQ(FileExists(""), 0);
}

#ifdef _WIN32
// Windows turns every character its 8-bit code page lacks into "?", a wildcard, so an 8-bit
// search for such a name would match any name of the same length.
TEST_F(FileExistsTest, NameOutsideTheCodePageMatchesOnlyItself) {
    files.writeFile("ab.scp", "x");
    EXPECT_EQ(exists("\xe4\xb8\x96\xe7\x95\x8c.scp"), 0);

    files.writeFile("\xe4\xb8\x96\xe7\x95\x8c.scp", "x");
    EXPECT_EQ(exists("\xe4\xb8\x96\xe7\x95\x8c.scp"), -1);
    EXPECT_EQ(exists("\xe4\xb8\x96*"), -1);
}

TEST_F(FileExistsTest, NamesDifferingOnlyInCaseAreOneName) {
    EXPECT_EQ(exists("WORLD.SCP"), -1);
}
#endif

TEST_F(FileExistsTest, ManyCallsInARowLeaveNothingOpen) {
    const int before = openDescriptorCount();
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(exists("*.scp"), -1);
        ASSERT_EQ(exists("empty/*"), -1);
        ASSERT_EQ(exists("sub/*.scp"), 0);
        ASSERT_EQ(exists("world.scp"), -1);
        ASSERT_EQ(exists("missing"), 0);
    }
    EXPECT_EQ(openDescriptorCount(), before);
}

}  // namespace
}  // namespace tus2wf::test
