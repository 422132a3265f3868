#include "Status.h"

#include <gtest/gtest.h>

#include <string>

#include "FileSystem.h"
#include "InputFile.h"
#include "TestFiles.h"

namespace tus2wf::test {
namespace {

// What the system answers for a file that is not there.
Status openMissing(const TestFiles& files) {
    FileHandle file;
    return FileSystem::local().openInput(files.path("missing"), file);
}

TEST(StatusTest, ReasonIsTheSystemsWordsThenTheProgramsOwn) {
    const Status missing = openMissing(TestFiles());
    ASSERT_NE(missing.error(), 0);
    const std::string words = systemReason(missing.error());
    ASSERT_FALSE(words.empty());
    EXPECT_FALSE(words.ends_with('.')) << words;

    EXPECT_EQ(missing.reason(), words);
    EXPECT_EQ(Status(missing).saying("the folder is gone").reason(),
              words + ": the folder is gone");
    EXPECT_EQ(Status(Status::Code::Other, 0, "Is a directory").saying("more").reason(),
              "Is a directory: more");
    EXPECT_EQ(Status::stopped().reason(), "");
}

TEST(StatusTest, FailureNamesTheFileOfTheDeepestStepThatNamedOne) {
    Status failure = Status(Status::Code::Busy).about("journal").about("out.wf");
    EXPECT_EQ(failure.file(), "journal");
    failure = std::move(failure).as(Status::Code::WriteError);
    EXPECT_EQ(failure.code(), Status::Code::WriteError);
    EXPECT_EQ(failure.file(), "journal");
    EXPECT_EQ(Status::stopped().as(Status::Code::WriteError).code(), Status::Code::Stopped);
}

TEST(StatusTest, InputThatIsNotThereFailsWithTheSystemsNumberAndItsPath) {
    TestFiles files;
    const std::string path = files.path("missing.scp");
    InputFile input;
    const Status read = readInput(input, path);
    EXPECT_EQ(read.code(), Status::Code::NotFound);
    EXPECT_EQ(read.file(), path);
    EXPECT_EQ(read.error(), openMissing(files).error());
    EXPECT_EQ(read.why(), "");
}

}  // namespace
}  // namespace tus2wf::test
